#pragma once

#include <QObject>
#include <QPointer>
#include <QProperty>

class QTimer;

// A window's slide-show timer that can be held: its ticks pass on as ticked() except while held.
// The timer keeps running while held, so a pause chosen meanwhile still stops it and nothing here
// starts it again; when the last hold lets go, a running timer waits a whole interval anew.
class SlideShowClock : public QObject
{
    Q_OBJECT

public:
    // Holds a clock for as long as it lives; without a clock it holds nothing.
    class Hold
    {
    public:
        explicit Hold(SlideShowClock* clock);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        QPointer<SlideShowClock> m_clock;
    };

    // Watches timer and goes with it.
    explicit SlideShowClock(QTimer* timer);

    QTimer* timer() const { return m_timer; }
    // Running means the show plays, held or not.
    bool isRunning() const;
    bool isHeld() const { return m_holds > 0; }
    void hold();
    void release();

signals:
    // A tick of the timer while not held: the next slide is due.
    void ticked();
    // The timer started or stopped. Told once the change has settled: a restart is no change.
    void runningChanged(bool running);

private:
    void onTimeout();
    void settleRunning();

    QTimer* m_timer;
    int m_holds = 0;
    bool m_running = false;
    bool m_settling = false;
    QPropertyNotifier m_activeNotifier;
};
