#pragma once

#include "draw/raster/PixelBuffer.h"

#include <vector>

// A round dot of a given diameter, kept as one span per row so that stamping it writes its pixels
// straight into the scanlines.
class DotStamp
{
public:
    explicit DotStamp(int diameter = 1);

    struct Span
    {
        int begin;
        int end;
    };

    int diameter() const { return m_diameter; }
    // Row r of the dot's d x d cell: columns [begin, end).
    Span span(int r) const { return m_spans[size_t(r)]; }

    // Stamps the dot centred on pixel (x, y), clipped to the buffer.
    void stamp(const PixelBuffer& buffer, int x, int y, QRgb colour) const
    {
        if (m_diameter == 1) {
            if (buffer.contains(x, y))
                buffer.row(y)[x] = colour;
            return;
        }
        const int top = y - m_diameter / 2;
        const int left = x - m_diameter / 2;
        if (top >= 0 && left >= 0 && top + m_diameter <= buffer.height && left + m_diameter <= buffer.width) {
            // Wholly inside: no clipping in the loop.
            QRgb* row = buffer.row(top) + left;
            const qsizetype stride = buffer.stride;
            for (const Span& span : m_spans) {
                PixelBuffer::fill(row + span.begin, row + span.end, colour);
                row += stride;
            }
            return;
        }
        if (left >= buffer.width || left + m_diameter <= 0)
            return;
        // Only the rows that fall inside the buffer, so a huge dot near the canvas stays cheap.
        const int firstRow = top < 0 ? -top : 0;
        const int endRow = buffer.height - top < m_diameter ? buffer.height - top : m_diameter;
        for (int r = firstRow; r < endRow; ++r)
            buffer.fillSpan(top + r, left + m_spans[size_t(r)].begin, left + m_spans[size_t(r)].end, colour);
    }

private:
    int m_diameter;
    std::vector<Span> m_spans;
};
