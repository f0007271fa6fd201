#pragma once

#include "draw/surface/DrawingRecord.h"
#include "draw/surface/StepPainter.h"
#include "draw/surface/SurfaceBackground.h"

class QPainter;

// Draws recorded steps with vector primitives in logical pixels (for SVG): dots as circles, lines
// and outlines as strokes of their width, fills as filled paths. A pixel's centre lies at +0.5, so
// strokes through pixel positions are drawn through the centres.
class VectorPainter final : public StepPainter
{
public:
    explicit VectorPainter(QPainter& painter) : m_painter(painter) {}

    void background(QSize size, const SurfaceBackground& background);
    void draw(const DrawingRecord& record);

private:
    void dots(const DrawingRecord& record, std::size_t first, std::size_t end) override;
    void line(const RecordedLine& line) override;
    void outline(const RecordedOutline& outline) override;
    void fill(const RecordedFill& fill) override;
    void sweep(const SweepRecipe& recipe) override;
    void crop(const RecordedCrop& crop) override;

    void dotRun(const DrawingRecord& record, const DotRun& run);

    QPainter& m_painter;
};
