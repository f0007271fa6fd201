// Draws the program's icon in the hicolor sizes: hypotrochoids of the slide show in its colours
// on a dark green tile. Usage: make-icons OUTPUT_FOLDER
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace {

struct Curve {
    int R;           // fixed circle
    int r;           // rolling circle
    double d;        // pen-hole distance
    QColor colour;
};

// Outer curve first so the small inner ones stay on top.
const std::array<Curve, 4> curves{{
    {9, 4, 6.0, QColor(0, 0, 250)},
    {7, 3, 5.0, QColor(250, 30, 130)},
    {5, 3, 5.0, QColor(0, 250, 0)},
    {8, 5, 3.0, QColor(250, 250, 0)},
}};

// Tiny icons show one plain looped five-pointed star that still reads at 16 pixels.
const Curve smallCurve{5, 3, 5.0, QColor(250, 250, 0)};

const QColor tileColour(0, 64, 0);
const QColor canvasColour(255, 192, 255);

// The curve scaled so its farthest possible point, (R - r) + d, touches radius.
QPainterPath hypotrochoid(const Curve& c, double radius)
{
    const double k = double(c.R - c.r) / c.r;
    const double scale = radius / ((c.R - c.r) + c.d);
    const int turns = c.r / std::gcd(c.R, c.r);
    const int steps = 720 * turns;
    QPainterPath path;
    for (int i = 0; i <= steps; ++i) {
        const double t = 2.0 * M_PI * turns * i / steps;
        const double x = (c.R - c.r) * std::cos(t) + c.d * std::cos(k * t);
        const double y = (c.R - c.r) * std::sin(t) - c.d * std::sin(k * t);
        const QPointF p(x * scale, y * scale);
        i == 0 ? path.moveTo(p) : path.lineTo(p);
    }
    return path;
}

// Small sizes carry fewer curves so each stays readable.
int curveCount(int size)
{
    if (size <= 32)
        return 1;
    if (size <= 64)
        return 3;
    return 4;
}

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const double margin = size <= 24 ? 0.5 : size / 32.0;
    const QRectF tile(margin, margin, size - 2 * margin, size - 2 * margin);
    const double corner = size * 0.18;
    painter.setPen(size >= 48 ? QPen(canvasColour, size / 64.0) : Qt::NoPen);
    painter.setBrush(tileColour);
    painter.drawRoundedRect(tile, corner, corner);

    painter.translate(size / 2.0, size / 2.0);
    const double lineWidth = size <= 32 ? std::max(1.0, size / 24.0) : std::max(1.2, size / 80.0);
    const double radius = size / 2.0 - margin - lineWidth - size * 0.06;
    const int count = curveCount(size);
    for (int i = 4 - count; i < 4; ++i) {
        const Curve& c = count == 1 ? smallCurve : curves[i];
        const double share = count == 1 ? 1.0 : 1.0 - 0.16 * (i - (4 - count));
        painter.setPen(QPen(c.colour, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(hypotrochoid(c, radius * share));
    }
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: make-icons OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = folder.filePath(QStringLiteral("pattern-designer-%1.png").arg(size));
        if (!drawIcon(size).save(file)) {
            std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
