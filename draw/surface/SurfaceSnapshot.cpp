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

void SurfaceSnapshot::paintVector(QPainter& painter) const
{
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), m_size));
    VectorPainter vector(painter);
    vector.background(m_size, m_background);
    vector.draw(*m_record);
    painter.restore();
}
