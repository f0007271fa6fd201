#include "draw/surface/DrawingHandles.h"
#include "app/widgets/WindowLock.h"
#include "draw/surface/Surface.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

namespace {

constexpr Colour back = RGB(255, 192, 255);
constexpr Colour ink = RGB(192, 64, 0);
constexpr Colour fill = RGB(0, 0, 250);

// A canvas of the given size with a known background, as the drawing code finds it.
struct Canvas
{
    Surface box;

    explicit Canvas(int width = 40, int height = 40, ScaleMode mode = ScaleMode::Pixels)
    {
        box.resize(width, height);
        box.setScaleMode(mode);
        box.setForeColor(ink);
        box.setBackColor(back);
    }

    QRgb at(int x, int y) const { return box.Image().pixel(x, y); }
    bool inked(int x, int y) const { return at(x, y) == ink.toQRgb(); }
};

int countOf(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

// The smallest rectangle holding every pixel of the colour (empty when there is none).
QRect boundsOf(const QImage& image, QRgb colour)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// Row y of the image as text, 'X' for the colour and '.' for anything else.
QString rowText(const QImage& image, int y, int from, int to, QRgb colour)
{
    QString text;
    for (int x = from; x < to; ++x)
        text += image.pixel(x, y) == colour ? u'X' : u'.';
    return text;
}

bool uniform(const QImage& image, QRgb colour) { return countOf(image, colour) == image.width() * image.height(); }

PixelPoint pt(int x, int y) { return PixelPoint{x, y}; }

} // namespace

class TestCanvas : public QObject
{
    Q_OBJECT

private slots:
    // Erasing
    void clsShowsBackgroundAgain_data();
    void clsShowsBackgroundAgain();
    void assignmentErases_data();
    void assignmentErases();
    void coloursAndWidthSurviveCls();
    void imageCopyIsNotChangedByLaterDrawing_data();
    void imageCopyIsNotChangedByLaterDrawing();
    void resizingKeepsTheDrawing();

    // Dots
    void dotIsRoundAndExactlyAsWideAsThePen_data();
    void dotIsRoundAndExactlyAsWideAsThePen();
    void wideDotSpans();
    void dotLandsOnTheNearestPixel_data();
    void dotLandsOnTheNearestPixel();
    void dotIsClippedAtTheEdges_data();
    void dotIsClippedAtTheEdges();
    void unusableCoordinatesAreIgnored_data();
    void unusableCoordinatesAreIgnored();
    void widthOutsideItsRangeIsRefused();
    void twipsCanvasMeasuresInTwips();

    // Lines and boxes
    void boxIncludesBothCorners_data();
    void boxIncludesBothCorners();
    void lineToLeavesOutTheEndPixel_data();
    void lineToLeavesOutTheEndPixel();
    void steepLineSpans();
    void lineToContinuesFromTheCurrentPosition();
    void farOffLinesAreClipped_data();
    void farOffLinesAreClipped();

    // Polygons, regions and objects
    void polygonOutline();
    void polygonWithWidePen();
    void polygonFillFollowsFillStyle();
    void polygonWithTooFewPointsIsRefused_data();
    void polygonWithTooFewPointsIsRefused();
    void windingRegionFillsTheStarsCore_data();
    void windingRegionFillsTheStarsCore();
    void regionFillCoversPixelCentres();
    void adjacentRegionsTileWithoutOverlap();
    void fillRgnRefusesBadHandles();
    void selectObjectReturnsThePrevious();
    void liveObjectCountReturnsToItsStart();
    void stockObjectsAreNotDeleted();

