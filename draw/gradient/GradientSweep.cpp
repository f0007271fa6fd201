#include "draw/gradient/GradientSweep.h"

#include "draw/gradient/BlueNoise.h"
#include "draw/raster/LineWalk.h"
#include "draw/surface/RasterPainter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

GradientSweep::GradientSweep(const GradientRenderer& gradient, QSize area, std::vector<PixelPoint> lines,
                             std::vector<Colour> colours)
    : m_gradient(gradient), m_area(area), m_lines(std::move(lines)), m_colours(std::move(colours))
{
}

namespace {

// The lines [first, end) of a sweep that may reach the buffer. Line k is line 0 moved k one-pixel
// steps along one axis, so those whose ideal segment passes within two pixels of the buffer are
// one run; the others cannot touch it. An area far larger than the buffer is then walked only
// where it is seen.
std::pair<std::int64_t, std::int64_t> linesNear(const std::vector<PixelPoint>& lines, const PixelBuffer& buffer,
                                                QPoint origin)
{
    const auto count = std::int64_t(lines.size() / 2);
    if (count < 2)
        return {0, count};
    const double a[2] = {double(lines[0].x), double(lines[0].y)};
    const double b[2] = {double(lines[1].x), double(lines[1].y)};
    const std::int64_t step[2] = {std::int64_t(lines[2].x) - lines[0].x, std::int64_t(lines[2].y) - lines[0].y};
    const int along = step[0] != 0 ? 0 : 1; // the axis the lines move along
    const int across = 1 - along;
    const int sign = step[along] > 0 ? 1 : -1;
    if (step[across] != 0 || std::abs(step[along]) != 1 || a[across] == b[across])
        return {0, count};
    const double low[2] = {origin.x() - 2.0, origin.y() - 2.0};
    const double high[2] = {origin.x() + buffer.width + 2.0, origin.y() + buffer.height + 2.0};
    // The part of line 0 within the buffer's rows (or columns) across the step...
    const double t0 = (low[across] - a[across]) / (b[across] - a[across]);
    const double t1 = (high[across] - a[across]) / (b[across] - a[across]);
    const double from = std::max(0.0, std::min(t0, t1));
    const double to = std::min(1.0, std::max(t0, t1));
    if (from > to)
        return {0, 0};
    const double p = a[along] + from * (b[along] - a[along]);
    const double q = a[along] + to * (b[along] - a[along]);
    // ... spans [nearest, farthest] along the step; line k spans it moved by k * sign.
    const double nearest = std::min(p, q);
    const double farthest = std::max(p, q);
    double first = sign > 0 ? low[along] - farthest : nearest - high[along];
    double last = sign > 0 ? high[along] - nearest : farthest - low[along];
    first = std::clamp(std::floor(first) - 1, 0.0, double(count));
    last = std::clamp(std::ceil(last) + 2, 0.0, double(count));
    return {std::int64_t(first), std::int64_t(std::max(first, last))};
}

} // namespace

// Each line leaves out its end pixel, as a line drawn to a point does.
void GradientSweep::paintLines(const PixelBuffer& buffer, const std::vector<PixelPoint>& lines,
                               const std::vector<Colour>& colours, QPoint origin)
{
    const auto [firstLine, endLine] = linesNear(lines, buffer, origin);
    for (size_t i = size_t(firstLine) * 2; i + 1 < lines.size() && i < size_t(endLine) * 2; i += 2) {
        const PixelPoint a = lines[i];
        const PixelPoint b = lines[i + 1];
        walkLine(buffer, a.x - origin.x(), a.y - origin.y(), b.x - origin.x(), b.y - origin.y(), colours[i / 2].toQRgb(),
                 EndPixel::Excluded);
    }
}

void GradientSweep::paint(const PixelBuffer& buffer, double scale, QPoint origin) const
{
    if (scale == 1.0) {
        paintLines(buffer, m_lines, m_colours, origin);
        return;
    }
    // The area's device pixels, rounded up as the image holding them is: the ramp must reach the
    // last row and column, or a surface that trusts it to cover everything shows a gap.
    paintGradientRamp(buffer, deviceSizeOf(m_area, scale), m_gradient, origin);
}

