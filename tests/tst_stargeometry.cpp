#include "draw/stars/StarGeometry.h"
#include "draw/surface/DrawingHandles.h"
#include "draw/surface/Surface.h"

#include <QtTest>

#include <limits>
#include <vector>

Q_DECLARE_METATYPE(StarDecomposition)

namespace {

constexpr Colour background = RGB(255, 255, 255);
constexpr Colour figureColour = RGB(200, 0, 0);
constexpr Colour outsideForeColor = RGB(1, 2, 3);
constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

// A 200 x 200 pixel canvas in twips with the figure box 2400 twips wide at (300, 300): pixels 20
// to 180, centre (100, 100), radius 80.
struct Canvas
{
    Surface box{QSize(200, 200)};
    Canvas(int width = 1)
    {
        box.setScaleMode(ScaleMode::Twips);
        box.setDrawWidth(width);
        box.setBackColor(background);
        box.setForeColor(outsideForeColor);
    }
    ErrorCode draw(std::int16_t points, std::int16_t fill = 0, std::int32_t width = 2400, std::int32_t height = 2400)
    {
        return DrawStarPolygon(box, 300, 300, width, height, points, fill, figureColour);
    }
    bool painted(int x, int y) const { return box.Image().pixel(x, y) == figureColour.toQRgb(); }
    int paintedCount() const
    {
        const QImage image = box.Image();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) != background.toQRgb();
        return count;
    }
};

// The vertices of one copy of a figure in the test box, in pixels.
std::vector<PixelPoint> copyVertices(std::int16_t points, int copy, std::int32_t width = 2400,
                                     std::int32_t height = 2400)
{
    const StarDecomposition figure = decomposePointCount(points);
    std::vector<PixelPoint> vertices(size_t(figure.m));
    const auto ellipse = starEllipse(300, 300, width, height);
    if (!ellipse || starCopyVertices(*ellipse, figure, copy, 15, 15, vertices.data()) != ErrorCode::None)
        return {};
    return vertices;
}

// The pixel of the test box's circle at an angle, as the vertex routine places it.
PixelPoint pixelAt(double angle)
{
    const TwipsPoint twips = *PolarVertex(1500, 1500, angle, 1200, 1200);
    return PixelPoint{std::int32_t(std::nearbyint(twips.x / 15.0)), std::int32_t(std::nearbyint(twips.y / 15.0))};
}

} // namespace

class TestStarGeometry : public QObject
{
    Q_OBJECT

private slots:
    void decomposition_data();
    void decomposition();
    void polarVertex_data();
    void polarVertex();
    void ellipseRoundsTiesToEven();
    void ellipseOutOfRange();

    void pentagramVisitsVerticesInStarOrder();
    void secondCopiesAreTurned_data();
    void secondCopiesAreTurned();
    void wideBoxStretchesFigure();

    void lowPointCountsDrawTriangle_data();
    void lowPointCountsDrawTriangle();
    void fourPointsDrawNothing();
    void foreColorIsRestored();
    void pentagramOutlineLeavesCoreOpen();
    void fillCoversPentagramCore();
    void indexOverflowDrawsNothing_data();
    void indexOverflowDrawsNothing();
    void extremeBoxesNeverCrash_data();
    void extremeBoxesNeverCrash();
    void noGraphicsObjectOutlivesCall_data();
    void noGraphicsObjectOutlivesCall();
    void vertexNextToHalfWay_data();
    void vertexNextToHalfWay();
    void vertexTable_data();
    void vertexTable();
};