    // Window services
    void clientRect();
    void lockWindowUpdate();
};

// --- Erasing ---------------------------------------------------------------------------------

void TestCanvas::clsShowsBackgroundAgain_data()
{
    QTest::addColumn<bool>("withPicture");
    QTest::newRow("plain background colour") << false;
    QTest::newRow("background picture") << true;
}

void TestCanvas::clsShowsBackgroundAgain()
{
    QFETCH(bool, withPicture);
    Canvas canvas(30, 20);
    QImage picture(10, 8, QImage::Format_RGB32);
    picture.fill(qRgb(0, 128, 0));
    if (withPicture)
        canvas.box.setPicture(picture);
    const QImage before = canvas.box.Image();
    canvas.box.setDrawWidth(5);
    canvas.box.PSet(5, 5, ink);
    canvas.box.PSet(20, 15, ink);
    canvas.box.Line(0, 0, 29, 19, ink);

    canvas.box.Cls();

    const QImage after = canvas.box.Image();
    QCOMPARE(after, before);
    // The picture sits at the top-left, unscaled; the colour shows around it.
    QCOMPARE(countOf(after, qRgb(0, 128, 0)), withPicture ? 80 : 0);
    QCOMPARE(after.pixel(9, 7), withPicture ? qRgb(0, 128, 0) : back.toQRgb());
    QCOMPARE(after.pixel(10, 7), back.toQRgb());
    QCOMPARE(after.pixel(9, 8), back.toQRgb());
}

void TestCanvas::assignmentErases_data()
{
    QTest::addColumn<bool>("startWithPicture");
    QTest::addColumn<int>("assignment");
    QTest::addColumn<QRgb>("shown");
    QTest::newRow("BackColor") << false << 0 << qRgb(1, 2, 3);
    QTest::newRow("BackColor under a picture") << true << 0 << qRgb(9, 9, 9);
    QTest::newRow("Picture from another canvas's Image") << false << 1 << qRgb(9, 9, 9);
    QTest::newRow("empty Picture") << true << 2 << back.toQRgb();
}

void TestCanvas::assignmentErases()
{
    QFETCH(bool, startWithPicture);
    QFETCH(int, assignment);
    QFETCH(QRgb, shown);
    Canvas canvas(20, 20);
    Canvas other(20, 20);
    other.box.setBackColor(Colour::fromQRgb(qRgb(9, 9, 9)));
    if (startWithPicture)
        canvas.box.setPicture(other.box.Image());
    canvas.box.setDrawWidth(4);
    canvas.box.PSet(10, 10, ink);

    if (assignment == 0)
        canvas.box.setBackColor(RGB(1, 2, 3));
    else if (assignment == 1)
        canvas.box.setPicture(other.box.Image());
    else
        canvas.box.setPicture(QImage());

    QVERIFY(uniform(canvas.box.Image(), shown));
}

void TestCanvas::coloursAndWidthSurviveCls()
{
    Canvas canvas;
    canvas.box.setDrawWidth(7);
    canvas.box.setFillColor(fill);
    canvas.box.setFillStyle(0);
    canvas.box.Cls();
    QCOMPARE(canvas.box.DrawWidth(), 7);
    QCOMPARE(canvas.box.ForeColor(), ink);
    QCOMPARE(canvas.box.FillColor(), fill);
    QCOMPARE(canvas.box.FillStyle(), 0);
    QCOMPARE(canvas.box.BackColor(), back);
}

void TestCanvas::imageCopyIsNotChangedByLaterDrawing_data()
{
    // Each way of drawing after the copy was taken; the pixel view of the canvas is cached, so
    // every path must let go of the shared pixels first.
    using Draw = std::function<void(Surface&)>;
    QTest::addColumn<Draw>("draw");
    QTest::newRow("thin dot") << Draw([](Surface& b) { b.PSet(5, 5, ink); });
    QTest::newRow("wide dot") << Draw([](Surface& b) { b.setDrawWidth(6); b.PSet(5, 5, ink); });
    QTest::newRow("thin line") << Draw([](Surface& b) { b.Line(0, 5, 19, 5, ink); });
    QTest::newRow("wide line") << Draw([](Surface& b) { b.setDrawWidth(3); b.Line(0, 5, 19, 5, ink); });
    QTest::newRow("filled box") << Draw([](Surface& b) { b.Line(2, 2, 8, 8, ink, LineBox::BoxFilled); });
    QTest::newRow("LineTo") << Draw([](Surface& b) { MoveToEx(b.hDC(), 0, 0); LineTo(b.hDC(), 10, 10); });
    QTest::newRow("Polygon") << Draw([](Surface& b) {
        const PixelPoint points[] = {pt(1, 1), pt(15, 2), pt(8, 15)};
        Polygon(b.hDC(), points, 3);
    });
    QTest::newRow("FillRgn") << Draw([](Surface& b) {
        const PixelPoint points[] = {pt(1, 1), pt(15, 2), pt(8, 15)};
        GdiObject region(b.hDC(), CreatePolygonRgn(b.hDC(), points, 3, WINDING));
        GdiObject brush(b.hDC(), CreateSolidBrush(b.hDC(), fill));
        FillRgn(b.hDC(), region.get(), brush.get());
    });
}

void TestCanvas::imageCopyIsNotChangedByLaterDrawing()
{
    using Draw = std::function<void(Surface&)>;
    QFETCH(Draw, draw);
    Canvas canvas(20, 20);
    canvas.box.PSet(1, 1, ink); // the cached pixel view is live now
    const QImage copy = canvas.box.Image();
    const QImage expected = copy.copy();

    draw(canvas.box);

    QCOMPARE(copy, expected);
    QVERIFY(canvas.box.Image() != expected);
}

void TestCanvas::resizingKeepsTheDrawing()
{
    Canvas canvas(20, 20);
    canvas.box.PSet(3, 4, ink);
    canvas.box.PSet(15, 15, ink);

    canvas.box.resize(30, 25);
    QImage image = canvas.box.Image();
    QCOMPARE(image.size(), QSize(30, 25));
    QVERIFY(canvas.inked(3, 4));
    QVERIFY(canvas.inked(15, 15));
    QCOMPARE(image.pixel(29, 24), back.toQRgb());
    QCOMPARE(countOf(image, ink.toQRgb()), 2);

    canvas.box.resize(10, 10);
    QCOMPARE(canvas.box.Image().size(), QSize(10, 10));
    canvas.box.resize(30, 30);
    QVERIFY(canvas.inked(3, 4));
}

// --- Dots ------------------------------------------------------------------------------------

void TestCanvas::dotIsRoundAndExactlyAsWideAsThePen_data()
{
    QTest::addColumn<int>("width");
    for (int width : {1, 2, 3, 4, 5, 8, 12, 25})
        QTest::addRow("width %d", width) << width;
}

void TestCanvas::dotIsRoundAndExactlyAsWideAsThePen()
{
    QFETCH(int, width);
    Canvas canvas(60, 60);
    canvas.box.setDrawWidth(width);
    canvas.box.PSet(30, 30, ink);
    const QImage image = canvas.box.Image();
    const QRgb c = ink.toQRgb();

    // Centred on the pixel: for an even width the extra row and column go up and left.
    QCOMPARE(boundsOf(image, c), QRect(30 - width / 2, 30 - width / 2, width, width));
    const QRect box = boundsOf(image, c);
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const int mirrorX = box.left() + box.right() - x;
            const int mirrorY = box.top() + box.bottom() - y;
            QCOMPARE(image.pixel(mirrorX, y), image.pixel(x, y));
            QCOMPARE(image.pixel(x, mirrorY), image.pixel(x, y));
            QCOMPARE(image.pixel(y - box.top() + box.left(), x - box.left() + box.top()), image.pixel(x, y));
        }
    }
    // Round from width 4 on: the corners stay empty while the middle row is full.
    if (width >= 4)
        QVERIFY(image.pixel(box.topLeft()) != c);
    QCOMPARE(rowText(image, 30, box.left(), box.right() + 1, c), QString(width, u'X'));
}

