// Long runs and hostile input: thousands of slides leave memory and graphics objects where they
// were, and any text a user can put in a box or combo gives the stated behaviour, never a crash.

#include "CurveFixture.h"

#include "app/geometric/GeometricDesigner.h"
#include "app/mainwindow/MainWindow.h"
#include "app/registry/WindowRegistry.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/curves/CurvePlotter.h"
#include "draw/curves/SlideShow.h"
#include "draw/surface/DrawingHandles.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <unistd.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace {

// A conversion that fails, in the integer columns of the hostile table.
constexpr qint64 Fails = std::numeric_limits<qint64>::min();
const double NotANumber = std::numeric_limits<double>::quiet_NaN();

constexpr qint64 MegaByte = 1024 * 1024;

// The address sanitizer holds freed blocks back in a quarantine of its own, so there resident
// memory grows whatever the program does and says nothing about it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool residentMemoryTellsLeaks = false;
#else
constexpr bool residentMemoryTellsLeaks = true;
#endif

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

// Runs tick 2,000 times back to back, letting each slide be painted, and checks that the last
// 1,900 ticks neither grow the resident memory by more than 2 MB nor leave a graphics object alive.
void checkLongRun(const std::function<void()>& tick)
{
    const int objectsBefore = liveGdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        tick();
        QCoreApplication::processEvents();
    }
    const qint64 afterWarmUp = residentBytes();
    QVERIFY(afterWarmUp > 0);
    for (int i = 100; i < 2000; ++i) {
        tick();
        QCoreApplication::processEvents();
    }
    const qint64 afterRun = residentBytes();
    if (!residentMemoryTellsLeaks)
        qInfo("resident memory not compared: the address sanitizer keeps freed memory");
    else
        QVERIFY2(std::llabs(afterRun - afterWarmUp) <= 2 * MegaByte,
                 qPrintable(QStringLiteral("resident memory went from %1 to %2 bytes").arg(afterWarmUp).arg(afterRun)));
    QCOMPARE(liveGdiObjectCount(), objectsBefore);
}

// The texts a user may type or paste, with what the number conversions make of them: the
// number (NaN when it is none), and the nearest 16- and 32-bit integers.
void addHostileTexts()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::addColumn<qint64>("int16");
    QTest::addColumn<qint64>("int32");

    auto row = [](const char* name, const QString& text, double number, qint64 int16, qint64 int32) {
        QTest::newRow(name) << text << number << int16 << int32;
    };
    const double nan = NotANumber;
    row("empty", QString(), nan, Fails, Fails);
    row("blanks", QStringLiteral("   "), nan, Fails, Fails);
    row("letters", QStringLiteral("abc"), nan, Fails, Fails);
    row("digits with a letter", QStringLiteral("12a3"), nan, Fails, Fails);
    row("1e400, beyond a double", QStringLiteral("1e400"), nan, Fails, Fails);
    row("minus zero", QStringLiteral("-0"), -0.0, 0, 0);
    row("NaN", QStringLiteral("NaN"), nan, Fails, Fails);
    row("Infinity", QStringLiteral("Infinity"), nan, Fails, Fails);
    row("400 nines", QString(400, u'9'), nan, Fails, Fails);
    row("300 digits", QStringLiteral("1") + QString(299, u'0'), 1e299, Fails, Fails);
    row("400 digits with leading zeros", QString(399, u'0') + u'7', 7, 7, 7);
    row("largest 16-bit", QStringLiteral("32767"), 32767, 32767, 32767);
    row("just past 16 bits", QStringLiteral("32768"), 32768, Fails, 32768);
    row("just below 16 bits", QStringLiteral("-32769"), -32769, Fails, -32769);
    row("largest 32-bit", QStringLiteral("2147483647"), 2147483647.0, Fails, 2147483647);
    row("just past 32 bits", QStringLiteral("2147483648"), 2147483648.0, Fails, Fails);
    row("just below 32 bits", QStringLiteral("-2147483649"), -2147483649.0, Fails, Fails);
    row("Chinese characters", QStringLiteral("五百二十"), nan, Fails, Fails);
    row("zero", QStringLiteral("0"), 0, 0, 0);
    row("negative", QStringLiteral("-7"), -7, -7, -7);
    row("half, ties to even", QStringLiteral("2.5"), 2.5, 2, 2);
    row("1e-300, next to zero", QStringLiteral("1e-300"), 1e-300, 0, 0);
    row("blanks around a number", QStringLiteral(" 12 "), 12, 12, 12);
}

