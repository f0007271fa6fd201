#include "draw/surface/RasterPainter.h"

#include "draw/raster/DotStamp.h"
#include "draw/raster/LineWalk.h"
#include "draw/surface/ImageMemory.h"
#include "draw/surface/PictureSource.h"
#include "draw/raster/WideLine.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace {

// Device coordinates of a dot must stay this far inside the 32-bit range for the stamp's
// arithmetic, whatever the scale.
constexpr double deviceDotLimit = 1 << 30;
// Line ends only need to fit 32 bits: the line walk and the painter clip the rest.
constexpr double lineLimit = 2147483520.0;
// Below this diameter a dot is cheaper to stamp than to test against the coverage.
constexpr int skipHiddenFromDiameter = 16;

bool usable(double pixel, double limit) { return std::isfinite(pixel) && std::fabs(pixel) < limit; }

// Nearest pixel, ties to even, for usable coordinates. Adding 1.5 * 2^52 leaves no fraction bits,
// so the default rounding mode does the rounding without a library call.
int nearestPixel(double pixel)
{
    constexpr double shift = 6755399441055744.0;
    return static_cast<int>((pixel + shift) - shift);
}

int scaledWidth(int width, double scale) { return std::max(1, int(std::lround(width * scale))); }

std::int32_t clampToInt32(double value)
{
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return std::int32_t(std::clamp(std::round(value), low, high));
}

PixelPoint scaled(PixelPoint point, double scale)
{
    if (scale == 1.0)
        return point;
    return PixelPoint{clampToInt32(point.x * scale), clampToInt32(point.y * scale)};
}

} // namespace

QSize deviceSizeOf(QSize logical, double scale)
{
    if (scale == 1.0)
        return logical;
    const auto up = [scale](int extent) { return int(std::ceil(extent * scale - 1e-9)); };
    return QSize(up(logical.width()), up(logical.height()));
}

RasterPainter::RasterPainter(QImage& target, double scale) : m_buffer(PixelBuffer::of(target)), m_scale(scale) {}

RasterPainter::RasterPainter(const PixelBuffer& view, double scale, QPoint origin)
    : m_buffer(view), m_scale(scale), m_origin(origin)
{
}

QImage RasterPainter::painterView() const
{
    // The same pixels without the device pixel ratio: painters here work in device pixels.
    return QImage(reinterpret_cast<uchar*>(m_buffer.bits), m_buffer.width, m_buffer.height,
                  m_buffer.stride * qsizetype(sizeof(QRgb)), QImage::Format_RGB32);
}

int RasterPainter::device(int logical) const { return clampToInt32(logical * m_scale); }

PixelPoint RasterPainter::inView(PixelPoint device) const
{
    if (m_origin.isNull())
        return device;
    return PixelPoint{clampToInt32(double(device.x) - m_origin.x()), clampToInt32(double(device.y) - m_origin.y())};
}

void RasterPainter::erase(const SurfaceBackground& background)
{
    // Row by row: the buffer may be a window of a larger image, whose rows go on past its width.
    for (int y = 0; y < m_buffer.height; ++y)
        PixelBuffer::fill(m_buffer.row(y), m_buffer.row(y) + m_buffer.width, background.colour);
    const QImage& picture = background.picture;
    if (picture.isNull())
        return;
    const bool sameScale = std::fabs(picture.devicePixelRatio() - m_scale) < 1e-9;
    if (background.source && !(sameScale && pictureCovers(picture, *background.source))) {
        // Drawn afresh, only where this view shows it: the picture's area may be far larger.
        paintSource(*background.source);
        return;
    }
    QImage view = painterView();
    QPainter p(&view);
    p.translate(-m_origin);
    if (sameScale) {
        QImage pixels = picture;
        pixels.setDevicePixelRatio(1.0);
        p.drawImage(0, 0, pixels);
    } else {
        const QSizeF logical = picture.deviceIndependentSize();
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(0, 0, logical.width() * m_scale, logical.height() * m_scale), picture);
    }
}

bool RasterPainter::pictureCovers(const QImage& picture, const PictureSource& source) const
{
    // The device pixels of the source that this view holds must all be in the picture.
    const QSize whole = deviceSizeOf(source.size(), m_scale);
    const std::int64_t right = std::min<std::int64_t>(whole.width(), std::int64_t(m_origin.x()) + m_buffer.width);
    const std::int64_t bottom = std::min<std::int64_t>(whole.height(), std::int64_t(m_origin.y()) + m_buffer.height);
    return picture.width() >= right && picture.height() >= bottom;
}

