#pragma once

#include "draw/output/OutputJob.h"
#include "draw/raster/PixelBuffer.h"

#include <functional>

class FrameRenderer;
class QIODevice;

// The writer of one file format: takes the frame the replay draws and writes it to a device.
// Writers hold no state; one of each serves every job.
class FrameWriter
{
public:
    virtual ~FrameWriter() = default;
    virtual OutputResult write(const FrameRenderer& frame, const OutputJob& job, QIODevice& device,
                               OutputProgress* progress) const = 0;
};

// The writer for a format.
const FrameWriter& frameWriterFor(ExportFormat format);

// The writers, each in its own file.
const FrameWriter& pngFrameWriter();
const FrameWriter& jpegFrameWriter();
const FrameWriter& bmpFrameWriter();
const FrameWriter& qtImageFrameWriter(); // WebP through Qt's image writer, which takes the whole picture
const FrameWriter& svgFrameWriter();
const FrameWriter& pdfFrameWriter();

// True when the user asked the job to stop.
inline bool isCancelled(const OutputProgress* progress) { return progress && progress->cancelled(); }

// Rows drawn at a time for a frame this wide: about 8 MiB of pixels, at least 8 rows.
int frameStripRows(int width);

// The raster writers' one way of drawing: the frame a strip at a time, so that memory stays flat
// whatever its size. The taker gets each strip (frame-wide rows) and its first row; it returns
// false to stop. Progress is told after each strip. Throws std::bad_alloc when no strip can be had.
enum class StripOrder { TopDown, BottomUp };
enum class StripsEnd { Done, Stopped, Cancelled };
using StripTaker = std::function<bool(const PixelBuffer& strip, int top)>;
StripsEnd drawInStrips(const FrameRenderer& frame, OutputProgress* progress, StripOrder order, const StripTaker& take);
