#pragma once

#include "draw/raster/PixelBuffer.h"
#include "draw/surface/SurfaceBackground.h"

#include <QImage>
#include <QPoint>
#include <QSize>

class QPainter;

// Which parts of a picture a drawing call takes: everything, or only what was drawn on the
// background (for a frame that lays a background of its own under the picture).
enum class PictureLayers { Whole, DrawingOnly };

// A finished picture that can be drawn again at any size: what the canvas context menu copies
// and saves. Implementations are immutable, so a slide that changes on screen later does not
// change a picture already taken; they may be drawn from any thread.
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

    // What the drawing lies on: the canvas colour and background picture. A picture that does
    // not know gives the default (black, no picture).
    virtual SurfaceBackground canvasBackground() const { return {}; }
    // The pixels of render(scale) from device pixel origin on, as many as the view holds, drawn
    // into the view: a picture too large for one image is made window by window. The default
    // renders the whole and copies, and always draws the whole picture.
    virtual void renderRegion(const PixelBuffer& view, double scale, QPoint origin, PictureLayers layers) const;
    // paintVector, or only what was drawn on the background.
    virtual void paintVectorLayers(QPainter& painter, PictureLayers layers) const;
};