void TestCanvas::wideDotSpans()
{
    // A dot of width 12 centred on pixel (30, 30) covers rows 24..35:
    //   ....XXXX....
    //   ..XXXXXXXX..
    //   .XXXXXXXXXX.
    //   .XXXXXXXXXX.
    //   XXXXXXXXXXXX
    //   XXXXXXXXXXXX   (and the same rows again, mirrored)
    const QStringList upperHalf = {"....XXXX....", "..XXXXXXXX..", ".XXXXXXXXXX.",
                                   ".XXXXXXXXXX.", "XXXXXXXXXXXX", "XXXXXXXXXXXX"};
    Canvas canvas(60, 60);
    canvas.box.setDrawWidth(12);
    canvas.box.PSet(30, 30, ink);
    const QImage image = canvas.box.Image();
    for (int r = 0; r < 6; ++r) {
        QCOMPARE(rowText(image, 24 + r, 24, 36, ink.toQRgb()), upperHalf[r]);
        QCOMPARE(rowText(image, 35 - r, 24, 36, ink.toQRgb()), upperHalf[r]);
    }

    // Width 4:
    //   .XX.
    //   XXXX
    //   XXXX
    //   .XX.
    canvas.box.Cls();
    canvas.box.setDrawWidth(4);
    canvas.box.PSet(10, 10, ink);
    const QImage small = canvas.box.Image();
    QCOMPARE(rowText(small, 8, 8, 12, ink.toQRgb()), QString(".XX."));
    QCOMPARE(rowText(small, 9, 8, 12, ink.toQRgb()), QString("XXXX"));
    QCOMPARE(rowText(small, 10, 8, 12, ink.toQRgb()), QString("XXXX"));
    QCOMPARE(rowText(small, 11, 8, 12, ink.toQRgb()), QString(".XX."));
}

void TestCanvas::dotLandsOnTheNearestPixel_data()
{
    QTest::addColumn<bool>("twips");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QPoint>("pixel");

    QTest::newRow("whole") << false << 7.0f << 9.0f << QPoint(7, 9);
    QTest::newRow("ties go to even") << false << 2.5f << 3.5f << QPoint(2, 4);
    QTest::newRow("more ties") << false << 1.5f << 0.5f << QPoint(2, 0);
    QTest::newRow("either side of a tie") << false << 10.49f << 10.51f << QPoint(10, 11);
    QTest::newRow("negative tie stays on the canvas edge") << false << -0.5f << 4.0f << QPoint(0, 4);
    QTest::newRow("twips are fifteenths") << true << 150.0f << 300.0f << QPoint(10, 20);
    QTest::newRow("twips round to the nearest pixel") << true << 157.0f << 293.0f << QPoint(10, 20);
    QTest::newRow("twips ties go to even") << true << 37.5f << 52.5f << QPoint(2, 4);
}