void RasterPainter::paintSource(const PictureSource& source)
{
    const QRect whole(QPoint(0, 0), deviceSizeOf(source.size(), m_scale));
    const QRect shown = whole.intersected(QRect(m_origin, QSize(m_buffer.width, m_buffer.height)));
    if (shown.isEmpty())
        return;
    const PixelBuffer window{m_buffer.row(shown.top() - m_origin.y()) + (shown.left() - m_origin.x()), shown.width(),
                             shown.height(), m_buffer.stride};
    source.renderRegion(window, m_scale, shown.topLeft(), PictureLayers::Whole);
}

void RasterPainter::draw(const DrawingRecord& record, std::size_t first, std::size_t end, DotOrder order,
                         CoverageMask& mask)
{
    m_order = order;
    m_mask = &mask;
    replay(record, first, end, *this);
    m_mask = nullptr;
}

void RasterPainter::dots(const DrawingRecord& record, std::size_t first, std::size_t end)
{
    CoverageMask& mask = *m_mask; // set by draw(), the only way in
    const DotOrder order = m_order;
    // Positions within reach stay inside the stamp's safe range unless the scale is huge.
    const bool checkDevice = dotReach * m_scale >= deviceDotLimit;
    int largest = 0;
    for (std::size_t i = first; i < end; ++i)
        largest = std::max(largest, scaledWidth(std::get<DotRun>(record.steps[i]).diameter, m_scale));
    const bool skipHidden = order == DotOrder::HiddenSkipped && largest >= skipHiddenFromDiameter;
    if (skipHidden)
        mask.reset(m_buffer.width, m_buffer.height);

    for (std::size_t k = 0; k < end - first; ++k) {
        // Runs from the last when hidden parts are skipped.
        const DotRun& run = std::get<DotRun>(record.steps[skipHidden ? end - 1 - k : first + k]);
        const DotStamp dot(scaledWidth(run.diameter, m_scale));
        const double perPixel = run.unitsPerPixel;
        const auto place = [&](const RecordedDot& d, auto&& stamp) {
            const double x = perPixel == 1 ? double(d.x) : d.x / perPixel;
            const double y = perPixel == 1 ? double(d.y) : d.y / perPixel;
            if (!dotInReach(x) || !dotInReach(y))
                return;
            const double px = x * m_scale;
            const double py = y * m_scale;
            if (checkDevice && (!usable(px, deviceDotLimit) || !usable(py, deviceDotLimit)))
                return;
            stamp(nearestPixel(px) - m_origin.x(), nearestPixel(py) - m_origin.y(), d.colour);
        };
        if (!skipHidden) {
            for (std::uint32_t i = run.begin; i < run.end; ++i)
                place(record.dots[i], [&](int x, int y, QRgb c) { dot.stamp(m_buffer, x, y, c); });
            continue;
        }
        for (std::uint32_t i = run.end; i > run.begin && !mask.full(); --i)
            place(record.dots[i - 1], [&](int x, int y, QRgb c) { mask.paintDot(m_buffer, dot, x, y, c); });
        if (mask.full())
            return;
    }
}

void RasterPainter::sweep(const SweepRecipe& recipe) { recipe.paint(m_buffer, m_scale, m_origin); }

void RasterPainter::crop(const RecordedCrop& crop)
{
    // The kept area in device pixels, rounded up as a surface sizes its image, then in the view.
    const QSize kept = deviceSizeOf(crop.keep, m_scale);
    const int keepWidth = std::clamp(kept.width() - m_origin.x(), 0, m_buffer.width);
    const int keepHeight = std::clamp(kept.height() - m_origin.y(), 0, m_buffer.height);
    if (keepWidth == m_buffer.width && keepHeight == m_buffer.height)
        return;
    QImage background = allocatedImage(QSize(m_buffer.width, m_buffer.height));
    RasterPainter(PixelBuffer::of(background), m_scale, m_origin).erase(crop.background);
    for (int y = 0; y < m_buffer.height; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(background.constScanLine(y));
        QRgb* to = m_buffer.row(y);
        const int first = y < keepHeight ? keepWidth : 0;
        std::copy(from + first, from + m_buffer.width, to + first);
    }
}

// Rows top..bottom and columns left..right of logical pixels, both ends included.
void RasterPainter::fillDeviceRect(int left, int top, int right, int bottom, QRgb colour)
{
    const auto shift = [](int device, int origin) {
        return int(std::clamp<std::int64_t>(std::int64_t(device) - origin, INT_MIN, INT_MAX));
    };
    const int x0 = shift(device(left), m_origin.x()), x1 = shift(device(right + 1), m_origin.x());
    const int y0 = std::max(shift(device(top), m_origin.y()), 0);
    const int y1 = std::min(shift(device(bottom + 1), m_origin.y()), m_buffer.height);
    for (int y = y0; y < y1; ++y)
        m_buffer.fillSpan(y, x0, x1, colour);
}