bool uniform(const QImage& image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

void setEditText(QComboBox* combo, const QString& text)
{
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

// The value a plotter takes from a box: a failed conversion leaves it at 0.
std::int32_t plotterValue(qint64 int32) { return int32 == Fails ? 0 : std::int32_t(int32); }

std::int32_t parameter(const CurveParameters& p, int index)
{
    const std::int32_t values[] = {p.fixed, p.rolling, p.penHole, p.lastStep};
    return values[index];
}

const QRgb yellow = RGB(250, 250, 0).toQRgb();
const QRgb green = RGB(0, 250, 0).toQRgb();

} // namespace

class TestRobustness : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void curveTicksKeepMemoryAndObjects();
    void geometricTicksKeepMemoryAndObjects();

    void parameterBoxes_data();
    void parameterBoxes();
    void hugeStepCountIsReadWhole();
    void divisorCombo_data();
    void divisorCombo();
    void divisorComboInSlideShow_data();
    void divisorComboInSlideShow();
    void penWidthCombo_data();
    void penWidthCombo();
    void lineWidthCombo_data();
    void lineWidthCombo();
    void pointCountBox_data();
    void pointCountBox();

private:
    void prepareCurveRun();

    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<GeometricDesigner> m_geometric;
};

void TestRobustness::init()
{
    RandomSource::reset();
    m_main = std::make_unique<MainWindow>();
    m_main->setAttribute(Qt::WA_DeleteOnClose, false);
    m_main->showTimer.stop();
    m_geometric = std::make_unique<GeometricDesigner>();
    m_geometric->setAttribute(Qt::WA_DeleteOnClose, false);
    m_geometric->showTimer->stop();
}

void TestRobustness::cleanup()
{
    m_geometric.reset();
    m_main.reset();
    WindowRegistry::instance().clear();
}

void TestRobustness::curveTicksKeepMemoryAndObjects()
{
    m_main->show();
    checkLongRun([this] { m_main->onShowTimer(); });
    QVERIFY(m_main->codeLabel->text().startsWith(QStringLiteral("QRV905")));
}

void TestRobustness::geometricTicksKeepMemoryAndObjects()
{
    m_geometric->show();
    checkLongRun([this] { m_geometric->onShowTimer(); });
    QVERIFY(m_geometric->codeLabel->text().startsWith(QStringLiteral("QRV9600")));
}

// R = 100, r = 50, d = 30, N = 40, divisor 90, one-pixel dots: a short curve of 39 points.
void TestRobustness::prepareCurveRun()
{
    const char* texts[] = {"100", "50", "30", "40"};
    for (int index = 0; index < 4; ++index)
        m_main->paramBoxes[size_t(index)]->setText(QLatin1String(texts[index]));
    setEditText(m_main->categoryBox, QStringLiteral("90"));
    m_main->canvas->setDrawWidth(1);
    m_main->canvas->Cls();
}

void TestRobustness::parameterBoxes_data()
{
    addHostileTexts();
}

// Each parameter box in turn holds the text: the plotter reads the integer (0 when the conversion
// fails) and draws exactly what that integer's own text draws; a bad N or r draws nothing.
void TestRobustness::parameterBoxes()
{
    QFETCH(QString, text);
    QFETCH(qint64, int32);
    const std::int32_t value = plotterValue(int32);

    for (int index = 0; index < 4; ++index) {
        prepareCurveRun();
        m_main->paramBoxes[size_t(index)]->setText(text);
        QCOMPARE(m_main->paramBoxes[size_t(index)]->text(), text);
        QCOMPARE(parameter(readCurveParameters(m_main->curveControls()), index), value);
        if (index == 3 && value > 40000)
            continue; // billions of points are asked for; the read-back above is what matters
        m_main->onCustomOutputClicked();
        const QImage hostile = m_main->canvas->Image();

        const bool drawsNothing = (index == 3 && value < 2) || (index == 1 && value == 0);
        if (drawsNothing)
            QCOMPARE(countColour(hostile, yellow), 0);

        prepareCurveRun();
        m_main->paramBoxes[size_t(index)]->setText(integerToText(value));
        m_main->onCustomOutputClicked();
        QVERIFY2(hostile == m_main->canvas->Image(), qPrintable(QStringLiteral("box %1").arg(index)));
    }
}

// The largest N asks for two billion points: the plotter reads it whole, and a capped run of the
// same curve shape finishes with its points on the canvas.
void TestRobustness::hugeStepCountIsReadWhole()
{
    prepareCurveRun();
    m_main->paramBoxes[3]->setText(QStringLiteral("2147483647"));
    CurveParameters parameters = readCurveParameters(m_main->curveControls());
    QCOMPARE(parameters.lastStep, std::numeric_limits<std::int32_t>::max());

    parameters.lastStep = 5000;
    int points = 0;
    traceCurve(parameters, YellowPlotter.phase, [&](float, float) { ++points; });
    QCOMPARE(points, 4999);
}

void TestRobustness::divisorCombo_data()
{
    addHostileTexts();
}