void TestCanvas::dotLandsOnTheNearestPixel()
{
    QFETCH(bool, twips);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QPoint, pixel);
    Canvas canvas(30, 30, twips ? ScaleMode::Twips : ScaleMode::Pixels);
    canvas.box.PSet(x, y, ink);
    const QImage image = canvas.box.Image();
    QCOMPARE(countOf(image, ink.toQRgb()), 1);
    QCOMPARE(boundsOf(image, ink.toQRgb()).topLeft(), pixel);
}

void TestCanvas::dotIsClippedAtTheEdges_data()
{
    QTest::addColumn<QPoint>("centre");
    QTest::newRow("top-left corner") << QPoint(0, 0);
    QTest::newRow("left edge") << QPoint(-3, 10);
    QTest::newRow("bottom-right corner") << QPoint(19, 19);
    QTest::newRow("right edge, mostly outside") << QPoint(23, 8);
    QTest::newRow("below") << QPoint(10, 24);
    QTest::newRow("just outside") << QPoint(-6, -6);
    QTest::newRow("far outside") << QPoint(-300, 40);
}

void TestCanvas::dotIsClippedAtTheEdges()
{
    // The clipped dot is the visible part of the same dot drawn on a large canvas.
    QFETCH(QPoint, centre);
    const int width = 12;
    Canvas canvas(20, 20);
    canvas.box.setDrawWidth(width);
    canvas.box.PSet(centre.x(), centre.y(), ink);

    Canvas large(700, 100);
    large.box.setDrawWidth(width);
    const QPoint offset(400, 40);
    large.box.PSet(centre.x() + offset.x(), centre.y() + offset.y(), ink);

    QCOMPARE(canvas.box.Image(), large.box.Image().copy(QRect(offset, QSize(20, 20))));
}

void TestCanvas::unusableCoordinatesAreIgnored_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("NaN x") << nan << 5.0f;
    QTest::newRow("NaN y") << 5.0f << nan;
    QTest::newRow("infinite") << inf << -inf;
    QTest::newRow("beyond 32 bits") << 5.0e9f << 5.0f;
    QTest::newRow("hugely negative") << -3.0e38f << 5.0f;
    QTest::newRow("far off at the 32-bit edge") << 2147483647.0f << -2147483648.0f;
}

void TestCanvas::unusableCoordinatesAreIgnored()
{
    QFETCH(float, x);
    QFETCH(float, y);
    for (int width : {1, 12, 32767}) {
        Canvas canvas(20, 20);
        canvas.box.setDrawWidth(width);
        canvas.box.PSet(x, y, ink);
        QVERIFY(uniform(canvas.box.Image(), back.toQRgb()));
    }
}

void TestCanvas::widthOutsideItsRangeIsRefused()
{
    Canvas canvas;
    QVERIFY(canvas.box.setDrawWidth(3));
    QVERIFY(!canvas.box.setDrawWidth(0));
    QVERIFY(!canvas.box.setDrawWidth(-5));
    QVERIFY(!canvas.box.setDrawWidth(32768));
    QCOMPARE(canvas.box.DrawWidth(), 3);
    QVERIFY(canvas.box.setDrawWidth(32767));
    QCOMPARE(canvas.box.DrawWidth(), 32767);
}

void TestCanvas::twipsCanvasMeasuresInTwips()
{
    Canvas canvas(40, 30, ScaleMode::Twips);
    QCOMPARE(canvas.box.ScaleWidth(), 600.0);
    QCOMPARE(canvas.box.ScaleHeight(), 450.0);
    canvas.box.Line(30, 45, 300, 150, ink, LineBox::Box);
    QCOMPARE(boundsOf(canvas.box.Image(), ink.toQRgb()), QRect(QPoint(2, 3), QPoint(20, 10)));

    // The device context stays in pixels.
    canvas.box.Cls();
    MoveToEx(canvas.box.hDC(), 30, 20);
    LineTo(canvas.box.hDC(), 36, 20);
    QCOMPARE(boundsOf(canvas.box.Image(), ink.toQRgb()), QRect(30, 20, 6, 1));
}

// --- Lines and boxes -------------------------------------------------------------------------

