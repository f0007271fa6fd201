#include "CurveFixture.h"
#include "app/mainwindow/MainWindow.h"
#include "app/widgets/PictureBox.h"
#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/curves/CurvePlotter.h"
#include "draw/curves/SlideShow.h"
#include "draw/curves/StylePresets.h"

#include <QLabel>
#include <QPushButton>

#include <QtTest>

#include <array>
#include <cmath>
#include <memory>

Q_DECLARE_METATYPE(CurveStyle)

namespace {

const CurvePlotter* plotterOf(CurveStyle style)
{
    static const CurvePlotter* plotters[] = {&YellowPlotter, &GreenPlotter, &BluePlotter, &PinkPlotter};
    return plotters[static_cast<int>(style)];
}

int tracedCount(const FakeCurveControls& controls)
{
    int count = 0;
    traceCurve(readCurveParameters(controls), 0.0, [&](float, float) { ++count; });
    return count;
}

// The width of the horizontal run of colour through (x, y).
int runWidth(const QImage& image, int x, int y, QRgb colour)
{
    int left = x, right = x;
    while (left > 0 && image.pixel(left - 1, y) == colour)
        --left;
    while (right + 1 < image.width() && image.pixel(right + 1, y) == colour)
        ++right;
    return right - left + 1;
}

// A canvas that shows a single dot, drawn at its current width, to measure that width.
int dotWidthOf(Surface& canvas)
{
    canvas.Cls();
    canvas.PSet(100, 100, RGB(1, 2, 3));
    return runWidth(canvas.Image(), 100, 100, qRgb(1, 2, 3));
}

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT

private slots:
    void init() { RandomSource::reset(); }

    void textsStayInRange_data()
    {
        QTest::addColumn<CurveStyle>("style");
        QTest::addColumn<double>("fixedMax");
        QTest::addColumn<double>("rollingMax");
        QTest::addColumn<double>("penHoleMax");
        QTest::addColumn<QString>("stepCount");
        QTest::addColumn<int>("points");
        QTest::newRow("style one") << CurveStyle::One << 380.0 << 261.0 << 100.0 << "2880" << 2879;
        QTest::newRow("style two") << CurveStyle::Two << 200.0 << 141.0 << 100.0 << "2880" << 2879;
        QTest::newRow("style three") << CurveStyle::Three << 340.0 << 181.0 << 80.0 << "1440" << 1439;
        QTest::newRow("style four") << CurveStyle::Four << 460.0 << 321.0 << 40.0 << "2880" << 2879;
    }

    void textsStayInRange()
    {
        QFETCH(CurveStyle, style);
        QFETCH(double, fixedMax);
        QFETCH(double, rollingMax);
        QFETCH(double, penHoleMax);
        QFETCH(QString, stepCount);
        QFETCH(int, points);
        FakeCurveControls controls;
        for (int press = 0; press < 200; ++press) {
            runStylePreset(controls, style);
            const double fixed = *textToNumber(controls.params[0]);
            const double rolling = *textToNumber(controls.params[1]);
            const double penHole = *textToNumber(controls.params[2]);
            QVERIFY(fixed >= 0 && fixed < fixedMax);
            QVERIFY(rolling >= 1 && rolling < rollingMax);
            QVERIFY(penHole >= 0 && penHole < penHoleMax);
            QCOMPARE(controls.params[3], stepCount);
            QCOMPARE(tracedCount(controls), points);
        }
    }

    // The three boxes from three draws in the order box 0, 1, 2 and the multipliers of each row;
    // the texts are read back by Qt's own parser and hold seven significant digits.
    void presetTextsFromTheirDraws_data()
    {
        QTest::addColumn<CurveStyle>("style");
        QTest::addColumn<float>("fixedScale");
        QTest::addColumn<float>("rollingScale");
        QTest::addColumn<float>("penHoleScale");
        QTest::addColumn<QString>("stepCount");
        QTest::newRow("style one") << CurveStyle::One << 380.0f << 260.0f << 100.0f << "2880";
        QTest::newRow("style two") << CurveStyle::Two << 200.0f << 140.0f << 100.0f << "2880";
        QTest::newRow("style three") << CurveStyle::Three << 340.0f << 180.0f << 80.0f << "1440";
        QTest::newRow("style four") << CurveStyle::Four << 460.0f << 320.0f << 40.0f << "2880";
    }

