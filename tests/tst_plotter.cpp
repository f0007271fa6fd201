#include "CurveFixture.h"
#include "draw/curves/CurvePlotter.h"

#include <QtTest>

#include <cmath>

using Points = std::vector<std::pair<float, float>>;
Q_DECLARE_METATYPE(Points)

namespace {

Points tracedPoints(const FakeCurveControls& controls, const CurvePlotter& plotter)
{
    Points points;
    traceCurve(readCurveParameters(controls), plotter.phase,
               [&](float x, float y) { points.emplace_back(x, y); });
    return points;
}

QRgb rgbOf(const CurvePlotter& plotter) { return plotter.colour.toQRgb(); }

} // namespace

class TestPlotter : public QObject
{
    Q_OBJECT

private slots:
    void readsTextsInOrder()
    {
        FakeCurveControls controls;
        controls.recordReads = true;
        readCurveParameters(controls);
        QCOMPARE(controls.reads, QStringList({"divisor", "param3", "param2", "param1", "param0"}));
    }

    void examplePoints_data()
    {
        QTest::addColumn<int>("plotter");
        QTest::addColumn<QString>("divisor");
        QTest::addColumn<Points>("expected");
        const Points phaseFree{{479.805f, 401.395f}, {479.562f, 402.091f}, {479.221f, 402.783f}};
        QTest::newRow("yellow, phase 5") << 0 << "90"
                                         << Points{{460.374f, 431.592f}, {461.196f, 432.947f}, {461.944f, 434.262f}};
        QTest::newRow("green") << 1 << "90" << phaseFree;
        QTest::newRow("blue") << 2 << "90" << phaseFree;
        QTest::newRow("pink") << 3 << "90" << phaseFree;
        // A failed divisor conversion leaves step 0: every step lands on the same spot.
        QTest::newRow("yellow, divisor not a number")
            << 0 << "abc" << Points{{458.5099f, 428.7677f}, {458.5099f, 428.7677f}, {458.5099f, 428.7677f}};
        QTest::newRow("pink, divisor empty") << 3 << "" << Points{{480, 400}, {480, 400}, {480, 400}};
    }

    void examplePoints()
    {
        static const CurvePlotter* plotters[] = {&YellowPlotter, &GreenPlotter, &BluePlotter, &PinkPlotter};
        QFETCH(int, plotter);
        QFETCH(QString, divisor);
        QFETCH(Points, expected);
        FakeCurveControls controls;
        controls.divisor = divisor;
        controls.setParams("100", "50", "30", "4");
        const Points points = tracedPoints(controls, *plotters[plotter]);
        QCOMPARE(points.size(), expected.size());
        for (size_t i = 0; i < points.size(); ++i) {
            QVERIFY2(std::fabs(points[i].first - expected[i].first) < 1e-3, qPrintable(QString::number(points[i].first)));
            QVERIFY2(std::fabs(points[i].second - expected[i].second) < 1e-3, qPrintable(QString::number(points[i].second)));
        }
    }

    void singleDotOnCanvasForBadDivisor()
    {
        FakeCurveControls controls;
        controls.divisor = "x";
        controls.setParams("100", "50", "30", "2880");
        plotCurve(controls, GreenPlotter);
        const QImage image = controls.canvas.Image();
        QCOMPARE(countColour(image, rgbOf(GreenPlotter)), 1);
        QCOMPARE(image.pixel(480, 400), rgbOf(GreenPlotter));
    }

    void pointCount_data()
    {
        QTest::addColumn<QStringList>("params"); // R, r, d, N
        QTest::addColumn<int>("points");
        QTest::newRow("start-up texts, N = 1") << QStringList{"1", "1", "1", "1"} << 0;
        QTest::newRow("N = 0") << QStringList{"100", "50", "30", "0"} << 0;
        QTest::newRow("negative N") << QStringList{"100", "50", "30", "-5"} << 0;
        QTest::newRow("N not a number") << QStringList{"100", "50", "30", "x"} << 0;
        QTest::newRow("N beyond 32 bits") << QStringList{"100", "50", "30", "3000000000"} << 0;
        QTest::newRow("N = 2, one point") << QStringList{"100", "50", "30", "2"} << 1;
        QTest::newRow("N = 2880") << QStringList{"100", "50", "30", "2880"} << 2879;
        QTest::newRow("N = 2.5 counts as 2") << QStringList{"100", "50", "30", "2.5"} << 1;
        QTest::newRow("N = 3.5 counts as 4") << QStringList{"100", "50", "30", "3.5"} << 3;
        QTest::newRow("r = 0, nothing finite") << QStringList{"100", "0", "30", "50"} << 0;
        QTest::newRow("R = r = 0, nothing finite") << QStringList{"0", "0", "30", "50"} << 0;
    }