void TestCanvas::boxIncludesBothCorners_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("filled");
    QTest::newRow("B") << QPoint(4, 5) << QPoint(12, 10) << false;
    QTest::newRow("B, corners given backwards") << QPoint(12, 10) << QPoint(4, 5) << false;
    QTest::newRow("BF") << QPoint(4, 5) << QPoint(12, 10) << true;
    QTest::newRow("BF, corners given backwards") << QPoint(12, 10) << QPoint(4, 5) << true;
}

void TestCanvas::boxIncludesBothCorners()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, filled);
    Canvas canvas(20, 20);
    canvas.box.Line(from.x(), from.y(), to.x(), to.y(), ink, filled ? LineBox::BoxFilled : LineBox::Box);
    const QImage image = canvas.box.Image();

    QCOMPARE(boundsOf(image, ink.toQRgb()), QRect(QPoint(4, 5), QPoint(12, 10)));
    QCOMPARE(countOf(image, ink.toQRgb()), filled ? 9 * 6 : 2 * 9 + 2 * 4);
    QCOMPARE(canvas.inked(8, 7), filled);

    // A wide pen is centred on the same outline: width 4 reaches two pixels out and one in.
    Canvas wide(20, 20);
    wide.box.setDrawWidth(4);
    wide.box.Line(from.x(), from.y(), to.x(), to.y(), ink, LineBox::Box);
    const QImage wideImage = wide.box.Image();
    QCOMPARE(boundsOf(wideImage, ink.toQRgb()), QRect(QPoint(2, 3), QPoint(13, 11)));
    QVERIFY(!wide.inked(8, 7));
}

void TestCanvas::lineToLeavesOutTheEndPixel_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("horizontal") << QPoint(1, 1) << QPoint(9, 1);
    QTest::newRow("horizontal leftward") << QPoint(9, 3) << QPoint(1, 3);
    QTest::newRow("vertical") << QPoint(2, 1) << QPoint(2, 12);
    QTest::newRow("vertical upward") << QPoint(2, 12) << QPoint(2, 1);
    QTest::newRow("diagonal") << QPoint(1, 1) << QPoint(8, 8);
    QTest::newRow("anti-diagonal") << QPoint(8, 1) << QPoint(1, 8);
    QTest::newRow("shallow") << QPoint(0, 2) << QPoint(13, 6);
    QTest::newRow("steep") << QPoint(3, 0) << QPoint(6, 13);
    QTest::newRow("steep backward") << QPoint(6, 13) << QPoint(3, 0);
}

void TestCanvas::lineToLeavesOutTheEndPixel()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    Canvas canvas(16, 16);
    MoveToEx(canvas.box.hDC(), from.x(), from.y());
    QVERIFY(LineTo(canvas.box.hDC(), to.x(), to.y()));
    const QImage image = canvas.box.Image();

    QVERIFY(canvas.inked(from.x(), from.y()));
    QVERIFY(!canvas.inked(to.x(), to.y()));
    // One pixel per step along the longer axis, the end step left out.
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    QCOMPARE(countOf(image, ink.toQRgb()), steps);
    const QRect span(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                     QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
    QCOMPARE(boundsOf(image, ink.toQRgb()).united(QRect(to, QSize(1, 1))), span);
}

void TestCanvas::steepLineSpans()
{
    // LineTo from (0, 0) to (2, 5): the pixel nearest the ideal line on each row, row 5 left out.
    //   X..
    //   X..
    //   .X.
    //   .X.
    //   ..X
    //   ...
    Canvas canvas(3, 6);
    MoveToEx(canvas.box.hDC(), 0, 0);
    LineTo(canvas.box.hDC(), 2, 5);
    const QImage image = canvas.box.Image();
    const QStringList expected = {"X..", "X..", ".X.", ".X.", "..X", "..."};
    for (int y = 0; y < 6; ++y)
        QCOMPARE(rowText(image, y, 0, 3, ink.toQRgb()), expected[y]);
}

void TestCanvas::lineToContinuesFromTheCurrentPosition()
{
    Canvas canvas(20, 20);
    DeviceContext& dc = canvas.box.hDC();
    MoveToEx(dc, 2, 2);
    PixelPoint previous{-1, -1};
    MoveToEx(dc, 3, 4, &previous);
    QCOMPARE(previous, pt(2, 2));
    LineTo(dc, 10, 4);
    LineTo(dc, 10, 9); // draws the corner pixel the first call left out
    MoveToEx(dc, 0, 0, &previous);
    QCOMPARE(previous, pt(10, 9));

    QVERIFY(canvas.inked(3, 4));
    QVERIFY(canvas.inked(10, 4));
    QVERIFY(!canvas.inked(10, 9));
    QVERIFY(!canvas.inked(2, 2));
    QCOMPARE(countOf(canvas.box.Image(), ink.toQRgb()), 7 + 5);
}

