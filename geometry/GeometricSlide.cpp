#include "geometry/GeometricSlide.h"

#include "geometry/Module1.h"
#include "platform/Numbers.h"
#include "platform/Random.h"
#include "platform/Surface.h"

namespace {

constexpr int figureCount = 5;
constexpr int oneOffBox = 3600;
constexpr int oneOffLeft = 1200;
constexpr Colour oneOffColour = RGB(0, 250, 0);

// A colour channel from one random draw: 0 to 230.
int randomChannel(float draw) { return static_cast<int>(roundHalfEven(230.0 * draw)); }

// An unusable text (not a number, beyond 16 bits, or a width the canvas refuses) keeps the width.
void applyWidth(Surface& canvas, const QString& widthText)
{
    if (const auto width = textToInt16(widthText))
        canvas.setDrawWidth(*width);
}

// Figure 0 is the outermost; each one inwards is 1000 twips smaller on every side, all centred
// at (4500, 4500) twips.
void drawRandomFigure(Surface& canvas, int figure)
{
    const float q1 = RandomSource::next();
    const float q2 = RandomSource::next();
    const float q3 = RandomSource::next();
    const float q4 = RandomSource::next();
    const int corner = 200 + 1000 * figure;
    const int size = 8600 - 2000 * figure;
    const auto points = static_cast<std::int16_t>(roundHalfEven(99.0 * q1));
    const Colour colour = RGB(randomChannel(q2), randomChannel(q3), randomChannel(q4));
    // A figure that fails ends only itself.
    DrawStarPolygon(canvas, corner, corner, size, size, points, 0, colour);
}

} // namespace

QString drawGeometricSlide(Surface& canvas, const QString& widthText)
{
    canvas.Cls();

    const float r1 = RandomSource::next();
    const float r2 = RandomSource::next();
    const float r3 = RandomSource::next();
    canvas.setBackColor(RGB(randomChannel(r1), randomChannel(r2), randomChannel(r3)));

    applyWidth(canvas, widthText);

    for (int figure = 0; figure < figureCount; ++figure)
        drawRandomFigure(canvas, figure);

    // The product is stored as a single-precision value; its text ends the code.
    const float p = RandomSource::next();
    const float product = toSingle(99.0 * p);
    return QStringLiteral("QRV") + widthText + QStringLiteral("600") + numberToText(product);
}

void drawOneOffFigure(Surface& canvas, const QString& pointsText)
{
    canvas.Cls();
    const auto points = textToInt16(pointsText);
    if (!points)
        return;
    DrawStarPolygon(canvas, oneOffLeft, oneOffLeft, oneOffBox, oneOffBox, *points, 0, oneOffColour);
}