    void pointCount()
    {
        QFETCH(QStringList, params);
        QFETCH(int, points);
        FakeCurveControls controls;
        controls.setParams(params[0], params[1], params[2], params[3]);
        QCOMPARE(int(tracedPoints(controls, YellowPlotter).size()), points);
    }

    void halfwayParametersRoundToEven()
    {
        // 2.5 counts as 2 and 3.5 as 4 in every parameter box.
        FakeCurveControls rounded, whole;
        rounded.setParams("100.5", "49.5", "30.5", "4");
        whole.setParams("100", "50", "30", "4");
        QCOMPARE(tracedPoints(rounded, GreenPlotter), tracedPoints(whole, GreenPlotter));
        rounded.setParams("2.5", "3.5", "2.5", "5");
        whole.setParams("2", "4", "2", "5");
        QCOMPARE(tracedPoints(rounded, GreenPlotter), tracedPoints(whole, GreenPlotter));
    }

    void divisorZeroDrawsNothing()
    {
        FakeCurveControls controls;
        controls.divisor = "0";
        controls.setParams("100", "50", "30", "2880");
        const QImage before = controls.canvas.Image();
        plotCurve(controls, YellowPlotter);
        QCOMPARE(controls.canvas.Image(), before);
    }

    void overflowOfRMinusRPlotsAtPreviousPoint()
    {
        // R - r overflows on every step, so x and y keep their start values 0: every point is the
        // origin, and the run still ends normally.
        FakeCurveControls controls;
        controls.setParams("2147483647", "-1", "30", "5");
        QCOMPARE(tracedPoints(controls, PinkPlotter), Points(4, {0.0f, 0.0f}));
        controls.canvas.setDrawWidth(1);
        plotCurve(controls, PinkPlotter);
        QCOMPARE(controls.canvas.Image().pixel(0, 0), rgbOf(PinkPlotter));
    }

    void twiceWithoutClearingDrawsTheSamePoints()
    {
        FakeCurveControls controls;
        controls.setParams("100", "50", "30", "200");
        controls.canvas.setDrawWidth(4);
        plotCurve(controls, BluePlotter);
        const QImage once = controls.canvas.Image();
        QVERIFY(countColour(once, rgbOf(BluePlotter)) > 100);
        plotCurve(controls, BluePlotter);
        QCOMPARE(controls.canvas.Image(), once);
    }

    // Last points of runs worked out apart from the program with the same single-precision stores
    // (step, t, u, x, y); compared exactly, since one store left out moves a point by a few units
    // in the last place.
    void exactLastPoint_data()
    {
        QTest::addColumn<int>("plotter");
        QTest::addColumn<QString>("divisor");
        QTest::addColumn<QStringList>("params"); // R, r, d, N
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::newRow("yellow, 90, step 79") << 0 << "90" << QStringList{"100", "50", "30", "79"} << 356.527191f
                                             << 388.869507f;
        QTest::newRow("yellow, 7, first point") << 0 << "7" << QStringList{"250", "73", "120", "2"} << 585.590027f
                                                << 444.895721f;
        QTest::newRow("yellow, 7, second point") << 0 << "7" << QStringList{"250", "73", "120", "3"} << 391.490356f
                                                 << 462.535034f;
        QTest::newRow("yellow, 7, step 2880") << 0 << "7" << QStringList{"250", "73", "120", "2880"} << 256.373566f
                                              << 286.871979f;
        QTest::newRow("green, 0.191919, step 2880") << 1 << "0.191919" << QStringList{"301", "96", "55", "2880"}
                                                    << 462.902069f << 540.180786f;
    }

    void exactLastPoint()
    {
        static const CurvePlotter* plotters[] = {&YellowPlotter, &GreenPlotter, &BluePlotter, &PinkPlotter};
        QFETCH(int, plotter);
        QFETCH(QString, divisor);
        QFETCH(QStringList, params);
        QFETCH(float, x);
        QFETCH(float, y);
        FakeCurveControls controls;
        controls.divisor = divisor;
        controls.setParams(params[0], params[1], params[2], params[3]);
        const Points points = tracedPoints(controls, *plotters[plotter]);
        QVERIFY(!points.empty());
        // As doubles, so the comparison is exact rather than fuzzy.
        QCOMPARE(double(points.back().first), double(x));
        QCOMPARE(double(points.back().second), double(y));
    }

    void accumulatesOnTheCanvas()
    {
        FakeCurveControls controls;
        controls.setParams("100", "50", "30", "200");
        plotCurve(controls, BluePlotter);
        controls.setParams("200", "70", "60", "200");
        plotCurve(controls, PinkPlotter);
        const QImage image = controls.canvas.Image();
        QVERIFY(countColour(image, rgbOf(BluePlotter)) > 0);
        QVERIFY(countColour(image, rgbOf(PinkPlotter)) > 0);
    }
};

QTEST_MAIN(TestPlotter)
#include "tst_plotter.moc"
