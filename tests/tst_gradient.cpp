#include "PixelCount.h"

#include "draw/gradient/GradientRenderer.h"
#include "draw/surface/DrawingHandles.h"
#include "draw/surface/Surface.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const Colour red = RGB(255, 0, 0);
const Colour blue = RGB(0, 0, 255);
// Green never appears in a red-to-blue gradient, so any pixel left green was not painted.
const QRgb sentinel = qRgb(0, 255, 0);

// A canvas of the given size filled with the sentinel colour.
std::unique_ptr<Surface> sentinelCanvas(int width, int height)
{
    auto canvas = std::make_unique<Surface>(QSize(width, height));
    canvas->setBackColor(Colour::fromQRgb(sentinel));
    return canvas;
}

int countSentinels(const QImage& image) { return countColour(image, sentinel); }

} // namespace

class TestGradient : public QObject
{
    Q_OBJECT

private slots:
    void blendColors_data();
    void blendColors();
    void blendColorsRefusesAHugeTable();
    void angleIsNormalised_data();
    void angleIsNormalised();
    void systemColoursResolveAtAssignment();
    void paintedEdges_data();
    void paintedEdges();
    void defaultAngleRunsDiagonally();
    void tooSmallAreaPaintsNothing_data();
    void tooSmallAreaPaintsNothing();
    void paintLeavesNoGraphicsObjects();
    void brokenAngleReportsToTheCallerAndStops();
    void sweepLineList_data();
    void sweepLineList();
    void sweepColours_data();
    void sweepColours();
};

void TestGradient::blendColors_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<QList<int>>("reds");
    QTest::newRow("steps 0 clamps to two ends") << 0 << QList<int>{0, 255};
    QTest::newRow("steps 1 clamps to two ends") << 1 << QList<int>{0, 255};
    QTest::newRow("four steps round ties to even") << 4 << QList<int>{0, 64, 128, 255};
    QTest::newRow("three steps divide by steps") << 3 << QList<int>{0, 85, 255};
}

void TestGradient::blendColors()
{
    QFETCH(int, steps);
    QFETCH(QList<int>, reds);
    std::vector<Colour> table{RGB(9, 9, 9)};
    const auto count = GradientRenderer::BlendColors(RGB(0, 0, 0), RGB(255, 0, 0), steps, table);
    QVERIFY(count);
    QCOMPARE(*count, int(reds.size()));
    QCOMPARE(int(table.size()), int(reds.size()));
    for (int i = 0; i < reds.size(); ++i)
        QCOMPARE(table[size_t(i)], RGB(reds[i], 0, 0));
}

void TestGradient::blendColorsRefusesAHugeTable()
{
    std::vector<Colour> table;
    QVERIFY(!GradientRenderer::BlendColors(red, blue, std::numeric_limits<int>::max(), table));
}

void TestGradient::angleIsNormalised_data()
{
    QTest::addColumn<float>("written");
    QTest::addColumn<float>("stored");
    QTest::newRow("negative turns round") << -45.0f << 315.0f;
    QTest::newRow("full turn is zero") << 360.0f << 0.0f;
    QTest::newRow("two turns and five") << 725.0f << 5.0f;
    QTest::newRow("fraction kept") << 12.5f << 12.5f;
    QTest::newRow("tiny negative stays below 360") << -1e-10f << 0.0f;
}

void TestGradient::angleIsNormalised()
{
    QFETCH(float, written);
    QFETCH(float, stored);
    GradientRenderer gradient;
    gradient.setAngle(written);
    QCOMPARE(gradient.Angle(), stored);
}

void TestGradient::systemColoursResolveAtAssignment()
{
    GradientRenderer gradient;
    QCOMPARE(gradient.Color1(), Colour(0x0080FFFF));
    QCOMPARE(gradient.Color2(), Colour(0x000080FF));
    gradient.setColor1(Colour(0x8000000F));
    QCOMPARE(gradient.Color1(), Colour(GetSysColor(15)));
    gradient.setColor2(Colour(0x80000019));
    QCOMPARE(gradient.Color2(), Colour(0x80000019));
}

