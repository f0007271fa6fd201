#pragma once

#include "draw/base/Colour.h"
#include "draw/surface/SurfaceBackground.h"

#include <QString>

#include <array>
#include <cstdint>

class RandomStream;
class Surface;

// One of the five figures of a slide, from the outside in.
struct GeometricFigure
{
    std::int16_t points = 0;
    Colour colour = RGB(0, 0, 0);
};

// What one slide of the geometric designer's show was drawn from: its background (the random
// colour and any gradient picture), the random state its draws began at, the line width, its
// figures and its pattern code. A slide is kept and drawn again by its recipe (see recipeOf).
struct GeometricSlide
{
    SurfaceBackground background;
    std::uint32_t randomState = 0;
    int drawWidth = 1;
    std::array<GeometricFigure, 5> figures;
    QString code;
};

// Draws a new slide from the random source, as drawGeometricSlide, and returns its inputs. The
// draws come from the given stream, by default the program's.
GeometricSlide drawNextGeometricSlide(Surface& canvas, const QString& widthText);
GeometricSlide drawNextGeometricSlide(Surface& canvas, const QString& widthText, RandomStream& random);

// One slide of the geometric designer: clear, a random background colour, the pen width from
// the width text, five random concentric figures from the outside in. Returns the pattern code
// that the window shows.
QString drawGeometricSlide(Surface& canvas, const QString& widthText);

// The one-off figure of the covered controls: cleared, then one green figure of the typed number
// of points. Text that is no 16-bit number leaves the canvas cleared.
void drawOneOffFigure(Surface& canvas, const QString& pointsText);
