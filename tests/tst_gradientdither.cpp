// A gradient drawn larger than its own size: a ramp in fractions of a colour step, rounded by a
// blue-noise table. Judged against the exact colour of the ideal gradient at each pixel.

#include "draw/gradient/GradientRenderer.h"
#include "draw/surface/Surface.h"

#include <QTest>

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int logicalSide = 800;
constexpr double scale = 4.0;
constexpr int side = 3200;

// The ideal two-colour gradient: the colour runs from Color1 at the trailing corner to Color2 at
// the leading one, along the direction of the angle (counter-clockwise from the right, y down),
// taken at each pixel's centre.
struct IdealGradient
{
    IdealGradient(Colour from, Colour to, float angle)
        : a(from.toQRgb()), b(to.toQRgb()), ux(std::cos(double(angle) * M_PI / 180.0)),
          uy(-std::sin(double(angle) * M_PI / 180.0))
    {
        for (const QPointF corner : {QPointF(0, 0), QPointF(side, 0), QPointF(0, side), QPointF(side, side)}) {
            low = std::min(low, corner.x() * ux + corner.y() * uy);
            high = std::max(high, corner.x() * ux + corner.y() * uy);
        }
    }

    // Pixels from the trailing corner along the direction.
    double along(int x, int y) const { return (x + 0.5) * ux + (y + 0.5) * uy - low; }
    double exact(int x, int y, int c) const
    {
        const double share = along(x, y) / (high - low);
        return channel(a, c) + (channel(b, c) - channel(a, c)) * share;
    }
    int places() const { return int(high - low) + 1; }

    static int channel(QRgb pixel, int c) { return c == 0 ? qRed(pixel) : c == 1 ? qGreen(pixel) : qBlue(pixel); }

    QRgb a, b;
    double ux, uy;
    double low = 0, high = 0;
};

