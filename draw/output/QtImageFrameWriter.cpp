// WebP through Qt's image writer, which takes the whole picture at once: libwebp cannot take a
// picture in parts, so only sizes whose whole picture stays modest are written.

#include "draw/output/ExportNames.h"
#include "draw/output/FrameWriter.h"
#include "draw/output/PatternMetadata.h"

#include <QFileDevice>
#include <QImageWriter>

namespace {

// The format's own limit on a side, and the largest screen preset (8K): the picture, its copy in
// the encoder and the encoder's work stay within about half a gigabyte.
constexpr int largestWebpSide = 16383;
constexpr qint64 largestWebpPixels = qint64(7680) * 4320;

class QtImageFrameWriter final : public FrameWriter
{
public:
    OutputResult write(const FrameRenderer& frame, const OutputJob& job, QIODevice& device,
                       OutputProgress*) const override
    {
        const QSize size = frame.frameSize();
        if (size.width() > largestWebpSide || size.height() > largestWebpSide
            || qint64(size.width()) * size.height() > largestWebpPixels)
            return {OutputError::TooLargeForFormat};
        QImage image = frame.render(); // std::bad_alloc when it cannot be had
        image.setDotsPerMeterX(int(pixelsPerMetre(job.frame.dpi)));
        image.setDotsPerMeterY(int(pixelsPerMetre(job.frame.dpi)));
        for (const PngText& text : patternPngTexts(job.pattern.code, job.pattern.fullCode))
            image.setText(QString::fromLatin1(text.keyword), text.text);
        QImageWriter writer(&device, qtImageFormat(job.format));
        if (writer.write(image))
            return {};
        // A plugin may report a full disk as any failure: the device tells.
        const auto* file = qobject_cast<const QFileDevice*>(&device);
        const bool deviceFailed = writer.error() == QImageWriter::DeviceError || (file && file->error() != QFileDevice::NoError);
        return {deviceFailed ? OutputError::WriteFailed : OutputError::EncodingFailed};
    }
};

} // namespace

const FrameWriter& qtImageFrameWriter()
{
    static const QtImageFrameWriter writer;
    return writer;
}
