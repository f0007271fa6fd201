// A user's walk through the whole program: the real binary on its own X server, driven by mouse
// clicks and key presses, every step checked on the screen's pixels. With DESIGNER_DOCS_DIR set it
// also saves a picture of each of the four windows into that folder.

#include "PixelCount.h"
#include "XvfbSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QtTest>

#include <cmath>
#include <optional>

namespace {

const QString mainCaption = QStringLiteral("澄岚数学图案自动设计器（永久免费版）");
const QString geometricCaption = QStringLiteral("澄岚几何图案自动设计器");
const QString pickerCaption = QStringLiteral("澄岚渐变色背景选色器");
const QString angleCaption = QStringLiteral("选择角度");
// Qt's own colour dialog, in Chinese through Qt's translation that the program loads.
const QStringList colourDialogCaptions{QStringLiteral("选择颜色")};

const QRgb canvasPink = qRgb(255, 192, 255);
const QRgb windowGreen = qRgb(0, 64, 0);
const QList<QRgb> curveColours{qRgb(250, 250, 0), qRgb(0, 250, 0), qRgb(0, 0, 250), qRgb(250, 30, 130)};

// The centre of a control, given in twips, on the screen.
QPoint controlCentre(const QRect& window, int left, int top, int width, int height)
{
    return window.topLeft() + QPoint(int(std::lround((left + width / 2.0) / 15.0)),
                                     int(std::lround((top + height / 2.0) / 15.0)));
}

bool hasAllCurveColours(const QImage& canvas)
{
    for (QRgb colour : curveColours)
        if (countColour(canvas, colour) <= 20)
            return false;
    return true;
}

bool hasAnyCurveColour(const QImage& canvas)
{
    for (QRgb colour : curveColours)
        if (countColour(canvas, colour) > 0)
            return true;
    return false;
}

// Between the picker's light yellow RGB(255, 255, 128) and its orange RGB(255, 128, 0).
bool gradientColour(QRgb pixel)
{
    return qRed(pixel) >= 250 && qGreen(pixel) >= 124 && qBlue(pixel) <= 132
           && std::abs(2 * qBlue(pixel) - 2 * (qGreen(pixel) - 128)) <= 8;
}

} // namespace

class TestWalkThrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void walkThrough();
    // The program and its X server go as soon as the walk ends, passed or failed.
    void cleanup() { m_session.reset(); }

private:
    QImage shot();
    bool watch(const std::function<bool()>& condition, int timeoutMs, int stepMs = 250);
    QByteArray why(const char* lack) const;
    QImage mainCanvas(const QImage& screen) const { return screen.copy(QRect(m_main.topLeft(), QSize(800, 800))); }
    QImage waitForChange(const std::function<QImage(const QImage&)>& crop, const QImage& before, int timeoutMs);
    QString colourDialog() const;
    void saveForDocs(const QImage& screen, const QRect& window, const QString& name);
    QRect openWindow(const QString& caption);

    void firstSlide();
    void pauseAndPlay();
    void gradientBackground();
    void angleDialog(const QRect& picker);
    void backgroundColour();
    void geometricDesigner();

    std::unique_ptr<xvfb::Session> m_session;
    QRect m_main;
    QString m_docs;
    QString m_shotFailure;
    QElapsedTimer m_sinceStart;
};

void TestWalkThrough::initTestCase()
{
    const QString missing = xvfb::missingTool({"Xvfb", "xdotool", "import"});
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing + " is not installed: the walk-through needs a virtual X server and its tools"));
    m_docs = qEnvironmentVariable("DESIGNER_DOCS_DIR");
}

// The screen now; the first screenshot that fails is kept as the reason for what fails next.
QImage TestWalkThrough::shot()
{
    QString failure;
    const QImage screen = m_session->screenshot(&failure);
    if (screen.isNull() && m_shotFailure.isEmpty())
        m_shotFailure = QStringLiteral("the screenshot failed: ") + failure;
    return screen;
}

