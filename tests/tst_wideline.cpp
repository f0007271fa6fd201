#include "draw/raster/DotStamp.h"
#include "draw/raster/WideLine.h"

#include <QtTest>

#include <cmath>

namespace {

constexpr QRgb ink = 0xFF102030;
constexpr QRgb paper = 0xFFFFFFFF;

struct Sheet
{
    QImage image;
    explicit Sheet(int width = 64, int height = 48) : image(width, height, QImage::Format_RGB32) { image.fill(paper); }
    PixelBuffer buffer() { return PixelBuffer::of(image); }
};

// Distance from point p to the segment a-b.
double distanceToSegment(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double squared = dx * dx + dy * dy;
    double t = squared > 0 ? ((px - ax) * dx + (py - ay) * dy) / squared : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

} // namespace

class TestWideLine : public QObject
{
    Q_OBJECT

private slots:
    void horizontalSegmentShape();
    void zeroLengthIsOneDot_data();
    void zeroLengthIsOneDot();
    void paintsPixelsWithinHalfWidth_data();
    void paintsPixelsWithinHalfWidth();
    void directionDoesNotMatter();
    void farCoordinatesAreClipped();
};

void TestWideLine::horizontalSegmentShape()
{
    // Width 3 from (3, 3) to (8, 3): three rows, round ends one pixel beyond each end.
    Sheet sheet(13, 7);
    strokeWideSegment(sheet.buffer(), 3, 3, 8, 3, 3, ink);
    const char* expected[] = {
        ".............",
        ".............",
        "..########...",
        "..########...",
        "..########...",
        ".............",
        ".............",
    };
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            QCOMPARE(sheet.image.pixel(x, y) == ink, expected[y][x] == '#');
}

void TestWideLine::zeroLengthIsOneDot_data()
{
    QTest::addColumn<int>("width");
    for (int width : {2, 3, 9, 12})
        QTest::addRow("width %d", width) << width;
}

void TestWideLine::zeroLengthIsOneDot()
{
    QFETCH(int, width);
    Sheet line, dot;
    strokeWideSegment(line.buffer(), 20, 20, 20, 20, width, ink);
    DotStamp(width).stamp(dot.buffer(), 20, 20, ink);
    QCOMPARE(line.image, dot.image);
}

void TestWideLine::paintsPixelsWithinHalfWidth_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("width");
    QTest::newRow("steep odd width") << QPoint(10, 2) << QPoint(17, 44) << 9;
    QTest::newRow("shallow even width") << QPoint(2, 30) << QPoint(60, 21) << 12;
    QTest::newRow("diagonal thin") << QPoint(5, 5) << QPoint(40, 40) << 2;
    QTest::newRow("vertical") << QPoint(30, 4) << QPoint(30, 40) << 5;
    QTest::newRow("leaving the sheet") << QPoint(-20, -10) << QPoint(70, 60) << 7;
}

void TestWideLine::paintsPixelsWithinHalfWidth()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, width);
    Sheet sheet;
    strokeWideSegment(sheet.buffer(), from.x(), from.y(), to.x(), to.y(), width, ink);
    const double offset = (width % 2) * 0.5;
    const double radius = width / 2.0;
    for (int y = 0; y < sheet.image.height(); ++y) {
        for (int x = 0; x < sheet.image.width(); ++x) {
            const double distance = distanceToSegment(x + 0.5, y + 0.5, from.x() + offset, from.y() + offset,
                                                      to.x() + offset, to.y() + offset);
            if (std::fabs(distance - radius) < 1e-9)
                continue; // on the rim: either answer is fair
            QCOMPARE(sheet.image.pixel(x, y) == ink, distance < radius);
        }
    }
}

void TestWideLine::directionDoesNotMatter()
{
    Sheet forward, backward;
    strokeWideSegment(forward.buffer(), 3, 40, 50, 7, 6, ink);
    strokeWideSegment(backward.buffer(), 50, 7, 3, 40, 6, ink);
    QCOMPARE(forward.image, backward.image);
}

void TestWideLine::farCoordinatesAreClipped()
{
    Sheet sheet;
    strokeWideSegment(sheet.buffer(), -100000000, 20, 100000000, 20, 5, ink);
    for (int x = 0; x < sheet.image.width(); ++x) {
        QCOMPARE(sheet.image.pixel(x, 17), paper);
        QCOMPARE(sheet.image.pixel(x, 18), ink);
        QCOMPARE(sheet.image.pixel(x, 22), ink);
        QCOMPARE(sheet.image.pixel(x, 23), paper);
    }
    strokeWideSegment(sheet.buffer(), 2147483647, -2147483647 - 1, -2147483647 - 1, 2147483647, 40, ink);
}

QTEST_APPLESS_MAIN(TestWideLine)
#include "tst_wideline.moc"
