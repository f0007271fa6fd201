#pragma once

#include "draw/surface/DrawingRecord.h"
#include "draw/surface/PictureSource.h"
#include "draw/surface/SurfaceBackground.h"

#include <memory>

// A surface's picture as it was when taken: size, background and the shared record. Cheap to
// take and to keep; drawing on the surface later never changes it.
class SurfaceSnapshot : public PictureSource
{
public:
    SurfaceSnapshot(QSize size, SurfaceBackground background, std::shared_ptr<const DrawingRecord> record);

    QSize size() const override { return m_size; }
    QImage render(qreal scale) const override;
    void paintVector(QPainter& painter) const override;
    SurfaceBackground canvasBackground() const override { return m_background; }
    void renderRegion(const PixelBuffer& view, double scale, QPoint origin, PictureLayers layers) const override;
    void paintVectorLayers(QPainter& painter, PictureLayers layers) const override;

private:
    QSize m_size;
    SurfaceBackground m_background;
    std::shared_ptr<const DrawingRecord> m_record;
};
