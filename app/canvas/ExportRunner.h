#pragma once

#include "draw/frame/FrameExport.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QThread;
class QWidget;

// One export on a thread of its own, so that the windows and their slide shows go on meanwhile.
// Progress comes back as a percentage polled from the worker; cancel() asks the worker to stop,
// and the file is then not written. A runner destroyed (or the program quitting) while its
// worker runs cancels it and waits for it: nothing outlives what it reads.
class ExportRunner : public QObject
{
    Q_OBJECT

public:
    explicit ExportRunner(ExportJob job, QObject* parent = nullptr);
    ~ExportRunner() override;

    const ExportJob& job() const;
    void start();
    void cancel();
    bool isRunning() const;
    bool isFinished() const { return m_finished; }
    // What the export came to, once finished.
    const ExportResult& result() const;

signals:
    void progressed(int percent);
    void finished(const ExportResult& result);

private:
    struct Shared;

    void poll();
    void workerEnded();
    void stopAndWait();

    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<QThread> m_thread;
    QTimer m_poll;
    int m_percent = -1;
    bool m_finished = false;
};

// Runs the job behind a progress dialog ("正在导出…", a percentage, "取消") window-modal to owner,
// and calls done with the result once the worker has ended, from the event loop. Both belong to
// owner: when it goes (a window deleted on close), the export is cancelled and done not called.
using ExportDone = std::function<void(const ExportResult& result)>;
ExportRunner* runExportWithProgress(QWidget* owner, ExportJob job, ExportDone done);
