#pragma once

#include "platform/Colour.h"
#include "platform/DeviceContext.h"
#include "raster/DotStamp.h"
#include "raster/PixelBuffer.h"
#include "platform/Twips.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

enum class ScaleMode { Pixels, Twips };

// Outline (B) or filled (BF) rectangle instead of a line.
enum class LineBox { None, Box, BoxFilled };

// The picture-box canvas. It keeps its drawing in a retained image the size of its client area and
// shows that image when painted; child widgets (labels) are drawn over it and are never part of it.
// Coordinates of PSet and Line are in the canvas's scale unit, pixels or twips; the device context
// always works in pixels.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    Colour BackColor() const { return m_backColor; }
    void setBackColor(Colour colour); // erases the drawing
    Colour ForeColor() const { return m_foreColor; }
    void setForeColor(Colour colour) { m_foreColor = colour; }
    Colour FillColor() const { return m_fillColor; }
    void setFillColor(Colour colour) { m_fillColor = colour; }
    int FillStyle() const { return m_fillStyle; } // 0 solid, 1 transparent
    void setFillStyle(int style) { m_fillStyle = style; }
    int DrawWidth() const { return m_dot.diameter(); }
    // Widths outside 1..32767 are refused (false) and the width stays.
    static constexpr int maxDrawWidth = 32767;
    bool setDrawWidth(int width);

    ScaleMode scaleMode() const { return m_scaleMode; }
    void setScaleMode(ScaleMode mode) { m_scaleMode = mode; }
    double ScaleWidth() const;
    double ScaleHeight() const;

    // The background picture; a null image is the empty picture. Setting it erases the drawing.
    const QImage& Picture() const { return m_picture; }
    void setPicture(const QImage& picture);

    // A copy of the retained image (cheap: shared until either side changes).
    QImage Image() const;

    void Cls();
    void PSet(float x, float y, Colour colour);
    void Line(double x1, double y1, double x2, double y2, Colour colour, LineBox box = LineBox::None);
    void Refresh();

    DeviceContext& hDC() { return m_dc; }
    QWidget* hWnd() { return this; }

    // For drawing code of the platform layer: direct pixel access and a painter over the retained
    // image. Both must be used before anything else touches the canvas.
    PixelBuffer pixelBuffer()
    {
        if (!m_pixels.bits || m_pixels.width != width() || m_pixels.height != height())
            fetchPixels();
        return m_pixels;
    }
    QPainter painter();
    void markDirty()
    {
        if (!m_updatePending) {
            m_updatePending = true;
            update();
        }
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncImageSize() const;
    void fetchPixels();
    double toPixels(double units) const { return m_scaleMode == ScaleMode::Twips ? units / TwipsPerPixel : units; }
    void eraseTo(QImage& image) const;

    // Follows the widget's size lazily: a hidden widget gets no resize event until it is shown.
    mutable QImage m_image;
    QImage m_picture;
    mutable PixelBuffer m_pixels; // cached view of m_image; bits null when it must be fetched again
    DeviceContext m_dc{*this};
    DotStamp m_dot{1};
    Colour m_backColor = Colour::system(SysColorIndex::ButtonFace);
    Colour m_foreColor = RGB(0, 0, 0);
    Colour m_fillColor = RGB(0, 0, 0);
    int m_fillStyle = 1;
    ScaleMode m_scaleMode = ScaleMode::Pixels;
    bool m_updatePending = false;
};