void TestStarGeometry::decomposition_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<StarDecomposition>("expected");
    QTest::newRow("3 triangle") << 3 << StarDecomposition{3, 1, 0};
    QTest::newRow("4 four one-vertex polygons") << 4 << StarDecomposition{1, 0, 2};
    QTest::newRow("5 pentagram") << 5 << StarDecomposition{5, 2, 0};
    QTest::newRow("6 two triangles") << 6 << StarDecomposition{3, 1, 1};
    QTest::newRow("7 star 7/3") << 7 << StarDecomposition{7, 3, 0};
    QTest::newRow("8 two squares") << 8 << StarDecomposition{4, 1, 1};
    QTest::newRow("9 star 9/4") << 9 << StarDecomposition{9, 4, 0};
    QTest::newRow("10 two pentagrams") << 10 << StarDecomposition{5, 2, 1};
    QTest::newRow("12 four triangles") << 12 << StarDecomposition{3, 1, 2};
    QTest::newRow("14 two 7/3 stars") << 14 << StarDecomposition{7, 3, 1};
    QTest::newRow("16 four squares") << 16 << StarDecomposition{4, 1, 2};
    QTest::newRow("20 four pentagrams") << 20 << StarDecomposition{5, 2, 2};
    QTest::newRow("30 two 15/7 stars") << 30 << StarDecomposition{15, 7, 1};
    QTest::newRow("48 sixteen triangles") << 48 << StarDecomposition{3, 1, 4};
    QTest::newRow("60 four 15/7 stars") << 60 << StarDecomposition{15, 7, 2};
    QTest::newRow("64 sixteen squares") << 64 << StarDecomposition{4, 1, 4};
    QTest::newRow("98 two 49/24 stars") << 98 << StarDecomposition{49, 24, 1};
    QTest::newRow("99 star 99/49") << 99 << StarDecomposition{99, 49, 0};
    QTest::newRow("0 taken as 3") << 0 << StarDecomposition{3, 1, 0};
    QTest::newRow("2 taken as 3") << 2 << StarDecomposition{3, 1, 0};
    QTest::newRow("-32768 taken as 3") << -32768 << StarDecomposition{3, 1, 0};
    QTest::newRow("16384 4096 squares") << 16384 << StarDecomposition{4, 1, 12};
    QTest::newRow("24576 8192 triangles") << 24576 << StarDecomposition{3, 1, 13};
    QTest::newRow("32766 two 16383-stars") << 32766 << StarDecomposition{16383, 8191, 1};
    QTest::newRow("32767 one 32767-star") << 32767 << StarDecomposition{32767, 16383, 0};
}

void TestStarGeometry::decomposition()
{
    QFETCH(int, points);
    QFETCH(StarDecomposition, expected);
    const StarDecomposition actual = decomposePointCount(std::int16_t(points));
    QCOMPARE(actual.m, expected.m);
    QCOMPARE(actual.s, expected.s);
    QCOMPARE(actual.c, expected.c);
}

void TestStarGeometry::polarVertex_data()
{
    QTest::addColumn<int>("cx");
    QTest::addColumn<int>("cy");
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("rx");
    QTest::addColumn<int>("ry");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::newRow("0 degrees is the top point") << 3000 << 3000 << 0.0 << 1800 << 1800 << 3000 << 1200;
    QTest::newRow("90 degrees is the right point") << 3000 << 3000 << 90.0 << 1800 << 1800 << 4800 << 3000;
    QTest::newRow("180 degrees is the bottom point") << 3000 << 3000 << 180.0 << 1800 << 1800 << 3000 << 4800;
    QTest::newRow("270 degrees is the left point") << 3000 << 3000 << 270.0 << 1800 << 1800 << 1200 << 3000;
    QTest::newRow("radii apart on a wide ellipse") << 0 << 0 << 90.0 << 400 << 100 << 400 << 0;
    // sin(-180 K) is about +3.5e-7 with the seven-digit constant, so a radius of two million
    // twips moves the bottom point 0.69 twips to the left; a full-precision pi would not.
    QTest::newRow("seven-digit constant shows at 180") << 0 << 0 << 180.0 << 2000000 << 0 << -1 << 0;
}

void TestStarGeometry::polarVertex()
{
    QFETCH(int, cx);
    QFETCH(int, cy);
    QFETCH(double, angle);
    QFETCH(int, rx);
    QFETCH(int, ry);
    QFETCH(int, x);
    QFETCH(int, y);
    const auto vertex = PolarVertex(cx, cy, angle, rx, ry);
    QVERIFY(vertex);
    QCOMPARE(vertex->x, x);
    QCOMPARE(vertex->y, y);
}

