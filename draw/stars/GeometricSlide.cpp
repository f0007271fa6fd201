#include "draw/stars/GeometricSlide.h"

#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/stars/StarGeometry.h"
#include "draw/surface/Surface.h"

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

GeometricFigure randomFigure(RandomStream& random)
{
    const float q1 = random.next();
    const float q2 = random.next();
    const float q3 = random.next();
    const float q4 = random.next();
    const auto points = static_cast<std::int16_t>(roundHalfEven(99.0 * q1));
    return GeometricFigure{points, RGB(randomChannel(q2), randomChannel(q3), randomChannel(q4))};
}

// Figure 0 is the outermost; each one inwards is 1000 twips smaller on every side, all centred
// at (4500, 4500) twips.
void drawFigure(Surface& canvas, int index, const GeometricFigure& figure)
{
    const int corner = 200 + 1000 * index;
    const int size = 8600 - 2000 * index;
    // A figure that fails ends only itself.
    DrawStarPolygon(canvas, corner, corner, size, size, figure.points, 0, figure.colour);
}

} // namespace

GeometricSlide drawNextGeometricSlide(Surface& canvas, const QString& widthText)
{
    return drawNextGeometricSlide(canvas, widthText, RandomSource::stream());
}

GeometricSlide drawNextGeometricSlide(Surface& canvas, const QString& widthText, RandomStream& random)
{
    GeometricSlide slide;
    slide.randomState = random.state();
    canvas.Cls();

    const float r1 = random.next();
    const float r2 = random.next();
    const float r3 = random.next();
    canvas.setBackColor(RGB(randomChannel(r1), randomChannel(r2), randomChannel(r3)));
    slide.background = canvas.background();

    applyWidth(canvas, widthText);
    slide.drawWidth = canvas.DrawWidth();

    for (int index = 0; index < figureCount; ++index) {
        slide.figures[size_t(index)] = randomFigure(random);
        drawFigure(canvas, index, slide.figures[size_t(index)]);
    }

    // The product is stored as a single-precision value; its text ends the code.
    const float p = random.next();
    const float product = toSingle(99.0 * p);
    slide.code = QStringLiteral("QRV") + widthText + QStringLiteral("600") + numberToText(product);
    return slide;
}

QString drawGeometricSlide(Surface& canvas, const QString& widthText)
{
    return drawNextGeometricSlide(canvas, widthText).code;
}

void drawOneOffFigure(Surface& canvas, const QString& pointsText)
{
    canvas.Cls();
    const auto points = textToInt16(pointsText);
    if (!points)
        return;
    DrawStarPolygon(canvas, oneOffLeft, oneOffLeft, oneOffBox, oneOffBox, *points, 0, oneOffColour);
}
