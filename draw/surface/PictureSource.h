#pragma once

#include <QImage>
#include <QSize>

class QPainter;

// A finished picture that can be drawn again at any size: what the canvas context menu copies
// and saves. Implementations are immutable, so a slide that changes on screen later does not
// change a picture already taken.
class PictureSource
{
public:
    virtual ~PictureSource() = default;

    // The picture's own size in logical pixels (800 x 800 for the main canvas).
    virtual QSize size() const = 0;
    // Rendered afresh at scale times the size (coordinates, dot diameters and line widths scaled),
    // never enlarged; the image's device pixel ratio is 1.
    virtual QImage render(qreal scale) const = 0;
    // Draws the picture with vector primitives in logical pixel coordinates (for SVG).
    virtual void paintVector(QPainter& painter) const = 0;
};
