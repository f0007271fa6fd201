#pragma once

#include "raster/PixelBuffer.h"
#include "raster/PixelPoint.h"

enum class FillRule { Alternate = 1, Winding = 2 };

// Fills the closed polygon through the points. A pixel is inside when its centre is: with the
// winding rule, where the outline winds round it at least once (a star's core included); with the
// alternate rule, where it winds an odd number of times. Shapes that tile an area cover each pixel
// exactly once. Clipped to the buffer.
void fillPolygon(const PixelBuffer& buffer, const PixelPoint* points, int count, FillRule rule, QRgb colour);
