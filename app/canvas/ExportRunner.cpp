#include "app/canvas/ExportRunner.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QThread>
#include <QWidget>

#include <atomic>

namespace {

// Often enough for a bar that moves smoothly, rarely enough to cost nothing.
constexpr int pollMilliseconds = 50;

} // namespace

// What the worker and the runner share: the job it reads, the flags both sides touch, and the
// result the worker leaves before it ends. Kept alive by the worker too.
struct ExportRunner::Shared : ExportProgress
{
    explicit Shared(ExportJob exportJob) : job(std::move(exportJob)) {}

    void advanced(int value) override { percent.store(value, std::memory_order_relaxed); }
    bool cancelled() const override { return stop.load(std::memory_order_relaxed); }

    const ExportJob job;
    std::atomic<int> percent{0};
    std::atomic<bool> stop{false};
    ExportResult result; // written by the worker, read once it has ended
};

ExportRunner::ExportRunner(ExportJob job, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>(std::move(job)))
{
    setObjectName(QStringLiteral("exportRunner"));
    m_poll.setInterval(pollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &ExportRunner::poll);
    // The program must not end with a worker still drawing.
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &ExportRunner::stopAndWait);
}

ExportRunner::~ExportRunner() { stopAndWait(); }

const ExportJob& ExportRunner::job() const { return m_shared->job; }

const ExportResult& ExportRunner::result() const { return m_shared->result; }

bool ExportRunner::isRunning() const { return m_thread && !m_finished; }

void ExportRunner::start()
{
    if (m_thread)
        return;
    std::shared_ptr<Shared> shared = m_shared;
    m_thread.reset(QThread::create([shared] { shared->result = exportPattern(shared->job, shared.get()); }));
    m_thread->setObjectName(QStringLiteral("patternExport"));
    // Emitted by the worker's thread: queued to this one.
    connect(m_thread.get(), &QThread::finished, this, &ExportRunner::workerEnded);
    m_thread->start(QThread::LowPriority);
    m_poll.start();
}

void ExportRunner::cancel() { m_shared->stop.store(true, std::memory_order_relaxed); }

void ExportRunner::poll()
{
    const int percent = m_shared->percent.load(std::memory_order_relaxed);
    if (percent == m_percent)
        return;
    m_percent = percent;
    emit progressed(percent);
}

void ExportRunner::workerEnded()
{
    if (m_finished || !m_thread)
        return;
    m_thread->wait();
    m_poll.stop();
    m_finished = true;
    poll();
    emit finished(m_shared->result);
}

void ExportRunner::stopAndWait()
{
    if (!m_thread || m_finished)
        return;
    cancel();
    m_thread->wait();
    m_poll.stop();
}

ExportRunner* runExportWithProgress(QWidget* owner, ExportJob job, ExportDone done)
{
    auto* runner = new ExportRunner(std::move(job), owner);
    auto* progress = new QProgressDialog(owner);
    progress->setObjectName(QStringLiteral("dlgExportProgress"));
    progress->setWindowTitle(QStringLiteral("导出图案"));
    progress->setLabelText(QStringLiteral("正在导出…"));
    progress->setCancelButtonText(QStringLiteral("取消"));
    progress->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    // The bar is set directly: QProgressDialog::setValue on a modal dialog runs the event loop,
    // which the end of the export must not re-enter.
    auto* bar = new QProgressBar(progress);
    bar->setRange(0, 100);
    bar->setValue(0);
    progress->setBar(bar);

    QObject::connect(progress, &QProgressDialog::canceled, runner, &ExportRunner::cancel);
    QObject::connect(runner, &ExportRunner::progressed, bar, &QProgressBar::setValue);
    QPointer<QProgressDialog> shown(progress);
    QObject::connect(runner, &ExportRunner::finished, runner, [runner, shown, done](const ExportResult& result) {
        if (shown) {
            shown->hide();
            shown->deleteLater();
        }
        runner->deleteLater();
        // Once the runner's own call is over: the report may run a dialog of its own.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done, result] { done(result); }, Qt::QueuedConnection);
    });
    runner->start();
    progress->show();
    return runner;
}
