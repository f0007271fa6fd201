#include "PrivateDisplay.h"
#include "XvfbSession.h"

#include "draw/base/Twips.h"
#include "draw/output/FrameRenderer.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"

#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QMargins>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <optional>

namespace {

const QString mainCaption = QStringLiteral("澄岚数学图案自动设计器");
const QString designerCaption = QStringLiteral("澄岚几何图案自动设计器");
const QString pickerCaption = QStringLiteral("澄岚渐变色背景选色器");

// The client sizes the windows are built for, in logical pixels.
const QSize mainBase(1167, 833);
const QSize designerBase(609, 648);
const QSize pickerBase(809, 866);

// A window on the X screen, in device pixels: its client area and the frame round it.
struct Placed
{
    QRect client;
    QMargins frame;
    QRect outer() const { return client.marginsAdded(frame); }
};

QString describe(const QRect& r) { return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()); }

// The program on a private X server under a real window manager, seen through the X tools.
class Desktop
{
public:
    explicit Desktop(QString display) : m_display(std::move(display)) {}

    bool start(const QString& binary, const QString& scaleFactor, const QStringList& arguments = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        if (!scaleFactor.isEmpty())
            environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scaleFactor);
        // The program's favourites and caches stay out of the user's folders.
        for (const char* folder : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
            environment.insert(QLatin1String(folder), m_home.path());
        m_program.process.setProcessEnvironment(environment);
        m_program.process.start(binary, arguments);
        return m_program.process.waitForStarted(10000);
    }

    // Runs an X tool on the display; its standard output, or nothing when it failed.
    std::optional<QByteArray> tool(const QString& program, const QStringList& arguments) const
    {
        QProcess helper;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        helper.setProcessEnvironment(environment);
        helper.start(program, arguments);
        if (!helper.waitForFinished(15000) || helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0)
            return std::nullopt;
        return helper.readAllStandardOutput();
    }

    QByteArray run(const QString& program, const QStringList& arguments) const
    {
        return tool(program, arguments).value_or(QByteArray());
    }

    QString visibleWindow(const QString& caption) const
    {
        return QString::fromLatin1(run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", caption}).split('\n').value(0).trimmed());
    }

    // The window's client area and frame; nothing until the window manager has framed it.
    std::optional<Placed> placed(const QString& id) const
    {
        const QString info = QString::fromLatin1(run(QStringLiteral("xwininfo"), {"-id", id}));
        const auto number = [&info](const char* key) {
            const QRegularExpressionMatch match = QRegularExpression(QLatin1String(key) + QStringLiteral(":\\s+(-?\\d+)")).match(info);
            return match.hasMatch() ? std::optional<int>(match.captured(1).toInt()) : std::nullopt;
        };
        const auto x = number("Absolute upper-left X"), y = number("Absolute upper-left Y");
        const auto width = number("Width"), height = number("Height");
        const QList<int> extents = cardinals(run(QStringLiteral("xprop"), {"-id", id, "_NET_FRAME_EXTENTS"}));
        if (!x || !y || !width || !height || extents.size() != 4)
            return std::nullopt;
        return Placed{QRect(*x, *y, *width, *height), QMargins(extents[0], extents[2], extents[1], extents[3])};
    }

    // The area the window manager leaves to windows.
    QRect workArea() const
    {
        const QList<int> area = cardinals(run(QStringLiteral("xprop"), {"-root", "_NET_WORKAREA"}));
        return area.size() >= 4 ? QRect(area[0], area[1], area[2], area[3]) : QRect();
    }

    // The window once shown, framed by the window manager and wholly inside the area (where the
    // program fits it as soon as it knows the frame); nothing when that does not come within 30 s,
    // with the last place seen in lastSeen.
    std::optional<Placed> wholeIn(const QString& caption, const QRect& area, QString* lastSeen = nullptr) const
    {
        std::optional<Placed> now;
        const bool whole = xvfb::pollUntil(
            [&] {
                const QString id = visibleWindow(caption);
                now = id.isEmpty() ? std::nullopt : placed(id);
                return now && area.contains(now->outer());
            },
            30000, 150);
        if (lastSeen)
            *lastSeen = now ? QStringLiteral("last seen framed at ") + describe(now->outer()) : QStringLiteral("never seen framed");
        return whole ? now : std::nullopt;
    }

    bool gone(const QString& caption) const
    {
        return xvfb::pollUntil([&] { return visibleWindow(caption).isEmpty(); }, 15000, 150);
    }

    bool click(QPoint point) const
    {
        return tool(QStringLiteral("xdotool"),
                    {"mousemove", "--sync", QString::number(point.x()), QString::number(point.y()), "click", "1"})
            .has_value();
    }

private:
    static QList<int> cardinals(const QByteArray& xprop)
    {
        QList<int> values;
        const int equals = xprop.indexOf('=');
        if (equals < 0)
            return values;
        for (const QByteArray& part : xprop.mid(equals + 1).split(','))
            values << part.trimmed().toInt();
        return values;
    }

    QString m_display;
    QTemporaryDir m_home;
    xvfb::Child m_program;
};

// Where a control of a scaled window lies on the screen: the window's client area in logical
// pixels, the contents scaled to fit it and centred, then back to device pixels.
QPoint controlCentre(const Placed& window, QSize base, const QRect& control, double ratio)
{
    const QSizeF client = QSizeF(window.client.size()) / ratio;
    const double factor = std::min(client.width() / base.width(), client.height() / base.height());
    const QPointF offset((client.width() - base.width() * factor) / 2, (client.height() - base.height() * factor) / 2);
    const QPointF centre = offset + QRectF(control).center() * factor;
    return window.client.topLeft() + (centre * ratio).toPoint();
}

QPoint unscaledCentre(const Placed& window, const QRect& control, double ratio)
{
    return window.client.topLeft() + (QRectF(control).center() * ratio).toPoint();
}

} // namespace