void TestStarGeometry::ellipseRoundsTiesToEven()
{
    // 3601 / 2 = 1800.5 goes to 1800, 1800.5 + 1200 = 3000.5 to 3000; 3603 / 2 = 1801.5 to 1802.
    const auto even = starEllipse(1200, 1200, 3601, 3603);
    QVERIFY(even);
    QCOMPARE(even->rx, 1800);
    QCOMPARE(even->cx, 3000);
    QCOMPARE(even->ry, 1802);
    QCOMPARE(even->cy, 3002);
}

void TestStarGeometry::ellipseOutOfRange()
{
    QVERIFY(!starEllipse(int32Max, 0, int32Max, 10));
    QVERIFY(!starEllipse(0, int32Min, 10, int32Min));
    QVERIFY(!PolarVertex(int32Max, 0, 90.0, 10, 10));
    QVERIFY(starEllipse(0, 0, int32Max, int32Max));
}

void TestStarGeometry::pentagramVisitsVerticesInStarOrder()
{
    const std::vector<PixelPoint> vertices = copyVertices(5, 0);
    const std::vector<PixelPoint> expected{pixelAt(0), pixelAt(144), pixelAt(288), pixelAt(72), pixelAt(216)};
    QCOMPARE(vertices, expected);
    QCOMPARE(vertices.front(), (PixelPoint{100, 20})); // top centre of the box
}

void TestStarGeometry::secondCopiesAreTurned_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<std::vector<PixelPoint>>("first");
    QTest::addColumn<std::vector<PixelPoint>>("second");
    // Two triangles: one points up, the other, turned by 60 degrees, points down.
    QTest::newRow("6 hexagram") << 6 << std::vector{pixelAt(0), pixelAt(120), pixelAt(240)}
                                << std::vector{pixelAt(60), pixelAt(180), pixelAt(300)};
    // Two squares: one on a corner, the other turned by 45 degrees with level sides.
    QTest::newRow("8 two squares") << 8 << std::vector{pixelAt(0), pixelAt(90), pixelAt(180), pixelAt(270)}
                                   << std::vector{pixelAt(45), pixelAt(135), pixelAt(225), pixelAt(315)};
}

void TestStarGeometry::secondCopiesAreTurned()
{
    QFETCH(int, points);
    QFETCH(std::vector<PixelPoint>, first);
    QFETCH(std::vector<PixelPoint>, second);
    QCOMPARE(copyVertices(std::int16_t(points), 0), first);
    QCOMPARE(copyVertices(std::int16_t(points), 1), second);
    if (points == 6)
        QCOMPARE(second[1], (PixelPoint{100, 180})); // bottom centre
    if (points == 8) {
        QCOMPARE(second[0].x, second[1].x);
        QCOMPARE(second[1].y, second[2].y);
    }

    Canvas canvas;
    canvas.draw(std::int16_t(points));
    for (const PixelPoint& p : first)
        QVERIFY(canvas.painted(qBound(0, p.x, 199), qBound(0, p.y, 199)));
    for (const PixelPoint& p : second)
        QVERIFY(canvas.painted(qBound(0, p.x, 199), qBound(0, p.y, 199)));
}

void TestStarGeometry::wideBoxStretchesFigure()
{
    // Box 2400 x 1200 twips at (300, 300): centre (100, 60) pixels, radii 80 and 40.
    const std::vector<PixelPoint> vertices = copyVertices(8, 0, 2400, 1200);
    const std::vector<PixelPoint> expected{{100, 20}, {180, 60}, {100, 100}, {20, 60}};
    QCOMPARE(vertices, expected);

    Canvas canvas;
    canvas.draw(8, 0, 2400, 1200);
    QVERIFY(canvas.painted(179, 60));
    QVERIFY(!canvas.painted(100, 150)); // nothing below the box
}

void TestStarGeometry::lowPointCountsDrawTriangle_data()
{
    QTest::addColumn<int>("points");
    QTest::newRow("0") << 0;
    QTest::newRow("1") << 1;
    QTest::newRow("2") << 2;
    QTest::newRow("-7") << -7;
    QTest::newRow("-32768") << -32768;
}

