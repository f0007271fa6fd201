#include "draw/raster/WideLine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// An interval of x on one row; empty when low > high.
struct Interval
{
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    bool empty() const { return low > high; }
};

// A bound on x that moves linearly with a row's offset e from the segment's start.
struct LinearBound
{
    double base;
    double slope;
    double at(double e) const { return base + e * slope; }
};

// The band swept by the pen between the two ends, cut row by row. A point lies along the segment
// in [0, length] from the start and across it within the radius; on a row both are intervals of
// x whose ends move linearly with the row, so each row costs four multiply-adds.
class Band
{
public:
    Band(double ax, double ay, double ux, double uy, double length, double radius) : m_ay(ay)
    {
        constexpr double infinity = std::numeric_limits<double>::infinity();
        // Along: x = ax + (t - e * uy) / ux for t in {0, length}; no bound when ux is 0.
        LinearBound alongFirst{-infinity, 0}, alongSecond{infinity, 0};
        if (ux != 0) {
            alongFirst = {ax, -uy / ux};
            alongSecond = {ax + length / ux, -uy / ux};
            if (ux < 0)
                std::swap(alongFirst, alongSecond);
        }
        // Across: x = ax + (e * ux + n) / uy for n in {-radius, radius}; no bound when uy is 0.
        LinearBound acrossFirst{-infinity, 0}, acrossSecond{infinity, 0};
        if (uy != 0) {
            acrossFirst = {ax - radius / uy, ux / uy};
            acrossSecond = {ax + radius / uy, ux / uy};
            if (uy < 0)
                std::swap(acrossFirst, acrossSecond);
        }
        m_low = {alongFirst, acrossFirst};
        m_high = {alongSecond, acrossSecond};
        // Rows the band reaches at all; outside them the bounds above do not apply.
        const double reach = radius * std::fabs(ux);
        m_top = std::min(ay, ay + length * uy) - reach;
        m_bottom = std::max(ay, ay + length * uy) + reach;
    }

    Interval row(double y) const
    {
        if (y < m_top || y > m_bottom)
            return {};
        const double e = y - m_ay;
        return {std::max(m_low[0].at(e), m_low[1].at(e)), std::min(m_high[0].at(e), m_high[1].at(e))};
    }

private:
    double m_ay;
    double m_top = 0;
    double m_bottom = 0;
    std::array<LinearBound, 2> m_low{};
    std::array<LinearBound, 2> m_high{};
};

Interval unite(Interval a, Interval b)
{
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return {std::min(a.low, b.low), std::max(a.high, b.high)};
}

// The part of row y within radius of the point (px, py).
Interval discRow(double px, double py, double radius, double y)
{
    const double dy = y - py;
    const double squared = radius * radius - dy * dy;
    if (squared < 0)
        return {};
    const double half = std::sqrt(squared);
    return {px - half, px + half};
}

// Floor and ceiling of a value clamped to [-1, limit]: truncation of the shifted value, so the
// row loop makes no library calls.
int floorWithin(double value, int limit)
{
    return int(std::clamp(value, -1.0, double(limit)) + 1.0) - 1;
}

int ceilWithin(double value, int limit)
{
    const double clamped = std::clamp(value, -1.0, double(limit));
    const int floor = int(clamped + 1.0) - 1;
    return floor < clamped ? floor + 1 : floor;
}

// Fills [left, right) of one row, four pixels a step where the span allows.
void fillRow(QRgb* row, int left, int right, QRgb colour)
{
    QRgb* p = row + left;
    QRgb* const end = row + right;
    for (; end - p >= 4; p += 4) {
        p[0] = colour;
        p[1] = colour;
        p[2] = colour;
        p[3] = colour;
    }
    for (; p < end; ++p)
        *p = colour;
}

} // namespace

void strokeWideSegment(const PixelBuffer& buffer, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                       std::int32_t y1, int width, QRgb colour)
{
    if (buffer.width <= 0 || buffer.height <= 0)
        return;
    // Pen centres as a dot of this width places them: on the pixel centre for odd widths, on the
    // pixel's top-left corner for even ones.
    const double offset = (width % 2) * 0.5;
    const double ax = x0 + offset, ay = y0 + offset;
    const double bx = x1 + offset, by = y1 + offset;
    const double radius = width / 2.0;
    const double dx = bx - ax, dy = by - ay;
    const double length = std::hypot(dx, dy);
    const double ux = length > 0 ? dx / length : 0;
    const double uy = length > 0 ? dy / length : 0;

    const double top = std::min(ay, by) - radius;
    const double bottom = std::max(ay, by) + radius;
    const int firstRow = int(std::clamp(std::ceil(top - 0.5), 0.0, double(buffer.height)));
    const int endRow = int(std::clamp(std::floor(bottom - 0.5) + 1, 0.0, double(buffer.height)));
    const Band band(ax, ay, ux, uy, length, radius);
    for (int row = firstRow; row < endRow; ++row) {
        const double y = row + 0.5;
        Interval span = length > 0 ? band.row(y) : Interval{};
        if (std::fabs(y - ay) <= radius)
            span = unite(span, discRow(ax, ay, radius, y));
        if (std::fabs(y - by) <= radius)
            span = unite(span, discRow(bx, by, radius, y));
        if (span.empty())
            continue;
        // Pixels whose centre x + 0.5 lies in the interval.
        const int left = ceilWithin(span.low - 0.5, buffer.width);
        const int right = floorWithin(span.high - 0.5, buffer.width) + 1;
        fillRow(buffer.row(row), std::max(left, 0), std::min(right, buffer.width), colour);
    }
}
