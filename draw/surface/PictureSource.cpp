#include "draw/surface/PictureSource.h"

#include <algorithm>
#include <new>

void PictureSource::renderRegion(const PixelBuffer& view, double scale, QPoint origin, PictureLayers) const
{
    const QImage whole = render(scale).convertToFormat(QImage::Format_RGB32);
    // A picture that could not be drawn must not leave the view as it was.
    if (whole.isNull() && scale > 0 && !size().isEmpty())
        throw std::bad_alloc();
    const int left = std::max(0, origin.x());
    const int right = std::min(whole.width(), origin.x() + view.width);
    for (int y = std::max(0, origin.y()); y < std::min(whole.height(), origin.y() + view.height); ++y) {
        if (left >= right)
            break;
        const auto* from = reinterpret_cast<const QRgb*>(whole.constScanLine(y));
        std::copy(from + left, from + right, view.row(y - origin.y()) + (left - origin.x()));
    }
}

void PictureSource::paintVectorLayers(QPainter& painter, PictureLayers) const { paintVector(painter); }
