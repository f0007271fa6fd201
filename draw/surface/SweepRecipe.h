#pragma once

#include "draw/raster/PixelBuffer.h"

#include <QPoint>
#include <QSize>

class QPainter;

// A drawing step that knows how to make itself again at any size, recorded by the surface as it
// is (the gradient: its colours, angle and area), so that a larger copy is swept afresh.
class SweepRecipe
{
public:
    virtual ~SweepRecipe() = default;
    // Paints into a buffer whose device pixels are scale times the logical ones; the buffer's
    // top-left is the device pixel origin of the whole picture.
    virtual void paint(const PixelBuffer& buffer, double scale, QPoint origin = {}) const = 0;
    // Paints with vector primitives in logical pixels.
    virtual void paintVector(QPainter& painter) const = 0;
    // The area from the top-left, in logical pixels, whose every pixel the sweep paints over at
    // any scale; empty when it may leave some showing.
    virtual QSize covers() const { return {}; }
};
