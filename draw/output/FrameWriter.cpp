#include "draw/output/FrameWriter.h"
#include "draw/surface/ImageMemory.h"

#include <QImage>

#include <algorithm>
#include <cstdint>

int frameStripRows(int width) { return std::clamp((8 << 20) / (std::max(width, 1) * 4), 8, 512); }

StripsEnd drawInStrips(const FrameRenderer& frame, OutputProgress* progress, StripOrder order, const StripTaker& take)
{
    const QSize size = frame.frameSize();
    const int rows = std::min(frameStripRows(size.width()), size.height());
    QImage strip = allocatedImage(QSize(size.width(), rows));
    const int strips = (size.height() + rows - 1) / rows;
    int lastPercent = -1;
    for (int done = 0; done < strips; ++done) {
        if (isCancelled(progress))
            return StripsEnd::Cancelled;
        const int index = order == StripOrder::TopDown ? done : strips - 1 - done;
        const int top = index * rows;
        PixelBuffer view = PixelBuffer::of(strip);
        view.height = std::min(rows, size.height() - top);
        frame.renderRows(view, top);
        if (!take(view, top))
            return StripsEnd::Stopped;
        const int percent = int(std::int64_t(done + 1) * 100 / strips);
        if (progress && percent != lastPercent)
            progress->advanced(percent);
        lastPercent = percent;
    }
    return StripsEnd::Done;
}