    void presetTextsFromTheirDraws()
    {
        QFETCH(CurveStyle, style);
        QFETCH(float, fixedScale);
        QFETCH(float, rollingScale);
        QFETCH(float, penHoleScale);
        QFETCH(QString, stepCount);
        std::array<float, 3> draws{};
        for (float& draw : draws)
            draw = RandomSource::next();
        RandomSource::reset();
        FakeCurveControls controls;
        runStylePreset(controls, style);
        const std::array<float, 3> expected{draws[0] * fixedScale, float(draws[1] * rollingScale) + 1.0f,
                                            draws[2] * penHoleScale};
        for (size_t box = 0; box < 3; ++box) {
            bool ok = false;
            const double shown = controls.params[box].toDouble(&ok);
            QVERIFY2(ok, qPrintable(controls.params[box]));
            QVERIFY2(std::fabs(shown - expected[box]) <= 6e-7 * std::fabs(expected[box]),
                     qPrintable(QStringLiteral("box %1: %2, expected %3").arg(box).arg(controls.params[box]).arg(expected[box], 0, 'g', 9)));
        }
        QCOMPARE(controls.params[3], stepCount);
    }

    void presetPlotsInItsColour_data()
    {
        QTest::addColumn<CurveStyle>("style");
        QTest::newRow("yellow") << CurveStyle::One;
        QTest::newRow("green") << CurveStyle::Two;
        QTest::newRow("blue") << CurveStyle::Three;
        QTest::newRow("pink") << CurveStyle::Four;
    }

    void presetPlotsInItsColour()
    {
        QFETCH(CurveStyle, style);
        FakeCurveControls controls;
        runStylePreset(controls, style);
        QVERIFY(countColour(controls.canvas.Image(), plotterOf(style)->colour.toQRgb()) > 0);
    }

    void twoPressesGiveTwoCurvesOnTheCanvas()
    {
        FakeCurveControls controls;
        runStylePreset(controls, CurveStyle::Two);
        const auto first = controls.params;
        const QImage once = controls.canvas.Image();
        runStylePreset(controls, CurveStyle::Two);
        QVERIFY(controls.params != first);
        const QRgb green = GreenPlotter.colour.toQRgb();
        QVERIFY(countColour(controls.canvas.Image(), green) > countColour(once, green));
    }

    void replayFromTheStartGivesTheSameTexts()
    {
        FakeCurveControls first, second;
        QStringList firstTexts, secondTexts;
        for (CurveStyle style : {CurveStyle::One, CurveStyle::Four, CurveStyle::Two, CurveStyle::Three}) {
            runStylePreset(first, style);
            firstTexts << first.params[0] << first.params[1] << first.params[2];
        }
        RandomSource::reset();
        for (CurveStyle style : {CurveStyle::One, CurveStyle::Four, CurveStyle::Two, CurveStyle::Three}) {
            runStylePreset(second, style);
            secondTexts << second.params[0] << second.params[1] << second.params[2];
        }
        QCOMPARE(secondTexts, firstTexts);
    }

    void tickClearsFirst()
    {
        FakeCurveControls controls;
        QImage picture(800, 800, QImage::Format_RGB32);
        picture.fill(qRgb(10, 20, 30));
        controls.canvas.setPicture(picture);
        controls.canvas.PSet(3, 797, RGB(1, 2, 3)); // far from every curve
        slideShowTick(controls);
        QCOMPARE(controls.canvas.Image().pixel(3, 797), qRgb(10, 20, 30));
    }

    void tickDrawsAllFourColours()
    {
        FakeCurveControls controls;
        slideShowTick(controls);
        const QImage image = controls.canvas.Image();
        for (const CurvePlotter* plotter : {&YellowPlotter, &GreenPlotter, &BluePlotter, &PinkPlotter})
            QVERIFY(countColour(image, plotter->colour.toQRgb()) > 0);
    }