void TestStarGeometry::lowPointCountsDrawTriangle()
{
    QFETCH(int, points);
    Canvas triangle;
    QCOMPARE(triangle.draw(3), ErrorCode::None);
    Canvas canvas;
    QCOMPARE(canvas.draw(std::int16_t(points)), ErrorCode::None);
    QVERIFY(canvas.paintedCount() > 0);
    QCOMPARE(canvas.box.Image(), triangle.box.Image());
}

void TestStarGeometry::fourPointsDrawNothing()
{
    Canvas canvas(9);
    QCOMPARE(canvas.draw(4, 1), ErrorCode::None);
    QCOMPARE(canvas.paintedCount(), 0);
    QCOMPARE(canvas.box.ForeColor(), outsideForeColor);
}

void TestStarGeometry::foreColorIsRestored()
{
    Canvas canvas;
    canvas.draw(7);
    QCOMPARE(canvas.box.ForeColor(), outsideForeColor);
    QVERIFY(canvas.paintedCount() > 0);
}

// The pentagram's core is the pentagon round the centre (100, 100); a point between two arms,
// such as (100, 170) below the centre, lies outside the star.
void TestStarGeometry::pentagramOutlineLeavesCoreOpen()
{
    Canvas canvas;
    canvas.draw(5);
    QVERIFY(canvas.painted(100, 20));
    QVERIFY(!canvas.painted(100, 100));
    QVERIFY(!canvas.painted(100, 170));
}

void TestStarGeometry::fillCoversPentagramCore()
{
    Canvas canvas;
    QCOMPARE(canvas.draw(5, 1), ErrorCode::None);
    QVERIFY(canvas.painted(100, 100)); // the core: wound twice, filled by the winding rule
    QVERIFY(canvas.painted(100, 40));  // inside the top arm
    QVERIFY(!canvas.painted(100, 170));
    QCOMPARE(canvas.box.ForeColor(), outsideForeColor);
}

void TestStarGeometry::indexOverflowDrawsNothing_data()
{
    QTest::addColumn<int>("points");
    QTest::newRow("21847 first overflowing count") << 21847;
    QTest::newRow("21849") << 21849;
    QTest::newRow("32767") << 32767;
}

void TestStarGeometry::indexOverflowDrawsNothing()
{
    QFETCH(int, points);
    Canvas canvas;
    QCOMPARE(canvas.draw(std::int16_t(points), 1), ErrorCode::Overflow);
    QCOMPARE(canvas.paintedCount(), 0);
    // The call ended before it could put the saved colour back.
    QCOMPARE(canvas.box.ForeColor(), figureColour);
    QCOMPARE(liveGdiObjectCount(), 0);
}

void TestStarGeometry::extremeBoxesNeverCrash_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("largest odd count below overflow") << 300 << 2400 << 21845 << true;
    QTest::newRow("largest even count") << 300 << 2400 << 32766 << true;
    QTest::newRow("negative size mirrors") << 2700 << -2400 << 5 << true;
    QTest::newRow("huge box at origin") << 0 << int32Max << 5 << true;
    QTest::newRow("huge box far off") << int32Max << int32Max << 5 << false;
    QTest::newRow("most negative box") << int32Min << int32Min << 7 << false;
    QTest::newRow("centre near the limit") << int32Max - 600 << 1000 << 99 << false;
}

void TestStarGeometry::extremeBoxesNeverCrash()
{
    QFETCH(int, left);
    QFETCH(int, size);
    QFETCH(int, points);
    QFETCH(bool, drawn);
    for (int width : {1, 12}) {
        Canvas canvas(width);
        const ErrorCode error = DrawStarPolygon(canvas.box, left, left, size, size, std::int16_t(points), 1,
                                                figureColour);
        QCOMPARE(error == ErrorCode::None, drawn);
        QCOMPARE(canvas.box.ForeColor(), drawn ? outsideForeColor : figureColour);
        QCOMPARE(liveGdiObjectCount(), 0);
    }
}

void TestStarGeometry::noGraphicsObjectOutlivesCall_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("fill");
    QTest::newRow("pentagram filled") << 5 << 1;
    QTest::newRow("sixteen squares filled") << 64 << 1;
    QTest::newRow("one-vertex copies filled") << 4 << 1;
    QTest::newRow("star outlined") << 99 << 0;
}

