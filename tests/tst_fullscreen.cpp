// The full-screen show of a pattern window: the slide at the screen's resolution, fitted and
// centred on its background, following the window's show; Space, Escape and F11; the canvas menu;
// the pointer at rest; and the desktop asked not to blank the screen while the show plays, through
// a private session bus and a stand-in service that records the calls.
//
// Run twice by CTest: at ratio 1 with a private bus, and at ratio 2 without any session bus.

#include "app/canvas/CanvasMenu.h"
#include "app/fullscreen/FullScreenShow.h"
#include "app/fullscreen/FullScreenSource.h"
#include "app/widgets/PictureBox.h"
#include "draw/output/FrameRenderer.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/PictureSource.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

// A pattern window as the full-screen show sees it: a canvas with a slide, a code, play and pause.
class FakeShowWindow final : public QWidget, public FullScreenSource
{
    Q_OBJECT

public:
    FakeShowWindow()
    {
        setWindowTitle(QStringLiteral("图案窗口"));
        canvas = new PictureBox(this);
        canvas->setGeometry(0, 0, 400, 400);
        menu = attachCanvasMenu(
            canvas, [this] { return canvas->surface().snapshot(); }, [this] { return code; });
        resize(400, 400);
        drawSlide(0x2545F491u);
    }

    // A slide of the main window's show, drawn on the canvas as the window draws it.
    void drawSlide(std::uint32_t state)
    {
        SlideRecipe recipe;
        recipe.randomState = state;
        recipe.width = 6;
        recipe.divisor = 90.0;
        recipe.backColour = RGB(20, 40, 60);
        recipe.gradient = GradientRecipe{RGB(200, 30, 30), RGB(30, 30, 200), 30, QSize(400, 400)};
        const auto picture = slidePicture(recipe, &code);
        canvas->setPicture(picture->render(1.0), picture);
    }

    QWidget* showWindow() override { return this; }
    std::shared_ptr<const PictureSource> shownPicture() const override { return canvas->surface().snapshot(); }
    std::uint64_t shownRevision() const override { return canvas->surface().revision(); }
    QString shownCode() const override { return code; }
    bool showPlaying() const override { return playing; }
    void setShowPlaying(bool on) override { setPlaying(on); }
    CanvasMenu* patternMenu() const override { return menu; }
    void watchShown(QObject* receiver, std::function<void()> changed) override
    {
        connect(canvas, &PictureBox::pictureChanged, receiver, changed);
        connect(this, &FakeShowWindow::playingChanged, receiver, changed);
    }

    // Pause or play, as the window's own buttons do.
    void setPlaying(bool on)
    {
        playing = on;
        emit playingChanged();
    }

    PictureBox* canvas = nullptr;
    CanvasMenu* menu = nullptr;
    QString code;
    bool playing = true;

signals:
    void playingChanged();
};

// Stands in for the desktop's screen saver service and writes down what it is asked.
class ScreenSaverStandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QStringList calls;

public slots:
    uint Inhibit(const QString& application, const QString& reason)
    {
        calls.append(QStringLiteral("Inhibit %1 %2 -> %3").arg(application, reason).arg(m_next));
        return m_next++;
    }
    void UnInhibit(uint cookie) { calls.append(QStringLiteral("UnInhibit %1").arg(cookie)); }

private:
    uint m_next = 41;
};

// A desktop slow to answer: Inhibit calls wait until the test answers them with a cookie.
class SlowScreenSaverStandIn : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QList<QDBusMessage> unanswered;
    QList<uint> released;

    void answer(const QDBusConnection& bus, uint cookie)
    {
        bus.send(unanswered.takeFirst().createReply(QVariant::fromValue(cookie)));
    }

public slots:
    uint Inhibit(const QString&, const QString&)
    {
        setDelayedReply(true);
        unanswered.append(message());
        return 0;
    }
    void UnInhibit(uint cookie) { released.append(cookie); }
};

void pressKey(QWidget* widget, Qt::Key key)
{
    QTest::keyClick(widget, key);
    QCoreApplication::processEvents();
}

} // namespace

class FullScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void showsTheSlideAtTheScreensResolution();
    void followsTheCanvasWithoutWaiting_data();
    void followsTheCanvasWithoutWaiting();
    void keysPauseAndLeave_data();
    void keysPauseAndLeave();
    void rightButtonOpensTheCanvasMenu();
    void pointerHidesAtRestAndComesBack();
    void asksTheDesktopNotToBlankWhilePlaying();
    void aLateCookieIsGivenBack_data();
    void aLateCookieIsGivenBack();
    void carriesOnWithoutTheService();

private:
    QProcess m_bus;
    QString m_busAddress;
};

void FullScreenTest::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("pattern-designer"));
    if (qEnvironmentVariableIsSet("FULLSCREEN_WITHOUT_BUS"))
        return;
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        return;
    m_bus.start(daemon, {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    QVERIFY(m_bus.waitForStarted());
    QVERIFY(m_bus.waitForReadyRead(10000));
    m_busAddress = QString::fromLatin1(m_bus.readLine().trimmed());
    // Before anything asks for the session bus: the program's connection goes to this one.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_busAddress.toLatin1());
}

void FullScreenTest::cleanupTestCase()
{
    m_bus.terminate();
    m_bus.waitForFinished(3000);
}

void FullScreenTest::cleanup()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<FullScreenShow*>(widget))
            widget->close();
    }
    QCoreApplication::processEvents();
}

void FullScreenTest::showsTheSlideAtTheScreensResolution()
{
    FakeShowWindow window;
    window.show();
    FullScreenShow::toggle(window);
    FullScreenShow* show = FullScreenShow::of(&window);
    QVERIFY(show);
    QVERIFY(QTest::qWaitForWindowExposed(show));
    QCOMPARE(show->geometry(), window.screen()->geometry());
    QVERIFY(show->windowState() & Qt::WindowFullScreen);

    const qreal ratio = show->devicePixelRatioF();
    const QSize pixels(qRound(show->width() * ratio), qRound(show->height() * ratio));
    QCOMPARE(show->frame().size(), pixels);
    QCOMPARE(show->frame().devicePixelRatio(), ratio);
    // Drawn afresh at that size from the canvas's record, the background covering everything.
    QImage expected = FrameRenderer(window.shownPicture(), pixels).render();
    QImage frame = show->frame();
    frame.setDevicePixelRatio(1.0);
    QCOMPARE(frame, expected);

    // On screen: the frame, with the code in the lower right corner only.
    QImage shown = show->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shown.setDevicePixelRatio(1.0);
    QCOMPARE(shown.size(), pixels);
    QCOMPARE(shown.pixel(2, 2), expected.pixel(2, 2));
    const QRect above(0, 0, pixels.width(), pixels.height() * 8 / 10);
    QCOMPARE(shown.copy(above), expected.copy(above));
    QVERIFY(shown.copy(pixels.width() * 3 / 4, pixels.height() * 9 / 10, pixels.width() / 4, pixels.height() / 10)
            != expected.copy(pixels.width() * 3 / 4, pixels.height() * 9 / 10, pixels.width() / 4, pixels.height() / 10));
}

void FullScreenTest::followsTheCanvasWithoutWaiting_data()
{
    QTest::addColumn<bool>("newSlides");
    QTest::addColumn<bool>("windowHidden");
    QTest::newRow("new slides") << true << false;
    QTest::newRow("lines drawn on the slide") << false << false;
    // Its canvas is not painted between the changes, and tells of each all the same.
    QTest::newRow("new slides, the window hidden") << true << true;
    QTest::newRow("lines drawn, the window hidden") << false << true;
}

// Each change of the window's canvas reaches the frame as soon as the event loop runs once: no
// timer stands between them.
void FullScreenTest::followsTheCanvasWithoutWaiting()
{
    QFETCH(bool, newSlides);
    QFETCH(bool, windowHidden);
    FakeShowWindow window;
    window.canvas->setScaleMode(ScaleMode::Pixels);
    window.show();
    FullScreenShow::toggle(window);
    FullScreenShow* show = FullScreenShow::of(&window);
    QVERIFY(show);
    if (windowHidden)
        window.hide();
    const std::uint32_t states[] = {0x12345678u, 0x0BADF00Du};
    const Colour colours[] = {RGB(255, 255, 0), RGB(0, 255, 255)};
    for (int change = 0; change < 2; ++change) {
        const QImage before = show->frame();
        if (newSlides)
            window.drawSlide(states[change]);
        else
            window.canvas->Line(10, 40 + 100 * change, 390, 60 + 100 * change, colours[change]);
        QCoreApplication::processEvents();
        QVERIFY2(show->frame() != before, qPrintable(QStringLiteral("change %1").arg(change)));
        QImage frame = show->frame();
        frame.setDevicePixelRatio(1.0);
        QCOMPARE(frame, FrameRenderer(window.shownPicture(), frame.size()).render());
    }
}

