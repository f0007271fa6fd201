#include "draw/output/FrameRenderer.h"

#include "draw/output/PngRowWriter.h"
#include "draw/gradient/GradientPicture.h"
#include "draw/gradient/GradientSweep.h"
#include "draw/surface/ImageMemory.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Columns drawn at a time: a painter's raster engine works in 16-bit coordinates, so no window it
// draws into may be wider than this.
constexpr int columnsAtATime = 16384;

} // namespace

FrameRenderer::FrameRenderer(std::shared_ptr<const PictureSource> picture, QSize frame, FrameContent content)
    : m_picture(std::move(picture)), m_frame(frame)
{
    if (!m_picture)
        return;
    m_placement = placePattern(m_picture->size(), frame);
    const SurfaceBackground background = m_picture->canvasBackground();
    m_colour = background.colour | 0xFF000000u;
    const auto* gradient = dynamic_cast<const GradientPicture*>(background.source.get());
    const bool ownSize = frame == m_picture->size();
    if (content == FrameContent::AsShown) {
        m_wholePicture = true;
        m_asShown = true;
    } else if (!background.picture.isNull() && (!gradient || ownSize)) {
        // At its own size the picture's background stays pixel for pixel as the canvas shows it.
        m_wholePicture = true;
    } else if (gradient) {
        GradientRenderer renderer;
        renderer.setColor1(gradient->recipe().colour1);
        renderer.setColor2(gradient->recipe().colour2);
        renderer.setAngle(gradient->recipe().angle);
        m_gradient = renderer;
    }
}

void FrameRenderer::renderRows(const PixelBuffer& view, int top) const
{
    for (int y = 0; y < view.height; ++y)
        PixelBuffer::fill(view.row(y), view.row(y) + view.width, m_colour);
    if (!m_picture)
        return;
    if (m_gradient)
        paintGradientRamp(view, m_frame, *m_gradient, QPoint(0, top));

    // The pattern's rows and columns in this strip, drawn a window at a time.
    const QRect pattern(m_placement.offset, m_placement.patternPixels);
    const QRect strip(0, top, view.width, view.height);
    const QRect shown = pattern.intersected(strip);
    if (shown.isEmpty())
        return;
    const PictureLayers layers = m_wholePicture ? PictureLayers::Whole : PictureLayers::DrawingOnly;
    for (int left = shown.left(); left <= shown.right(); left += columnsAtATime) {
        const int width = std::min(columnsAtATime, shown.right() + 1 - left);
        const PixelBuffer window{view.row(shown.top() - top) + left, width, shown.height(), view.stride};
        m_picture->renderRegion(window, m_placement.scale, QPoint(left, shown.top()) - m_placement.offset, layers);
    }
}

QImage FrameRenderer::render() const
{
    QImage image = allocatedImage(m_frame);
    if (image.isNull())
        return image;
    renderRows(PixelBuffer::of(image), 0);
    return image;
}

void FrameRenderer::paintVector(QPainter& painter) const
{
    if (m_asShown && m_picture) {
        // The picture paints its own background, exactly its own size: nothing around it, and at
        // its own size not even a change of state.
        if (m_placement.scale == 1.0) {
            m_picture->paintVectorLayers(painter, PictureLayers::Whole);
            return;
        }
        painter.save();
        painter.scale(m_placement.scale, m_placement.scale);
        m_picture->paintVectorLayers(painter, PictureLayers::Whole);
        painter.restore();
        return;
    }
    painter.save();
    const QRectF frame(QPointF(0, 0), QSizeF(m_frame));
    // A little past the edges: a page in whole points may reach a fraction beyond the frame.
    const QRectF covered = frame.adjusted(-2, -2, 2, 2);
    painter.fillRect(covered, QColor::fromRgb(m_colour));
    if (m_gradient) {
        // The same ramp as the pixels: from the trailing corner along the angle's direction.
        const double radians = double(m_gradient->Angle()) * 0.017453292519943278;
        const QPointF direction(std::cos(radians), -std::sin(radians));
        const QPointF corners[] = {frame.topLeft(), frame.topRight(), frame.bottomLeft(), frame.bottomRight()};
        const auto along = [&](QPointF p) { return p.x() * direction.x() + p.y() * direction.y(); };
        const auto [low, high] = std::minmax_element(std::begin(corners), std::end(corners),
                                                     [&](QPointF a, QPointF b) { return along(a) < along(b); });
        const QPointF start = *low;
        QLinearGradient ramp(start, start + direction * (along(*high) - along(*low)));
        ramp.setColorAt(0, QColor::fromRgb(m_gradient->Color1().toQRgb()));
        ramp.setColorAt(1, QColor::fromRgb(m_gradient->Color2().toQRgb()));
        painter.fillRect(covered, ramp);
    }
    if (m_picture) {
        painter.translate(m_placement.offset);
        painter.scale(m_placement.scale, m_placement.scale);
        m_picture->paintVectorLayers(painter,
                                     m_wholePicture ? PictureLayers::Whole : PictureLayers::DrawingOnly);
    }
    painter.restore();
}

std::vector<QRgb> FrameRenderer::expectedColours() const
{
    if (m_gradient || !m_picture)
        return {};
    // A background picture of its own keeps its colours only at its own size.
    const SurfaceBackground background = m_picture->canvasBackground();
    const bool pictureBackground = !background.picture.isNull() || background.source;
    if (m_wholePicture && pictureBackground && m_frame != m_picture->size())
        return {};
    // Drawing at a larger scale makes no colour that the picture's own size lacks (nothing is
    // smoothed), so its own pixels name them; a dot hidden there but not here is rare and is
    // caught by the writer.
    const QImage own = m_picture->render(1.0).convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(own.constBits());
    if (own.isNull() || own.bytesPerLine() != own.width() * 4)
        return {};
    return fewColoursOf(pixels, std::size_t(own.width()) * std::size_t(own.height()), {m_colour}).value_or(std::vector<QRgb>{});
}
