#pragma once

#include "draw/base/Colour.h"
#include "draw/base/Numbers.h"
#include "draw/raster/ScanlineFill.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class Surface;

// The platform's "out of memory" error, for a colour table or line list too large to hold.
constexpr ErrorCode OutOfMemoryError = static_cast<ErrorCode>(7);

// What a paint did: whether lines were drawn, and the error that stopped it, if any.
struct GradientPaint
{
    bool drawn = false;
    ErrorCode error = ErrorCode::None;
    explicit operator bool() const { return drawn; }
};

// A point of the sweep line. Coordinates are stored as float at every step: the rounding of each
// store decides which pixels a line covers.
struct FloatPoint
{
    float X = 0;
    float Y = 0;
};

// Paints a two-colour linear gradient at any angle over a surface by sweeping a one-pixel line
// across it. The surface keeps the recipe, so a larger copy is swept afresh in its own pixels.
class GradientRenderer
{
public:
    Colour Color1() const { return m_color1; }
    void setColor1(Colour colour) { m_color1 = resolvedAtAssignment(colour); }
    Colour Color2() const { return m_color2; }
    void setColor2(Colour colour) { m_color2 = resolvedAtAssignment(colour); }
    float Angle() const { return m_angle; }
    void setAngle(float degrees);

    // Paints the whole target. Errors are returned, not shown; nothing is drawn then. The caller
    // refreshes the target when it wants the result on screen.
    GradientPaint Draw(Surface& target);

    // Fills colours[0 .. steps - 1] (steps at least 2) from color1 to color2 and returns the
    // number of entries; no value when the table would be too large to hold.
    static std::optional<int> BlendColors(Colour color1, Colour color2, int steps, std::vector<Colour>& colours);

    // The ends of the lines a paint of a W x H area draws, entries 2k and 2k + 1 for line k.
    ErrorCode sweepLines(int W, int H, std::vector<PixelPoint>& lines) const;
    // The lines of a W x H area and their colours, one per line.
    ErrorCode sweepPlan(int W, int H, std::vector<PixelPoint>& lines, std::vector<Colour>& colours) const;

private:
    struct Sweep;

    static Colour resolvedAtAssignment(Colour colour);
    static void RotatePointAbout(FloatPoint centre, FloatPoint& point, float angle);
    static double DivideOrZero(double a, double b) { return b == 0 ? 0.0 : a / b; }

    ErrorCode buildLineList(const Sweep& sweep, int W, int H, std::vector<PixelPoint>& lines) const;
    Sweep sweepFor(int W, int H) const;

    Colour m_color1{0x0080FFFF};
    Colour m_color2{0x000080FF};
    float m_angle = 315;
};
