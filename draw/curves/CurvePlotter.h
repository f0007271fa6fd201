#pragma once

#include "draw/base/Colour.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

class CurveControls;

// The four plotters share one body and differ in phase and colour.
struct CurvePlotter
{
    double phase;
    Colour colour;
};

inline constexpr CurvePlotter YellowPlotter{5.0, RGB(250, 250, 0)}; // cmdOutput_Click
inline constexpr CurvePlotter GreenPlotter{0.0, RGB(0, 250, 0)};
inline constexpr CurvePlotter BluePlotter{0.0, RGB(0, 0, 250)};
inline constexpr CurvePlotter PinkPlotter{0.0, RGB(250, 30, 130)};

// The converted inputs of one run; a failed conversion leaves its value at 0, and a divisor that
// does not convert leaves the step itself at 0 (the step statement is abandoned).
struct CurveParameters
{
    std::optional<double> divisor;
    std::int32_t lastStep = 0; // N
    std::int32_t penHole = 0;  // d
    std::int32_t rolling = 0;  // r
    std::int32_t fixed = 0;    // R
};

// One plotter run as it was drawn: its converted inputs, its plotter and the dot diameter in
// force while it drew.
struct CurveRun
{
    CurveParameters parameters;
    CurvePlotter plotter{0.0, RGB(0, 0, 0)};
    int diameter = 1;
};

// Reads the texts afresh in the order divisor, N, d, r, R.
CurveParameters readCurveParameters(const CurveControls& controls);

namespace curve_detail {

// A single-precision store. A finite value beyond the float range is an overflow error: the
// statement is abandoned and the variable keeps its value. Infinities and NaN are stored as they are.
inline bool storeSingle(float& target, double value)
{
    if (std::isfinite(value) && std::fabs(value) > double(std::numeric_limits<float>::max()))
        return false;
    target = static_cast<float>(value);
    return true;
}

} // namespace curve_detail

// Walks the points of one run for i = 2..N and hands each finite one to sink(x, y). Steps whose
// coordinates are not finite (divisor 0, r = 0) are left out.
template <typename Sink>
void traceCurve(const CurveParameters& p, double phase, Sink&& sink)
{
    using curve_detail::storeSingle;
    // The program stores these working values in single precision; the arithmetic between the
    // stores is double precision.
    float step = 0, t = 0, u = 0, x = 0, y = 0;
    if (p.divisor)
        storeSingle(step, 3.14159265358979 / *p.divisor);
    const double ratio = double(p.fixed) / double(p.rolling);
    const std::int64_t k64 = std::int64_t(p.fixed) - std::int64_t(p.rolling);
    const bool kOverflows = k64 < std::numeric_limits<std::int32_t>::min()
                            || k64 > std::numeric_limits<std::int32_t>::max();
    const double k = double(k64);
    const double d = p.penHole;
    for (std::int64_t i = 2; i <= p.lastStep; ++i) {
        storeSingle(t, double(step) * double(i));
        storeSingle(u, ratio * double(t) + phase);
        if (!kOverflows) {
            const double wheel = double(u) - double(t);
            storeSingle(x, k * std::cos(double(t)) + d * std::cos(wheel) + 400);
            storeSingle(y, k * std::sin(double(t)) - d * std::sin(wheel) + 400);
        }
        if (std::isfinite(x) && std::isfinite(y))
            sink(x, y);
    }
}

// One run of a plotter on the canvas of the controls; returns what it drew with.
CurveRun plotCurve(CurveControls& controls, const CurvePlotter& plotter);
