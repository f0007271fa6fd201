#include "platform/PictureBox.h"

#include "raster/LineWalk.h"
#include "platform/Twips.h"

#include <QPaintEvent>

#include <algorithm>
#include <cmath>

namespace {

// A dot beyond this many pixels is far off any canvas; dropping it keeps the integer arithmetic
// of the stamp safe.
constexpr double dotLimit = 1 << 24;
// Line ends only need to fit 32 bits: the line walk and the painter clip the rest.
constexpr double lineLimit = 2147483520.0;

bool usable(double pixel, double limit) { return std::isfinite(pixel) && std::fabs(pixel) < limit; }

// Nearest pixel, ties to even, for usable coordinates. Adding 1.5 * 2^52 leaves no fraction bits,
// so the default rounding mode does the rounding without a library call.
int nearestPixel(double pixel)
{
    constexpr double shift = 6755399441055744.0;
    return static_cast<int>((pixel + shift) - shift);
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    syncImageSize();
}

void PictureBox::setBackColor(Colour colour)
{
    m_backColor = colour;
    Cls();
}

bool PictureBox::setDrawWidth(int width)
{
    if (width < 1 || width > maxDrawWidth)
        return false;
    if (width != m_dot.diameter())
        m_dot = DotStamp(width);
    return true;
}

double PictureBox::ScaleWidth() const
{
    return m_scaleMode == ScaleMode::Twips ? pixelsToTwips(width()) : width();
}

double PictureBox::ScaleHeight() const
{
    return m_scaleMode == ScaleMode::Twips ? pixelsToTwips(height()) : height();
}

void PictureBox::setPicture(const QImage& picture)
{
    m_picture = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    // Drawn pixel for pixel, whatever screen the picture was made for.
    m_picture.setDevicePixelRatio(1.0);
    Cls();
}

QImage PictureBox::Image() const
{
    syncImageSize();
    // The copy shares the pixels, so the next direct draw must fetch (and so detach) them anew.
    m_pixels.bits = nullptr;
    return m_image;
}

void PictureBox::eraseTo(QImage& image) const
{
    if (image.isNull())
        return;
    image.fill(m_backColor.toQRgb());
    if (!m_picture.isNull()) {
        QPainter p(&image);
        p.drawImage(0, 0, m_picture);
    }
}

void PictureBox::Cls()
{
    syncImageSize();
    m_pixels.bits = nullptr;
    eraseTo(m_image);
    markDirty();
}

void PictureBox::PSet(float x, float y, Colour colour)
{
    const double px = toPixels(x);
    const double py = toPixels(y);
    if (!usable(px, dotLimit) || !usable(py, dotLimit))
        return;
    m_dot.stamp(pixelBuffer(), nearestPixel(px), nearestPixel(py), colour.toQRgb());
    markDirty();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, Colour colour, LineBox box)
{
    const double l = toPixels(x1), t = toPixels(y1), r = toPixels(x2), b = toPixels(y2);
    if (!usable(l, lineLimit) || !usable(t, lineLimit) || !usable(r, lineLimit) || !usable(b, lineLimit))
        return;
    const int ix1 = nearestPixel(l), iy1 = nearestPixel(t);
    const int ix2 = nearestPixel(r), iy2 = nearestPixel(b);
    const QRgb rgb = colour.toQRgb();
    const int width = DrawWidth();

    if (box == LineBox::BoxFilled) {
        // Both corners belong to the box.
        const int top = std::min(iy1, iy2), bottom = std::max(iy1, iy2);
        const int left = std::min(ix1, ix2), right = std::max(ix1, ix2);
        const PixelBuffer buffer = pixelBuffer();
        for (int y = std::max(top, 0); y <= std::min(bottom, buffer.height - 1); ++y)
            buffer.fillSpan(y, left, right + 1, rgb);
    } else if (width <= 1) {
        const PixelBuffer buffer = pixelBuffer();
        if (box == LineBox::Box) {
            walkLine(buffer, ix1, iy1, ix2, iy1, rgb, EndPixel::Included);
            walkLine(buffer, ix2, iy1, ix2, iy2, rgb, EndPixel::Included);
            walkLine(buffer, ix2, iy2, ix1, iy2, rgb, EndPixel::Included);
            walkLine(buffer, ix1, iy2, ix1, iy1, rgb, EndPixel::Included);
        } else {
            walkLine(buffer, ix1, iy1, ix2, iy2, rgb, EndPixel::Excluded);
        }
    } else {
        QPainter p = painter();
        p.setPen(QPen(QColor::fromRgb(rgb), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (box == LineBox::Box) {
            // Through both corners; a QRect outline would reach one pixel past the second.
            const QPoint corners[] = {{ix1, iy1}, {ix2, iy1}, {ix2, iy2}, {ix1, iy2}};
            p.drawPolygon(corners, 4);
        } else
            p.drawLine(ix1, iy1, ix2, iy2);
    }
    markDirty();
}

void PictureBox::Refresh()
{
    if (isVisible() && updatesEnabled())
        repaint();
    else
        update();
}

void PictureBox::fetchPixels()
{
    syncImageSize();
    // bits() detaches the image from any copy handed out by Image().
    m_pixels = PixelBuffer::of(m_image);
}

QPainter PictureBox::painter()
{
    if (m_image.size() != size())
        syncImageSize();
    m_pixels.bits = nullptr;
    return QPainter(&m_image);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    m_updatePending = false;
    QPainter p(this);
    const QRect dirty = event->rect();
    p.drawImage(dirty, m_image, dirty);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    syncImageSize();
}

void PictureBox::syncImageSize() const
{
    const QSize wanted = size().expandedTo(QSize(0, 0));
    if (m_image.size() == wanted && (!m_image.isNull() || wanted.isEmpty()))
        return;
    // A resized canvas keeps its drawing at the top-left; new area shows the background.
    QImage resized(wanted.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    eraseTo(resized);
    if (!m_image.isNull()) {
        QPainter p(&resized);
        p.drawImage(0, 0, m_image);
    }
    m_image = resized.copy(QRect(QPoint(0, 0), wanted));
    m_pixels.bits = nullptr;
}
