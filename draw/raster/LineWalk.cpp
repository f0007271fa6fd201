#include "draw/raster/LineWalk.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

__extension__ using Wide = __int128;

// Ceiling of a / b for b > 0.
std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// Narrows steps [first, last) to those whose minor coordinate lies in [0, minorLimit), so that
// lines crossing the buffer at a slant are not walked outside it. The minor offset of step i,
// floor((2 * i * minorDelta + majorDelta) / (2 * majorDelta)), never decreases with i.
void clipMinor(std::int64_t minor0, std::int64_t majorDelta, std::int64_t minorDelta, int minorSign,
               std::int64_t minorLimit, std::int64_t& first, std::int64_t& last)
{
    const std::int64_t low = minorSign > 0 ? -minor0 : minor0 - (minorLimit - 1);
    const std::int64_t high = minorSign > 0 ? minorLimit - 1 - minor0 : minor0;
    constexpr std::int64_t safe = std::int64_t(1) << 30; // keeps the products below in range
    if (minorDelta == 0 || majorDelta >= safe || std::abs(low) >= safe || std::abs(high) >= safe)
        return;
    // Offset >= k exactly from step ceil((2k - 1) * majorDelta / (2 * minorDelta)) on.
    first = std::max(first, ceilDiv((2 * low - 1) * majorDelta, 2 * minorDelta));
    last = std::min(last, ceilDiv((2 * (high + 1) - 1) * majorDelta, 2 * minorDelta));
}

// Walks steps [0, count) of a line whose major axis is "major"; the minor coordinate of step i is
// minor0 + minorSign * floor((2 * i * minorDelta + majorDelta) / (2 * majorDelta)), the pixel
// nearest the ideal line. Only steps whose major coordinate lies in [0, majorLimit) and whose minor
// coordinate lies in [0, minorLimit) are visited.
template <typename Plot>
void walk(std::int64_t major0, std::int64_t minor0, std::int64_t majorDelta, std::int64_t minorDelta, int majorSign,
          int minorSign, std::int64_t count, std::int64_t majorLimit, std::int64_t minorLimit, Plot plot)
{
    std::int64_t first = majorSign > 0 ? -major0 : major0 - (majorLimit - 1);
    std::int64_t last = majorSign > 0 ? majorLimit - major0 : major0 + 1;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, count);
    clipMinor(minor0, majorDelta, minorDelta, minorSign, minorLimit, first, last);
    if (first >= last)
        return;

    const std::int64_t twiceMajor = 2 * majorDelta;
    const std::int64_t twiceMinor = 2 * minorDelta;
    // The first visible step of a line across the whole 32-bit range needs up to 67 bits here.
    const Wide numerator = Wide(first) * twiceMinor + majorDelta;
    std::int64_t minor = minor0 + minorSign * static_cast<std::int64_t>(numerator / twiceMajor);
    std::int64_t remainder = static_cast<std::int64_t>(numerator % twiceMajor);
    std::int64_t major = major0 + majorSign * first;
    for (std::int64_t i = first; i < last; ++i) {
        plot(major, minor);
        major += majorSign;
        remainder += twiceMinor;
        if (remainder >= twiceMajor) {
            remainder -= twiceMajor;
            minor += minorSign;
        }
    }
}

} // namespace

void walkLine(const PixelBuffer& buffer, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
              QRgb colour, EndPixel end)
{
    const std::int64_t dx = std::int64_t(x1) - x0;
    const std::int64_t dy = std::int64_t(y1) - y0;
    const std::int64_t adx = std::abs(dx);
    const std::int64_t ady = std::abs(dy);
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    const std::int64_t extra = end == EndPixel::Included ? 1 : 0;

    if (adx == 0 && ady == 0) {
        if (extra && buffer.contains(x0, y0))
            buffer.row(y0)[x0] = colour;
        return;
    }
    if (ady == 0) {
        // Horizontal: one clipped span.
        if (y0 < 0 || y0 >= buffer.height)
            return;
        const std::int64_t count = adx + extra;
        const std::int64_t from = sx > 0 ? x0 : std::int64_t(x0) - count + 1;
        const std::int64_t to = from + count;
        buffer.fillSpan(y0, static_cast<int>(std::clamp<std::int64_t>(from, 0, buffer.width)),
                        static_cast<int>(std::clamp<std::int64_t>(to, 0, buffer.width)), colour);
        return;
    }
    if (adx >= ady) {
        walk(x0, y0, adx, ady, sx, sy, adx + extra, buffer.width, buffer.height, [&](std::int64_t x, std::int64_t y) {
            if (y >= 0 && y < buffer.height)
                buffer.row(static_cast<int>(y))[x] = colour;
        });
    } else {
        walk(y0, x0, ady, adx, sy, sx, ady + extra, buffer.height, buffer.width, [&](std::int64_t y, std::int64_t x) {
            if (x >= 0 && x < buffer.width)
                buffer.row(static_cast<int>(y))[x] = colour;
        });
    }
}
