#include "draw/output/ExportNames.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QStandardPaths>

namespace {

// Long enough for any pattern code the windows make, short enough for every file system.
constexpr int maxBaseLength = 120;

bool isSafeFileNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_' || c == u'+';
}

} // namespace

QByteArray qtImageFormat(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Jpeg:
        return "jpeg";
    case ExportFormat::Bmp:
        return "bmp";
    case ExportFormat::Webp:
        return "webp";
    default:
        break;
    }
    return "png";
}

QString sanitizedBaseName(const QString& code)
{
    QString name;
    name.reserve(code.size());
    for (const QChar c : code)
        name.append(isSafeFileNameChar(c) ? c : QChar(u'_'));
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    name.truncate(maxBaseLength);
    return name.isEmpty() ? QStringLiteral("图案") : name;
}

PictureTarget pictureTargetFor(const QString& chosenPath)
{
    const QString suffix = QFileInfo(chosenPath).suffix().toLower();
    if (suffix == QStringLiteral("png"))
        return {chosenPath, ExportFormat::Png};
    static const struct
    {
        const char* suffix;
        ExportFormat format;
    } others[] = {{"jpg", ExportFormat::Jpeg}, {"jpeg", ExportFormat::Jpeg}, {"bmp", ExportFormat::Bmp},
                  {"webp", ExportFormat::Webp}};
    for (const auto& other : others) {
        if (suffix == QLatin1String(other.suffix) && QImageWriter::supportedImageFormats().contains(qtImageFormat(other.format)))
            return {chosenPath, other.format};
    }
    return {chosenPath + QStringLiteral(".png"), ExportFormat::Png};
}
