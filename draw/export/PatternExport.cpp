#include "draw/export/PatternExport.h"

#include "draw/base/ProgramTitle.h"
#include "draw/export/PatternFileReader.h"
#include "draw/surface/PictureSource.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>

QString patternDescription(const QString& code)
{
    return QStringLiteral("图案代码 %1，%2 作品").arg(code, applicationTitle());
}

QImage patternImage(const PictureSource& source, qreal scale, const QString& code, const QString& fullCode)
{
    QImage image = source.render(scale);
    image.setText(QStringLiteral("Title"), code);
    image.setText(QStringLiteral("Description"), patternDescription(code));
    image.setText(QStringLiteral("Software"), applicationTitle());
    // Qt writes the texts before the image data, where the reader finds them without decoding it.
    if (!fullCode.isEmpty())
        image.setText(QLatin1String(patternCodeKeyword), fullCode);
    return image;
}

// The full code inside the root element, in metadata of our own namespace which renderers leave
// alone; after the title and description, which viewers expect first.
void insertSvgCodeMetadata(QByteArray& svg, const QString& fullCode)
{
    const qsizetype root = svg.indexOf("<svg");
    const qsizetype rootEnd = root < 0 ? -1 : svg.indexOf('>', root);
    if (rootEnd < 0)
        return;
    const qsizetype description = svg.indexOf("</desc>", rootEnd);
    const qsizetype at = description < 0 ? rootEnd + 1 : description + qsizetype(sizeof("</desc>") - 1);
    const QString metadata = QStringLiteral("\n<metadata><pd:%1 xmlns:pd=\"%2\">%3</pd:%1></metadata>")
                                 .arg(QLatin1String(patternCodeElement), QLatin1String(patternCodeNamespace),
                                      fullCode.toHtmlEscaped());
    svg.insert(at, metadata.toUtf8());
}

void setSvgSize(QByteArray& svg, const QString& width, const QString& height)
{
    // The generator gives the size in millimetres, rounded (211.667mm for 800 px), which some
    // viewers open a pixel larger.
    static const QRegularExpression millimetres(QStringLiteral(R"(^<svg width="[0-9.]+mm" height="[0-9.]+mm")"),
                                                QRegularExpression::MultilineOption);
    const QString exact = QStringLiteral(R"(<svg width="%1" height="%2")").arg(width, height);
    const QRegularExpressionMatch match = millimetres.match(QString::fromLatin1(svg.left(4096)));
    if (match.hasMatch())
        svg.replace(match.capturedStart(), match.capturedLength(), exact.toLatin1());
}

QImage indexedIfFewColours(const QImage& image)
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        return image;
    QImage indexed(image.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    QRgb last = 0;
    uchar lastIndex = 0;
    bool any = false;
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = in[x];
            if (!any || colour != last) {
                const qsizetype found = table.indexOf(colour);
                if (found >= 0) {
                    lastIndex = uchar(found);
                } else if (table.size() == 256) {
                    return image;
                } else {
                    lastIndex = uchar(table.size());
                    table.append(colour);
                }
                last = colour;
                any = true;
            }
            out[x] = lastIndex;
        }
    }
    indexed.setColorTable(table);
    for (const QString& key : image.textKeys())
        indexed.setText(key, image.text(key));
    return indexed;
}

QByteArray encodePng(const PictureSource& source, qreal scale, const QString& code, const QString& fullCode)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // A slide has a handful of colours; written with a colour table its 4x PNG takes a fraction of
    // the time (libpng spends most of it filtering full-colour rows).
    if (!writer.write(indexedIfFewColours(patternImage(source, scale, code, fullCode))))
        return QByteArray();
    return bytes;
}

QByteArray encodePicture(const PictureSource& source, qreal scale, const QByteArray& format, const QString& code,
                         const QString& fullCode)
{
    if (format == "png")
        return encodePng(source, scale, code, fullCode);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(patternImage(source, scale, code, fullCode)))
        return QByteArray();
    return bytes;
}

QByteArray encodeSvg(const PictureSource& source, const QString& code, const QString& fullCode)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(source.size());
    generator.setViewBox(QRect(QPoint(0, 0), source.size()));
    // Viewers take the size at 96 dots per inch, so the picture opens at its own pixel size.
    generator.setResolution(96);
    // The generator writes these texts as they are; a code typed with '<' or '&' must not break
    // the file.
    generator.setTitle(code.toHtmlEscaped());
    generator.setDescription(patternDescription(code).toHtmlEscaped());
    QPainter painter(&generator);
    source.paintVector(painter);
    painter.end();
    // The picture's own pixel size says it exactly.
    setSvgSize(bytes, QString::number(source.size().width()), QString::number(source.size().height()));
    if (!fullCode.isEmpty())
        insertSvgCodeMetadata(bytes, fullCode);
    return bytes;
}

namespace {

ExportResult saveEncoded(const QByteArray& bytes, const QString& path)
{
    if (bytes.isEmpty())
        return ExportResult{false, QStringLiteral("图案无法编码。")};
    return writeWholeFile(path, bytes);
}

} // namespace

ExportResult savePng(const PictureSource& source, qreal scale, const QString& code, const QString& path,
                     const QString& fullCode)
{
    return saveEncoded(encodePng(source, scale, code, fullCode), path);
}

ExportResult savePicture(const PictureSource& source, qreal scale, const QString& code, const PictureTarget& target,
                         const QString& fullCode)
{
    return saveEncoded(encodePicture(source, scale, target.format, code, fullCode), target.path);
}

ExportResult saveSvg(const PictureSource& source, const QString& code, const QString& path, const QString& fullCode)
{
    return saveEncoded(encodeSvg(source, code, fullCode), path);
}

QMimeData* patternMimeData(const PictureSource& source, const QString& code, const QString& fullCode)
{
    auto* mime = new QMimeData;
    mime->setImageData(source.render(1.0));
    mime->setText(fullCode.isEmpty() ? code : fullCode);
    return mime;
}

void copyPattern(const PictureSource& source, const QString& code, const QString& fullCode)
{
    QGuiApplication::clipboard()->setMimeData(patternMimeData(source, code, fullCode));
}
