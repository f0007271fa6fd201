#pragma once

#include "draw/output/OutputJob.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QThread;
class QWidget;

// One output job on a thread of its own, so that the windows and their slide shows go on
// meanwhile: every save and export of the windows runs here. Progress comes back as a percentage
// polled from the worker; cancel() asks the worker to stop, and the file is then not written. A
// runner destroyed (or the program quitting) while its worker runs cancels it and waits for it:
// nothing outlives what it reads.
class OutputRunner : public QObject
{
    Q_OBJECT

public:
    explicit OutputRunner(OutputJob job, QObject* parent = nullptr);
    ~OutputRunner() override;

    const OutputJob& job() const;
    void start();
    void cancel();
    bool isRunning() const;
    bool isFinished() const { return m_finished; }
    // What the export came to, once finished.
    const OutputResult& result() const;

signals:
    void progressed(int percent);
    void finished(const OutputResult& result);

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

// When the progress dialog comes up: at once (an export the user chose a size for), or only once
// the job has taken a moment (a save, mostly done before a dialog could be read; it then says
// "正在保存…").
enum class ProgressShown { AtOnce, WhenSlow };

// Runs the job behind a progress dialog ("正在导出…", a percentage, "取消") window-modal to owner,
// and calls done with the result once the worker has ended, from the event loop. Both belong to
// owner: when it goes (a window deleted on close), the job is cancelled and done not called.
using OutputDone = std::function<void(const OutputResult& result)>;
OutputRunner* runJobWithProgress(QWidget* owner, OutputJob job, OutputDone done,
                                 ProgressShown shown = ProgressShown::AtOnce);
