// Drawing at device pixel ratios other than 1, checked against expectations worked out apart from
// the painter's own scaling: device coordinates computed here, or the same shape drawn at ratio 1
// from coordinates this test scaled itself.
#include "PixelCount.h"

#include "OutputFixture.h"

#include "draw/gradient/GradientRenderer.h"
#include "draw/surface/DrawingHandles.h"
#include "draw/surface/PictureSource.h"
#include "draw/surface/Surface.h"

#include <QtTest>

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr Colour paper = RGB(255, 255, 255);
constexpr Colour ink = RGB(0, 0, 160);

// A device coordinate as the tests expect it: the nearest pixel, ties to the even one.
int device(double logical, double ratio) { return int(std::nearbyint(logical * ratio)); }

std::unique_ptr<Surface> blankSurface(QSize size, qreal ratio)
{
    auto surface = std::make_unique<Surface>(size, ratio);
    surface->setBackColor(paper);
    return surface;
}

// The device pixels in the ink colour, as "x,y" texts, for readable differences.
QStringList inkedPixels(const QImage& image)
{
    QStringList pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (ink.toQRgb() & 0xFFFFFF))
                pixels << QStringLiteral("%1,%2").arg(x).arg(y);
    return pixels;
}

QStringList pixelsOf(const std::vector<QPoint>& points)
{
    QStringList pixels;
    for (QPoint p : points)
        pixels << QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
    pixels.sort();
    return pixels;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Draws the closed polygon through the device context: its outline with a pen of the width, its
// inside with a solid brush when filled.
void drawPolygon(Surface& surface, const std::vector<PixelPoint>& points, int penWidth, bool filled)
{
    DeviceContext& dc = surface.hDC();
    const GdiObject pen(dc, CreatePen(dc, PS_SOLID, penWidth, ink));
    const GdiObject brush(dc, CreateSolidBrush(dc, ink));
    const GdiObject nullPen(dc, CreatePen(dc, PS_NULL, 1, ink));
    const HGDIOBJ oldPen = SelectObject(dc, penWidth > 0 ? pen.get() : nullPen.get());
    const HGDIOBJ oldBrush = filled ? SelectObject(dc, brush.get()) : HGDIOBJ{};
    Polygon(dc, points.data(), int(points.size()));
    SelectObject(dc, oldPen);
    if (filled)
        SelectObject(dc, oldBrush);
}

std::vector<PixelPoint> scaledPoints(const std::vector<PixelPoint>& points, double ratio)
{
    std::vector<PixelPoint> scaled;
    for (PixelPoint p : points)
        scaled.push_back(PixelPoint{device(p.x, ratio), device(p.y, ratio)});
    return scaled;
}

QImage pixelsOfImage(QImage image)
{
    image.setDevicePixelRatio(1.0);
    return image;
}

} // namespace

class TestScaledDrawing : public QObject
{
    Q_OBJECT

private slots:
    void thinLineLandsOnItsDevicePixels_data();
    void thinLineLandsOnItsDevicePixels();
    void thinBoxLandsOnItsDevicePixels_data();
    void thinBoxLandsOnItsDevicePixels();
    void lineWiderThanAPixelStaysOnItsScaledPath();
    void rectangleFillCoversItsDeviceRectangle_data();
    void rectangleFillCoversItsDeviceRectangle();
    void polygonEqualsThePolygonScaledBeforehand_data();
    void polygonEqualsThePolygonScaledBeforehand();
    void gradientSweptAgainCoversEveryDevicePixel();
    void farDotsAreDroppedAlikeByEveryOutput_data();
    void farDotsAreDroppedAlikeByEveryOutput();
};

void TestScaledDrawing::thinLineLandsOnItsDevicePixels_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QLineF>("line");
    // At these ratios a one-pixel pen still rounds to one device pixel, so lines are walked.
    QTest::newRow("across at 1.25, ends halfway between pixels") << 1.25 << QLineF(10, 20, 30, 20);
    QTest::newRow("down at 1.25") << 1.25 << QLineF(7, 3, 7, 33);
    QTest::newRow("across at 1.1") << 1.1 << QLineF(4, 41, 44, 41);
    QTest::newRow("up at 1.4") << 1.4 << QLineF(30, 34, 30, 2);
}