void RasterPainter::line(const RecordedLine& line)
{
    const double s = m_scale;
    if (!usable(line.x1 * s, lineLimit) || !usable(line.y1 * s, lineLimit) || !usable(line.x2 * s, lineLimit)
        || !usable(line.y2 * s, lineLimit))
        return;
    const int ix1 = nearestPixel(line.x1), iy1 = nearestPixel(line.y1);
    const int ix2 = nearestPixel(line.x2), iy2 = nearestPixel(line.y2);
    const int left = std::min(ix1, ix2), right = std::max(ix1, ix2);
    const int top = std::min(iy1, iy2), bottom = std::max(iy1, iy2);
    // The ends in device pixels; at scale 1 they are the logical ones.
    const PixelPoint deviceA = inView(PixelPoint{nearestPixel(line.x1 * s), nearestPixel(line.y1 * s)});
    const PixelPoint deviceB = inView(PixelPoint{nearestPixel(line.x2 * s), nearestPixel(line.y2 * s)});
    const QPoint a(deviceA.x, deviceA.y);
    const QPoint b(deviceB.x, deviceB.y);
    // A pen that scales to one device pixel is walked, between the device ends.
    const bool thin = scaledWidth(line.width, s) <= 1;

    if (line.box == LineBox::BoxFilled) {
        fillDeviceRect(left, top, right, bottom, line.colour);
    } else if (thin && line.box == LineBox::Box) {
        walkLine(m_buffer, a.x(), a.y(), b.x(), a.y(), line.colour, EndPixel::Included);
        walkLine(m_buffer, b.x(), a.y(), b.x(), b.y(), line.colour, EndPixel::Included);
        walkLine(m_buffer, b.x(), b.y(), a.x(), b.y(), line.colour, EndPixel::Included);
        walkLine(m_buffer, a.x(), b.y(), a.x(), a.y(), line.colour, EndPixel::Included);
    } else if (line.box == LineBox::Box && line.width <= 1) {
        // A one-pixel outline keeps one logical pixel of thickness.
        fillDeviceRect(left, top, right, top, line.colour);
        fillDeviceRect(left, bottom, right, bottom, line.colour);
        fillDeviceRect(left, top, left, bottom, line.colour);
        fillDeviceRect(right, top, right, bottom, line.colour);
    } else if (thin) {
        walkLine(m_buffer, a.x(), a.y(), b.x(), b.y(), line.colour, EndPixel::Excluded);
    } else {
        QImage view = painterView();
        QPainter p(&view);
        p.setPen(QPen(QColor::fromRgb(line.colour), line.width * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (line.box == LineBox::Box) {
            // Through both corners; a QRect outline would reach one pixel past the second.
            const QPoint corners[] = {a, {b.x(), a.y()}, b, {a.x(), b.y()}};
            p.drawPolygon(corners, 4);
        } else {
            p.drawLine(a, b);
        }
    }
}

void RasterPainter::outline(const RecordedOutline& outline)
{
    const int count = int(outline.points.size());
    const int segments = outline.closed ? count : count - 1;
    const int width = scaledWidth(outline.width, m_scale);
    for (int i = 0; i < segments; ++i) {
        const PixelPoint a = inView(scaled(outline.points[size_t(i)], m_scale));
        const PixelPoint b = inView(scaled(outline.points[size_t((i + 1) % count)], m_scale));
        if (width <= 1)
            walkLine(m_buffer, a.x, a.y, b.x, b.y, outline.colour, EndPixel::Excluded);
        else
            strokeWideSegment(m_buffer, a.x, a.y, b.x, b.y, width, outline.colour);
    }
}

void RasterPainter::fill(const RecordedFill& fill)
{
    if (m_scale == 1.0 && m_origin.isNull()) {
        fillPolygon(m_buffer, fill.points.data(), int(fill.points.size()), fill.rule, fill.colour);
        return;
    }
    std::vector<PixelPoint> points(fill.points.size());
    std::transform(fill.points.begin(), fill.points.end(), points.begin(),
                   [this](PixelPoint p) { return inView(scaled(p, m_scale)); });
    fillPolygon(m_buffer, points.data(), int(points.size()), fill.rule, fill.colour);
}
