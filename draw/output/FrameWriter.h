#pragma once

#include "draw/output/OutputJob.h"

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
const FrameWriter& qtImageFrameWriter(); // JPEG, BMP, WebP through Qt's image writer
const FrameWriter& svgFrameWriter();
const FrameWriter& pdfFrameWriter();

// True when the user asked the job to stop.
inline bool isCancelled(const OutputProgress* progress) { return progress && progress->cancelled(); }
