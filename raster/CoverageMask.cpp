#include "raster/CoverageMask.h"

#include <algorithm>
#include <bit>

void CoverageMask::reset(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_wordsPerRow = (m_width + 63) / 64;
    m_bits.assign(size_t(m_wordsPerRow) * size_t(m_height), 0);
    m_openBegin.assign(size_t(m_height), 0);
    m_openEnd.assign(size_t(m_height), m_width);
    m_openRows = m_width > 0 ? m_height : 0;
}

void CoverageMask::paintSpan(const PixelBuffer& buffer, int y, int x0, int x1, QRgb colour)
{
    if (y < 0 || y >= m_height)
        return;
    const int begin = std::max(x0, m_openBegin[size_t(y)]);
    const int end = std::min(x1, m_openEnd[size_t(y)]);
    if (begin >= end)
        return;
    paintWords(buffer, y, begin, end, colour);
    shrinkOpenRange(y);
}

void CoverageMask::paintDot(const PixelBuffer& buffer, const DotStamp& dot, int x, int y, QRgb colour)
{
    const int d = dot.diameter();
    const int top = y - d / 2;
    const int left = x - d / 2;
    const int firstRow = std::max(0, -top);
    const int endRow = std::min(d, m_height - top);
    for (int r = firstRow; r < endRow; ++r) {
        const DotStamp::Span span = dot.span(r);
        paintSpan(buffer, top + r, left + span.begin, left + span.end, colour);
    }
}

// Callers pass a non-empty span inside the row.
void CoverageMask::paintWords(const PixelBuffer& buffer, int y, int x0, int x1, QRgb colour)
{
    std::uint64_t* words = m_bits.data() + size_t(y) * size_t(m_wordsPerRow);
    QRgb* row = buffer.row(y);
    const int lastWord = (x1 - 1) / 64;
    for (int w = x0 / 64; w <= lastWord; ++w) {
        const int from = std::max(x0 - w * 64, 0);
        const int to = std::min(x1 - w * 64, 64);
        const std::uint64_t span = (to == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << to) - 1)
                                   & ~((std::uint64_t(1) << from) - 1);
        std::uint64_t open = span & ~words[w];
        words[w] |= span;
        while (open) {
            const int first = std::countr_zero(open);
            const std::uint64_t rest = ~(open >> first);
            const int length = rest ? std::countr_zero(rest) : 64 - first;
            QRgb* start = row + w * 64 + first;
            PixelBuffer::fill(start, start + length, colour);
            open &= length + first >= 64 ? 0 : ~std::uint64_t(0) << (first + length);
        }
    }
}

// The open range only narrows, so over a whole drawing each row is scanned once.
void CoverageMask::shrinkOpenRange(int y)
{
    const std::uint64_t* words = m_bits.data() + size_t(y) * size_t(m_wordsPerRow);
    int& begin = m_openBegin[size_t(y)];
    int& end = m_openEnd[size_t(y)];
    const auto covered = [words](int x) { return (words[x / 64] >> (x % 64)) & 1; };
    while (begin < end) {
        if (begin % 64 == 0 && end - begin >= 64 && words[begin / 64] == ~std::uint64_t(0))
            begin += 64;
        else if (covered(begin))
            ++begin;
        else
            break;
    }
    while (end > begin) {
        if (end % 64 == 0 && end - begin >= 64 && words[end / 64 - 1] == ~std::uint64_t(0))
            end -= 64;
        else if (covered(end - 1))
            --end;
        else
            break;
    }
    if (begin >= end) {
        begin = end = 0;
        --m_openRows;
    }
}
