#pragma once

#include "platform/DrawingRecord.h"
#include "platform/SurfaceBackground.h"
#include "raster/CoverageMask.h"

#include <QImage>

#include <cstddef>

// The device pixels a logical area takes at a scale, rounded up so that nothing is cut off.
QSize deviceSizeOf(QSize logical, double scale);

// How a batch of dots reaches the pixels: each stamped in turn, or from the last to the first
// skipping what later dots hide. Both give the same picture.
enum class DotOrder { InOrder, HiddenSkipped };

// Draws recorded steps into a 32-bit image whose pixels are scale times the logical ones. At
// scale 1 every step writes the pixels the canvas has always written.
class RecordRaster
{
public:
    RecordRaster(QImage& target, double scale);

    void erase(const SurfaceBackground& background);
    // Steps [first, end) of the record. Runs of dots go through the mask, in the given order.
    void draw(const DrawingRecord& record, std::size_t first, std::size_t end, DotOrder order, CoverageMask& mask);

private:
    void drawDots(const DrawingRecord& record, std::size_t first, std::size_t end, DotOrder order,
                  CoverageMask& mask);
    void drawStep(const DrawingStep& step);
    void drawLine(const RecordedLine& line);
    void drawOutline(const RecordedOutline& outline);
    void drawFill(const RecordedFill& fill);
    void drawCrop(const RecordedCrop& crop);
    void fillDeviceRect(int left, int top, int right, int bottom, QRgb colour);
    QImage painterView() const;
    int device(int logical) const;

    QImage& m_target;
    PixelBuffer m_buffer;
    double m_scale;
};
