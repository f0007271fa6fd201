#include "app/PatternExport.h"

#include "platform/Dialogs.h"
#include "platform/PictureSource.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>
#include <QSvgGenerator>

QString patternDescription(const QString& code)
{
    return QStringLiteral("图案代码 %1，%2 作品").arg(code, applicationTitle());
}

QImage patternImage(const PictureSource& source, qreal scale, const QString& code)
{
    QImage image = source.render(scale);
    image.setText(QStringLiteral("Title"), code);
    image.setText(QStringLiteral("Description"), patternDescription(code));
    image.setText(QStringLiteral("Software"), applicationTitle());
    return image;
}

QByteArray encodePng(const PictureSource& source, qreal scale, const QString& code)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(patternImage(source, scale, code)))
        return QByteArray();
    return bytes;
}

QByteArray encodeSvg(const PictureSource& source, const QString& code)
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

ExportResult savePng(const PictureSource& source, qreal scale, const QString& code, const QString& path)
{
    return saveEncoded(encodePng(source, scale, code), path);
}

ExportResult saveSvg(const PictureSource& source, const QString& code, const QString& path)
{
    return saveEncoded(encodeSvg(source, code), path);
}

QMimeData* patternMimeData(const PictureSource& source, const QString& code)
{
    auto* mime = new QMimeData;
    mime->setImageData(source.render(1.0));
    mime->setText(code);
    return mime;
}

void copyPattern(const PictureSource& source, const QString& code)
{
    QGuiApplication::clipboard()->setMimeData(patternMimeData(source, code));
}