// Polls until the condition holds; false when time ran out or a screenshot failed.
bool TestWalkThrough::watch(const std::function<bool()>& condition, int timeoutMs, int stepMs)
{
    return xvfb::pollUntil([&] { return !m_shotFailure.isEmpty() || condition(); }, timeoutMs, stepMs)
           && m_shotFailure.isEmpty();
}

// A failed screenshot is reported as such, not as a picture that lacks something.
QByteArray TestWalkThrough::why(const char* lack) const
{
    return m_shotFailure.isEmpty() ? QByteArray(lack) : m_shotFailure.toUtf8();
}

QImage TestWalkThrough::waitForChange(const std::function<QImage(const QImage&)>& crop, const QImage& before,
                                      int timeoutMs)
{
    QImage after;
    watch([&] { return (after = crop(shot())) != before; }, timeoutMs, 300);
    return after;
}

// The id of the shown colour dialog, under either caption, or an empty text.
QString TestWalkThrough::colourDialog() const
{
    for (const QString& caption : colourDialogCaptions) {
        const QString id = m_session->visibleWindow(caption);
        if (!id.isEmpty())
            return id;
    }
    return {};
}

void TestWalkThrough::saveForDocs(const QImage& screen, const QRect& window, const QString& name)
{
    if (m_docs.isEmpty())
        return;
    QDir().mkpath(m_docs);
    QVERIFY2(screen.copy(window).save(QDir(m_docs).filePath(name), "PNG", 0), qPrintable(name));
}

QRect TestWalkThrough::openWindow(const QString& caption)
{
    const QString id = m_session->waitForWindow(caption);
    return id.isEmpty() ? QRect() : m_session->geometry(id);
}

void TestWalkThrough::walkThrough()
{
    const QString binary = qEnvironmentVariable("DESIGNER_BINARY");
    QVERIFY2(!binary.isEmpty(), "DESIGNER_BINARY is not set");
    m_session = std::make_unique<xvfb::Session>();
    QVERIFY2(m_session->started(), "Xvfb did not start or gave no display number");
    // Started before the program, so the program's first tick is at least 3 s after it.
    m_sinceStart.start();
    QVERIFY2(m_session->startProgram(binary), "the designer did not start");

    // Each step leaves the windows as the next one expects them.
    for (auto step : {&TestWalkThrough::firstSlide, &TestWalkThrough::pauseAndPlay,
                      &TestWalkThrough::gradientBackground, &TestWalkThrough::backgroundColour,
                      &TestWalkThrough::geometricDesigner}) {
        (this->*step)();
        if (QTest::currentTestFailed())
            break;
        QVERIFY2(m_session->programRunning(), "the designer stopped");
    }
}

void TestWalkThrough::firstSlide()
{
    m_main = openWindow(mainCaption);
    QVERIFY2(m_main.width() >= 800 && m_main.height() >= 800, "no main window of canvas size");
    // The window is mapped before Qt paints it (black until then): wait for the painted canvas.
    // A picture taken within 2.5 s of the start is older than the first tick and has no curve yet.
    QImage early;
    qint64 takenBy = 0;
    QVERIFY2(watch([&] {
        early = mainCanvas(shot());
        takenBy = m_sinceStart.elapsed();
        return countColour(early, canvasPink) > 0;
    }, 10000, 100), why("the canvas was never painted"));
    if (takenBy < 2500)
        QVERIFY2(!hasAnyCurveColour(early), "a curve colour on the canvas before the first slide");

    QImage canvas;
    QVERIFY2(watch([&] { return hasAllCurveColours(canvas = mainCanvas(shot())); }, 20000, 300),
             why("no slide with the four curve colours"));
    QVERIFY2(countColour(canvas, canvasPink) > 200000, "the slide is not on the pink canvas");
    const QImage screen = shot();
    QVERIFY2(countColour(screen.copy(m_main), windowGreen) > 100000, why("no dark green window background"));
    saveForDocs(screen, m_main, QStringLiteral("main-window.png"));
}

