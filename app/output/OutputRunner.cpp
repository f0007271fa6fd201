#include "app/output/OutputRunner.h"

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
// A job that ends sooner shows no progress dialog when asked to show it only when slow.
constexpr int slowMilliseconds = 400;

} // namespace

// What the worker and the runner share: the job it reads, the flags both sides touch, and the
// result the worker leaves before it ends. Kept alive by the worker too.
struct OutputRunner::Shared : OutputProgress
{
    explicit Shared(OutputJob exportJob) : job(std::move(exportJob)) {}

    void advanced(int value) override { percent.store(value, std::memory_order_relaxed); }
    bool cancelled() const override { return stop.load(std::memory_order_relaxed); }

    const OutputJob job;
    std::atomic<int> percent{0};
    std::atomic<bool> stop{false};
    OutputResult result; // written by the worker, read once it has ended
};

OutputRunner::OutputRunner(OutputJob job, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>(std::move(job)))
{
    setObjectName(QStringLiteral("exportRunner"));
    m_poll.setInterval(pollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &OutputRunner::poll);
    // The program must not end with a worker still drawing.
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &OutputRunner::stopAndWait);
}

OutputRunner::~OutputRunner() { stopAndWait(); }

const OutputJob& OutputRunner::job() const { return m_shared->job; }

const OutputResult& OutputRunner::result() const { return m_shared->result; }

bool OutputRunner::isRunning() const { return m_thread && !m_finished; }

void OutputRunner::start()
{
    if (m_thread)
        return;
    std::shared_ptr<Shared> shared = m_shared;
    m_thread.reset(QThread::create([shared] { shared->result = runOutputJob(shared->job, shared.get()); }));
    m_thread->setObjectName(QStringLiteral("patternExport"));
    // Emitted by the worker's thread: queued to this one.
    connect(m_thread.get(), &QThread::finished, this, &OutputRunner::workerEnded);
    m_thread->start(QThread::LowPriority);
    m_poll.start();
}

void OutputRunner::cancel() { m_shared->stop.store(true, std::memory_order_relaxed); }

void OutputRunner::poll()
{
    const int percent = m_shared->percent.load(std::memory_order_relaxed);
    if (percent == m_percent)
        return;
    m_percent = percent;
    emit progressed(percent);
}

void OutputRunner::workerEnded()
{
    if (m_finished || !m_thread)
        return;
    m_thread->wait();
    m_poll.stop();
    m_finished = true;
    poll();
    emit finished(m_shared->result);
}

void OutputRunner::stopAndWait()
{
    if (!m_thread || m_finished)
        return;
    cancel();
    m_thread->wait();
    m_poll.stop();
}

OutputRunner* runJobWithProgress(QWidget* owner, OutputJob job, OutputDone done, ProgressShown shown)
{
    auto* runner = new OutputRunner(std::move(job), owner);
    auto* progress = new QProgressDialog(owner);
    progress->setObjectName(QStringLiteral("dlgExportProgress"));
    const bool save = shown == ProgressShown::WhenSlow;
    progress->setWindowTitle(save ? QStringLiteral("保存图案") : QStringLiteral("导出图案"));
    progress->setLabelText(save ? QStringLiteral("正在保存…") : QStringLiteral("正在导出…"));
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

    QObject::connect(progress, &QProgressDialog::canceled, runner, &OutputRunner::cancel);
    QObject::connect(runner, &OutputRunner::progressed, bar, &QProgressBar::setValue);
    QPointer<QProgressDialog> dialog(progress);
    QObject::connect(runner, &OutputRunner::finished, runner, [runner, dialog, done](const OutputResult& result) {
        if (dialog) {
            dialog->hide();
            dialog->deleteLater();
        }
        runner->deleteLater();
        // Once the runner's own call is over: the report may run a dialog of its own.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done, result] { done(result); }, Qt::QueuedConnection);
    });
    runner->start();
    if (shown == ProgressShown::AtOnce) {
        progress->show();
    } else {
        QTimer::singleShot(slowMilliseconds, progress, [runner = QPointer<OutputRunner>(runner), dialog] {
            if (dialog && runner && runner->isRunning())
                dialog->show();
        });
    }
    return runner;
}
