#include "draw/raster/CoverageMask.h"

#include <algorithm>

void CoverageMask::reset(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    if (m_rows.size() < size_t(m_height))
        m_rows.resize(size_t(m_height));
    for (std::vector<Run>& row : m_rows)
        row.clear();
    m_longBegin.assign(size_t(m_height), 0);
    m_longEnd.assign(size_t(m_height), 0);
    m_openRows = m_width > 0 ? m_height : 0;
}

// Runs before first end before x0.
void CoverageMask::paintGaps(const PixelBuffer& buffer, int y, int x0, int x1, QRgb colour, size_t firstIndex)
{
    std::vector<Run>& runs = m_rows[size_t(y)];
    const auto first = runs.begin() + std::ptrdiff_t(firstIndex);
    // Paint the gaps between the runs that meet [x0, x1), then merge them into one run.
    QRgb* row = buffer.row(y);
    int cursor = x0;
    auto last = first;
    for (; last != runs.end() && last->begin <= x1; ++last) {
        if (last->begin > cursor)
            PixelBuffer::fill(row + cursor, row + last->begin, colour);
        cursor = std::max(cursor, last->end);
    }
    if (cursor < x1)
        PixelBuffer::fill(row + cursor, row + x1, colour);
    Run merged{x0, x1};
    if (first != last) {
        merged.begin = std::min(x0, first->begin);
        merged.end = std::max(x1, (last - 1)->end);
        *first = merged;
        runs.erase(first + 1, last);
    } else {
        runs.insert(first, merged);
    }
    noteRun(y, merged);
}

void CoverageMask::noteRun(int y, Run run)
{
    if (run.end - run.begin > m_longEnd[size_t(y)] - m_longBegin[size_t(y)]) {
        m_longBegin[size_t(y)] = run.begin;
        m_longEnd[size_t(y)] = run.end;
    }
    if (run.begin == 0 && run.end == m_width)
        --m_openRows;
}

void CoverageMask::paintDot(const PixelBuffer& buffer, const DotStamp& dot, int x, int y, QRgb colour)
{
    const int d = dot.diameter();
    const int top = y - d / 2;
    const int left = x - d / 2;
    const int firstRow = std::max(0, -top);
    const int endRow = std::min(d, m_height - top);
    // Hidden in every row: nothing to do. No branches, so the test streams through the rows.
    // Rows are indexed from the image's top: a dot above it must not point before the arrays.
    bool hidden = true;
    const int* longBegin = m_longBegin.data();
    const int* longEnd = m_longEnd.data();
    for (int r = firstRow; r < endRow; ++r) {
        const DotStamp::Span span = dot.span(r);
        const int a = std::max(left + span.begin, 0);
        const int b = std::min(left + span.end, m_width);
        const int row = top + r;
        hidden &= (a >= b) | ((longBegin[row] <= a) & (b <= longEnd[row]));
    }
    if (hidden)
        return;
    for (int r = firstRow; r < endRow; ++r) {
        const DotStamp::Span span = dot.span(r);
        paintSpan(buffer, top + r, left + span.begin, left + span.end, colour);
    }
}
