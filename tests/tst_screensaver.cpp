// The show inside another program's X window, as a screensaver runs it: drawn at the window's
// size, following its resizes, ending cleanly when the window goes or on a signal; and under the
// real xscreensaver, which starts it in its own window.

#include "XvfbSession.h"

#include "draw/output/FrameRenderer.h"
#include "draw/pattern/WindowlessShow.h"
#include "draw/raster/PixelBuffer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <xcb/xcb.h>

#include <csignal>
#include <memory>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The frames the show's first slides make at a size: what the window may show at a moment.
QList<QImage> firstFrames(PatternWindow window, QSize size, int count = 4)
{
    WindowlessShow show(window);
    QList<QImage> frames;
    for (int i = 0; i < count; ++i)
        frames.append(FrameRenderer(show.next(), size).render());
    return frames;
}

// A connection of the test's own to the private server.
class XConnection
{
public:
    explicit XConnection(const QString& display)
        : m_connection(xcb_connect(display.toLatin1().constData(), nullptr))
    {
        if (!xcb_connection_has_error(m_connection))
            m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    }
    ~XConnection() { xcb_disconnect(m_connection); }

    bool ok() const { return m_screen != nullptr; }
    xcb_window_t root() const { return m_screen->root; }

    xcb_window_t createWindow(QSize size)
    {
        const xcb_window_t window = xcb_generate_id(m_connection);
        const std::uint32_t values[] = {m_screen->black_pixel, 1}; // override-redirect: no manager needed
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_screen->root, 20, 30, std::uint16_t(size.width()),
                          std::uint16_t(size.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(m_connection, window);
        xcb_flush(m_connection);
        return window;
    }

    void resize(xcb_window_t window, QSize size)
    {
        const std::uint32_t values[] = {std::uint32_t(size.width()), std::uint32_t(size.height())};
        xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        xcb_flush(m_connection);
    }

    void destroy(xcb_window_t window)
    {
        xcb_destroy_window(m_connection, window);
        xcb_flush(m_connection);
    }

    // The window's pixels (its own, unobscured by anything on this server's bare screen).
    QImage pixels(xcb_window_t window, QSize size)
    {
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
            xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                              std::uint16_t(size.width()), std::uint16_t(size.height()), ~0u),
                                nullptr),
            &std::free);
        if (!reply || xcb_get_image_data_length(reply.get()) < size.width() * size.height() * 4)
            return {};
        QImage image(xcb_get_image_data(reply.get()), size.width(), size.height(), QImage::Format_RGB32);
        return image.copy();
    }

    QSize screenSize() const { return QSize(m_screen->width_in_pixels, m_screen->height_in_pixels); }

private:
    xcb_connection_t* m_connection;
    xcb_screen_t* m_screen = nullptr;
};

bool showsOneOf(const QImage& shown, const QList<QImage>& frames)
{
    return !shown.isNull() && std::any_of(frames.begin(), frames.end(), [&](const QImage& frame) { return frame == shown; });
}

QString hexId(xcb_window_t window) { return QStringLiteral("0x%1").arg(window, 0, 16); }

} // namespace

class ScreensaverTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void drawsIntoAGivenWindowFollowsItAndEndsWithIt_data();
    void drawsIntoAGivenWindowFollowsItAndEndsWithIt();
    void rootModeDrawsIntoTheScreensaversWindowAndStopsOnSignals_data();
    void rootModeDrawsIntoTheScreensaversWindowAndStopsOnSignals();
    void windowsThatAreNotThereAreExplained();
    void hugeWindowTakesLittleMemoryAndStopsOnSignal();
    void realXscreensaverShowsThePattern();

private:
    QString m_binary;
};

void ScreensaverTest::init()
{
    m_binary = qEnvironmentVariable("DESIGNER_BINARY");
    QVERIFY2(!m_binary.isEmpty(), "DESIGNER_BINARY is not set");
    if (const QString missing = xvfb::missingTool({"Xvfb"}); !missing.isEmpty())
        QSKIP(qPrintable(missing + QStringLiteral(" is not installed (scripts/setup.sh installs it)")));
}

void ScreensaverTest::drawsIntoAGivenWindowFollowsItAndEndsWithIt_data()
{
    QTest::addColumn<bool>("geometric");
    QTest::newRow("curves") << false;
    QTest::newRow("geometric") << true;
}

