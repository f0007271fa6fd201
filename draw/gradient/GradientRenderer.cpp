#include "draw/gradient/GradientRenderer.h"

#include "draw/gradient/GradientSweep.h"
#include "draw/surface/Surface.h"

#include <algorithm>
#include <cmath>

namespace {

// Tables beyond these sizes are refused instead of exhausting memory.
constexpr std::int64_t maxTableSize = 1 << 24;
constexpr std::int64_t maxLineEntries = 1 << 24;

// Which row of the offset table a stored angle falls in; -1 for an angle that is not a number.
int quadrantOf(float angle)
{
    if (angle >= 0 && angle <= 90)
        return 0;
    if (angle > 90 && angle <= 180)
        return 1;
    if (angle > 180 && angle <= 270)
        return 2;
    if (angle > 270)
        return 3;
    return -1;
}

} // namespace

// The sweep line at its start: its two ends, the offset that moves it to the trailing side of
// the area, and the one-pixel step towards the far side.
struct GradientRenderer::Sweep
{
    FloatPoint P0;
    FloatPoint P1;
    float R = 0;
    float Xoff = 0;
    float Yoff = 0;
    int Sx = 0;
    int Sy = 0;
};

void GradientRenderer::setAngle(float degrees)
{
    const double v = degrees;
    float stored = toSingle(v - 360 * std::floor(v / 360));
    // For huge magnitudes the formula loses the remainder, and a tiny negative angle rounds up to
    // 360 when stored; both still name an angle in [0, 360).
    if (std::isfinite(stored) && !(stored >= 0 && stored < 360)) {
        const double remainder = std::fmod(v, 360.0);
        stored = toSingle(remainder < 0 ? remainder + 360 : remainder);
        if (stored >= 360)
            stored = 0;
    }
    m_angle = stored;
}

Colour GradientRenderer::resolvedAtAssignment(Colour colour)
{
    if (colour.isSystemReference() && colour.systemIndex() <= 24)
        return Colour(GetSysColor(colour.systemIndex()));
    return colour;
}

GradientPaint GradientRenderer::Draw(Surface& target)
{
    const int W = target.width();
    const int H = target.height();
    if (W <= 1 || H <= 1)
        return {};
    std::vector<PixelPoint> lines;
    std::vector<Colour> colours;
    if (const ErrorCode error = sweepPlan(W, H, lines, colours); error != ErrorCode::None)
        return GradientPaint{false, error};
    const bool drawn = lines.size() >= 2;
    target.drawSweep(std::make_shared<GradientSweep>(*this, QSize(W, H), std::move(lines), std::move(colours)));
    return GradientPaint{drawn, ErrorCode::None};
}

std::optional<int> GradientRenderer::BlendColors(Colour color1, Colour color2, int steps, std::vector<Colour>& colours)
{
    if (steps < 2)
        steps = 2;
    if (steps > maxTableSize)
        return std::nullopt;
    const std::uint32_t c1 = color1.value();
    const std::uint32_t c2 = color2.value();
    const int red1 = int(c1 & 0xFF), green1 = int((c1 & 0xFF00) / 256), blue1 = int((c1 & 0xFF0000) / 65536);
    const int red2 = int(c2 & 0xFF), green2 = int((c2 & 0xFF00) / 256), blue2 = int((c2 & 0xFF0000) / 65536);
    // The increments are held in single precision.
    const float redStep = toSingle(DivideOrZero(red2 - red1, steps));
    const float greenStep = toSingle(DivideOrZero(green2 - green1, steps));
    const float blueStep = toSingle(DivideOrZero(blue2 - blue1, steps));

    colours.assign(size_t(steps), Colour());
    colours[0] = color1;
    colours[size_t(steps) - 1] = color2;
    // Each channel stays between its two ends, so the rounding below cannot leave 0..255.
    for (int i = 1; i <= steps - 2; ++i) {
        const auto red = roundHalfEven(i * double(redStep) + red1);
        const auto green = roundHalfEven(i * double(greenStep) + green1);
        const auto blue = roundHalfEven(i * double(blueStep) + blue1);
        colours[size_t(i)] = Colour(std::uint32_t(green * 256 + red + blue * 65536));
    }
    return steps;
}

void GradientRenderer::RotatePointAbout(FloatPoint centre, FloatPoint& point, float angle)
{
    const float a = toSingle(angle * 0.017453292519943278);
    const float dx = toSingle(double(point.X) - centre.X);
    const float dy = toSingle(double(point.Y) - centre.Y);
    const double cosA = std::cos(double(a));
    const double sinA = std::sin(double(a));
    point.X = toSingle(centre.X + dx * cosA + dy * sinA);
    point.Y = toSingle(centre.Y - (dx * sinA - dy * cosA));
}