void TestCanvas::farOffLinesAreClipped_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("thin pen") << 1;
    QTest::newRow("wide pen") << 4;
}

void TestCanvas::farOffLinesAreClipped()
{
    // Lines to the ends of the coordinate range still show their part inside the canvas.
    QFETCH(int, width);
    const int big = std::numeric_limits<std::int32_t>::max();
    const int small = std::numeric_limits<std::int32_t>::min();
    Canvas canvas(20, 20);
    canvas.box.setDrawWidth(width);
    DeviceContext& dc = canvas.box.hDC();
    MoveToEx(dc, 10, 10);
    LineTo(dc, big, 10);
    MoveToEx(dc, 10, 10);
    LineTo(dc, 10, small);
    MoveToEx(dc, small, small);
    LineTo(dc, big, big);
    QVERIFY(canvas.inked(19, 10));
    QVERIFY(canvas.inked(10, 0));
    QVERIFY(canvas.inked(5, 5));

    // The canvas's own Line, in its units, with one end far away.
    canvas.box.Line(10, 15, 1.0e9, 15, ink);
    canvas.box.Line(-2.0e9, 17, 10, 17, ink);
    QVERIFY(canvas.inked(19, 15));
    QVERIFY(canvas.inked(0, 17));
    // Ends beyond 32 bits or not numbers at all draw nothing.
    const QImage before = canvas.box.Image();
    canvas.box.Line(0, 19, 1.0e12, 19, ink);
    canvas.box.Line(0, 18, std::numeric_limits<double>::quiet_NaN(), 18, ink, LineBox::BoxFilled);
    QCOMPARE(canvas.box.Image(), before);
}

// --- Polygons, regions and objects -----------------------------------------------------------

void TestCanvas::polygonOutline()
{
    // Triangle (2, 2), (12, 2), (2, 12), closed by the platform, brush transparent.
    Canvas canvas(16, 16);
    const PixelPoint points[] = {pt(2, 2), pt(12, 2), pt(2, 12)};
    QVERIFY(Polygon(canvas.box.hDC(), points, 3));
    const QImage image = canvas.box.Image();

    QCOMPARE(rowText(image, 2, 0, 16, ink.toQRgb()), QString("..XXXXXXXXXXX..."));
    QCOMPARE(boundsOf(image, ink.toQRgb()), QRect(QPoint(2, 2), QPoint(12, 12)));
    QCOMPARE(countOf(image, ink.toQRgb()), 30); // three edges of ten steps each
    QVERIFY(!canvas.inked(4, 4));
    QVERIFY(canvas.inked(7, 7));
}

void TestCanvas::polygonWithWidePen()
{
    Canvas canvas(30, 30);
    canvas.box.setDrawWidth(4);
    const PixelPoint points[] = {pt(5, 5), pt(24, 5), pt(24, 24), pt(5, 24)};
    QVERIFY(Polygon(canvas.box.hDC(), points, 4));
    const QImage image = canvas.box.Image();

    QCOMPARE(boundsOf(image, ink.toQRgb()), QRect(QPoint(3, 3), QPoint(25, 25)));
    // Each side is four pixels thick, centred on the outline.
    QCOMPARE(rowText(image, 14, 0, 30, ink.toQRgb()), "...XXXX" + QString(15, u'.') + "XXXX....");
    QVERIFY(!canvas.inked(14, 14));
    // Round joins: the outer corner pixel stays clear.
    QVERIFY(!canvas.inked(3, 3));
}

void TestCanvas::polygonFillFollowsFillStyle()
{
    Canvas canvas(30, 30);
    canvas.box.setFillColor(fill);
    canvas.box.setFillStyle(0);
    const PixelPoint points[] = {pt(5, 5), pt(24, 5), pt(24, 24), pt(5, 24)};
    Polygon(canvas.box.hDC(), points, 4);
    QCOMPARE(canvas.at(14, 14), fill.toQRgb());
    QVERIFY(canvas.inked(5, 14));

    canvas.box.Cls();
    canvas.box.setFillStyle(1);
    Polygon(canvas.box.hDC(), points, 4);
    QCOMPARE(canvas.at(14, 14), back.toQRgb());
}

void TestCanvas::polygonWithTooFewPointsIsRefused_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("withPoints");
    QTest::newRow("no points") << 0 << true;
    QTest::newRow("one point") << 1 << true;
    QTest::newRow("negative count") << -3 << true;
    QTest::newRow("null array") << 3 << false;
}

void TestCanvas::polygonWithTooFewPointsIsRefused()
{
    QFETCH(int, count);
    QFETCH(bool, withPoints);
    Canvas canvas(10, 10);
    canvas.box.setDrawWidth(3);
    const PixelPoint points[] = {pt(5, 5), pt(8, 8), pt(2, 8)};
    QVERIFY(!Polygon(canvas.box.hDC(), withPoints ? points : nullptr, count));
    QVERIFY(uniform(canvas.box.Image(), back.toQRgb()));
}

