// JPEG, BMP and WebP through Qt's image writer, which takes the whole picture at once.

#include "draw/output/ExportNames.h"
#include "draw/output/FrameWriter.h"
#include "draw/output/PatternMetadata.h"

#include <QImageWriter>

namespace {

class QtImageFrameWriter final : public FrameWriter
{
public:
    OutputResult write(const FrameRenderer& frame, const OutputJob& job, QIODevice& device,
                       OutputProgress*) const override
    {
        QImage image = frame.render();
        if (image.isNull())
            return {OutputError::TooLargeForFormat};
        image.setDotsPerMeterX(int(pixelsPerMetre(job.frame.dpi)));
        image.setDotsPerMeterY(int(pixelsPerMetre(job.frame.dpi)));
        for (const PngText& text : patternPngTexts(job.pattern.code, job.pattern.fullCode))
            image.setText(QString::fromLatin1(text.keyword), text.text);
        QImageWriter writer(&device, qtImageFormat(job.format));
        if (writer.write(image))
            return {};
        return {writer.error() == QImageWriter::DeviceError ? OutputError::WriteFailed : OutputError::TooLargeForFormat};
    }
};

} // namespace

const FrameWriter& qtImageFrameWriter()
{
    static const QtImageFrameWriter writer;
    return writer;
}
