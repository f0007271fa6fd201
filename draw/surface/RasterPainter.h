#pragma once

#include "draw/raster/CoverageMask.h"
#include "draw/surface/DrawingRecord.h"
#include "draw/surface/StepPainter.h"
#include "draw/surface/SurfaceBackground.h"

#include <QImage>

class PictureSource;

#include <cstddef>

// The device pixels a logical area takes at a scale, rounded up so that nothing is cut off.
QSize deviceSizeOf(QSize logical, double scale);

// How a batch of dots reaches the pixels: each stamped in turn, or from the last to the first
// skipping what later dots hide. Both give the same picture.
enum class DotOrder { InOrder, HiddenSkipped };

// Draws recorded steps into a 32-bit image whose pixels are scale times the logical ones. At
// scale 1 every step writes the pixels the canvas has always written.
//
// The pixels may also be one window of a larger picture: a view whose top-left is the device pixel
// origin of the whole, so that a picture too large for one image is drawn strip by strip, each
// strip getting exactly the pixels the whole would have.
class RasterPainter final : public StepPainter
{
public:
    RasterPainter(QImage& target, double scale);
    RasterPainter(const PixelBuffer& view, double scale, QPoint origin);

    void erase(const SurfaceBackground& background);
    // Steps [first, end) of the record. Runs of dots go through the mask, in the given order.
    void draw(const DrawingRecord& record, std::size_t first, std::size_t end, DotOrder order, CoverageMask& mask);

private:
    void dots(const DrawingRecord& record, std::size_t first, std::size_t end) override;
    void line(const RecordedLine& line) override;
    void outline(const RecordedOutline& outline) override;
    void fill(const RecordedFill& fill) override;
    void sweep(const SweepRecipe& recipe) override;
    void crop(const RecordedCrop& crop) override;

    // Whether a picture already drawn at this scale holds every pixel of its source in the view.
    bool pictureCovers(const QImage& picture, const PictureSource& source) const;
    // The source drawn afresh over the part of the view it covers.
    void paintSource(const PictureSource& source);
    void fillDeviceRect(int left, int top, int right, int bottom, QRgb colour);
    QImage painterView() const;
    int device(int logical) const;
    // A device pixel of the whole picture in the view's coordinates.
    PixelPoint inView(PixelPoint device) const;

    PixelBuffer m_buffer;
    double m_scale;
    QPoint m_origin;
    DotOrder m_order = DotOrder::HiddenSkipped;
    CoverageMask* m_mask = nullptr;
};
