// A window's slide-show clock: ticks pass on unless held, holds nest, and starting and stopping
// are told once settled, a restart being no change.
#include "ModalDialog.h"

#include "app/widgets/SlideShowClock.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class TestSlideShowClock : public QObject
{
    Q_OBJECT

private slots:
    void resumesOnlyAfterTheLastOfNestedHolds();
    void startAndStopAreToldOnceSettled();
};

void TestSlideShowClock::resumesOnlyAfterTheLastOfNestedHolds()
{
    QTimer timer;
    timer.setInterval(3000);
    auto* clock = new SlideShowClock(&timer);
    int ticks = 0;
    connect(clock, &SlideShowClock::ticked, [&] { ++ticks; });
    timer.start();
    const auto tick = [&] { QMetaObject::invokeMethod(&timer, "timeout"); };

    tick();
    QCOMPARE(ticks, 1);
    {
        const SlideShowClock::Hold menu(clock);
        {
            const SlideShowClock::Hold dialog(clock);
            tick();
            QCOMPARE(ticks, 1);
        }
        // The dialog has closed, the menu has not let go yet.
        QVERIFY(clock->isHeld());
        tick();
        QCOMPARE(ticks, 1);
        QVERIFY(timer.isActive());
    }
    QVERIFY(!clock->isHeld());
    QVERIFY(timer.isActive());
    tick();
    QCOMPARE(ticks, 2);
}

void TestSlideShowClock::startAndStopAreToldOnceSettled()
{
    QTimer timer;
    timer.setInterval(3000);
    auto* clock = new SlideShowClock(&timer);
    QSignalSpy running(clock, &SlideShowClock::runningChanged);

    timer.start();
    WAIT_COMPARE(running.count(), 1, "the clock to start", 5000);
    QCOMPARE(running.last().at(0).toBool(), true);
    QVERIFY(clock->isRunning());

    // A hold let go restarts the interval, as does play pressed again: the show plays on.
    { const SlideShowClock::Hold hold(clock); }
    timer.start();
    QCoreApplication::processEvents();
    QCOMPARE(running.count(), 1);

    timer.stop();
    WAIT_COMPARE(running.count(), 2, "the clock to start again", 5000);
    QCOMPARE(running.last().at(0).toBool(), false);
    QVERIFY(!clock->isRunning());
}

QTEST_GUILESS_MAIN(TestSlideShowClock)
#include "tst_showclock.moc"