void TestWalkThrough::pauseAndPlay()
{
    QVERIFY(m_session->click(controlCentre(m_main, 12240, 8640, 1095, 375))); // "暂 停"
    // A slide that was being drawn when the click came finishes first.
    QImage paused;
    const bool settled = watch([&] {
        paused = mainCanvas(shot());
        QTest::qWait(700);
        return mainCanvas(shot()) == paused;
    }, 15000, 0);
    QVERIFY2(settled, why("the canvas never came to rest after pause"));
    QTest::qWait(4000);
    QVERIFY2(mainCanvas(shot()) == paused, why("a new slide came while paused"));
    QVERIFY2(hasAllCurveColours(paused), "pause took the slide away");

    QVERIFY(m_session->click(controlCentre(m_main, 12240, 8250, 1095, 375))); // "播 放"
    QTest::qWait(1000);
    QVERIFY2(mainCanvas(shot()) == paused, why("play brought a slide at once instead of after one interval"));
    const QImage next = waitForChange([this](const QImage& s) { return mainCanvas(s); }, paused, 15000);
    QVERIFY2(next != paused, why("play brought no new slide"));
    QVERIFY2(watch([&] { return hasAllCurveColours(mainCanvas(shot())); }, 10000), why("the next slide is incomplete"));
}

void TestWalkThrough::gradientBackground()
{
    QVERIFY(m_session->click(controlCentre(m_main, 12240, 9420, 1095, 375))); // "渐变背景色"
    const QRect picker = openWindow(pickerCaption);
    QVERIFY2(picker.isValid(), "the gradient picker did not open");
    const QRect preview = picker.adjusted(0, 70, 0, 0);
    QVERIFY2(watch([&] { return shareWhere(shot().copy(preview), gradientColour) > 0.9; }, 10000),
             why("the picker's preview shows no yellow-to-orange gradient"));
    saveForDocs(shot(), picker, QStringLiteral("gradient-picker.png"));

    angleDialog(picker);
    if (QTest::currentTestFailed())
        return;

    const QImage before = mainCanvas(shot());
    QVERIFY(m_session->click(controlCentre(picker, 6240, 360, 1815, 375))); // "宇宙图案背景渐变色"
    QVERIFY2(xvfb::pollUntil([&] { return m_session->visibleWindow(pickerCaption).isEmpty(); }, 10000),
             "the picker stayed open after applying its gradient");
    // The next slide is drawn over the gradient.
    QImage canvas = waitForChange([this](const QImage& s) { return mainCanvas(s); }, before, 10000);
    const QImage afterApply = canvas;
    watch([&] { return (canvas = mainCanvas(shot())) != afterApply && hasAllCurveColours(canvas); }, 10000);
    QVERIFY2(hasAllCurveColours(canvas), why("no slide over the gradient"));
    QVERIFY2(countColour(canvas, canvasPink) < 100, "the pink background still shows");
    QVERIFY2(shareWhere(canvas, gradientColour) > 0.6, "the canvas shows no yellow-to-orange gradient");
}

void TestWalkThrough::angleDialog(const QRect& picker)
{
    QVERIFY(m_session->click(controlCentre(picker, 4320, 30, 735, 855))); // "&角度"
    const QRect dialog = openWindow(angleCaption);
    QVERIFY2(dialog.isValid(), "the angle dialog did not open");
    // Centred on the picker's size, counted from the screen's corner.
    QVERIFY2(std::abs(dialog.x() - (picker.width() - dialog.width()) / 2) <= 2, "angle dialog: wrong left");
    QVERIFY2(std::abs(dialog.y() - (picker.height() - dialog.height()) / 2) <= 2, "angle dialog: wrong top");
    const QRect preview(dialog.topLeft() + QPoint(14, 12), QSize(106, 102));
    QVERIFY2(watch([&] { return shareWhere(shot().copy(preview), gradientColour) > 0.5; }, 10000),
             why("the angle dialog's preview shows no gradient"));
    saveForDocs(shot(), dialog, QStringLiteral("angle-dialog.png"));
    QVERIFY(m_session->click(controlCentre(dialog, 1980, 495, 975, 330))); // "确定"
    QVERIFY2(xvfb::pollUntil([&] { return m_session->visibleWindow(angleCaption).isEmpty(); }, 10000),
             "the angle dialog stayed open after OK");
}

