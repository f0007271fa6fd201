#pragma once

#include "draw/surface/DrawingRecord.h"

#include <cstddef>

// Whatever draws the steps of a record: pixels at a scale (RasterPainter) or vector primitives
// (VectorPainter). replay() is the one place that walks a record, so that every output draws every
// kind of step, in the same order.
class StepPainter
{
public:
    virtual ~StepPainter() = default;

    // Steps [first, end) of the record, every one a DotRun: consecutive runs come as one batch,
    // so that a painter may draw them in any order that gives the same picture.
    virtual void dots(const DrawingRecord& record, std::size_t first, std::size_t end) = 0;
    virtual void line(const RecordedLine& line) = 0;
    virtual void outline(const RecordedOutline& outline) = 0;
    virtual void fill(const RecordedFill& fill) = 0;
    virtual void sweep(const SweepRecipe& recipe) = 0;
    virtual void crop(const RecordedCrop& crop) = 0;
};

// Hands steps [first, end) of the record to the painter, in order.
void replay(const DrawingRecord& record, std::size_t first, std::size_t end, StepPainter& painter);
