#include "draw/gradient/AngleArrow.h"
#include "draw/surface/DrawingHandles.h"
#include "draw/surface/Surface.h"

#include <QtTest>

#include <array>

namespace {

constexpr Colour white = RGB(255, 255, 255);
constexpr Colour red = RGB(255, 0, 0);
constexpr Colour yellow = RGB(255, 255, 0);

// The canvas as a sketch: '.' background, 'r' fill, 'Y' outline, '?' anything else.
QStringList sketchOf(const QImage& image)
{
    QStringList rows;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            row += pixel == white.toQRgb() ? u'.' : pixel == red.toQRgb() ? u'r' : pixel == yellow.toQRgb() ? u'Y' : u'?';
        }
        rows << row;
    }
    return rows;
}

// Fill pixels that touch the background: the fill got out of its outline there.
int leaks(const QImage& image)
{
    int count = 0;
    for (int y = 1; y + 1 < image.height(); ++y)
        for (int x = 1; x + 1 < image.width(); ++x) {
            if (image.pixel(x, y) != red.toQRgb())
                continue;
            const bool touches = image.pixel(x - 1, y) == white.toQRgb() || image.pixel(x + 1, y) == white.toQRgb()
                                 || image.pixel(x, y - 1) == white.toQRgb() || image.pixel(x, y + 1) == white.toQRgb();
            count += touches;
        }
    return count;
}

} // namespace

// A filled polygon stays inside the outline drawn through the same points.
class TestPolygonFill : public QObject
{
    Q_OBJECT

private slots:
    void fillMeetsASlantedOutlineFromInside();
    void arrowheadNeverLeaksOutOfItsOutline_data();
    void arrowheadNeverLeaksOutOfItsOutline();
};

void TestPolygonFill::fillMeetsASlantedOutlineFromInside()
{
    Surface canvas(QSize(10, 11));
    canvas.setBackColor(white);
    canvas.setForeColor(yellow);
    canvas.setFillColor(red);
    canvas.setFillStyle(0);
    // A right triangle whose slanted side has the inside on its right, as the lower side of the
    // arrowhead has.
    const std::array<PixelPoint, 3> points{PixelPoint{8, 1}, PixelPoint{8, 9}, PixelPoint{0, 9}};
    QVERIFY(Polygon(canvas.hDC(), points.data(), int(points.size())));
    const QStringList expected{
        "..........",
        "........Y.",
        ".......YY.",
        "......YrY.",
        ".....YrrY.",
        "....YrrrY.",
        "...YrrrrY.",
        "..YrrrrrY.",
        ".YrrrrrrY.",
        "YYYYYYYYY.",
        "..........",
    };
    QCOMPARE(sketchOf(canvas.Image()), expected);
}

void TestPolygonFill::arrowheadNeverLeaksOutOfItsOutline_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("picker's angle button, 32 x 32") << QSize(32, 32);
    QTest::newRow("angle dialog's preview, 106 x 102") << QSize(106, 102);
}

void TestPolygonFill::arrowheadNeverLeaksOutOfItsOutline()
{
    QFETCH(QSize, size);
    Surface canvas(size);
    for (int angle = 0; angle < 360; ++angle) {
        canvas.setBackColor(white);
        QCOMPARE(DrawAngleArrow(canvas, float(angle)), ErrorCode::None);
        const QImage image = canvas.Image();
        QVERIFY2(leaks(image) == 0, qPrintable(QStringLiteral("%1 degrees:\n").arg(angle) + sketchOf(image).join(u'\n')));
    }
}

QTEST_MAIN(TestPolygonFill)
#include "tst_polygonfill.moc"
