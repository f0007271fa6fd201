// PDF through Qt's writer, as vectors on a page exactly the sheet or the pixels at the dpi.

#include "draw/base/ProgramTitle.h"
#include "draw/output/FrameWriter.h"
#include "draw/output/PatternMetadata.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace {

// Qt gives the page in whole points (595 x 842 for A4). The numbers are rewritten in place with
// as many digits as fit the same length, so no offset in the file moves.
void setExactMediaBox(QByteArray& pdf, QSizeF points)
{
    static const QByteArray key = "/MediaBox [0 0 ";
    const qsizetype start = pdf.indexOf(key);
    const qsizetype end = start < 0 ? -1 : pdf.indexOf(']', start);
    if (end < 0)
        return;
    const qsizetype from = start + key.size();
    const qsizetype length = end - from;
    for (int decimals = 6; decimals >= 0; --decimals) {
        QByteArray exact = QByteArray::number(points.width(), 'f', decimals) + ' '
                           + QByteArray::number(points.height(), 'f', decimals);
        if (exact.size() <= length) {
            exact.append(QByteArray(length - exact.size(), ' '));
            pdf.replace(from, length, exact);
            return;
        }
    }
}

// The sheet exactly (A4 is 595.28 x 841.89 points), or the pixels at the chosen resolution.
QSizeF pagePoints(const ExportFrame& frame)
{
    if (frame.paper)
        return paperMillimetres(*frame.paper, frame.landscape) * (72.0 / 25.4);
    return QSizeF(frame.pixels.width() * 72.0 / frame.dpi, frame.pixels.height() * 72.0 / frame.dpi);
}

class PdfFrameWriter final : public FrameWriter
{
public:
    OutputResult write(const FrameRenderer& frame, const OutputJob& job, QIODevice& device,
                       OutputProgress*) const override
    {
        const QSize size = job.frame.pixels;
        const int dpi = std::max(1, int(std::lround(job.frame.dpi)));
        const QSizeF points = pagePoints(job.frame);
        QByteArray pdf;
        {
            QBuffer buffer(&pdf);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setTitle(job.pattern.code);
            writer.setCreator(applicationTitle());
            if (!job.pattern.fullCode.isEmpty())
                writer.setDocumentXmpMetadata(patternXmp(job.pattern.code, job.pattern.fullCode));
            writer.setResolution(dpi);
            const QPageSize page(points, QPageSize::Point, QString(), QPageSize::ExactMatch);
            if (!writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0))))
                return {OutputError::InvalidPage};
            QPainter painter;
            if (!painter.begin(&writer))
                return {OutputError::EncodingFailed};
            // The frame's pixels stretched over the whole page, whose device units are 1 / dpi inch.
            painter.scale(points.width() * dpi / 72.0 / size.width(), points.height() * dpi / 72.0 / size.height());
            frame.paintVector(painter);
            if (!painter.end())
                return {OutputError::EncodingFailed};
        }
        setExactMediaBox(pdf, points);
        if (device.write(pdf) != pdf.size())
            return {OutputError::WriteFailed};
        return {};
    }
};

} // namespace

const FrameWriter& pdfFrameWriter()
{
    static const PdfFrameWriter writer;
    return writer;
}
