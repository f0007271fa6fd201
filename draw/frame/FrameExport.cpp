#include "draw/frame/FrameExport.h"

#include "draw/base/ProgramTitle.h"
#include "draw/export/PatternExport.h"
#include "draw/export/PatternFileReader.h"
#include "draw/frame/FrameRenderer.h"
#include "draw/surface/PictureSource.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

ExportResult failure(const QString& reason) { return ExportResult{false, reason, false}; }
ExportResult stopped() { return ExportResult{false, cancelledExportText(), true}; }
ExportResult done() { return ExportResult{true, QString(), false}; }

bool cancelled(ExportProgress* progress) { return progress && progress->cancelled(); }

// Rows drawn at a time: about 8 MiB of pixels, so a 65535-pixel row still goes in strips of 32.
int stripRows(int width) { return std::clamp((8 << 20) / (width * 4), 8, 512); }

enum class StripsResult { Done, Cancelled, OutsidePalette, WriteFailed, Failed };

StripsResult writeStrips(const FrameRenderer& renderer, PngRowWriter& writer, ExportProgress* progress)
{
    const QSize size = renderer.frameSize();
    const int rows = std::min(stripRows(size.width()), size.height());
    QImage strip(size.width(), rows, QImage::Format_RGB32);
    if (strip.isNull())
        return StripsResult::Failed;
    int lastPercent = -1;
    for (int top = 0; top < size.height(); top += rows) {
        if (cancelled(progress))
            return StripsResult::Cancelled;
        const int height = std::min(rows, size.height() - top);
        PixelBuffer view = PixelBuffer::of(strip);
        view.height = height;
        renderer.renderRows(view, top);
        for (int y = 0; y < height; ++y) {
            switch (writer.writeRow(view.row(y))) {
            case PngRowWriter::Status::Ok:
                break;
            case PngRowWriter::Status::ColourOutsidePalette:
                return StripsResult::OutsidePalette;
            case PngRowWriter::Status::WriteFailed:
                return StripsResult::WriteFailed;
            case PngRowWriter::Status::Failed:
                return StripsResult::Failed;
            }
        }
        const int percent = int(std::int64_t(top + height) * 100 / size.height());
        if (progress && percent != lastPercent)
            progress->advanced(percent);
        lastPercent = percent;
    }
    return writer.finish() == PngRowWriter::Status::Ok ? StripsResult::Done : StripsResult::WriteFailed;
}

ExportResult writeOtherPicture(const ExportJob& job, QIODevice& device)
{
    const FrameRenderer renderer(job.picture, job.frame.pixels);
    QImage image = renderer.render();
    if (image.isNull())
        return failure(QStringLiteral("图案太大，不能保存为这种格式；请保存为 PNG。"));
    image.setDotsPerMeterX(int(pixelsPerMetre(job.frame.dpi)));
    image.setDotsPerMeterY(int(pixelsPerMetre(job.frame.dpi)));
    for (const PngText& text : patternPngTexts(job.code, job.fullCode))
        image.setText(QString::fromLatin1(text.keyword), text.text);
    QImageWriter writer(&device, job.pictureFormat);
    if (!writer.write(image))
        return failure(writer.error() == QImageWriter::DeviceError ? fullDiskText()
                                                                    : QStringLiteral("图案太大，不能保存为这种格式；请保存为 PNG。"));
    return done();
}

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

QString millimetres(double value) { return QString::number(value, 'f', 2) + QStringLiteral("mm"); }

ExportResult writeSvg(const ExportJob& job, QIODevice& device)
{
    const FrameRenderer renderer(job.picture, job.frame.pixels);
    const QSize size = job.frame.pixels;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(std::max(1, int(std::lround(job.frame.dpi))));
    generator.setTitle(job.code.toHtmlEscaped());
    generator.setDescription(patternDescription(job.code).toHtmlEscaped());
    QPainter painter(&generator);
    renderer.paintVector(painter);
    painter.end();
    // The sheet's own size for paper, the exact pixel size otherwise.
    QString width = QString::number(size.width());
    QString height = QString::number(size.height());
    if (job.frame.paper) {
        const QSizeF sheet = paperMillimetres(*job.frame.paper, job.frame.landscape);
        width = millimetres(sheet.width());
        height = millimetres(sheet.height());
    }
    setSvgSize(bytes, width, height);
    if (!job.fullCode.isEmpty())
        insertSvgCodeMetadata(bytes, job.fullCode);
    if (device.write(bytes) != bytes.size())
        return failure(fullDiskText());
    return done();
}

QByteArray xmpMetadata(const ExportJob& job)
{
    const QString xmp = QStringLiteral(
        "<?xpacket begin=\"\uFEFF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:pd=\"%1\">\n"
        "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%2</rdf:li></rdf:Alt></dc:title>\n"
        "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">%3</rdf:li></rdf:Alt></dc:description>\n"
        "<xmp:CreatorTool>%4</xmp:CreatorTool>\n"
        "<pd:%5>%6</pd:%5>\n"
        "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>");
    return xmp.arg(QLatin1String(patternCodeNamespace), job.code.toHtmlEscaped(),
                   patternDescription(job.code).toHtmlEscaped(), applicationTitle().toHtmlEscaped(),
                   QLatin1String(patternCodeElement), job.fullCode.toHtmlEscaped())
        .toUtf8();
}

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

