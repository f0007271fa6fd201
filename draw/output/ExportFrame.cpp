#include "draw/output/ExportFrame.h"

#include "draw/surface/RasterPainter.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

constexpr double millimetresPerInch = 25.4;

bool usableDpi(double dpi) { return std::isfinite(dpi) && dpi >= minExportDpi && dpi <= maxExportDpi; }

} // namespace

bool ExportFrame::valid() const
{
    return pixels.width() >= 1 && pixels.height() >= 1 && pixels.width() <= maxExportSide
           && pixels.height() <= maxExportSide && usableDpi(dpi);
}

QSizeF paperMillimetres(PaperSize paper, bool landscape)
{
    QSizeF portrait;
    switch (paper) {
    case PaperSize::A4:
        portrait = QSizeF(210, 297);
        break;
    case PaperSize::A3:
        portrait = QSizeF(297, 420);
        break;
    case PaperSize::A2:
        portrait = QSizeF(420, 594);
        break;
    }
    return landscape ? portrait.transposed() : portrait;
}

ExportFrame paperFrame(PaperSize paper, bool landscape, double dpi)
{
    const QSizeF millimetres = paperMillimetres(paper, landscape);
    ExportFrame frame;
    frame.pixels = QSize(lengthInPixels(millimetres.width(), LengthUnit::Millimetres, dpi).value_or(0),
                         lengthInPixels(millimetres.height(), LengthUnit::Millimetres, dpi).value_or(0));
    frame.dpi = dpi;
    frame.paper = paper;
    frame.landscape = landscape;
    return frame;
}

QString paperName(PaperSize paper)
{
    switch (paper) {
    case PaperSize::A4:
        return QStringLiteral("A4");
    case PaperSize::A3:
        return QStringLiteral("A3");
    case PaperSize::A2:
        break;
    }
    return QStringLiteral("A2");
}

std::optional<PaperSize> paperFromName(const QString& name)
{
    for (const PaperSize paper : {PaperSize::A4, PaperSize::A3, PaperSize::A2}) {
        if (name.trimmed().compare(paperName(paper), Qt::CaseInsensitive) == 0)
            return paper;
    }
    return std::nullopt;
}

std::optional<int> lengthInPixels(double length, LengthUnit unit, double dpi)
{
    if (!std::isfinite(length) || (unit != LengthUnit::Pixels && !usableDpi(dpi)))
        return std::nullopt;
    double pixels = length;
    switch (unit) {
    case LengthUnit::Pixels:
        break;
    case LengthUnit::Millimetres:
        pixels = length / millimetresPerInch * dpi;
        break;
    case LengthUnit::Centimetres:
        pixels = length * 10 / millimetresPerInch * dpi;
        break;
    case LengthUnit::Inches:
        pixels = length * dpi;
        break;
    }
    const double rounded = std::round(pixels);
    if (!(rounded >= 1 && rounded <= maxExportSide))
        return std::nullopt;
    return int(rounded);
}

std::uint32_t pixelsPerMetre(double dpi)
{
    if (!usableDpi(dpi))
        return 0;
    return std::uint32_t(std::lround(dpi / 0.0254));
}

const QList<ScreenPreset>& screenPresets()
{
    static const QList<ScreenPreset> presets = {
        {QStringLiteral("1920 × 1080"), QSize(1920, 1080)},
        {QStringLiteral("2560 × 1440"), QSize(2560, 1440)},
        {QStringLiteral("3840 × 2160 (4K)"), QSize(3840, 2160)},
        {QStringLiteral("5120 × 2880"), QSize(5120, 2880)},
        {QStringLiteral("7680 × 4320 (8K)"), QSize(7680, 4320)},
    };
    return presets;
}

std::optional<ExportFormat> formatFromName(const QString& name)
{
    const QString lower = name.trimmed().toLower();
    if (lower == QLatin1String("png"))
        return ExportFormat::Png;
    if (lower == QLatin1String("svg"))
        return ExportFormat::Svg;
    if (lower == QLatin1String("pdf"))
        return ExportFormat::Pdf;
    return std::nullopt;
}

std::optional<ExportFormat> formatFromSuffix(const QString& path)
{
    return formatFromName(QFileInfo(path).suffix());
}

QString suffixOf(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Png:
        return QStringLiteral("png");
    case ExportFormat::Svg:
        return QStringLiteral("svg");
    case ExportFormat::Pdf:
        return QStringLiteral("pdf");
    case ExportFormat::Jpeg:
        return QStringLiteral("jpg");
    case ExportFormat::Bmp:
        return QStringLiteral("bmp");
    case ExportFormat::Webp:
        break;
    }
    return QStringLiteral("webp");
}

bool isRasterFormat(ExportFormat format) { return format != ExportFormat::Svg && format != ExportFormat::Pdf; }

PatternPlacement placePattern(QSize pattern, QSize frame)
{
    PatternPlacement placement;
    if (pattern.isEmpty() || frame.isEmpty())
        return placement;
    placement.scale = std::min(double(frame.width()) / pattern.width(), double(frame.height()) / pattern.height());
    placement.patternPixels = deviceSizeOf(pattern, placement.scale).boundedTo(frame);
    placement.offset = QPoint((frame.width() - placement.patternPixels.width()) / 2,
                              (frame.height() - placement.patternPixels.height()) / 2);
    return placement;
}
