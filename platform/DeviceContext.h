#pragma once

#include "platform/Gdi.h"

class PictureBox;

// The device context of one canvas: its selected pen and brush and its current position. Drawing
// through it lands in the canvas's retained image, in pixels. Until other objects are selected the
// pen follows the canvas's ForeColor and DrawWidth, the brush its FillColor and FillStyle.
class DeviceContext
{
public:
    explicit DeviceContext(PictureBox& canvas) : m_canvas(canvas) {}

    PictureBox& canvas() const { return m_canvas; }

private:
    friend HGDIOBJ SelectObject(DeviceContext&, HGDIOBJ);
    friend bool Polygon(DeviceContext&, const PixelPoint*, int);
    friend bool MoveToEx(DeviceContext&, int, int, PixelPoint*);
    friend bool LineTo(DeviceContext&, int, int);

    PictureBox& m_canvas;
    HGDIOBJ m_pen = CanvasPen;
    HGDIOBJ m_brush = CanvasBrush;
    PixelPoint m_position;
};