// The real program under a window manager on screens smaller than its windows, and at a
// fractional scale factor: every window opens whole on screen with its frame, just small enough,
// and its controls are where a click reaches them.
class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyWindowWholeOnScreen_data();
    void everyWindowWholeOnScreen();
    void fullScreenShowCoversTheScreen_data();
    void fullScreenShowCoversTheScreen();

private:
    // The window is whole in the area; a window that did not fit as built fills one side of it.
    void checkFitted(const QString& name, const Placed& window, QSize base, double ratio, const QRect& area,
                     bool uniform);

    QString m_binary;
};

void TestWindowFit::initTestCase()
{
    m_binary = qEnvironmentVariable("DESIGNER_BINARY");
    QVERIFY2(!m_binary.isEmpty(), "DESIGNER_BINARY is not set");
}

void TestWindowFit::everyWindowWholeOnScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("scaleFactor");
    QTest::newRow("1366 x 768") << QSize(1366, 768) << QString();
    QTest::newRow("1920 x 1080 at 1.5") << QSize(1920, 1080) << QStringLiteral("1.5");
    QTest::newRow("1440 x 900 at 1.5") << QSize(1440, 900) << QStringLiteral("1.5");
}

void TestWindowFit::checkFitted(const QString& name, const Placed& window, QSize base, double ratio, const QRect& area,
                                bool uniform)
{
    const QRect outer = window.outer();
    qInfo().noquote() << name << "client" << describe(window.client) << "frame" << describe(outer);
    QVERIFY2(area.contains(outer), qPrintable(name + " reaches past the screen: " + describe(outer)));
    const QSizeF built = QSizeF(base) * ratio;
    const QSize extra = outer.size() - window.client.size();
    const bool fitsAsBuilt = built.width() + extra.width() <= area.width() && built.height() + extra.height() <= area.height();
    if (fitsAsBuilt) {
        QVERIFY2(std::abs(window.client.width() - built.width()) <= 1 && std::abs(window.client.height() - built.height()) <= 1,
                 qPrintable(name + " fits as built, yet is " + describe(window.client)));
        return;
    }
    // Just small enough: within two pixels of the screen on one side (the rounding of 1.5).
    QVERIFY2(outer.width() >= area.width() - 2 || outer.height() >= area.height() - 2,
             qPrintable(name + " is smaller than it needs to be: " + describe(outer)));
    if (uniform) {
        const double aspect = double(window.client.width()) / window.client.height();
        QVERIFY2(std::abs(aspect - double(base.width()) / base.height()) < 0.01, qPrintable(name + " lost its aspect ratio"));
    }
}

void TestWindowFit::everyWindowWholeOnScreen()
{
    QFETCH(QSize, screen);
    QFETCH(QString, scaleFactor);
    if (const QString missing = xvfb::missingTool({"xdotool", "xwininfo", "xprop"}); !missing.isEmpty())
        QSKIP(qPrintable(missing + QStringLiteral(" is not installed (scripts/setup.sh installs it)")));
    PrivateDisplay display(screen.width(), screen.height());
    if (display.problem())
        QSKIP(display.problem());
    const double ratio = scaleFactor.isEmpty() ? 1.0 : scaleFactor.toDouble();
    Desktop desktop(QString::fromLatin1(display.name()));
    QVERIFY2(desktop.start(m_binary, scaleFactor), "the designer did not start");
    QRect area;
    QVERIFY2(xvfb::pollUntil([&] { return !(area = desktop.workArea()).isEmpty(); }, 10000, 100),
             "the window manager announced no work area within 10 s");

    QString seen;
    const std::optional<Placed> main = desktop.wholeIn(mainCaption, area, &seen);
    QVERIFY2(main, qPrintable("the main window framed and whole on screen; " + seen));
    checkFitted(QStringLiteral("main window"), *main, mainBase, ratio, area, true);
    if (QTest::currentTestFailed())
        return;

    // "渐变背景色" opens the picker, whose "宇宙图案背景渐变色" hides it again.
    QVERIFY(desktop.click(controlCentre(*main, mainBase, twipsRect(12240, 9420, 1095, 375), ratio)));
    std::optional<Placed> picker = desktop.wholeIn(pickerCaption, area, &seen);
    QVERIFY2(picker, qPrintable("the gradient picker opened from its button, framed and whole on screen; " + seen));
    checkFitted(QStringLiteral("gradient picker"), *picker, pickerBase, ratio, area, false);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(desktop.click(unscaledCentre(*picker, twipsRect(6240, 360, 1815, 375), ratio)));
    QVERIFY2(desktop.gone(pickerCaption), "the picker's apply button was not reached");

    // "几何图案" opens the designer beside the main window; its "背景颜色1" opens the picker.
    QVERIFY(desktop.click(controlCentre(*main, mainBase, twipsRect(12240, 9810, 1095, 375), ratio)));
    const std::optional<Placed> designer = desktop.wholeIn(designerCaption, area, &seen);
    QVERIFY2(designer, qPrintable("the geometric designer opened from its button, framed and whole on screen; " + seen));
    checkFitted(QStringLiteral("geometric designer"), *designer, designerBase, ratio, area, true);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(desktop.click(controlCentre(*designer, designerBase, twipsRect(3450, 9240, 1275, 375), ratio)));
    picker = desktop.wholeIn(pickerCaption, area, &seen);
    QVERIFY2(picker, qPrintable("the picker opened from the designer's bottom row, whole on screen; " + seen));
}

