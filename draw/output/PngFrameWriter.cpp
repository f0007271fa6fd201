// PNG through libspng, row by row as the strips are drawn: memory stays flat whatever the size.

#include "draw/output/FrameWriter.h"
#include "draw/output/PatternMetadata.h"
#include "draw/output/PngRowWriter.h"

#include <QBuffer>
#include <QFileDevice>
#include <QImage>

#include <algorithm>
#include <cstdint>

namespace {

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
    PngRowWriter::Status status = PngRowWriter::Status::Ok;
    const StripsEnd end = drawInStrips(frame, progress, StripOrder::TopDown, [&](const PixelBuffer& strip, int) {
        for (int y = 0; y < strip.height && status == PngRowWriter::Status::Ok; ++y)
            status = writer.writeRow(strip.row(y));
        return status == PngRowWriter::Status::Ok;
    });
    if (end == StripsEnd::Cancelled)
        return PngRowWriter::Status::Ok;
    if (status != PngRowWriter::Status::Ok)
        return status;
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
