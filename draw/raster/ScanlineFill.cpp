#include "draw/raster/ScanlineFill.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Crossing
{
    double x;
    int direction;
};

} // namespace

void fillPolygon(const PixelBuffer& buffer, const PixelPoint* points, int count, FillRule rule, QRgb colour)
{
    if (count < 3 || buffer.width <= 0 || buffer.height <= 0)
        return;

    std::int64_t top = points[0].y;
    std::int64_t bottom = points[0].y;
    for (int i = 1; i < count; ++i) {
        top = std::min<std::int64_t>(top, points[i].y);
        bottom = std::max<std::int64_t>(bottom, points[i].y);
    }
    const int firstRow = static_cast<int>(std::clamp<std::int64_t>(top, 0, buffer.height));
    const int endRow = static_cast<int>(std::clamp<std::int64_t>(bottom, 0, buffer.height));

    // Reused between calls so that filling allocates only when a larger polygon comes along.
    thread_local std::vector<Crossing> crossings;
    for (int y = firstRow; y < endRow; ++y) {
        // A pixel stands for the integer point at its corner, where outlines put their pixels, so
        // a fill sampled there stays within the outline drawn through the same points.
        const double centreY = y;
        crossings.clear();
        for (int i = 0; i < count; ++i) {
            const PixelPoint a = points[i];
            const PixelPoint b = points[(i + 1) % count];
            if (a.y == b.y)
                continue;
            const bool down = b.y > a.y;
            const double lowY = down ? a.y : b.y;
            const double highY = down ? b.y : a.y;
            if (centreY < lowY || centreY >= highY)
                continue;
            const double x = a.x + (centreY - a.y) * (double(b.x) - a.x) / (double(b.y) - a.y);
            crossings.push_back({x, down ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });

        int winding = 0;
        for (size_t k = 0; k + 1 < crossings.size(); ++k) {
            winding += crossings[k].direction;
            const bool inside = rule == FillRule::Winding ? winding != 0 : (k % 2) == 0;
            if (!inside)
                continue;
            // Pixels whose x lies in [left, right).
            const double left = std::ceil(crossings[k].x);
            const double right = std::ceil(crossings[k + 1].x);
            const double clampedLeft = std::clamp(left, 0.0, double(buffer.width));
            const double clampedRight = std::clamp(right, 0.0, double(buffer.width));
            buffer.fillSpan(y, static_cast<int>(clampedLeft), static_cast<int>(clampedRight), colour);
        }
    }
}