void TestWalkThrough::backgroundColour()
{
    QVERIFY(m_session->click(controlCentre(m_main, 12240, 9030, 1095, 375))); // "背景颜色"
    QString dialog;
    xvfb::pollUntil([&] { return !(dialog = colourDialog()).isEmpty(); }, 20000);
    QVERIFY2(!dialog.isEmpty(), "the colour dialog did not open");
    // Type the colour into the dialog's "HTML:" box and confirm with Enter.
    QVERIFY(m_session->run("xdotool", {"windowfocus", "--sync", dialog}));
    QVERIFY(m_session->keys({"alt+h", "ctrl+a"}));
    QVERIFY(m_session->type(QStringLiteral("#3366cc")));
    QVERIFY(m_session->keys({"Return"}));
    QVERIFY2(xvfb::pollUntil([&] { return colourDialog().isEmpty(); }, 10000),
             "the colour dialog stayed open after Enter");

    const QRgb chosen = qRgb(0x33, 0x66, 0xcc);
    QImage canvas;
    const bool coloured = watch([&] {
        return countColour(canvas = mainCanvas(shot()), chosen) > 400000;
    }, 10000);
    QVERIFY2(coloured, why("the canvas did not take the chosen colour"));
    QVERIFY2(countColour(canvas, canvasPink) < 100, "the pink background still shows");
    QVERIFY2(shareWhere(canvas, gradientColour) < 0.05, "the gradient background still shows");
}

void TestWalkThrough::geometricDesigner()
{
    QVERIFY(m_session->click(controlCentre(m_main, 12240, 9810, 1095, 375))); // "几何图案"
    const QRect designer = openWindow(geometricCaption);
    QVERIFY2(designer.isValid(), "the geometric designer did not open");
    // Right edge 50 twips short of the main window's width, 1500 twips from the top; without a
    // window manager there are no frames, so outer and inner sizes agree.
    const double left = (m_main.width() * 15.0 - designer.width() * 15.0 - 50) / 15.0;
    QVERIFY2(std::abs(designer.x() - left) <= 1.0, qPrintable(QString("geometric designer at left %1, expected %2")
                                                                  .arg(designer.x()).arg(left)));
    QCOMPARE(designer.y(), 100);

    // Each tick paints a new random background, every channel at most 230; the bottom-left
    // corner of the drawing box lies outside all five figures.
    const QRect box(designer.topLeft(), QSize(609, 609));
    const auto tickBackground = [&](const QImage& screen) -> std::optional<QRgb> {
        const QImage canvas = screen.copy(box);
        const QRgb corner = canvas.pixel(2, 606);
        if (qRed(corner) > 230 || qGreen(corner) > 230 || qBlue(corner) > 230)
            return std::nullopt;
        return countColour(canvas, corner) > canvas.width() * canvas.height() / 10 ? std::optional(corner)
                                                                                          : std::nullopt;
    };
    std::optional<QRgb> first;
    QVERIFY2(watch([&] { return (first = tickBackground(shot())).has_value(); }, 10000, 300),
             why("the geometric designer drew nothing"));
    std::optional<QRgb> second;
    QVERIFY2(watch([&] { return (second = tickBackground(shot())) && *second != *first; }, 10000, 300),
             why("the geometric designer does not animate"));
    saveForDocs(shot(), designer, QStringLiteral("geometric-designer.png"));
}

QTEST_MAIN(TestWalkThrough)
#include "tst_walkthrough.moc"