void ScreensaverTest::drawsIntoAGivenWindowFollowsItAndEndsWithIt()
{
    QFETCH(bool, geometric);
    const PatternWindow kind = geometric ? PatternWindow::Geometric : PatternWindow::Curves;
    xvfb::Session session;
    QVERIFY(session.started());
    XConnection x(session.display());
    QVERIFY(x.ok());
    const QSize first(640, 480);
    const xcb_window_t window = x.createWindow(first);
    QStringList arguments{"--window-id", hexId(window)};
    if (geometric)
        arguments << "--geometric";
    QVERIFY(session.startProgram(m_binary, arguments));

    const QList<QImage> frames = firstFrames(kind, first);
    QVERIFY2(xvfb::pollUntil([&] { return showsOneOf(x.pixels(window, first), frames); }, 20000),
             "the window never showed the show's slide at its size");

    // Taller than wide now: the slide is drawn again at the new size, not stretched.
    const QSize second(360, 700);
    x.resize(window, second);
    const QList<QImage> resized = firstFrames(kind, second, 8);
    QVERIFY2(xvfb::pollUntil([&] { return showsOneOf(x.pixels(window, second), resized); }, 20000),
             "the window's new size was not followed");

    x.destroy(window);
    QVERIFY2(xvfb::pollUntil([&] { return !session.programRunning(); }, 15000), "still running without its window");
    QCOMPARE(session.programErrors(), QByteArray());
}

void ScreensaverTest::rootModeDrawsIntoTheScreensaversWindowAndStopsOnSignals_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void ScreensaverTest::rootModeDrawsIntoTheScreensaversWindowAndStopsOnSignals()
{
    QFETCH(int, signal);
    xvfb::Session session;
    QVERIFY(session.started());
    XConnection x(session.display());
    QVERIFY(x.ok());
    const QSize size(500, 400);
    const xcb_window_t window = x.createWindow(size);
    QProcess program;
    QProcessEnvironment environment = session.environment();
    environment.insert(QStringLiteral("XSCREENSAVER_WINDOW"), hexId(window));
    program.setProcessEnvironment(environment);
    program.start(m_binary, {"--root"});
    QVERIFY(program.waitForStarted());
    const QList<QImage> frames = firstFrames(PatternWindow::Curves, size);
    QVERIFY2(xvfb::pollUntil([&] { return showsOneOf(x.pixels(window, size), frames); }, 20000),
             "the screensaver's window never showed the slide");
    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.readAllStandardError(), QByteArray());
}

void ScreensaverTest::windowsThatAreNotThereAreExplained()
{
    xvfb::Session session;
    QVERIFY(session.started());
    struct Case
    {
        QStringList arguments;
        QString screensaverWindow;
        int status;
        QString reason;
    };
    const Case cases[] = {
        {{"--window-id", "0x7ffffff0"}, {}, 1, QStringLiteral("不存在")},
        {{"--window-id", "zero"}, {}, 2, QStringLiteral("窗口号")},
        {{"--window-id", "0x0"}, {}, 2, QStringLiteral("窗口号")},
        {{"--root"}, QStringLiteral("0x7ffffff0"), 1, QStringLiteral("不存在")},
        {{"--root"}, QStringLiteral("garbage"), 1, QStringLiteral("无效")},
        {{"--root", "--window-id", "0x400000"}, {}, 2, QStringLiteral("只能选一个")},
        {{"--root", "--export", "x.png"}, {}, 2, QStringLiteral("不能")},
    };
    for (const Case& test : cases) {
        QProcess program;
        QProcessEnvironment environment = session.environment();
        if (!test.screensaverWindow.isEmpty())
            environment.insert(QStringLiteral("XSCREENSAVER_WINDOW"), test.screensaverWindow);
        program.setProcessEnvironment(environment);
        program.start(m_binary, test.arguments);
        QVERIFY(program.waitForFinished(20000));
        const QString errors = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(program.exitCode() == test.status, qPrintable(test.arguments.join(' ') + ": " + errors));
        QVERIFY2(errors.section('\n', 0, 0).contains(test.reason), qPrintable(errors));
    }
}

// The largest window X allows, far past the screen: the show draws it with a few megabytes at a
// time, its top rows as for any window, and a signal still ends it at once.
void ScreensaverTest::hugeWindowTakesLittleMemoryAndStopsOnSignal()
{
    xvfb::Session session;
    QVERIFY(session.started());
    XConnection x(session.display());
    QVERIFY(x.ok());
    const QSize huge(32767, 32767);
    const xcb_window_t window = x.createWindow(huge);
    xvfb::Child program;
    program.process.setProcessEnvironment(session.environment());
    program.process.start(m_binary, {"--window-id", hexId(window)});
    QVERIFY(program.process.waitForStarted());

    // The window's part on the screen (it lies at 20, 30): its top rows, as the first slides draw
    // them at the window's size.
    const QSize seen(x.screenSize().width() - 20, 64);
    QList<QImage> tops;
    WindowlessShow show(PatternWindow::Curves);
    for (int i = 0; i < 4; ++i) {
        QImage band(huge.width(), seen.height(), QImage::Format_RGB32);
        FrameRenderer(show.next(), huge).renderRows(PixelBuffer::of(band), 0);
        tops.append(band.copy(QRect(QPoint(0, 0), seen)));
    }
    QVERIFY2(xvfb::pollUntil([&] { return showsOneOf(x.pixels(window, seen), tops); }, 30000),
             "the huge window's top rows to show the slide");

    const pid_t pid = pid_t(program.process.processId());
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    QVERIFY(status.open(QIODevice::ReadOnly));
    const QByteArray fields = status.readAll();
    const QRegularExpressionMatch peak = QRegularExpression(QStringLiteral("VmHWM:\\s+(\\d+) kB")).match(QString::fromLatin1(fields));
    QVERIFY(peak.hasMatch());
    const qint64 peakMiB = peak.captured(1).toLongLong() / 1024;
    qInfo() << "peak memory" << peakMiB << "MiB";
    // A whole frame of this window would be 4 GiB.
    QVERIFY2(peakMiB < 400, qPrintable(QStringLiteral("the show took %1 MiB").arg(peakMiB)));

    ::kill(pid, SIGTERM);
    QVERIFY2(program.process.waitForFinished(10000), "the show to end after SIGTERM");
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
    QCOMPARE(program.process.readAllStandardError(), QByteArray());
}