// A thin line from (x1, y) to (x2, y) fills device row device(y) from device(x1) up to, not
// including, device(x2); likewise down a column.
void TestScaledDrawing::thinLineLandsOnItsDevicePixels()
{
    QFETCH(double, ratio);
    QFETCH(QLineF, line);
    auto surface = blankSurface(QSize(50, 50), ratio);
    surface->Line(line.x1(), line.y1(), line.x2(), line.y2(), ink);

    std::vector<QPoint> expected;
    const int fixedX = device(line.x1(), ratio), fixedY = device(line.y1(), ratio);
    if (line.y1() == line.y2()) {
        const int from = device(line.x1(), ratio), to = device(line.x2(), ratio);
        for (int x = from; x != to; x += from < to ? 1 : -1)
            expected.push_back(QPoint(x, fixedY));
    } else {
        const int from = device(line.y1(), ratio), to = device(line.y2(), ratio);
        for (int y = from; y != to; y += from < to ? 1 : -1)
            expected.push_back(QPoint(fixedX, y));
    }
    QCOMPARE(sorted(inkedPixels(surface->Image())), pixelsOf(expected));
}

void TestScaledDrawing::thinBoxLandsOnItsDevicePixels_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QRect>("box");
    QTest::newRow("5 to 35 at 1.25") << 1.25 << QRect(QPoint(5, 5), QPoint(35, 35));
    QTest::newRow("3 to 21 by 9 to 30 at 1.4") << 1.4 << QRect(QPoint(3, 9), QPoint(21, 30));
}

// A thin box outlines the device rectangle from device(left) to device(right), both included.
void TestScaledDrawing::thinBoxLandsOnItsDevicePixels()
{
    QFETCH(double, ratio);
    QFETCH(QRect, box);
    auto surface = blankSurface(QSize(40, 40), ratio);
    surface->Line(box.left(), box.top(), box.right(), box.bottom(), ink, LineBox::Box);

    const int left = device(box.left(), ratio), right = device(box.right(), ratio);
    const int top = device(box.top(), ratio), bottom = device(box.bottom(), ratio);
    std::vector<QPoint> expected;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (x == left || x == right || y == top || y == bottom)
                expected.push_back(QPoint(x, y));
    QCOMPARE(sorted(inkedPixels(surface->Image())), pixelsOf(expected));
}

// At 1.75 a one-pixel pen is stroked 1.75 device pixels wide along the scaled path: every inked
// pixel lies within a pixel of the device row 35 and between the scaled ends.
void TestScaledDrawing::lineWiderThanAPixelStaysOnItsScaledPath()
{
    const double ratio = 1.75;
    auto surface = blankSurface(QSize(50, 50), ratio);
    surface->Line(10, 20, 30, 20, ink);
    const QStringList inked = inkedPixels(surface->Image());
    QVERIFY(!inked.isEmpty());
    const int row = device(20, ratio), from = device(10, ratio), to = device(30, ratio);
    for (const QString& pixel : inked) {
        const int x = pixel.section(u',', 0, 0).toInt(), y = pixel.section(u',', 1, 1).toInt();
        QVERIFY2(std::abs(y - row) <= 1 && x >= from - 1 && x <= to + 1, qPrintable(pixel));
    }
    // The middle of the line is inked on its own row.
    QVERIFY(inked.contains(QStringLiteral("%1,%2").arg((from + to) / 2).arg(row)));
}

void TestScaledDrawing::rectangleFillCoversItsDeviceRectangle_data()
{
    QTest::addColumn<double>("ratio");
    // Corners chosen so that every ratio maps them to whole device pixels.
    QTest::newRow("1.25") << 1.25;
    QTest::newRow("1.75") << 1.75;
    QTest::newRow("2") << 2.0;
    QTest::newRow("3") << 3.0;
}

// The region fill covers the device columns [left, right) and rows [top, bottom) of its scaled
// corners: a corner moved by one device pixel changes the set.
void TestScaledDrawing::rectangleFillCoversItsDeviceRectangle()
{
    QFETCH(double, ratio);
    auto surface = blankSurface(QSize(40, 40), ratio);
    const std::vector<PixelPoint> corners{{8, 12}, {32, 12}, {32, 28}, {8, 28}};
    DeviceContext& dc = surface->hDC();
    const GdiObject region(dc, CreatePolygonRgn(dc, corners.data(), int(corners.size()), WINDING));
    const GdiObject brush(dc, CreateSolidBrush(dc, ink));
    QVERIFY(FillRgn(surface->hDC(), region.get(), brush.get()));

    std::vector<QPoint> expected;
    for (int y = device(12, ratio); y < device(28, ratio); ++y)
        for (int x = device(8, ratio); x < device(32, ratio); ++x)
            expected.push_back(QPoint(x, y));
    QCOMPARE(sorted(inkedPixels(surface->Image())), pixelsOf(expected));
}