void TestGradient::paintedEdges_data()
{
    QTest::addColumn<float>("angle");
    QTest::addColumn<QPoint>("firstSide"); // a pixel on the Color1 edge
    QTest::addColumn<QPoint>("farSide");
    QTest::addColumn<bool>("vertical"); // lines run vertically (columns uniform)
    QTest::newRow("0: left to right") << 0.0f << QPoint(0, 20) << QPoint(59, 20) << true;
    QTest::newRow("90: bottom to top") << 90.0f << QPoint(30, 39) << QPoint(30, 0) << false;
    QTest::newRow("180: right to left") << 180.0f << QPoint(59, 20) << QPoint(0, 20) << true;
    QTest::newRow("270: top to bottom") << 270.0f << QPoint(30, 0) << QPoint(30, 39) << false;
}

void TestGradient::paintedEdges()
{
    QFETCH(float, angle);
    QFETCH(QPoint, firstSide);
    QFETCH(QPoint, farSide);
    QFETCH(bool, vertical);
    auto canvas = sentinelCanvas(60, 40);
    GradientRenderer gradient;
    gradient.setColor1(red);
    gradient.setColor2(blue);
    gradient.setAngle(angle);
    QVERIFY(gradient.Draw(*canvas));

    const QImage image = canvas->Image();
    QCOMPARE(countSentinels(image), 0);
    QVERIFY(qRed(image.pixel(firstSide)) >= 230);
    QVERIFY(qBlue(image.pixel(farSide)) >= 230);
    // Straight lines across the area: one colour per column or per row.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            QCOMPARE(image.pixel(x, y), vertical ? image.pixel(x, 0) : image.pixel(0, y));
}

void TestGradient::defaultAngleRunsDiagonally()
{
    auto canvas = sentinelCanvas(50, 50);
    GradientRenderer gradient;
    gradient.setColor1(red);
    gradient.setColor2(blue);
    QCOMPARE(gradient.Angle(), 315.0f);
    QVERIFY(gradient.Draw(*canvas));
    const QImage image = canvas->Image();
    QCOMPARE(countSentinels(image), 0);
    QVERIFY(qRed(image.pixel(0, 0)) >= 230);
    QVERIFY(qBlue(image.pixel(49, 49)) >= 230);
    // The other two corners sit half way.
    QVERIFY(qAbs(qRed(image.pixel(49, 0)) - 128) < 20);
    QVERIFY(qAbs(qRed(image.pixel(0, 49)) - 128) < 20);
    for (int i = 1; i < 50; ++i)
        QVERIFY(qRed(image.pixel(i, i)) <= qRed(image.pixel(i - 1, i - 1)));
}

void TestGradient::tooSmallAreaPaintsNothing_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("one pixel wide") << QSize(1, 50);
    QTest::newRow("one pixel high") << QSize(50, 1);
}

void TestGradient::tooSmallAreaPaintsNothing()
{
    QFETCH(QSize, size);
    auto canvas = sentinelCanvas(size.width(), size.height());
    GradientRenderer gradient;
    QVERIFY(!gradient.Draw(*canvas));
    QCOMPARE(countSentinels(canvas->Image()), size.width() * size.height());
}

void TestGradient::paintLeavesNoGraphicsObjects()
{
    Surface canvas(QSize(80, 30));
    const int before = liveGdiObjectCount();
    GradientRenderer gradient;
    gradient.setAngle(33);
    QVERIFY(gradient.Draw(canvas));
    QCOMPARE(liveGdiObjectCount(), before);
}

void TestGradient::brokenAngleReportsToTheCallerAndStops()
{
    auto canvas = sentinelCanvas(40, 40);
    const int before = liveGdiObjectCount();
    GradientRenderer gradient;
    gradient.setAngle(std::numeric_limits<float>::quiet_NaN());
    // The renderer returns its error and shows nothing (the library cannot: it links no widgets).
    const GradientPaint paint = gradient.Draw(*canvas);
    QVERIFY(!paint);
    QCOMPARE(paint.error, ErrorCode::Overflow);
    QCOMPARE(countSentinels(canvas->Image()), 40 * 40);
    QCOMPARE(liveGdiObjectCount(), before);
}