ExportResult writePdf(const ExportJob& job, QIODevice& device)
{
    const FrameRenderer renderer(job.picture, job.frame.pixels);
    const QSize size = job.frame.pixels;
    const int dpi = std::max(1, int(std::lround(job.frame.dpi)));
    // The sheet exactly (A4 is 595.28 x 841.89 points), or the pixels at the chosen resolution.
    QSizeF points(size.width() * 72.0 / job.frame.dpi, size.height() * 72.0 / job.frame.dpi);
    if (job.frame.paper)
        points = paperMillimetres(*job.frame.paper, job.frame.landscape) * (72.0 / 25.4);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(job.code);
        writer.setCreator(applicationTitle());
        if (!job.fullCode.isEmpty())
            writer.setDocumentXmpMetadata(xmpMetadata(job));
        writer.setResolution(dpi);
        const QPageSize page(points, QPageSize::Point, QString(), QPageSize::ExactMatch);
        if (!writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0))))
            return failure(QStringLiteral("PDF 页面大小无效。"));
        QPainter painter;
        if (!painter.begin(&writer))
            return failure(QStringLiteral("图案无法编码。"));
        // The frame's pixels stretched over the whole page, whose device units are 1 / dpi inch.
        painter.scale(points.width() * dpi / 72.0 / size.width(), points.height() * dpi / 72.0 / size.height());
        renderer.paintVector(painter);
        if (!painter.end())
            return failure(QStringLiteral("图案无法编码。"));
    }
    setExactMediaBox(pdf, points);
    if (device.write(pdf) != pdf.size())
        return failure(fullDiskText());
    return done();
}

} // namespace

QString cancelledExportText() { return QStringLiteral("导出已取消。"); }

QList<PngText> patternPngTexts(const QString& code, const QString& fullCode)
{
    QList<PngText> texts = {{"Title", code},
                            {"Description", patternDescription(code)},
                            {"Software", applicationTitle()}};
    if (!fullCode.isEmpty())
        texts.append({patternCodeKeyword, fullCode});
    return texts;
}

ExportResult writeFramePng(const ExportJob& job, QIODevice& device, ExportProgress* progress,
                           PngCompression compression)
{
    const FrameRenderer renderer(job.picture, job.frame.pixels);
    const qint64 start = device.pos();
    std::vector<QRgb> palette = renderer.expectedColours();
    const QList<PngText> texts = patternPngTexts(job.code, job.fullCode);
    for (;;) {
        PngRowWriter writer(device);
        if (writer.start(job.frame.pixels, palette, job.frame.dpi, texts, compression) != PngRowWriter::Status::Ok)
            return failure(fullDiskText());
        switch (writeStrips(renderer, writer, progress)) {
        case StripsResult::Done:
            // A second attempt may end before the first did: nothing of it may stay.
            return cutAtPosition(device) ? done() : failure(fullDiskText());
        case StripsResult::Cancelled:
            return stopped();
        case StripsResult::WriteFailed:
            return failure(fullDiskText());
        case StripsResult::Failed:
            return failure(QStringLiteral("图案无法编码。"));
        case StripsResult::OutsidePalette:
            break;
        }
        // A colour the palette lacked: start again in full colour.
        if (palette.empty() || !device.seek(start))
            return failure(QStringLiteral("图案无法编码。"));
        palette.clear();
    }
}

ExportResult writePattern(const ExportJob& job, QIODevice& device, ExportProgress* progress)
{
    if (!job.picture)
        return failure(QStringLiteral("没有可以导出的图案。"));
    if (!job.frame.valid())
        return failure(QStringLiteral("图案大小无效：宽和高须在 1 到 %1 像素之间。").arg(maxExportSide));
    switch (job.format) {
    case ExportFormat::Png:
        if (job.pictureFormat != "png")
            return writeOtherPicture(job, device);
        return writeFramePng(job, device, progress);
    case ExportFormat::Svg:
        return writeSvg(job, device);
    case ExportFormat::Pdf:
        break;
    }
    return writePdf(job, device);
}

ExportResult exportPattern(const ExportJob& job, ExportProgress* progress)
{
    if (const QString refusal = refusalForTarget(job.path); !refusal.isEmpty())
        return failure(refusal);
    QSaveFile file(job.path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(unwritableFolderText());
    const ExportResult written = writePattern(job, file, progress);
    if (!written.ok || cancelled(progress)) {
        file.cancelWriting();
        return written.ok ? stopped() : written;
    }
    if (progress)
        progress->advanced(100);
    if (!file.flush() || !file.commit())
        return failure(fullDiskText());
    return done();
}