void TestScaledDrawing::polygonEqualsThePolygonScaledBeforehand_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("penWidth"); // 0: no outline
    QTest::addColumn<bool>("filled");
    // Ratios whose pens round to whole device widths the same way at ratio 1.
    QTest::newRow("outline at 1.25") << 1.25 << 1 << false;
    QTest::newRow("filled outline at 1.25") << 1.25 << 1 << true;
    QTest::newRow("outline at 2") << 2.0 << 1 << false;
    QTest::newRow("fill alone at 2") << 2.0 << 0 << true;
    QTest::newRow("wide filled outline at 2") << 2.0 << 3 << true;
    QTest::newRow("fill alone at 1.75") << 1.75 << 0 << true;
    QTest::newRow("wide outline at 3") << 3.0 << 2 << false;
}

// A slanted star-like polygon drawn at the ratio gives exactly the pixels of the same polygon
// drawn at ratio 1 from corners this test scaled, with the pen width scaled likewise.
void TestScaledDrawing::polygonEqualsThePolygonScaledBeforehand()
{
    QFETCH(double, ratio);
    QFETCH(int, penWidth);
    QFETCH(bool, filled);
    // Corners on multiples of 4, so no ratio here puts one halfway between device pixels.
    const std::vector<PixelPoint> corners{{4, 8}, {36, 4}, {20, 16}, {32, 36}, {8, 28}};
    const QSize logical(40, 40);

    auto scaled = blankSurface(logical, ratio);
    drawPolygon(*scaled, corners, penWidth, filled);

    auto reference = blankSurface(QSize(device(logical.width(), ratio), device(logical.height(), ratio)), 1.0);
    drawPolygon(*reference, scaledPoints(corners, ratio), int(std::lround(penWidth * ratio)), filled);

    const QImage drawn = pixelsOfImage(scaled->Image());
    QVERIFY(countColour(drawn, ink.toQRgb()) > 0);
    QCOMPARE(drawn, reference->Image());
}

// A gradient on a surface at a fractional ratio is swept again in device pixels; the surface then
// trusts it to cover everything, so no device row or column may stay unpainted.
void TestScaledDrawing::gradientSweptAgainCoversEveryDevicePixel()
{
    const QRgb sentinel = qRgb(0, 255, 0); // never part of a red-to-blue gradient
    // Small areas show it: whether the sweep's last line reaches the last row depends on the
    // angle and on how the area's size rounds.
    const double ratios[] = {1.1, 1.2, 1.25, 1.3, 1.4, 1.5, 1.6, 1.75, 1.9, 2.25, 2.5};
    int uncovered = 0;
    QString first;
    for (double ratio : ratios)
        for (int degrees = 0; degrees < 360; degrees += 3)
            for (int width = 2; width <= 12; ++width)
                for (int height = 2; height <= 12; ++height) {
                    const auto angle = float(degrees);
                    Surface surface(QSize(width, height), ratio);
                    surface.setBackColor(Colour::fromQRgb(sentinel));
                    GradientRenderer gradient;
                    gradient.setColor1(RGB(255, 0, 0));
                    gradient.setColor2(RGB(0, 0, 255));
                    gradient.setAngle(angle);
                    gradient.Draw(surface);
                    if (countColour(surface.Image(), sentinel) == 0)
                        continue;
                    if (uncovered++ == 0)
                        first = QStringLiteral("%1 x %2 at %3, %4 degrees").arg(width).arg(height).arg(ratio).arg(angle);
                }
    QVERIFY2(uncovered == 0, qPrintable(QStringLiteral("%1 areas left pixels unpainted, first %2").arg(uncovered).arg(first)));
}

void TestScaledDrawing::farDotsAreDroppedAlikeByEveryOutput_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<int>("drawn"); // circles in the vector output
    QTest::newRow("just inside the reach") << 16777214.0f << 1;
    QTest::newRow("at the reach") << 16777216.0f << 0;
    QTest::newRow("beyond the reach") << 16777218.0f << 0;
    QTest::newRow("at the reach on the left") << -16777216.0f << 0;
    QTest::newRow("on the canvas") << 5.0f << 1;
}

// The pixel and the vector outputs share one limit: a dot they drop is dropped by both.
void TestScaledDrawing::farDotsAreDroppedAlikeByEveryOutput()
{
    QFETCH(float, x);
    QFETCH(int, drawn);
    Surface surface(QSize(20, 20));
    surface.setBackColor(paper);
    surface.setDrawWidth(3);
    surface.PSet(x, 5, ink);
    QCOMPARE(countColour(surface.Image(), ink.toQRgb()) > 0, x == 5.0f);
    const QByteArray svg = savedBytes(surface.snapshot(), ExportFormat::Svg, 1.0, QStringLiteral("code"));
    QCOMPARE(int(svg.count("<ellipse") + svg.count("<circle")), drawn);
}

QTEST_MAIN(TestScaledDrawing)
#include "tst_scaleddrawing.moc"