namespace {

// A fixed pseudo-random offset into the dither table for the tile (x, y): 6 bits of row, 6 of
// column.
std::uint32_t tileOffset(int x, int y)
{
    std::uint32_t h = std::uint32_t(x) * 0x9E3779B1u ^ std::uint32_t(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h & 0xFFFu;
}

} // namespace

// Larger than its own size, the sweep's few dozen colour steps would spread into wide bands.
// Instead each device pixel gets its place along the gradient's direction, from the trailing
// corner of the area (Color1) to the leading one (Color2), and the colour there, in fractions of
// a step, is rounded up or down by the blue-noise table: every pixel within one step of the exact
// colour, the mean along the gradient exact, and the same pixels on every render.
void paintGradientRamp(const PixelBuffer& buffer, QSize area, const GradientRenderer& gradient, QPoint origin)
{
    const double radians = double(gradient.Angle()) * 0.017453292519943278;
    const double ux = std::cos(radians);
    const double uy = -std::sin(radians); // y grows downwards
    const int W = area.width();
    const int H = area.height();
    const double corners[] = {0.0, W * ux, H * uy, W * ux + H * uy};
    const double low = *std::min_element(std::begin(corners), std::end(corners));
    const double high = *std::max_element(std::begin(corners), std::end(corners));
    if (!(high > low))
        return;
    // Fixed point with 32 fraction bits: the share of the way from Color1 to Color2 at a pixel's
    // centre, one step along a row at a time.
    constexpr double one = 4294967296.0;
    const double perUnit = one / (high - low);
    const auto shareStep = std::int64_t(std::llround(ux * perUnit));

    const QRgb from = gradient.Color1().toQRgb();
    const QRgb to = gradient.Color2().toQRgb();
    const std::int64_t base[3] = {std::int64_t(qRed(from)) << 32, std::int64_t(qGreen(from)) << 32,
                                  std::int64_t(qBlue(from)) << 32};
    const std::int64_t span[3] = {qRed(to) - qRed(from), qGreen(to) - qGreen(from), qBlue(to) - qBlue(from)};
    const auto& ranks = BlueNoise::ranks();

    constexpr int side = BlueNoise::side;
    constexpr int wrap = side - 1; // the side is a power of two
    static_assert((side & wrap) == 0);
    // The rows and columns of the area that the buffer holds, in the area's device pixels.
    const int left = std::max(0, origin.x());
    const int top = std::max(0, origin.y());
    const int right = std::min(W, origin.x() + buffer.width);
    const int bottom = std::min(H, origin.y() + buffer.height);
    for (int y = top; y < bottom; ++y) {
        QRgb* pixel = buffer.row(y - origin.y()) - origin.x();
        std::int64_t share = std::llround((0.5 * ux + (y + 0.5) * uy - low) * perUnit) + left * shareStep;
        for (int tileX = left / side; tileX * side < right; ++tileX) {
            // Each 64 x 64 tile reads the table from its own fixed offset: a line along a
            // rational direction (a row, a column, a diagonal) then meets every threshold about
            // as often, and its mean colour stays exact.
            const std::uint32_t offset = tileOffset(tileX, y / side);
            const std::uint16_t* thresholds = ranks.data() + ((y + int(offset >> 6)) & wrap) * side;
            const int column = int(offset & 63);
            const int end = std::min(right, (tileX + 1) * side);
            for (int x = std::max(left, tileX * side); x < end; ++x, share += shareStep) {
                const std::int64_t clamped = std::clamp<std::int64_t>(share, 0, std::int64_t(one));
                // Half a rank in, so the thresholds are spread evenly over [0, 1).
                const std::int64_t threshold = (2 * std::int64_t(thresholds[(x + column) & wrap]) + 1) << 19;
                const int red = int((base[0] + span[0] * clamped + threshold) >> 32);
                const int green = int((base[1] + span[1] * clamped + threshold) >> 32);
                const int blue = int((base[2] + span[2] * clamped + threshold) >> 32);
                pixel[x] = qRgb(red, green, blue);
            }
        }
    }
}

namespace {

// Whether the segment a-b passes through the rectangle: the part of it within each pair of edges,
// as fractions of the way from a to b, must overlap.
bool segmentMeets(QPointF a, QPointF b, const QRectF& rect)
{
    double from = 0.0;
    double to = 1.0;
    const auto within = [&](double start, double delta, double low, double high) {
        if (delta == 0)
            return start >= low && start <= high;
        double enter = (low - start) / delta;
        double leave = (high - start) / delta;
        if (enter > leave)
            std::swap(enter, leave);
        from = std::max(from, enter);
        to = std::min(to, leave);
        return from <= to;
    };
    return within(a.x(), b.x() - a.x(), rect.left(), rect.right())
        && within(a.y(), b.y() - a.y(), rect.top(), rect.bottom());
}

} // namespace

void GradientSweep::paintVector(QPainter& painter) const
{
    painter.save();
    // Only the lines that reach what the painter keeps: the area may be far larger than that.
    const bool clipped = painter.hasClipping();
    const QRectF seen = clipped ? painter.clipBoundingRect().adjusted(-2, -2, 2, 2) : QRectF();
    // Two pixels wide so that neighbouring lines overlap and no seam shows between them.
    QPen pen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap);
    for (size_t i = 0; i + 1 < m_lines.size(); i += 2) {
        const PixelPoint a = m_lines[i];
        const PixelPoint b = m_lines[i + 1];
        const QPointF from(a.x + 0.5, a.y + 0.5);
        const QPointF to(b.x + 0.5, b.y + 0.5);
        if (clipped && !segmentMeets(from, to, seen))
            continue;
        pen.setColor(m_colours[i / 2].toQColor());
        painter.setPen(pen);
        painter.drawLine(from, to);
    }
    painter.restore();
}
