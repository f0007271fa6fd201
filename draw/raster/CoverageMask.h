#pragma once

#include "draw/raster/DotStamp.h"
#include "draw/raster/PixelBuffer.h"

#include <vector>

// Which pixels of a buffer are already final. Drawing opaque dots from the last to the first, a
// pixel is written only by the first dot that reaches it, so the result equals drawing them in
// order while hidden parts cost no writing. Each row keeps its covered pixels as a few sorted
// runs: wide dots overlap into long runs, so a hidden span is found in one or two comparisons,
// and a dot hidden in every row is found without touching the runs at all.
class CoverageMask
{
    struct Run
    {
        int begin;
        int end;
    };

public:
    // Forgets all coverage; keeps its memory, so later drawings of the same size do not allocate.
    void reset(int width, int height);

    // Writes the parts of [x0, x1) on row y that are not yet covered, then covers the span.
    void paintSpan(const PixelBuffer& buffer, int y, int x0, int x1, QRgb colour)
    {
        if (y < 0 || y >= m_height)
            return;
        x0 = x0 < 0 ? 0 : x0;
        x1 = x1 > m_width ? m_width : x1;
        if (x0 >= x1)
            return;
        // Most spans of wide dots lie inside one run: found in a step or two, nothing written.
        std::vector<Run>& runs = m_rows[size_t(y)];
        Run* run = runs.data();
        Run* const end = run + runs.size();
        while (run != end && run->end < x0)
            ++run;
        if (run != end && run->begin <= x0 && run->end >= x1)
            return;
        // Next most often the span sticks out of one run on one side or both: widen that run.
        if (run != end && run->begin <= x1 && (run + 1 == end || (run + 1)->begin > x1)) {
            QRgb* row = buffer.row(y);
            if (x0 < run->begin) {
                PixelBuffer::fill(row + x0, row + run->begin, colour);
                run->begin = x0;
            }
            if (run->end < x1) {
                PixelBuffer::fill(row + run->end, row + x1, colour);
                run->end = x1;
            }
            noteRun(y, *run);
            return;
        }
        paintGaps(buffer, y, x0, x1, colour, size_t(run - runs.data()));
    }
    // The dot centred on pixel (x, y), written only where nothing later lies over it.
    void paintDot(const PixelBuffer& buffer, const DotStamp& dot, int x, int y, QRgb colour);

    // True once every pixel is covered: nothing drawn earlier can show any more.
    bool full() const { return m_openRows == 0; }

private:
    void paintGaps(const PixelBuffer& buffer, int y, int x0, int x1, QRgb colour, size_t first);
    // Keeps the row's longest run and counts the row once it is wholly covered.
    void noteRun(int y, Run run);

    int m_width = 0;
    int m_height = 0;
    int m_openRows = 0;
    std::vector<std::vector<Run>> m_rows; // covered runs, sorted, neither touching nor overlapping
    // Per row, the longest run seen so far, in flat arrays: a whole dot is tested against them in
    // one branch-free pass. Coverage only grows, so a run once covered stays covered.
    std::vector<int> m_longBegin;
    std::vector<int> m_longEnd;
};
