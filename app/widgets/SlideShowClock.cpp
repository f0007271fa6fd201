#include "app/widgets/SlideShowClock.h"

#include <QTimer>

SlideShowClock::Hold::Hold(SlideShowClock* clock) : m_clock(clock)
{
    if (m_clock)
        m_clock->hold();
}

SlideShowClock::Hold::~Hold()
{
    if (m_clock)
        m_clock->release();
}

SlideShowClock::SlideShowClock(QTimer* timer) : QObject(timer), m_timer(timer), m_running(timer->isActive())
{
    setObjectName(QStringLiteral("showClock"));
    connect(m_timer, &QTimer::timeout, this, &SlideShowClock::onTimeout);
    // Restarting stops the timer for a moment: the change is looked at once the restart is over.
    m_activeNotifier = m_timer->bindableActive().addNotifier([this] {
        if (m_settling)
            return;
        m_settling = true;
        QMetaObject::invokeMethod(this, &SlideShowClock::settleRunning, Qt::QueuedConnection);
    });
}

bool SlideShowClock::isRunning() const { return m_timer->isActive(); }

void SlideShowClock::hold() { ++m_holds; }

void SlideShowClock::release()
{
    if (m_holds == 0 || --m_holds > 0)
        return;
    // A whole interval from now: the next slide does not jump in as the dialog closes.
    if (m_timer->isActive())
        m_timer->start();
}

void SlideShowClock::onTimeout()
{
    if (m_holds == 0)
        emit ticked();
}

void SlideShowClock::settleRunning()
{
    m_settling = false;
    const bool running = m_timer->isActive();
    if (running == m_running)
        return;
    m_running = running;
    emit runningChanged(running);
}