void TestCanvas::windingRegionFillsTheStarsCore_data()
{
    QTest::addColumn<int>("fillMode");
    QTest::addColumn<bool>("coreFilled");
    QTest::newRow("winding") << WINDING << true;
    QTest::newRow("alternate") << ALTERNATE << false;
}

void TestCanvas::windingRegionFillsTheStarsCore()
{
    // A pentagram drawn as one self-crossing outline: every second vertex of a pentagon.
    QFETCH(int, fillMode);
    QFETCH(bool, coreFilled);
    using std::numbers::pi;
    PixelPoint star[5];
    for (int k = 0; k < 5; ++k) {
        const double angle = -pi / 2 + k * 2 * (2 * pi / 5);
        star[k] = pt(int(std::lround(50 + 40 * std::cos(angle))), int(std::lround(50 + 40 * std::sin(angle))));
    }
    Canvas canvas(100, 100);
    DeviceContext& dc = canvas.box.hDC();
    GdiObject region(dc, CreatePolygonRgn(dc, star, 5, fillMode));
    GdiObject brush(dc, CreateSolidBrush(dc, fill));
    QVERIFY(region);
    QVERIFY(FillRgn(canvas.box.hDC(), region.get(), brush.get()));

    QCOMPARE(canvas.at(50, 50) == fill.toQRgb(), coreFilled);
    QCOMPARE(canvas.at(50, 15), fill.toQRgb()); // inside the top tip
    QCOMPARE(canvas.at(5, 95), back.toQRgb());
}

void TestCanvas::regionFillCoversPixelCentres()
{
    // The rectangle (2, 1)-(6, 4) covers the pixels whose centres lie inside it:
    //   ........
    //   ..XXXX..
    //   ..XXXX..
    //   ..XXXX..
    //   ........
    Canvas canvas(8, 5);
    const PixelPoint points[] = {pt(2, 1), pt(6, 1), pt(6, 4), pt(2, 4)};
    DeviceContext& dc = canvas.box.hDC();
    GdiObject region(dc, CreatePolygonRgn(dc, points, 4, WINDING));
    GdiObject brush(dc, CreateSolidBrush(dc, fill));
    FillRgn(canvas.box.hDC(), region.get(), brush.get());
    const QImage image = canvas.box.Image();
    const QStringList expected = {"........", "..XXXX..", "..XXXX..", "..XXXX..", "........"};
    for (int y = 0; y < 5; ++y)
        QCOMPARE(rowText(image, y, 0, 8, fill.toQRgb()), expected[y]);
}

void TestCanvas::adjacentRegionsTileWithoutOverlap()
{
    // Two triangles that share a slanted edge cover their square exactly once.
    const PixelPoint square[] = {pt(3, 2), pt(33, 2), pt(33, 19), pt(3, 19)};
    const PixelPoint upper[] = {pt(3, 2), pt(33, 2), pt(3, 19)};
    const PixelPoint lower[] = {pt(33, 2), pt(33, 19), pt(3, 19)};
    const auto filled = [](const PixelPoint* points, int count) {
        Canvas canvas(40, 24);
        DeviceContext& dc = canvas.box.hDC();
        GdiObject region(dc, CreatePolygonRgn(dc, points, count, WINDING));
        GdiObject brush(dc, CreateSolidBrush(dc, fill));
        FillRgn(canvas.box.hDC(), region.get(), brush.get());
        return canvas.box.Image();
    };
    const QImage whole = filled(square, 4);
    const QImage a = filled(upper, 3);
    const QImage b = filled(lower, 3);
    const QRgb c = fill.toQRgb();
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x)
            QCOMPARE(int(a.pixel(x, y) == c) + int(b.pixel(x, y) == c), int(whole.pixel(x, y) == c));
    QCOMPARE(countOf(whole, c), 30 * 17);
}

void TestCanvas::fillRgnRefusesBadHandles()
{
    Canvas canvas(10, 10);
    const PixelPoint points[] = {pt(1, 1), pt(8, 1), pt(8, 8)};
    DeviceContext& dc = canvas.box.hDC();
    GdiObject region(dc, CreatePolygonRgn(dc, points, 3, WINDING));
    GdiObject brush(dc, CreateSolidBrush(dc, fill));
    GdiObject pen(dc, CreatePen(dc, PS_SOLID, 1, fill));
    QVERIFY(!CreatePolygonRgn(dc, points, 2, WINDING));
    QVERIFY(!CreatePolygonRgn(dc, nullptr, 3, WINDING));
    QVERIFY(!FillRgn(canvas.box.hDC(), HRGN{}, brush.get()));
    QVERIFY(!FillRgn(canvas.box.hDC(), brush.get(), brush.get()));
    QVERIFY(!FillRgn(canvas.box.hDC(), region.get(), pen.get()));
    QVERIFY(!FillRgn(canvas.box.hDC(), region.get(), HBRUSH{12345}));
    QVERIFY(uniform(canvas.box.Image(), back.toQRgb()));
}