QImage drawAtFourTimes(Colour from, Colour to, float angle)
{
    GradientRenderer gradient;
    gradient.setColor1(from);
    gradient.setColor2(to);
    gradient.setAngle(angle);
    Surface surface(QSize(logicalSide, logicalSide), scale);
    gradient.Draw(surface);
    return surface.Image().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestGradientDither : public QObject
{
    Q_OBJECT

private slots:
    void measures_data();
    void measures();
    void equalColoursFillSolid();
    void scaleOneIsTheSweepItself();
};

void TestGradientDither::measures_data()
{
    QTest::addColumn<Colour>("from");
    QTest::addColumn<Colour>("to");
    QTest::addColumn<float>("angle");
    const struct
    {
        const char* name;
        Colour from, to;
    } pairs[] = {
        {"#191919 to #2D2D2D", RGB(0x19, 0x19, 0x19), RGB(0x2D, 0x2D, 0x2D)},
        {"#141824 to #2C3448", RGB(0x14, 0x18, 0x24), RGB(0x2C, 0x34, 0x48)},
        {"#0A3C46 to #125060", RGB(0x0A, 0x3C, 0x46), RGB(0x12, 0x50, 0x60)},
        {"black to white", RGB(0, 0, 0), RGB(255, 255, 255)},
    };
    for (const auto& pair : pairs)
        for (const float angle : {0.0f, 30.0f, 45.0f})
            QTest::addRow("%s at %g degrees", pair.name, double(angle)) << pair.from << pair.to << angle;
}

void TestGradientDither::measures()
{
    QFETCH(Colour, from);
    QFETCH(Colour, to);
    QFETCH(float, angle);
    const QImage drawn = drawAtFourTimes(from, to, angle);
    const IdealGradient ideal(from, to, angle);
    QCOMPARE(drawn.size(), QSize(side, side));

    // Every pixel within one step of its exact colour; the error summed per position along the
    // gradient.
    std::vector<std::array<double, 3>> errorSum(size_t(ideal.places()), {0, 0, 0});
    std::vector<int> pixels(size_t(ideal.places()), 0);
    double worst = 0;
    for (int y = 0; y < side; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        for (int x = 0; x < side; ++x) {
            const auto k = size_t(ideal.along(x, y));
            ++pixels[k];
            for (int c = 0; c < 3; ++c) {
                const double error = IdealGradient::channel(row[x], c) - ideal.exact(x, y, c);
                worst = std::max(worst, std::fabs(error));
                errorSum[k][size_t(c)] += error;
            }
        }
    }
    QVERIFY2(worst <= 1.0, qPrintable(QStringLiteral("a pixel %1 steps off").arg(worst)));

    // The mean error per position along the gradient, over two neighbouring pixels. Near a corner
    // a position holds only a few pixels, too few for a mean closer than a fraction of a step
    // whatever the dither (two pixels average to halves): positions of at least 256 pixels, all
    // but the corners' last few per cent, are judged.
    double worstMean = 0;
    for (int k = 0; k + 1 < ideal.places(); ++k) {
        const int count = pixels[size_t(k)] + pixels[size_t(k + 1)];
        if (count < 256)
            continue;
        for (int c = 0; c < 3; ++c)
            worstMean = std::max(worstMean, std::fabs(errorSum[size_t(k)][size_t(c)] + errorSum[size_t(k + 1)][size_t(c)]) / count);
    }
    QVERIFY2(worstMean <= 0.05, qPrintable(QStringLiteral("mean error %1 of a step").arg(worstMean)));

    // 8 x 8 windows moved along the gradient through the middle, a pixel at a time along the
    // direction's major axis: their sums never stay the same over more than 10 pixels of travel.
    const double radians = double(angle) * M_PI / 180.0;
    const double dx = std::cos(radians), dy = -std::sin(radians);
    const bool acrossX = std::fabs(dx) >= std::fabs(dy);
    const double travel = 1.0 / std::max(std::fabs(dx), std::fabs(dy)); // pixels along the direction per step
    const int steps = side / 2 - 8;
    int run = 0, longest = 0;
    long previous = -1;
    for (int i = -steps; i <= steps; ++i) {
        const double along = i * travel;
        const int x0 = (acrossX ? side / 2 + (dx > 0 ? i : -i) : int(std::lround(side / 2.0 + along * dx))) - 4;
        const int y0 = (acrossX ? int(std::lround(side / 2.0 + along * dy)) : side / 2 + (dy > 0 ? i : -i)) - 4;
        long sum = 0;
        for (int y = y0; y < y0 + 8; ++y)
            for (int x = x0; x < x0 + 8; ++x) {
                const QRgb pixel = drawn.pixel(x, y);
                sum += qRed(pixel) + qGreen(pixel) + qBlue(pixel);
            }
        run = sum == previous ? run + 1 : 1;
        longest = std::max(longest, run);
        previous = sum;
    }
    QVERIFY2((longest - 1) * travel <= 10,
             qPrintable(QStringLiteral("window sums equal over %1 pixels").arg((longest - 1) * travel)));

    // Deterministic: a second render is the same, byte for byte.
    QCOMPARE(drawAtFourTimes(from, to, angle), drawn);
}

void TestGradientDither::equalColoursFillSolid()
{
    for (const float angle : {0.0f, 30.0f, 45.0f, 315.0f}) {
        GradientRenderer gradient;
        gradient.setColor1(RGB(0x19, 0x19, 0x19));
        gradient.setColor2(RGB(0x19, 0x19, 0x19));
        gradient.setAngle(angle);
        Surface surface(QSize(200, 150), 2.5);
        gradient.Draw(surface);
        const QImage image = surface.Image().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFFu) != 0x191919u)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) at %3 degrees").arg(x).arg(y).arg(angle)));
    }
}

void TestGradientDither::scaleOneIsTheSweepItself()
{
    // At its own size the gradient is the sweep's lines, one colour each.
    GradientRenderer gradient;
    gradient.setColor1(RGB(0, 0, 0));
    gradient.setColor2(RGB(255, 255, 255));
    gradient.setAngle(0);
    Surface surface(QSize(300, 200));
    gradient.Draw(surface);
    const QImage image = surface.Image();
    for (int x = 0; x < image.width(); ++x)
        for (int y = 1; y < image.height(); ++y)
            QCOMPARE(image.pixel(x, y), image.pixel(x, 0));
}

QTEST_APPLESS_MAIN(TestGradientDither)
#include "tst_gradientdither.moc"
