#include "draw/gradient/AngleArrow.h"

#include "draw/surface/DrawingHandles.h"
#include "draw/surface/Surface.h"

#include <array>
#include <cmath>

namespace {

// The picker's tool strip takes this colour whenever an arrow is drawn.
constexpr Colour toolStripMark{0x7B15D7};

void markToolStrip(Surface* strip)
{
    if (strip)
        strip->setBackColor(toolStripMark);
}

} // namespace

ErrorCode RotatePixelPoints(PixelPoint centre, PixelPoint* points, std::size_t count, float angle)
{
    const float a = toSingle(angle * 0.017453292519943278);
    const double cosA = std::cos(double(a));
    const double sinA = std::sin(double(a));
    for (std::size_t i = 0; i < count; ++i) {
        const double dx = double(points[i].x) - centre.x;
        const double dy = double(points[i].y) - centre.y;
        const auto x = nearestInt32(centre.x + dx * cosA + dy * sinA);
        const auto y = nearestInt32(centre.y - (dx * sinA - dy * cosA));
        if (!x || !y)
            return ErrorCode::Overflow;
        points[i] = PixelPoint{*x, *y};
    }
    return ErrorCode::None;
}

ErrorCode DrawAngleArrow(Surface& canvas, float angle, Surface* toolStrip)
{
    const double SW = canvas.ScaleWidth();
    const double SH = canvas.ScaleHeight();
    const auto t = nearestInt16(std::floor((SH < SW ? SH : SW) / 3.14159265358979));
    const auto cx = nearestInt32(SW / 2);
    const auto cy = nearestInt32(SH / 2);
    if (!t || !cx || !cy)
        return ErrorCode::Overflow;
    const PixelPoint C{*cx, *cy};
    // An arrowhead pointing right, its notch at the centre.
    std::array<PixelPoint, 4> points{C, PixelPoint{C.x - *t, C.y - *t}, PixelPoint{C.x + *t, C.y},
                                     PixelPoint{C.x - *t, C.y + *t}};
    if (RotatePixelPoints(C, points.data(), points.size(), angle) != ErrorCode::None)
        return ErrorCode::Overflow;

    const int fillStyle = canvas.FillStyle();
    const Colour fillColor = canvas.FillColor();
    const Colour foreColor = canvas.ForeColor();
    canvas.setFillStyle(0);
    canvas.setFillColor(Colour(0x0000FF));
    canvas.setForeColor(Colour(0x00FFFF));
    markToolStrip(toolStrip);
    Polygon(canvas.hDC(), points.data(), int(points.size()));
    canvas.setFillStyle(fillStyle);
    canvas.setFillColor(fillColor);
    canvas.setForeColor(foreColor);
    return ErrorCode::None;
}