// Expected lines worked out step by step by hand-written arithmetic apart from the program: the
// centre, the half-length, the turn of both ends with single-precision stores, the steepness
// test, the offset, then one-pixel steps until both newest ends are past the far edge.
void TestGradient::sweepLineList_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<float>("angle");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QLine>("first");
    QTest::addColumn<QLine>("last");
    QTest::newRow("60x40 at 0: columns left to right")
        << QSize(60, 40) << 0.0f << 124 << QLine(0, 63, 0, -23) << QLine(61, 63, 61, -23);
    QTest::newRow("60x40 at 90: rows upwards")
        << QSize(60, 40) << 90.0f << 84 << QLine(73, 40, -13, 40) << QLine(73, -1, -13, -1);
    QTest::newRow("60x40 at 180: columns right to left")
        << QSize(60, 40) << 180.0f << 124 << QLine(60, -23, 60, 63) << QLine(-1, -23, -1, 63);
    QTest::newRow("60x40 at 270: rows downwards")
        << QSize(60, 40) << 270.0f << 84 << QLine(-13, 0, 73, 0) << QLine(-13, 41, 73, 41);
    // On a square the diagonal line's rise and run are equal: the tie counts as steep.
    QTest::newRow("50x50 at 315: tie, stepped sideways")
        << QSize(50, 50) << 315.0f << 205 << QLine(-51, 51, 0, -1) << QLine(50, 51, 101, -1);
    QTest::newRow("50x50 at 45: tie, stepped sideways")
        << QSize(50, 50) << 45.0f << 206 << QLine(0, 51, -51, -1) << QLine(102, 51, 51, -1);
    QTest::newRow("800x800 at 315: the main canvas")
        << QSize(800, 800) << 315.0f << 3205 << QLine(-801, 801, 0, -1) << QLine(800, 801, 1601, -1);
    // The turn by 225 degrees in single precision leaves the line just steep.
    QTest::newRow("60x40 at 135: single-precision turn")
        << QSize(60, 40) << 135.0f << 206 << QLine(61, 40, -1, 101) << QLine(61, -62, -1, -1);
    QTest::newRow("101x37 at 135") << QSize(101, 37) << 135.0f << 409 << QLine(203, -33, 101, 69)
                                   << QLine(0, -33, -102, 69);
    QTest::newRow("106x102 at 225") << QSize(106, 102) << 225.0f << 430 << QLine(106, -3, 213, 105)
                                    << QLine(-108, -3, -1, 105);
    // An odd number of entries: the last one is never drawn.
    QTest::newRow("21x40 at 315: odd count") << QSize(21, 40) << 315.0f << 127 << QLine(-41, 41, 0, -1)
                                             << QLine(21, 41, 62, -1);
}

void TestGradient::sweepLineList()
{
    QFETCH(QSize, size);
    QFETCH(float, angle);
    QFETCH(int, entries);
    QFETCH(QLine, first);
    QFETCH(QLine, last);
    GradientRenderer gradient;
    gradient.setAngle(angle);
    std::vector<PixelPoint> lines;
    QCOMPARE(gradient.sweepLines(size.width(), size.height(), lines), ErrorCode::None);
    QCOMPARE(int(lines.size()), entries);
    const auto line = [&](size_t k) { return QLine(lines[2 * k].x, lines[2 * k].y, lines[2 * k + 1].x, lines[2 * k + 1].y); };
    QCOMPARE(line(0), first);
    QCOMPARE(line(lines.size() / 2 - 1), last);
}

// Red to blue over 21 x 40 at 315: 127 entries, 63 lines, a table of N(63.5) = 64 colours whose
// entry i is N(i * 255 / 64) of blue and the rest of red. The steep lines step sideways, so row 0
// holds line x + 1 at column x.
void TestGradient::sweepColours_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("column 0: line 1, 4 of blue") << QPoint(0, 0) << qRgb(0xfb, 0, 0x04);
    QTest::newRow("column 10: line 11, 44 of blue") << QPoint(10, 0) << qRgb(0xd3, 0, 0x2c);
    QTest::newRow("column 20: line 21, 84 of blue") << QPoint(20, 0) << qRgb(0xab, 0, 0x54);
}

void TestGradient::sweepColours()
{
    QFETCH(QPoint, pixel);
    QFETCH(QRgb, colour);
    auto canvas = sentinelCanvas(21, 40);
    GradientRenderer gradient;
    gradient.setColor1(red);
    gradient.setColor2(blue);
    gradient.setAngle(315);
    QVERIFY(gradient.Draw(*canvas));
    QCOMPARE(canvas->Image().pixel(pixel), colour);
}

QTEST_MAIN(TestGradient)
#include "tst_gradient.moc"
