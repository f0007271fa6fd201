#pragma once

#include "draw/surface/DrawingHandles.h"

#include <memory>

class Surface;
class DrawingObjects;

// The device context of one surface: its selected pen and brush and its current position. Drawing
// through it lands on the surface, in logical pixels. Until other objects are selected the
// pen follows the canvas's ForeColor and DrawWidth, the brush its FillColor and FillStyle.
class DeviceContext
{
public:
    explicit DeviceContext(Surface& canvas);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    Surface& canvas() const { return m_canvas; }
    // The pens, brushes and regions made for this context.
    DrawingObjects& objects() const { return *m_objects; }

private:
    friend HGDIOBJ SelectObject(DeviceContext&, HGDIOBJ);
    friend bool Polygon(DeviceContext&, const PixelPoint*, int);
    friend bool MoveToEx(DeviceContext&, int, int, PixelPoint*);
    friend bool LineTo(DeviceContext&, int, int);

    Surface& m_canvas;
    std::unique_ptr<DrawingObjects> m_objects;
    HGDIOBJ m_pen = CanvasPen;
    HGDIOBJ m_brush = CanvasBrush;
    PixelPoint m_position;
};
