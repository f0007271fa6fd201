#pragma once

#include "draw/raster/PixelBuffer.h"

#include <cstdint>

// A line of a round pen wider than one pixel from (x0, y0) to (x1, y1), with round ends: every
// pixel whose centre lies within width / 2 of the segment is painted. The segment runs between the
// pen centres of a dot of that width stamped on each end pixel, so a zero-length line is one such
// dot. Polylines drawn segment by segment get round joins. Callers need not clip.
void strokeWideSegment(const PixelBuffer& buffer, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                       std::int32_t y1, int width, QRgb colour);
