#pragma once

#include "draw/base/Colour.h"
#include "draw/base/Numbers.h"
#include "draw/raster/ScanlineFill.h"

#include <cstdint>
#include <optional>

class Surface;

// A point in twips on a canvas.
struct TwipsPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend constexpr bool operator==(TwipsPoint, TwipsPoint) = default;
};

// The vertex at an angle in degrees (0 at the top, growing clockwise on the screen) on the ellipse
// of centre (cx, cy) and radii rx, ry. Empty when a coordinate leaves the 32-bit range.
std::optional<TwipsPoint> PolarVertex(std::int32_t cx, std::int32_t cy, double angle, std::int32_t rx,
                                      std::int32_t ry);

// A figure of n points is 2^c copies of one base figure of m vertices, which joins every s-th vertex.
struct StarDecomposition
{
    std::int16_t m = 3;
    std::int16_t s = 1;
    std::int16_t c = 0;
    int copies() const { return 1 << c; }
    friend constexpr bool operator==(StarDecomposition, StarDecomposition) = default;
};

// Point counts below 3 are taken as 3.
StarDecomposition decomposePointCount(std::int16_t points);

// Centre and radii of the ellipse inscribed in a box, in twips.
struct StarEllipse
{
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    std::int32_t rx = 0;
    std::int32_t ry = 0;
};

// Empty when the centre or a radius leaves the 32-bit range.
std::optional<StarEllipse> starEllipse(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

// The m device-pixel vertices of one copy of the figure, in drawing order, written to out (room for
// figure.m points). Fails with the overflow error when the 16-bit vertex index overflows or a
// coordinate leaves the 32-bit range; out is then partly written.
ErrorCode starCopyVertices(const StarEllipse& ellipse, const StarDecomposition& figure, int copy,
                           std::int16_t twipsPerPixelX, std::int16_t twipsPerPixelY, PixelPoint* out);

// Draws a regular polygon, star polygon or compound of them on the ellipse inscribed in the box
// (twips) through the canvas's device context, in the colour, with the canvas's pen width; with
// fill every polygon is filled as well. An error ends the drawing where it happens and is returned;
// ForeColor then keeps the figure colour, otherwise it is restored.
ErrorCode DrawStarPolygon(Surface& canvas, std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height, std::int16_t points, std::int16_t fill, Colour colour);