// A divisor that does not convert leaves the step at 0, and so does one whose step leaves the
// single-precision range: one dot at rest, (458.51, 428.77). A zero divisor draws nothing.
void TestRobustness::divisorCombo()
{
    QFETCH(QString, text);
    QFETCH(double, number);

    prepareCurveRun();
    setEditText(m_main->categoryBox, text);
    m_main->onCustomOutputClicked();
    const QImage image = m_main->canvas->Image();

    const double step = 3.14159265358979 / number;
    const bool stepAtRest = std::isnan(number) || (std::isfinite(step) && std::fabs(step) > std::numeric_limits<float>::max());
    if (number == 0) {
        QCOMPARE(countColour(image, yellow), 0);
    } else if (stepAtRest) {
        QCOMPARE(countColour(image, yellow), 1);
        QCOMPARE(image.pixel(459, 429), yellow);
    } else {
        QVERIFY(countColour(image, yellow) >= 1);
    }
}

void TestRobustness::divisorComboInSlideShow_data()
{
    addHostileTexts();
}

// A slide with the divisor text finishes and shows it in the pattern code; a divisor that leaves
// the step at 0 gives each of the four curves a single dot.
void TestRobustness::divisorComboInSlideShow()
{
    QFETCH(QString, text);
    QFETCH(double, number);

    setEditText(m_main->categoryBox, text);
    m_main->onShowTimer();
    QString code = QStringLiteral("QRV") + text + QStringLiteral("5");
    for (int i = 0; i < 4; ++i)
        code += m_main->paramBoxes[size_t(i)]->text();
    QCOMPARE(m_main->codeLabel->text(), code);

    if (std::isnan(number)) {
        const QImage image = m_main->canvas->Image();
        for (const CurvePlotter* plotter : {&YellowPlotter, &GreenPlotter, &BluePlotter, &PinkPlotter}) {
            const int pixels = countColour(image, plotter->colour.toQRgb());
            QVERIFY2(pixels >= 1 && pixels <= 4 * 4, qPrintable(QString::number(pixels)));
        }
    }
}

void TestRobustness::penWidthCombo_data()
{
    addHostileTexts();
}

// The slide takes the pen width for the next slide from the text; a text that is no whole number
// from 1 to 32767 keeps the width (4 at start-up), and the slide still shows its pattern code.
void TestRobustness::penWidthCombo()
{
    QFETCH(QString, text);
    QFETCH(qint64, int16);

    setEditText(m_main->penWidthBox, text);
    m_main->onShowTimer();
    QCOMPARE(m_main->canvas->DrawWidth(), int16 != Fails && int16 >= 1 ? int(int16) : 4);
    QCOMPARE(m_main->codeLabel->text(), QStringLiteral("QRV90") + text + m_main->paramBoxes[0]->text()
                                         + m_main->paramBoxes[1]->text() + m_main->paramBoxes[2]->text()
                                         + m_main->paramBoxes[3]->text());
}

void TestRobustness::lineWidthCombo_data()
{
    addHostileTexts();
}

// The geometric slide takes its line width from the text before drawing; an unusable text keeps
// the width (12 by design) and the pattern code shows the text as typed.
void TestRobustness::lineWidthCombo()
{
    QFETCH(QString, text);
    QFETCH(qint64, int16);

    setEditText(m_geometric->lineWidthBox, text);
    m_geometric->onShowTimer();
    QCOMPARE(m_geometric->canvas->DrawWidth(), int16 != Fails && int16 >= 1 ? int(int16) : 12);
    QVERIFY(m_geometric->codeLabel->text().startsWith(QStringLiteral("QRV") + text + QStringLiteral("600")));
    QCOMPARE(liveGdiObjectCount(), 0);
}

void TestRobustness::pointCountBox_data()
{
    addHostileTexts();
    // Around the first odd count whose vertex index overflows 16 bits.
    QTest::newRow("21845, the last odd count drawn") << QStringLiteral("21845") << 21845.0 << qint64(21845) << qint64(21845);
    QTest::newRow("21847, the first odd count not drawn") << QStringLiteral("21847") << 21847.0 << qint64(21847) << qint64(21847);
    QTest::newRow("32766, even counts never overflow") << QStringLiteral("32766") << 32766.0 << qint64(32766) << qint64(32766);
}

// The one-off figure: a text that is no 16-bit number leaves the box cleared with nothing drawn;
// so do 4 points and odd counts from 21847 on, whose vertex index overflows before any drawing.
void TestRobustness::pointCountBox()
{
    QFETCH(QString, text);
    QFETCH(qint64, int16);

    m_geometric->starPointsBox->setText(text);
    m_geometric->onFigureClicked(1);
    const QImage image = m_geometric->canvas->Image();

    const bool drawsNothing = int16 == Fails || int16 == 4 || (int16 >= 21847 && int16 % 2 == 1);
    if (drawsNothing) {
        QVERIFY(uniform(image));
        QCOMPARE(image.pixel(0, 0), RGB(255, 192, 255).toQRgb());
    } else {
        QVERIFY(countColour(image, green) > 0);
    }
    QCOMPARE(liveGdiObjectCount(), 0);
}

QTEST_MAIN(TestRobustness)
#include "tst_robustness.moc"