void TestStarGeometry::noGraphicsObjectOutlivesCall()
{
    QFETCH(int, points);
    QFETCH(int, fill);
    Canvas canvas(3);
    QCOMPARE(canvas.draw(std::int16_t(points), std::int16_t(fill)), ErrorCode::None);
    QCOMPARE(liveGdiObjectCount(), 0);
}

// Vertices of the designer's largest figures whose y lies within 2e-4 twips of a half-way point:
// the sine of (angle + 90) with the seven-digit constant rounds one way, a cosine of the angle
// would round the other.
void TestStarGeometry::vertexNextToHalfWay_data()
{
    QTest::addColumn<int>("centre");
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("radius");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // 4500 - 4300 sin((angle + 90) K) = 4317.49983
    QTest::newRow("37 points, vertex at 28 spacings") << 4500 << 360.0 / 37 * 28 << 4300 << 204 << 4317;
    // 4500 - 3300 sin((angle + 90) K) = 6603.50024
    QTest::newRow("25 points, vertex at 9 spacings") << 4500 << 360.0 / 25 * 9 << 3300 << 7043 << 6604;
}

void TestStarGeometry::vertexNextToHalfWay()
{
    QFETCH(int, centre);
    QFETCH(double, angle);
    QFETCH(int, radius);
    QFETCH(int, x);
    QFETCH(int, y);
    const auto vertex = PolarVertex(centre, centre, angle, radius, radius);
    QVERIFY(vertex);
    QCOMPARE(vertex->x, x);
    QCOMPARE(vertex->y, y);
}

// Pixel vertices of one copy in drawing order, worked out apart from the program from the box,
// the decomposition, the angle of each vertex and two roundings (twips, then pixels).
void TestStarGeometry::vertexTable_data()
{
    QTest::addColumn<QRect>("box");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("copy");
    QTest::addColumn<std::vector<PixelPoint>>("vertices");
    const QRect square(300, 300, 2400, 2400);
    QTest::newRow("pentagram from the top centre")
        << square << 5 << 0 << std::vector<PixelPoint>{{100, 20}, {147, 165}, {24, 75}, {176, 75}, {53, 165}};
    QTest::newRow("hexagram's second triangle points down")
        << square << 6 << 1 << std::vector<PixelPoint>{{169, 60}, {100, 180}, {31, 60}};
    QTest::newRow("second square has level sides")
        << square << 8 << 1 << std::vector<PixelPoint>{{157, 43}, {157, 157}, {43, 157}, {43, 43}};
    QTest::newRow("{7/3} stretched on a wide box")
        << QRect(300, 300, 2400, 1200) << 7 << 0
        << std::vector<PixelPoint>{{100, 20}, {135, 96}, {37, 35}, {178, 69}, {22, 69}, {163, 35}, {65, 96}};
    QTest::newRow("second of two pentagrams, designer's outer box")
        << QRect(200, 200, 8600, 8600) << 10 << 1
        << std::vector<PixelPoint>{{468, 68}, {300, 587}, {132, 68}, {573, 389}, {27, 389}};
    QTest::newRow("fourth of four triangles") << QRect(3200, 3200, 2600, 2600) << 12 << 3
                                              << std::vector<PixelPoint>{{387, 300}, {257, 375}, {257, 225}};
}

void TestStarGeometry::vertexTable()
{
    QFETCH(QRect, box);
    QFETCH(int, points);
    QFETCH(int, copy);
    QFETCH(std::vector<PixelPoint>, vertices);
    const StarDecomposition figure = decomposePointCount(std::int16_t(points));
    QCOMPARE(int(figure.m), int(vertices.size()));
    const auto ellipse = starEllipse(box.x(), box.y(), box.width(), box.height());
    QVERIFY(ellipse);
    std::vector<PixelPoint> drawn(vertices.size());
    QCOMPARE(starCopyVertices(*ellipse, figure, copy, 15, 15, drawn.data()), ErrorCode::None);
    QCOMPARE(drawn, vertices);
}

QTEST_MAIN(TestStarGeometry)
#include "tst_stargeometry.moc"