void TestWindowFit::fullScreenShowCoversTheScreen_data()
{
    QTest::addColumn<QString>("scaleFactor");
    QTest::newRow("ratio 1") << QString();
    QTest::newRow("ratio 2") << QStringLiteral("2");
}

// F11 in the real main window, under the window manager: the slide drawn for the whole screen at
// its device pixels; Escape gives the window back.
void TestWindowFit::fullScreenShowCoversTheScreen()
{
    QFETCH(QString, scaleFactor);
    if (const QString missing = xvfb::missingTool({"xdotool", "xwininfo", "xprop", "import"}); !missing.isEmpty())
        QSKIP(qPrintable(missing + QStringLiteral(" is not installed (scripts/setup.sh installs it)")));
    const QSize screen(1280, 800);
    PrivateDisplay display(screen.width(), screen.height());
    if (display.problem())
        QSKIP(display.problem());
    SlideRecipe recipe;
    recipe.randomState = 0x2545F491u;
    recipe.width = 5;
    recipe.divisor = 90.0;
    recipe.backColour = RGB(30, 60, 90);
    recipe.gradient = GradientRecipe{RGB(0x14, 0x18, 0x24), RGB(0xEC, 0xD0, 0x48), 30, QSize(809, 681)};
    Desktop desktop(QString::fromLatin1(display.name()));
    QVERIFY(desktop.start(m_binary, scaleFactor, {"--code", PatternCode::encode(recipe)}));
    QRect area;
    QVERIFY2(xvfb::pollUntil([&] { return !(area = desktop.workArea()).isEmpty(); }, 10000, 100),
             "the window manager to announce its work area");
    QString seen;
    const std::optional<Placed> before = desktop.wholeIn(mainCaption, area, &seen);
    QVERIFY2(before, qPrintable("the main window framed and whole on screen; " + seen));

    // The slide the code names, fitted to the screen's device pixels; the code's corner aside.
    const QImage expected = FrameRenderer(slidePicture(recipe), screen).render();
    const QRect compared(0, 0, screen.width(), screen.height() * 8 / 10);
    QTemporaryDir shots;
    const QString shot = shots.filePath(QStringLiteral("screen.png"));
    const auto screenShows = [&](bool wanted) {
        desktop.run(QStringLiteral("import"), {"-window", "root", shot});
        QImage taken = QImage(shot).convertToFormat(QImage::Format_RGB32);
        taken.setColorSpace(expected.colorSpace()); // the screenshot names sRGB, a rendering nothing
        return (taken.size() == screen && taken.copy(compared) == expected.copy(compared)) == wanted;
    };
    const QString id = desktop.visibleWindow(mainCaption);
    desktop.run(QStringLiteral("xdotool"), {"windowactivate", "--sync", id});
    desktop.run(QStringLiteral("xdotool"), {"key", "--window", id, "F11"});
    if (!xvfb::pollUntil([&] { return screenShows(true); }, 15000, 300)) {
        QFile::copy(shot, QDir::temp().filePath(QStringLiteral("tst_windowfit-fullscreen.png")));
        expected.save(QDir::temp().filePath(QStringLiteral("tst_windowfit-expected.png")));
        QFAIL("the screen never showed the slide drawn for it (screens saved in the temporary folder)");
    }
    desktop.run(QStringLiteral("xdotool"), {"key", "Escape"});
    QVERIFY2(xvfb::pollUntil([&] { return screenShows(false); }, 10000, 300), "Escape did not leave the full screen");
    const std::optional<Placed> after = desktop.wholeIn(mainCaption, area, &seen);
    QVERIFY2(after, qPrintable("the main window back, whole on screen; " + seen));
    QCOMPARE(after->client, before->client);
}

int main(int argc, char* argv[])
{
    // Only the program under test draws; this side reads the screen through the X tools.
    QCoreApplication app(argc, argv);
    TestWindowFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowfit.moc"
