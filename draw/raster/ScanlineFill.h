#pragma once

#include "draw/raster/PixelBuffer.h"
#include "draw/raster/PixelPoint.h"

enum class FillRule { Alternate = 1, Winding = 2 };

// Fills the closed polygon through the points. Pixel (x, y) stands for the point (x, y), as in the
// outlines drawn through the same points, and is inside when that point is: with the
// winding rule, where the outline winds round it at least once (a star's core included); with the
// alternate rule, where it winds an odd number of times. Shapes that tile an area cover each pixel
// exactly once. Clipped to the buffer.
void fillPolygon(const PixelBuffer& buffer, const PixelPoint* points, int count, FillRule rule, QRgb colour);