void TestCanvas::selectObjectReturnsThePrevious()
{
    Canvas canvas(20, 20);
    DeviceContext& dc = canvas.box.hDC();
    const Colour red = RGB(250, 0, 0);
    GdiObject pen(dc, CreatePen(dc, PS_SOLID, 1, red));

    const HGDIOBJ previous = SelectObject(dc, pen.get());
    QCOMPARE(previous, CanvasPen);
    MoveToEx(dc, 0, 1);
    LineTo(dc, 5, 1);
    QCOMPARE(canvas.at(2, 1), red.toQRgb());

    QCOMPARE(SelectObject(dc, previous), pen.get());
    canvas.box.setForeColor(RGB(0, 250, 0)); // the canvas's own pen follows ForeColor again
    MoveToEx(dc, 0, 3);
    LineTo(dc, 5, 3);
    QCOMPARE(canvas.at(2, 3), qRgb(0, 250, 0));

    GdiObject brush(dc, CreateSolidBrush(dc, fill));
    QCOMPARE(SelectObject(dc, brush.get()), CanvasBrush);
    QCOMPARE(SelectObject(dc, CanvasBrush), brush.get());
    QVERIFY(!SelectObject(dc, HGDIOBJ{99999}));
}

void TestCanvas::liveObjectCountReturnsToItsStart()
{
    Canvas canvas(10, 10);
    DeviceContext& dc = canvas.box.hDC();
    const int start = liveGdiObjectCount();
    const PixelPoint points[] = {pt(1, 1), pt(8, 1), pt(8, 8)};
    const HPEN pen = CreatePen(dc, PS_SOLID, 3, ink);
    const HBRUSH brush = CreateSolidBrush(dc, fill);
    const HRGN region = CreatePolygonRgn(dc, points, 3, WINDING);
    QCOMPARE(liveGdiObjectCount(), start + 3);
    QVERIFY(DeleteObject(dc, pen));
    QVERIFY(DeleteObject(dc, brush));
    QVERIFY(DeleteObject(dc, region));
    QCOMPARE(liveGdiObjectCount(), start);
    QVERIFY(!DeleteObject(dc, pen)); // already gone
    {
        GdiObject held(dc, CreatePen(dc, PS_SOLID, 1, ink));
        QCOMPARE(liveGdiObjectCount(), start + 1);
    }
    QCOMPARE(liveGdiObjectCount(), start);
}

void TestCanvas::stockObjectsAreNotDeleted()
{
    Canvas canvas(10, 10);
    const int start = liveGdiObjectCount();
    QVERIFY(!DeleteObject(canvas.box.hDC(), CanvasPen));
    QVERIFY(!DeleteObject(canvas.box.hDC(), CanvasBrush));
    QVERIFY(!DeleteObject(canvas.box.hDC(), HGDIOBJ{}));
    QCOMPARE(liveGdiObjectCount(), start);

    MoveToEx(canvas.box.hDC(), 0, 0);
    LineTo(canvas.box.hDC(), 5, 0);
    QVERIFY(canvas.inked(2, 0));
}

// --- Window services -------------------------------------------------------------------------

void TestCanvas::clientRect()
{
    QWidget window;
    window.resize(30, 20);
    QRect rect(1, 2, 3, 4);
    QVERIFY(GetClientRect(&window, &rect));
    QCOMPARE(rect, QRect(0, 0, 30, 20));
    QVERIFY(!GetClientRect(nullptr, &rect));
    QVERIFY(!GetClientRect(&window, nullptr));
}

void TestCanvas::lockWindowUpdate()
{
    QWidget first;
    QWidget second;
    QVERIFY(LockWindowUpdate(&first));
    QCOMPARE(lockedWindow(), &first);
    QVERIFY(!first.updatesEnabled());
    QVERIFY(!LockWindowUpdate(&second)); // one window at a time
    QVERIFY(second.updatesEnabled());

    QVERIFY(LockWindowUpdate(nullptr));
    QVERIFY(first.updatesEnabled());
    QVERIFY(!lockedWindow());
    QVERIFY(LockWindowUpdate(&second));
    QVERIFY(LockWindowUpdate(nullptr));
    QVERIFY(second.updatesEnabled());
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