    void tickShowsThePatternCodeOfTheBoxes()
    {
        FakeCurveControls controls;
        controls.divisor = "30";
        controls.penWidth = "7";
        slideShowTick(controls);
        QCOMPARE(controls.params[3], QStringLiteral("2880"));
        QCOMPARE(controls.patternCodeShown, "QRV307" + controls.params[0] + controls.params[1] + controls.params[2]
                                                + controls.params[3]);
    }

    void penWidthAppliesFromTheNextTick()
    {
        // Two ticks from the start of the random sequence, from a start width and a list text.
        auto twoTicks = [](int startWidth, const QString& listText) -> std::pair<QImage, QImage> {
            RandomSource::reset();
            auto controls = std::make_unique<FakeCurveControls>();
            controls->canvas.setDrawWidth(startWidth);
            controls->penWidth = listText;
            slideShowTick(*controls);
            const QImage first = controls->canvas.Image();
            slideShowTick(*controls);
            return std::pair(first, controls->canvas.Image());
        };
        const auto [chosenFirst, chosenSecond] = twoTicks(4, "12");
        const auto [thinFirst, thinSecond] = twoTicks(4, "4");
        const auto [thickFirst, thickSecond] = twoTicks(12, "12");
        QCOMPARE(chosenFirst, thinFirst);     // the choice does not touch the tick that takes it
        QCOMPARE(chosenSecond, thickSecond);  // the next tick draws with it
        QVERIFY(chosenSecond != thinSecond);
    }

    void penWidthText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("list entry") << "12" << 12;
        QTest::newRow("7.5 rounds to 8") << "7.5" << 8;
        QTest::newRow("6.5 rounds to 6") << "6.5" << 6;
        QTest::newRow("largest 16-bit width") << "32767" << 32767;
        QTest::newRow("empty keeps the width") << "" << 3;
        QTest::newRow("letters keep the width") << "abc" << 3;
        QTest::newRow("zero keeps the width") << "0" << 3;
        QTest::newRow("0.4 rounds to 0, kept") << "0.4" << 3;
        QTest::newRow("negative keeps the width") << "-5" << 3;
        QTest::newRow("beyond 16 bits keeps the width") << "32768" << 3;
    }

    void penWidthText()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        FakeCurveControls controls;
        controls.canvas.setDrawWidth(3);
        controls.penWidth = text;
        slideShowTick(controls);
        QCOMPARE(controls.canvas.DrawWidth(), width);
        QVERIFY(controls.patternCodeShown.startsWith("QRV90" + text));
        if (width < 100)
            QCOMPARE(dotWidthOf(controls.canvas), width);
    }

    void playAndPause()
    {
        MainWindow form;
        QCOMPARE(form.showTimer.interval(), 3000);
        QVERIFY(form.showTimer.isActive()); // started by the window's start-up
        QTest::qWait(1000);
        const int waitLeft = form.showTimer.remainingTime();
        form.playButton->click(); // play while running keeps the wait under way
        QVERIFY(form.showTimer.isActive());
        QVERIFY(form.showTimer.remainingTime() <= waitLeft);
        form.pauseButton->click();
        QVERIFY(!form.showTimer.isActive());
        form.pauseButton->click();
        QVERIFY(!form.showTimer.isActive());
        form.playButton->click(); // play after pause starts a fresh wait
        QVERIFY(form.showTimer.isActive());
        QVERIFY(form.showTimer.remainingTime() > waitLeft);
        QCOMPARE(form.showTimer.interval(), 3000);
    }

    void pauseKeepsThePattern()
    {
        MainWindow form;
        form.onShowTimer();
        const QImage pattern = form.canvas->Image();
        const QString code = form.codeLabel->text();
        form.pauseButton->click();
        QCOMPARE(form.canvas->Image(), pattern);
        QCOMPARE(form.codeLabel->text(), code);
    }
};

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
