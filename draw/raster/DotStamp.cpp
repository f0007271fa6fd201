#include "draw/raster/DotStamp.h"

#include <cmath>

DotStamp::DotStamp(int diameter) : m_diameter(diameter < 1 ? 1 : diameter)
{
    // Row r and column c of the d x d cell belong to the dot when the pixel's centre lies within
    // the circle of diameter d centred in the cell.
    const double radius = m_diameter / 2.0;
    m_spans.reserve(size_t(m_diameter));
    for (int r = 0; r < m_diameter; ++r) {
        const double dy = r + 0.5 - radius;
        const double halfWidth = std::sqrt(std::max(0.0, radius * radius - dy * dy));
        // Columns c with |c + 0.5 - radius| <= halfWidth.
        int begin = static_cast<int>(std::ceil(radius - halfWidth - 0.5));
        int end = static_cast<int>(std::floor(radius + halfWidth - 0.5)) + 1;
        if (begin < 0)
            begin = 0;
        if (end > m_diameter)
            end = m_diameter;
        if (end < begin)
            end = begin;
        m_spans.push_back({begin, end});
    }
}
