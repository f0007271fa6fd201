#pragma once

#include "platform/DrawingRecord.h"
#include "platform/SurfaceBackground.h"

class QPainter;

// The background and the record drawn with vector primitives in logical pixels: dots as circles,
// lines and outlines as strokes of their width, fills as filled paths. A pixel's centre lies at
// +0.5, so strokes through pixel positions are drawn through the centres.
void paintBackgroundVector(QPainter& painter, QSize size, const SurfaceBackground& background);
void paintRecordVector(QPainter& painter, const DrawingRecord& record);
