#pragma once

#include "draw/base/Colour.h"
#include "draw/raster/ScanlineFill.h"

#include <cstdint>

class DeviceContext;

// Handles of graphics objects (pens, brushes, regions) as the platform hands them out. A null
// handle (id 0) stands for a failed creation. Handles are plain values; whoever creates an object
// deletes it with DeleteObject, or lets a GdiObject do so.
struct HGDIOBJ
{
    std::uint32_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend constexpr bool operator==(HGDIOBJ, HGDIOBJ) = default;
};
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HRGN = HGDIOBJ;

// The stock objects standing for a canvas's own pen and brush, selected in every new device context.
constexpr HGDIOBJ CanvasPen{1};
constexpr HGDIOBJ CanvasBrush{2};

constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Objects belong to the device context they were made for, as a window's own objects do: each
// surface keeps its own table of them, so surfaces drawn on different threads share nothing. A
// handle means nothing to another surface's context.
HPEN CreatePen(DeviceContext& dc, int style, int width, Colour colour);
HBRUSH CreateSolidBrush(DeviceContext& dc, Colour colour);
// Fill mode 1 alternate, 2 winding. Fewer than three points make no region (null handle).
HRGN CreatePolygonRgn(DeviceContext& dc, const PixelPoint* points, int count, int fillMode);
// Stock objects (a canvas's own pen and brush) are not deleted; false for them and for unknown handles.
bool DeleteObject(DeviceContext& dc, HGDIOBJ object);

// Puts a pen or brush into the device context and returns the one it replaces (null on failure).
HGDIOBJ SelectObject(DeviceContext& dc, HGDIOBJ object);

// Outlines the closed polygon with the current pen and fills its inside (alternate rule) with the
// current brush. Fewer than two points are refused: nothing is drawn and false is returned.
bool Polygon(DeviceContext& dc, const PixelPoint* points, int count);
bool FillRgn(DeviceContext& dc, HRGN region, HBRUSH brush);
bool MoveToEx(DeviceContext& dc, int x, int y, PixelPoint* previous = nullptr);
// A line from the current position to (x, y) with the current pen, leaving out the end pixel;
// (x, y) becomes the current position.
bool LineTo(DeviceContext& dc, int x, int y);

// How many pens, brushes and regions are alive (created and not yet deleted) on all surfaces.
int liveGdiObjectCount();

// Deletes the object it holds, from the device context it was made for, when it goes out of scope.
class GdiObject
{
public:
    GdiObject(DeviceContext& dc, HGDIOBJ handle) : m_dc(dc), m_handle(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    HGDIOBJ get() const { return m_handle; }
    explicit operator bool() const { return bool(m_handle); }
    void reset(HGDIOBJ handle = {})
    {
        if (m_handle)
            DeleteObject(m_dc, m_handle);
        m_handle = handle;
    }

private:
    DeviceContext& m_dc;
    HGDIOBJ m_handle;
};