void FullScreenTest::keysPauseAndLeave_data()
{
    QTest::addColumn<int>("leaveKey");
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("F11") << int(Qt::Key_F11);
}

void FullScreenTest::keysPauseAndLeave()
{
    QFETCH(int, leaveKey);
    FakeShowWindow window;
    window.show();
    const QRect geometry = window.geometry();
    FullScreenShow::toggle(window);
    QPointer<FullScreenShow> show = FullScreenShow::of(&window);
    QVERIFY(show);
    pressKey(show, Qt::Key_Space);
    QVERIFY(!window.playing);
    pressKey(show, Qt::Key_Space);
    QVERIFY(window.playing);
    pressKey(show, Qt::Key(leaveKey));
    QTRY_VERIFY(!show);
    // The window as it was: where it was, shown, playing, and ready for another full screen.
    QCOMPARE(window.geometry(), geometry);
    QVERIFY(window.isVisible());
    QVERIFY(window.playing);
    QCOMPARE(FullScreenShow::of(&window), nullptr);
    FullScreenShow::toggle(window);
    QVERIFY(FullScreenShow::of(&window));
    FullScreenShow::toggle(window); // the same command leaves again
    QTRY_COMPARE(FullScreenShow::of(&window), nullptr);
}

void FullScreenTest::rightButtonOpensTheCanvasMenu()
{
    FakeShowWindow window;
    window.show();
    FullScreenShow::toggle(window);
    FullScreenShow* show = FullScreenShow::of(&window);
    QVERIFY(show);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(50, 60), show->mapToGlobal(QPoint(50, 60)));
    QCoreApplication::sendEvent(show, &click);
    QTRY_VERIFY(window.menu->menu()->isVisible());
    // The menu acts on the slide on the window's canvas.
    QCOMPARE(window.menu->menu()->findChild<QAction*>(QStringLiteral("actCopyPattern"))->isEnabled(), true);
    window.menu->menu()->hide();
}

void FullScreenTest::pointerHidesAtRestAndComesBack()
{
    FakeShowWindow window;
    window.show();
    FullScreenShow::toggle(window);
    FullScreenShow* show = FullScreenShow::of(&window);
    QVERIFY(show);
    QTimer* rest = show->findChild<QTimer*>(QStringLiteral("pointerRestTimer"));
    QVERIFY(rest && rest->isActive() && rest->isSingleShot());
    QCOMPARE(rest->interval(), 2000);
    QCOMPARE(show->cursor().shape(), Qt::ArrowCursor);
    QMetaObject::invokeMethod(rest, "timeout");
    QCOMPARE(show->cursor().shape(), Qt::BlankCursor);
    QTest::mouseMove(show, QPoint(100, 100));
    QCoreApplication::processEvents();
    QCOMPARE(show->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(rest->isActive());
}

void FullScreenTest::asksTheDesktopNotToBlankWhilePlaying()
{
    if (m_busAddress.isEmpty())
        QSKIP("no private session bus in this run (dbus-daemon missing or the run without a bus)");
    QDBusConnection standInBus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("standIn"));
    QVERIFY(standInBus.isConnected());
    ScreenSaverStandIn standIn;
    QVERIFY(standInBus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &standIn,
                                      QDBusConnection::ExportAllSlots));
    QVERIFY(standInBus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    const auto unregister = qScopeGuard([&] {
        standInBus.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        standInBus.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
        QDBusConnection::disconnectFromBus(QStringLiteral("standIn"));
    });

    FakeShowWindow window;
    window.show();
    FullScreenShow::toggle(window);
    QPointer<FullScreenShow> show = FullScreenShow::of(&window);
    QVERIFY(show);
    const QString inhibit = QStringLiteral("Inhibit pattern-designer 全屏放映图案 -> %1");
    QTRY_COMPARE(standIn.calls, QStringList{inhibit.arg(41)});
    QVERIFY(show->inhibiting());

    pressKey(show, Qt::Key_Space); // pause: released
    QTRY_COMPARE(standIn.calls.size(), 2);
    QCOMPARE(standIn.calls.last(), QStringLiteral("UnInhibit 41"));
    pressKey(show, Qt::Key_Space); // play again
    QTRY_COMPARE(standIn.calls.size(), 3);
    QCOMPARE(standIn.calls.last(), inhibit.arg(42));
    // Paused and played in the window itself: the window tells.
    window.setPlaying(false);
    QTRY_COMPARE(standIn.calls.size(), 4);
    QCOMPARE(standIn.calls.last(), QStringLiteral("UnInhibit 42"));
    window.setPlaying(true);
    QTRY_COMPARE(standIn.calls.size(), 5);
    pressKey(show, Qt::Key_Escape); // leaving releases it
    QTRY_VERIFY(!show);
    QTRY_COMPARE(standIn.calls.size(), 6);
    QCOMPARE(standIn.calls.last(), QStringLiteral("UnInhibit 43"));
}

