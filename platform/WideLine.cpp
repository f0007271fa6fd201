#include "platform/WideLine.h"

#include <algorithm>
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

// The band swept by the pen between the two ends, cut row by row. Along the segment a point lies
// in [0, length] from the start, across it within the radius; both are linear in x on a row, so
// each row's cut is two intervals whose ends move linearly with y.
class Band
{
public:
    Band(double ax, double ay, double ux, double uy, double length, double radius)
        : m_ax(ax), m_ay(ay), m_ux(ux), m_uy(uy), m_length(length), m_radius(radius),
          m_inverseUx(ux != 0 ? 1 / ux : 0), m_inverseUy(uy != 0 ? 1 / uy : 0)
    {
    }

    Interval row(double y) const
    {
        const double e = y - m_ay;
        Interval along = everything();
        if (m_ux != 0)
            along = ordered(-e * m_uy * m_inverseUx, (m_length - e * m_uy) * m_inverseUx);
        else if (e * m_uy < 0 || e * m_uy > m_length)
            return {};
        Interval across = everything();
        if (m_uy != 0)
            across = ordered((e * m_ux - m_radius) * m_inverseUy, (e * m_ux + m_radius) * m_inverseUy);
        else if (std::fabs(e) > m_radius)
            return {};
        return {m_ax + std::max(along.low, across.low), m_ax + std::min(along.high, across.high)};
    }

private:
    static Interval everything()
    {
        return {-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    }
    static Interval ordered(double a, double b) { return a < b ? Interval{a, b} : Interval{b, a}; }

    double m_ax, m_ay, m_ux, m_uy, m_length, m_radius, m_inverseUx, m_inverseUy;
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
