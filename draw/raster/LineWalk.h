#pragma once

#include "draw/raster/PixelBuffer.h"

#include <cstdint>

enum class EndPixel { Excluded, Included };

// A one-pixel line from (x0, y0) towards (x1, y1), walked pixel by pixel along its major axis.
// The end pixel is left out unless asked for, as a line-to call does. Callers need not clip:
// only the part of the line inside the buffer is walked.
void walkLine(const PixelBuffer& buffer, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
              QRgb colour, EndPixel end);
