#include "draw/stars/StarGeometry.h"

#include "draw/base/Twips.h"
#include "draw/surface/DrawingHandles.h"
#include "draw/surface/Surface.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

// Degrees to radians with the seven-digit constant: together with the sine forms below it decides
// the vertices that lie next to a half-way point, so it must not become a full-precision pi.
constexpr double degreesToRadians = 3.141593 / 180;

constexpr int int16Max = std::numeric_limits<std::int16_t>::max();

// The position of vertex index k of the given copy, in degrees. Copy f is the base figure turned
// clockwise by f / 2^c of one vertex spacing.
double vertexAngle(const StarDecomposition& figure, int copy, int k)
{
    const double spacing = 360.0 / figure.m;
    if (copy == 0)
        return spacing * k;
    const double turn = 1.0 / std::ldexp(1.0, figure.c);
    return (turn * copy + k) * spacing;
}

// The working array of the drawing routine. It is kept between calls so that drawing does not
// allocate once it has grown to the largest figure.
PixelPoint* workingArray(int count)
{
    thread_local std::vector<PixelPoint> vertices;
    if (vertices.size() < static_cast<size_t>(count))
        vertices.resize(static_cast<size_t>(count));
    return vertices.data();
}

// Fills one copy with the winding rule, so a star's core is filled as well as its points.
void fillCopy(Surface& canvas, const PixelPoint* vertices, int count)
{
    DeviceContext& dc = canvas.hDC();
    const GdiObject region(dc, CreatePolygonRgn(dc, vertices, count, WINDING));
    const GdiObject brush(dc, CreateSolidBrush(dc, canvas.ForeColor()));
    if (region)
        FillRgn(dc, region.get(), brush.get());
}

} // namespace

std::optional<TwipsPoint> PolarVertex(std::int32_t cx, std::int32_t cy, double angle, std::int32_t rx,
                                      std::int32_t ry)
{
    // The x form uses the sine of the negated angle and the y form the sine of angle + 90 degrees,
    // not a cosine: they round the rare half-way cases their own way.
    const auto x = nearestInt32(cx - rx * std::sin(-angle * degreesToRadians));
    const auto y = nearestInt32(cy - ry * std::sin((angle + 90) * degreesToRadians));
    if (!x || !y)
        return std::nullopt;
    return TwipsPoint{*x, *y};
}

StarDecomposition decomposePointCount(std::int16_t points)
{
    const int n = points < 3 ? 3 : points;
    if (n % 2 != 0)
        return {std::int16_t(n), std::int16_t((n - 1) / 2), 0};
    int m = n / 2;
    int c = 1;
    while (m % 2 == 0 && m != 4) {
        m /= 2;
        ++c;
    }
    const int s = m == 4 ? 1 : (m - 1) / 2;
    return {std::int16_t(m), std::int16_t(s), std::int16_t(c)};
}

std::optional<StarEllipse> starEllipse(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    const auto cx = nearestInt32(width / 2.0 + left);
    const auto cy = nearestInt32(height / 2.0 + top);
    const auto rx = nearestInt32(width / 2.0);
    const auto ry = nearestInt32(height / 2.0);
    if (!cx || !cy || !rx || !ry)
        return std::nullopt;
    return StarEllipse{*cx, *cy, *rx, *ry};
}

ErrorCode starCopyVertices(const StarEllipse& ellipse, const StarDecomposition& figure, int copy,
                           std::int16_t twipsPerPixelX, std::int16_t twipsPerPixelY, PixelPoint* out)
{
    int k = 0;
    for (int j = 0; j < figure.m; ++j) {
        const double angle = vertexAngle(figure, copy, k);
        const auto vertex = PolarVertex(ellipse.cx, ellipse.cy, angle, ellipse.rx, ellipse.ry);
        if (!vertex)
            return ErrorCode::Overflow;
        // A zero twips-per-pixel figure gives no finite quotient and so fails here as well.
        const auto x = nearestInt32(double(vertex->x) / twipsPerPixelX);
        const auto y = nearestInt32(double(vertex->y) / twipsPerPixelY);
        if (!x || !y)
            return ErrorCode::Overflow;
        out[j] = PixelPoint{*x, *y};
        // The index is a 16-bit value: large odd counts overflow here.
        if (k + figure.s > int16Max)
            return ErrorCode::Overflow;
        k += figure.s;
        if (k > figure.m)
            k -= figure.m;
    }
    return ErrorCode::None;
}

ErrorCode DrawStarPolygon(Surface& canvas, std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height, std::int16_t points, std::int16_t fill, Colour colour)
{
    const auto twipsPerPixelX = nearestInt16(TwipsPerPixelX());
    const auto twipsPerPixelY = nearestInt16(TwipsPerPixelY());
    if (!twipsPerPixelX || !twipsPerPixelY)
        return ErrorCode::Overflow;

    const Colour savedForeColor = canvas.ForeColor();
    canvas.setForeColor(colour); // the canvas's pen now draws in the figure colour

    const StarDecomposition figure = decomposePointCount(points);
    const auto ellipse = starEllipse(left, top, width, height);
    if (!ellipse)
        return ErrorCode::Overflow;
    PixelPoint* vertices = workingArray(figure.m);
    for (int copy = 0; copy < figure.copies(); ++copy) {
        const ErrorCode error = starCopyVertices(*ellipse, figure, copy, *twipsPerPixelX, *twipsPerPixelY, vertices);
        if (error != ErrorCode::None)
            return error;
        Polygon(canvas.hDC(), vertices, figure.m);
        if (fill != 0)
            fillCopy(canvas, vertices, figure.m);
    }
    canvas.setForeColor(savedForeColor);
    return ErrorCode::None;
}
