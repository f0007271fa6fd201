#pragma once

#include "raster/DotStamp.h"
#include "raster/PixelBuffer.h"

#include <cstdint>
#include <vector>

// Which pixels of a buffer are already final. Drawing opaque dots from the last to the first, a
// pixel is written only by the first dot that reaches it, so the result equals drawing them in
// order while hidden parts cost no writing. Each row also keeps the range that is still open, so
// a span that misses it, or a row that is full, costs one comparison.
class CoverageMask
{
public:
    // Forgets all coverage; keeps its memory for a buffer of the same size or smaller.
    void reset(int width, int height);

    // Writes the parts of [x0, x1) on row y that are not yet covered, then covers the span.
    void paintSpan(const PixelBuffer& buffer, int y, int x0, int x1, QRgb colour);
    // The dot centred on pixel (x, y), written only where nothing later lies over it.
    void paintDot(const PixelBuffer& buffer, const DotStamp& dot, int x, int y, QRgb colour);

    // True once every pixel is covered: nothing drawn earlier can show any more.
    bool full() const { return m_openRows == 0; }

private:
    void paintWords(const PixelBuffer& buffer, int y, int x0, int x1, QRgb colour);
    void shrinkOpenRange(int y);

    int m_width = 0;
    int m_height = 0;
    int m_wordsPerRow = 0;
    int m_openRows = 0;
    std::vector<std::uint64_t> m_bits;
    std::vector<int> m_openBegin; // first pixel of the row that may be uncovered
    std::vector<int> m_openEnd;   // one past the last
};
