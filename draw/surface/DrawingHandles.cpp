#include "draw/surface/DrawingHandles.h"

#include "draw/surface/DeviceContext.h"
#include "draw/surface/Surface.h"

#include <atomic>
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

// Objects alive on all surfaces, for finding leaks; each table counts its own as well.
std::atomic<int> liveOnAllSurfaces{0};

} // namespace

// Live objects of one device context by handle. Slots are reused, so creating and deleting one pen
// per line does not allocate once the table has grown to its working size. Ids 1 and 2 are the
// stock objects.
class DrawingObjects
{
public:
    DrawingObjects() = default;
    DrawingObjects(const DrawingObjects&) = delete;
    DrawingObjects& operator=(const DrawingObjects&) = delete;
    // Objects still alive go with their surface.
    ~DrawingObjects() { liveOnAllSurfaces.fetch_sub(m_live, std::memory_order_relaxed); }

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
        liveOnAllSurfaces.fetch_add(1, std::memory_order_relaxed);
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
        liveOnAllSurfaces.fetch_sub(1, std::memory_order_relaxed);
        return true;
    }

    int live() const { return m_live; }

private:
    static constexpr std::uint32_t firstId = 16;
    std::vector<Object> m_slots;
    std::vector<std::uint32_t> m_free;
    int m_live = 0;
};

namespace {

Pen penOf(const DeviceContext& dc, HGDIOBJ handle)
{
    if (handle == CanvasPen)
        return Pen{PS_SOLID, dc.canvas().DrawWidth(), dc.canvas().ForeColor()};
    if (Object* object = dc.objects().find(handle))
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
    if (Object* object = dc.objects().find(handle))
        if (auto* brush = std::get_if<Brush>(object))
            return brush->colour;
    return std::nullopt;
}

bool isPen(const DeviceContext& dc, HGDIOBJ handle)
{
    if (handle == CanvasPen)
        return true;
    Object* object = dc.objects().find(handle);
    return object && std::holds_alternative<Pen>(*object);
}

bool isBrush(const DeviceContext& dc, HGDIOBJ handle)
{
    if (handle == CanvasBrush)
        return true;
    Object* object = dc.objects().find(handle);
    return object && std::holds_alternative<Brush>(*object);
}

} // namespace

DeviceContext::DeviceContext(Surface& canvas) : m_canvas(canvas), m_objects(std::make_unique<DrawingObjects>()) {}

DeviceContext::~DeviceContext() = default;

HPEN CreatePen(DeviceContext& dc, int style, int width, Colour colour)
{
    return dc.objects().add(Pen{style, width < 1 ? 1 : width, colour});
}

HBRUSH CreateSolidBrush(DeviceContext& dc, Colour colour) { return dc.objects().add(Brush{colour}); }

HRGN CreatePolygonRgn(DeviceContext& dc, const PixelPoint* points, int count, int fillMode)
{
    if (!points || count < 3)
        return {};
    return dc.objects().add(Region{std::vector<PixelPoint>(points, points + count),
                                   fillMode == WINDING ? FillRule::Winding : FillRule::Alternate});
}

bool DeleteObject(DeviceContext& dc, HGDIOBJ object) { return dc.objects().remove(object); }

int liveGdiObjectCount() { return liveOnAllSurfaces.load(std::memory_order_relaxed); }

HGDIOBJ SelectObject(DeviceContext& dc, HGDIOBJ object)
{
    HGDIOBJ previous;
    if (isPen(dc, object)) {
        previous = dc.m_pen;
        dc.m_pen = object;
    } else if (isBrush(dc, object)) {
        previous = dc.m_brush;
        dc.m_brush = object;
    }
    return previous;
}

bool Polygon(DeviceContext& dc, const PixelPoint* points, int count)
{
    if (!points || count < 2)
        return false;
    Surface& canvas = dc.canvas();
    if (const auto brush = brushOf(dc, dc.m_brush))
        canvas.drawFill(RecordedFill{std::vector<PixelPoint>(points, points + count), FillRule::Alternate, brush->toQRgb()});
    const Pen pen = penOf(dc, dc.m_pen);
    // Edge by edge: a wide round pen gets round joins from the overlapping round ends.
    if (pen.style != PS_NULL)
        canvas.drawOutline(RecordedOutline{std::vector<PixelPoint>(points, points + count), true, pen.width,
                                           pen.colour.toQRgb()});
    return true;
}

bool FillRgn(DeviceContext& dc, HRGN region, HBRUSH brush)
{
    Object* regionObject = dc.objects().find(region);
    const Region* shape = regionObject ? std::get_if<Region>(regionObject) : nullptr;
    const auto colour = brushOf(dc, brush);
    if (!shape || !colour)
        return false;
    dc.canvas().drawFill(RecordedFill{shape->points, shape->rule, colour->toQRgb()});
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
    dc.canvas().drawOutline(RecordedOutline{{from, PixelPoint{x, y}}, false, pen.width, pen.colour.toQRgb()});
    return true;
}
