#pragma once

#include "draw/base/Numbers.h"
#include "draw/raster/ScanlineFill.h"

#include <cstddef>

class Surface;

// Draws a filled arrowhead at the centre of the canvas pointing in the direction of the angle
// (degrees, counter-clockwise from the right). Marks the gradient picker's tool strip as well,
// when the caller passes one. Overflow when the canvas is too large for the arrow's size or the
// angle is not a number; nothing is drawn then.
ErrorCode DrawAngleArrow(Surface& canvas, float angle, Surface* toolStrip = nullptr);

// Turns every point about the centre by the angle (degrees), in place, rounding to whole pixels.
ErrorCode RotatePixelPoints(PixelPoint centre, PixelPoint* points, std::size_t count, float angle);
