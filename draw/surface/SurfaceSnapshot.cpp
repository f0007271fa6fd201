#include "draw/surface/SurfaceSnapshot.h"

#include "draw/surface/RasterPainter.h"
#include "draw/surface/VectorPainter.h"

#include <QPainter>

SurfaceSnapshot::SurfaceSnapshot(QSize size, SurfaceBackground background,
                                 std::shared_ptr<const DrawingRecord> record)
    : m_size(size), m_background(std::move(background)), m_record(std::move(record))
{
}

QImage SurfaceSnapshot::render(qreal scale) const
{
    if (m_size.isEmpty() || !(scale > 0))
        return QImage();
    QImage image(deviceSizeOf(m_size, scale), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    RasterPainter raster(image, scale);
    raster.erase(m_background);
    CoverageMask mask;
    raster.draw(*m_record, 0, m_record->steps.size(), DotOrder::HiddenSkipped, mask);
    return image;
}

void SurfaceSnapshot::renderRegion(const PixelBuffer& view, double scale, QPoint origin, PictureLayers layers) const
{
    if (m_size.isEmpty() || !(scale > 0))
        return;
    // Only the part of the view that the picture covers, so nothing is drawn past its edges.
    const QRect picture(QPoint(0, 0), deviceSizeOf(m_size, scale));
    const QRect shown = picture.intersected(QRect(origin, QSize(view.width, view.height)));
    if (shown.isEmpty())
        return;
    const PixelBuffer window{view.row(shown.top() - origin.y()) + (shown.left() - origin.x()), shown.width(),
                             shown.height(), view.stride};
    RasterPainter raster(window, scale, shown.topLeft());
    if (layers == PictureLayers::Whole)
        raster.erase(m_background);
    CoverageMask mask;
    raster.draw(*m_record, 0, m_record->steps.size(), DotOrder::HiddenSkipped, mask);
}

void SurfaceSnapshot::paintVector(QPainter& painter) const { paintVectorLayers(painter, PictureLayers::Whole); }

void SurfaceSnapshot::paintVectorLayers(QPainter& painter, PictureLayers layers) const
{
    painter.save();
    // Within what the painter already keeps, if anything: a picture far larger than its frame
    // then draws only the part that is seen.
    const QRect own(QPoint(0, 0), m_size);
    if (painter.hasClipping())
        painter.setClipRect(own, Qt::IntersectClip);
    else
        painter.setClipRect(own);
    VectorPainter vector(painter);
    if (layers == PictureLayers::Whole)
        vector.background(m_size, m_background);
    vector.draw(*m_record);
    painter.restore();
}