void FullScreenTest::aLateCookieIsGivenBack_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("left full screen") << Qt::Key_Escape;
    QTest::newRow("paused") << Qt::Key_Space;
}

// The show stops wanting the screen awake before the desktop answers: whenever the cookie comes,
// it is given back at once.
void FullScreenTest::aLateCookieIsGivenBack()
{
    QFETCH(Qt::Key, key);
    if (m_busAddress.isEmpty())
        QSKIP("no private session bus in this run (dbus-daemon missing or the run without a bus)");
    QDBusConnection standInBus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("slowStandIn"));
    QVERIFY(standInBus.isConnected());
    SlowScreenSaverStandIn standIn;
    QVERIFY(standInBus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &standIn,
                                      QDBusConnection::ExportAllSlots));
    QVERIFY(standInBus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    const auto unregister = qScopeGuard([&] {
        standInBus.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        standInBus.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
        QDBusConnection::disconnectFromBus(QStringLiteral("slowStandIn"));
    });

    FakeShowWindow window;
    window.show();
    FullScreenShow::toggle(window);
    QPointer<FullScreenShow> show = FullScreenShow::of(&window);
    QVERIFY(show);
    QTRY_VERIFY2_WITH_TIMEOUT(standIn.unanswered.size() == 1, "the Inhibit call to reach the desktop", 10000);
    pressKey(show, key);
    if (key == Qt::Key_Escape)
        QTRY_VERIFY2_WITH_TIMEOUT(!show, "the full-screen show to go", 10000);
    standIn.answer(standInBus, 77);
    QTRY_VERIFY2_WITH_TIMEOUT(standIn.released == QList<uint>{77}, "UnInhibit with the late cookie", 10000);
    if (show)
        pressKey(show, Qt::Key_Escape);
    QTRY_VERIFY2_WITH_TIMEOUT(!show, "the full-screen show to go", 10000);
    QCOMPARE(standIn.released, QList<uint>{77});
}

// No service on the bus, or no bus at all: the show goes on as ever, and nothing is reported.
void FullScreenTest::carriesOnWithoutTheService()
{
    if (qEnvironmentVariableIsSet("FULLSCREEN_WITHOUT_BUS"))
        QVERIFY(!QDBusConnection::sessionBus().isConnected());
    FakeShowWindow window;
    window.show();
    FullScreenShow::toggle(window);
    QPointer<FullScreenShow> show = FullScreenShow::of(&window);
    QVERIFY(show);
    QTest::qWait(200); // let any answer to the inhibition arrive
    pressKey(show, Qt::Key_Space);
    QVERIFY(!window.playing);
    QVERIFY(!show->frame().isNull());
    pressKey(show, Qt::Key_Escape);
    QTRY_VERIFY(!show);
}

QTEST_MAIN(FullScreenTest)
#include "tst_fullscreen.moc"
