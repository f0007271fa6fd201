// PNG through libspng, row by row as the strips are drawn: memory stays flat whatever the size.

#include "draw/output/FrameWriter.h"
#include "draw/output/PatternMetadata.h"
#include "draw/output/PngRowWriter.h"
#include "draw/surface/ImageMemory.h"

#include <QBuffer>
#include <QFileDevice>
#include <QImage>

#include <algorithm>
#include <cstdint>

namespace {

// Rows drawn at a time: about 8 MiB of pixels, so a 65535-pixel row still goes in strips of 32.
int stripRows(int width) { return std::clamp((8 << 20) / (width * 4), 8, 512); }

OutputError errorOf(PngRowWriter::Status status)
{
    switch (status) {
    case PngRowWriter::Status::Ok:
        return OutputError::None;
    case PngRowWriter::Status::WriteFailed:
        return OutputError::WriteFailed;
    case PngRowWriter::Status::ColourOutsidePalette:
    case PngRowWriter::Status::Failed:
        break;
    }
    return OutputError::EncodingFailed;
}

// Draws the frame strip by strip into the writer. ColourOutsidePalette comes back as it is, so
// that the caller can start again in full colour.
PngRowWriter::Status writeStrips(const FrameRenderer& frame, PngRowWriter& writer, OutputProgress* progress)
{
    const QSize size = frame.frameSize();
    const int rows = std::min(stripRows(size.width()), size.height());
    QImage strip = allocatedImage(QSize(size.width(), rows));
    int lastPercent = -1;
    for (int top = 0; top < size.height(); top += rows) {
        if (isCancelled(progress))
            return PngRowWriter::Status::Ok;
        PixelBuffer view = PixelBuffer::of(strip);
        view.height = std::min(rows, size.height() - top);
        frame.renderRows(view, top);
        for (int y = 0; y < view.height; ++y) {
            if (const PngRowWriter::Status status = writer.writeRow(view.row(y)); status != PngRowWriter::Status::Ok)
                return status;
        }
        const int percent = int(std::int64_t(top + view.height) * 100 / size.height());
        if (progress && percent != lastPercent)
            progress->advanced(percent);
        lastPercent = percent;
    }
    return writer.finish();
}

// A second attempt may end before the first did: nothing of the first may stay.
bool cutAtPosition(QIODevice& device)
{
    const qint64 end = device.pos();
    if (device.size() <= end)
        return true;
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        return file->flush() && file->resize(end);
    if (auto* buffer = qobject_cast<QBuffer*>(&device)) {
        buffer->buffer().truncate(end);
        return true;
    }
    return false;
}

class PngFrameWriter final : public FrameWriter
{
public:
    OutputResult write(const FrameRenderer& frame, const OutputJob& job, QIODevice& device,
                       OutputProgress* progress) const override
    {
        const qint64 start = device.pos();
        // A slide has a handful of colours: with a palette its PNG is smaller and much faster.
        std::vector<QRgb> palette = frame.expectedColours();
        const QList<PngText> texts = patternPngTexts(job.pattern.code, job.pattern.fullCode);
        for (;;) {
            PngRowWriter writer(device);
            if (const auto status = writer.start(job.frame.pixels, palette, job.frame.dpi, texts);
                status != PngRowWriter::Status::Ok)
                return {errorOf(status)};
            const PngRowWriter::Status status = writeStrips(frame, writer, progress);
            if (isCancelled(progress))
                return {OutputError::Cancelled};
            if (status != PngRowWriter::Status::ColourOutsidePalette) {
                if (status != PngRowWriter::Status::Ok)
                    return {errorOf(status)};
                return {cutAtPosition(device) ? OutputError::None : OutputError::WriteFailed};
            }
            // A colour the palette lacked: start again in full colour.
            if (palette.empty() || !device.seek(start))
                return {OutputError::EncodingFailed};
            palette.clear();
        }
    }
};

} // namespace

const FrameWriter& pngFrameWriter()
{
    static const PngFrameWriter writer;
    return writer;
}