// xscreensaver runs no screensaver as root: as root, the test runs it (and so the program) as the
// unprivileged user nobody, with a home of its own and the program copied where nobody can run it.
void ScreensaverTest::realXscreensaverShowsThePattern()
{
    if (const QString missing = xvfb::missingTool({"xscreensaver", "xscreensaver-command"}); !missing.isEmpty())
        QSKIP(qPrintable(missing + QStringLiteral(" is not installed (scripts/setup.sh installs it)")));
    uid_t uid = geteuid();
    gid_t gid = getegid();
    if (uid == 0) {
        const passwd* nobody = getpwnam("nobody");
        QVERIFY2(nobody, "there is no user nobody to run xscreensaver as");
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }
    xvfb::Session session;
    QVERIFY(session.started());
    XConnection x(session.display());
    QVERIFY(x.ok());

    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString program = home.filePath(QStringLiteral("pattern-designer"));
    QVERIFY(QFile::copy(m_binary, program));
    const QString settings = home.filePath(QStringLiteral(".xscreensaver"));
    QFile file(settings);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("timeout:\t1:00:00\ncycle:\t0\nlock:\tFalse\nfade:\tFalse\nunfade:\tFalse\n"
                              "splash:\tFalse\ndpmsEnabled:\tFalse\ngrabDesktopImages:\tFalse\n"
                              "mode:\tone\nselected:\t0\nprograms:\t%1 --root \\n\n")
                   .arg(program)
                   .toUtf8());
    file.close();
    for (const QString& path : {home.path(), program, settings}) {
        QVERIFY(::chown(QFile::encodeName(path).constData(), uid, gid) == 0);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), path == settings ? 0644 : 0755) == 0);
    }

    QProcessEnvironment environment = session.environment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("USER"), QStringLiteral("nobody"));
    environment.insert(QStringLiteral("LOGNAME"), QStringLiteral("nobody"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    const auto asUser = [uid, gid](QProcess& process) {
        process.setChildProcessModifier([uid, gid] {
            if (geteuid() == 0) {
                if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                    _exit(126);
            }
        });
    };
    xvfb::Child daemon;
    daemon.process.setProcessEnvironment(environment);
    asUser(daemon.process);
    daemon.process.setProcessChannelMode(QProcess::MergedChannels);
    daemon.process.start(QStringLiteral("xscreensaver"), {"-no-splash"});
    QVERIFY(daemon.process.waitForStarted());

    const auto command = [&](const QStringList& arguments) {
        QProcess tool;
        tool.setProcessEnvironment(environment);
        asUser(tool);
        tool.start(QStringLiteral("xscreensaver-command"), arguments);
        return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    };
    QVERIFY2(xvfb::pollUntil([&] { return command({"-version"}); }, 20000),
             qPrintable(QStringLiteral("xscreensaver did not start: ") + QString::fromLocal8Bit(daemon.process.readAll())));
    QVERIFY(command({"-activate"}));

    // The screensaver's window covers the screen: the pattern drawn at the screen's size shows.
    const QSize screen = x.screenSize();
    const QList<QImage> frames = firstFrames(PatternWindow::Curves, screen, 4);
    QImage shown;
    const bool seen = xvfb::pollUntil(
        [&] {
            shown = x.pixels(x.root(), screen);
            return showsOneOf(shown, frames);
        },
        30000, 500);
    if (!seen) {
        shown.save(QDir::temp().filePath(QStringLiteral("tst_screensaver-screen.png")));
        QFAIL(qPrintable(QStringLiteral("the pattern did not show (screen saved in the temporary folder); xscreensaver said: ")
                         + QString::fromLocal8Bit(daemon.process.readAll())));
    }
    command({"-exit"});
}

QTEST_GUILESS_MAIN(ScreensaverTest)
#include "tst_screensaver.moc"
