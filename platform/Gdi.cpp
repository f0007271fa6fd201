#include "platform/Gdi.h"

#include "platform/DeviceContext.h"
#include "raster/LineWalk.h"
#include "platform/PictureBox.h"
#include "raster/WideLine.h"

#include <optional>
#include <variant>
#include <vector>

namespace {

struct Pen
{
    int style = PS_SOLID;
    int width = 1;
    Colour colour;
};
struct Brush
{
    Colour colour;
};
struct Region
{
    std::vector<PixelPoint> points;
    FillRule rule = FillRule::Winding;
};
using Object = std::variant<std::monostate, Pen, Brush, Region>;

// Live objects by handle. Slots are reused, so creating and deleting one pen per line does not
// allocate once the table has grown to its working size. Ids 1 and 2 are the stock objects.
class ObjectTable
{
public:
    HGDIOBJ add(Object object)
    {
        std::uint32_t slot;
        if (!m_free.empty()) {
            slot = m_free.back();
            m_free.pop_back();
            m_slots[slot] = std::move(object);
        } else {
            slot = static_cast<std::uint32_t>(m_slots.size());
            m_slots.push_back(std::move(object));
        }
        ++m_live;
        return HGDIOBJ{slot + firstId};
    }

    Object* find(HGDIOBJ handle)
    {
        if (handle.id < firstId || handle.id - firstId >= m_slots.size())
            return nullptr;
        Object& object = m_slots[handle.id - firstId];
        return std::holds_alternative<std::monostate>(object) ? nullptr : &object;
    }

    bool remove(HGDIOBJ handle)
    {
        Object* object = find(handle);
        if (!object)
            return false;
        if (auto* region = std::get_if<Region>(object))
            region->points.clear();
        *object = std::monostate{};
        m_free.push_back(handle.id - firstId);
        --m_live;
        return true;
    }

    int live() const { return m_live; }

private:
    static constexpr std::uint32_t firstId = 16;
    std::vector<Object> m_slots;
    std::vector<std::uint32_t> m_free;
    int m_live = 0;
};

ObjectTable& objects()
{
    static ObjectTable table;
    return table;
}

Pen penOf(const DeviceContext& dc, HGDIOBJ handle)
{
    if (handle == CanvasPen)
        return Pen{PS_SOLID, dc.canvas().DrawWidth(), dc.canvas().ForeColor()};
    if (Object* object = objects().find(handle))
        if (auto* pen = std::get_if<Pen>(object))
            return *pen;
    return Pen{PS_NULL, 1, Colour()};
}

// The brush colour, or nothing for a hollow brush.
std::optional<Colour> brushOf(const DeviceContext& dc, HGDIOBJ handle)
{
    if (handle == CanvasBrush) {
        if (dc.canvas().FillStyle() != 0)
            return std::nullopt;
        return dc.canvas().FillColor();
    }
    if (Object* object = objects().find(handle))
        if (auto* brush = std::get_if<Brush>(object))
            return brush->colour;
    return std::nullopt;
}

bool isPen(HGDIOBJ handle)
{
    if (handle == CanvasPen)
        return true;
    Object* object = objects().find(handle);
    return object && std::holds_alternative<Pen>(*object);
}

bool isBrush(HGDIOBJ handle)
{
    if (handle == CanvasBrush)
        return true;
    Object* object = objects().find(handle);
    return object && std::holds_alternative<Brush>(*object);
}

} // namespace

HPEN CreatePen(int style, int width, Colour colour)
{
    return objects().add(Pen{style, width < 1 ? 1 : width, colour});
}

HBRUSH CreateSolidBrush(Colour colour) { return objects().add(Brush{colour}); }

HRGN CreatePolygonRgn(const PixelPoint* points, int count, int fillMode)
{
    if (!points || count < 3)
        return {};
    return objects().add(Region{std::vector<PixelPoint>(points, points + count),
                                fillMode == WINDING ? FillRule::Winding : FillRule::Alternate});
}

bool DeleteObject(HGDIOBJ object) { return objects().remove(object); }

int liveGdiObjectCount() { return objects().live(); }

HGDIOBJ SelectObject(DeviceContext& dc, HGDIOBJ object)
{
    HGDIOBJ previous;
    if (isPen(object)) {
        previous = dc.m_pen;
        dc.m_pen = object;
    } else if (isBrush(object)) {
        previous = dc.m_brush;
        dc.m_brush = object;
    }
    return previous;
}

bool Polygon(DeviceContext& dc, const PixelPoint* points, int count)
{
    if (!points || count < 2)
        return false;
    PictureBox& canvas = dc.canvas();
    if (const auto brush = brushOf(dc, dc.m_brush)) {
        fillPolygon(canvas.pixelBuffer(), points, count, FillRule::Alternate, brush->toQRgb());
    }
    const Pen pen = penOf(dc, dc.m_pen);
    if (pen.style != PS_NULL) {
        if (pen.width <= 1) {
            const PixelBuffer buffer = canvas.pixelBuffer();
            const QRgb colour = pen.colour.toQRgb();
            for (int i = 0; i < count; ++i) {
                const PixelPoint a = points[i];
                const PixelPoint b = points[(i + 1) % count];
                walkLine(buffer, a.x, a.y, b.x, b.y, colour, EndPixel::Excluded);
            }
        } else {
            // Edge by edge with the round pen, straight into the scanlines: round joins come
            // from the overlapping round ends.
            const PixelBuffer buffer = canvas.pixelBuffer();
            const QRgb colour = pen.colour.toQRgb();
            for (int i = 0; i < count; ++i) {
                const PixelPoint a = points[i];
                const PixelPoint b = points[(i + 1) % count];
                strokeWideSegment(buffer, a.x, a.y, b.x, b.y, pen.width, colour);
            }
        }
    }
    canvas.markDirty();
    return true;
}

bool FillRgn(DeviceContext& dc, HRGN region, HBRUSH brush)
{
    Object* regionObject = objects().find(region);
    const Region* shape = regionObject ? std::get_if<Region>(regionObject) : nullptr;
    const auto colour = brushOf(dc, brush);
    if (!shape || !colour)
        return false;
    fillPolygon(dc.canvas().pixelBuffer(), shape->points.data(), int(shape->points.size()), shape->rule,
                colour->toQRgb());
    dc.canvas().markDirty();
    return true;
}

bool MoveToEx(DeviceContext& dc, int x, int y, PixelPoint* previous)
{
    if (previous)
        *previous = dc.m_position;
    dc.m_position = PixelPoint{x, y};
    return true;
}

bool LineTo(DeviceContext& dc, int x, int y)
{
    const Pen pen = penOf(dc, dc.m_pen);
    const PixelPoint from = dc.m_position;
    dc.m_position = PixelPoint{x, y};
    if (pen.style == PS_NULL)
        return true;
    PictureBox& canvas = dc.canvas();
    if (pen.width <= 1) {
        walkLine(canvas.pixelBuffer(), from.x, from.y, x, y, pen.colour.toQRgb(), EndPixel::Excluded);
    } else {
        strokeWideSegment(canvas.pixelBuffer(), from.x, from.y, x, y, pen.width, pen.colour.toQRgb());
    }
    canvas.markDirty();
    return true;
}
