#pragma once

#include "draw/raster/PixelPoint.h"
#include "draw/raster/ScanlineFill.h"
#include "draw/surface/SurfaceBackground.h"
#include "draw/surface/SweepRecipe.h"

#include <QRgb>

#include <cmath>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

// Outline (B) or filled (BF) rectangle instead of a line.
enum class LineBox { None, Box, BoxFilled };

// Everything drawn on a surface since it was last cleared, as inputs rather than pixels, so
// that it can be drawn again at any scale. Coordinates are logical pixels unless stated.

// A dot whose logical position lies this far off the canvas, or further, is dropped by every
// output: no picture reaches it, and the integer arithmetic of drawing it stays safe.
constexpr double dotReach = 1 << 24;
inline bool dotInReach(double logical) { return std::isfinite(logical) && std::fabs(logical) < dotReach; }

// One dot as PSet received it: coordinates in the canvas's unit.
struct RecordedDot
{
    float x;
    float y;
    QRgb colour;
};

// Consecutive dots of one diameter and unit, entries [begin, end) of the record's dots.
struct DotRun
{
    int diameter;
    int unitsPerPixel; // 1 for pixels, 15 for twips
    std::uint32_t begin;
    std::uint32_t end;
};

// A line or box of the canvas's Line command; ends in pixels, not yet rounded.
struct RecordedLine
{
    double x1, y1, x2, y2;
    QRgb colour;
    int width;
    LineBox box;
};

// A polyline of the device context's pen: each segment leaves out its end pixel when thin and
// has round ends when wide.
struct RecordedOutline
{
    std::vector<PixelPoint> points;
    bool closed;
    int width;
    QRgb colour;
};

struct RecordedFill
{
    std::vector<PixelPoint> points;
    FillRule rule;
    QRgb colour;
};

struct RecordedSweep
{
    std::shared_ptr<const SweepRecipe> recipe;
};

// A resize: the retained pixels kept only the area both sizes share, so everything drawn before
// shows the background outside it.
struct RecordedCrop
{
    QSize keep;
    SurfaceBackground background;
};

using DrawingStep = std::variant<DotRun, RecordedLine, RecordedOutline, RecordedFill, RecordedSweep, RecordedCrop>;

struct DrawingRecord
{
    std::vector<DrawingStep> steps;
    std::vector<RecordedDot> dots;

    bool empty() const { return steps.empty(); }
    // Empties the record but keeps its memory, so a slide after a slide does not allocate.
    void clear()
    {
        steps.clear();
        dots.clear();
    }
};
