// SVG through Qt's generator: the frame's vector primitives, sized in millimetres for paper and
// in pixels otherwise.

#include "draw/output/FrameWriter.h"
#include "draw/output/PatternMetadata.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

QString millimetres(double value) { return QString::number(value, 'f', 2) + QStringLiteral("mm"); }

class SvgFrameWriter final : public FrameWriter
{
public:
    OutputResult write(const FrameRenderer& frame, const OutputJob& job, QIODevice& device,
                       OutputProgress*) const override
    {
        const QSize size = job.frame.pixels;
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        // Viewers take the size at this resolution: 96 opens the picture at its own pixel size.
        generator.setResolution(std::max(1, int(std::lround(job.frame.dpi))));
        // The generator writes these texts as they are; a code typed with '<' or '&' must not
        // break the file.
        generator.setTitle(job.pattern.code.toHtmlEscaped());
        generator.setDescription(patternDescription(job.pattern.code).toHtmlEscaped());
        QPainter painter(&generator);
        frame.paintVector(painter);
        painter.end();
        QString width = QString::number(size.width());
        QString height = QString::number(size.height());
        if (job.frame.paper) {
            const QSizeF sheet = paperMillimetres(*job.frame.paper, job.frame.landscape);
            width = millimetres(sheet.width());
            height = millimetres(sheet.height());
        }
        setSvgSize(bytes, width, height);
        if (!job.pattern.fullCode.isEmpty())
            insertSvgCodeMetadata(bytes, job.pattern.fullCode);
        if (device.write(bytes) != bytes.size())
            return {OutputError::WriteFailed};
        return {};
    }
};

} // namespace

const FrameWriter& svgFrameWriter()
{
    static const SvgFrameWriter writer;
    return writer;
}