GradientRenderer::Sweep GradientRenderer::sweepFor(int W, int H) const
{
    Sweep s;
    const FloatPoint centre{toSingle(std::floor(W / 2.0)), toSingle(std::floor(H / 2.0))};
    const double L = H < W ? W : H;
    s.R = toSingle((std::sqrt(L * L + L * L) + 2) / 2);
    s.P0 = FloatPoint{toSingle(double(centre.X) - s.R), centre.Y};
    s.P1 = FloatPoint{toSingle(double(centre.X) + s.R), centre.Y};

    const double turned = double(m_angle) + 90;
    const float theta = toSingle(turned - 360 * std::floor(turned / 360));
    RotatePointAbout(centre, s.P0, theta);
    RotatePointAbout(centre, s.P1, theta);

    const float rise = toSingle(double(s.P0.Y) - s.P1.Y);
    const float run = toSingle(double(s.P0.X) - s.P1.X);
    const bool steep = std::fabs(rise) >= std::fabs(run);
    const int quadrant = quadrantOf(m_angle);
    if (quadrant < 0)
        return s; // no step: the line list reports the angle
    if (steep) {
        const bool fromLeft = quadrant == 0 || quadrant == 3;
        s.Xoff = fromLeft ? toSingle(-double(std::max(s.P0.X, s.P1.X))) : toSingle(W - double(std::min(s.P0.X, s.P1.X)));
        s.Sx = fromLeft ? 1 : -1;
    } else {
        const bool fromBottom = quadrant == 0 || quadrant == 1;
        s.Yoff = fromBottom ? toSingle(H - double(std::min(s.P0.Y, s.P1.Y))) : toSingle(-double(std::max(s.P0.Y, s.P1.Y)));
        s.Sy = fromBottom ? -1 : 1;
    }
    return s;
}

ErrorCode GradientRenderer::buildLineList(const Sweep& s, int W, int H, std::vector<PixelPoint>& lines) const
{
    const auto x0 = nearestInt32(double(s.Xoff) + s.P0.X);
    const auto y0 = nearestInt32(double(s.Yoff) + s.P0.Y);
    const auto x1 = nearestInt32(double(s.Xoff) + s.P1.X);
    const auto y1 = nearestInt32(double(s.Yoff) + s.P1.Y);
    if (!x0 || !y0 || !x1 || !y1 || (s.Sx == 0 && s.Sy == 0))
        return ErrorCode::Overflow;
    // The first line lies within 2R + 2 pixels of the trailing edge, so the sweep ends after at
    // most this many entries; anything longer could only come from a broken geometry.
    const std::int64_t bound = 2 * (std::int64_t(W) + H + std::int64_t(std::ceil(2 * double(s.R))) + 8);
    if (bound > maxLineEntries)
        return OutOfMemoryError;

    // Entry n is entry n - 2 moved one step, so the list is counted first with its two newest
    // entries alone, then written once at its final length: the same entries as growing it block
    // by block, without copying a list that may hold a few hundred thousand of them.
    const PixelPoint first[2] = {PixelPoint{*x0, *y0}, PixelPoint{*x1, *y1}};
    PixelPoint newest[2] = {first[0], first[1]}; // entries n - 2 and n - 1
    std::int64_t n = 2;
    bool done = false;
    while (!done) {
        if (n >= bound)
            return ErrorCode::Overflow;
        const PixelPoint added{newest[0].x + s.Sx, newest[0].y + s.Sy};
        newest[0] = newest[1];
        newest[1] = added;
        ++n;
        const PixelPoint a = newest[1];
        const PixelPoint b = newest[0];
        if (s.Sx > 0)
            done = a.x > W && b.x > W;
        else if (s.Sx < 0)
            done = a.x < 0 && b.x < 0;
        else if (s.Sy > 0)
            done = a.y > H && b.y > H;
        else
            done = a.y < 0 && b.y < 0;
    }
    lines.resize(size_t(n));
    for (std::int64_t i = 0; i < n; ++i) {
        const auto moves = std::int32_t(i / 2);
        const PixelPoint from = first[i % 2];
        lines[size_t(i)] = PixelPoint{from.x + moves * s.Sx, from.y + moves * s.Sy};
    }
    return ErrorCode::None;
}

ErrorCode GradientRenderer::sweepLines(int W, int H, std::vector<PixelPoint>& lines) const
{
    return buildLineList(sweepFor(W, H), W, H, lines);
}

ErrorCode GradientRenderer::sweepPlan(int W, int H, std::vector<PixelPoint>& lines, std::vector<Colour>& colours) const
{
    if (const ErrorCode error = sweepLines(W, H, lines); error != ErrorCode::None)
        return error;
    if (!BlendColors(m_color1, m_color2, int(roundHalfEven(double(lines.size()) / 2.0)), colours))
        return OutOfMemoryError;
    return ErrorCode::None;
}
