#include "app/canvas/ExportChoice.h"

#include "app/canvas/SaveFolder.h"
#include "draw/base/Numbers.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace {

const QString customLabel = QStringLiteral("自定义");

// The units as the settings file names them, in the order of LengthUnit.
const struct
{
    LengthUnit unit;
    const char* key;
    const char* label;
} units[] = {{LengthUnit::Pixels, "px", "像素"},
             {LengthUnit::Millimetres, "mm", "毫米"},
             {LengthUnit::Centimetres, "cm", "厘米"},
             {LengthUnit::Inches, "in", "英寸"}};

QString unitKey(LengthUnit unit)
{
    for (const auto& entry : units) {
        if (entry.unit == unit)
            return QLatin1String(entry.key);
    }
    return QStringLiteral("px");
}

std::optional<LengthUnit> unitFromKey(const QString& key)
{
    for (const auto& entry : units) {
        if (key == QLatin1String(entry.key))
            return entry.unit;
    }
    return std::nullopt;
}

// A number the user typed: none for an empty box, the reason for anything else that is no number.
struct TypedNumber
{
    std::optional<double> value;
    QString problem;
};

TypedNumber readTyped(const QString& text, const QString& what)
{
    if (text.trimmed().isEmpty())
        return {std::nullopt, QStringLiteral("请填写%1。").arg(what)};
    const std::optional<double> value = textToNumber(text);
    if (!value || !std::isfinite(*value))
        return {std::nullopt, QStringLiteral("%1不是数字（小数点请用“.”）。").arg(what)};
    return {value, QString()};
}

bool usableDpi(double dpi) { return std::isfinite(dpi) && dpi >= minExportDpi && dpi <= maxExportDpi; }

double unitsPerInch(LengthUnit unit, double dpi)
{
    switch (unit) {
    case LengthUnit::Pixels:
        return dpi;
    case LengthUnit::Millimetres:
        return 25.4;
    case LengthUnit::Centimetres:
        return 2.54;
    case LengthUnit::Inches:
        break;
    }
    return 1;
}

// The number with at most decimals places, without trailing zeros.
QString decimalText(double value, int decimals)
{
    QString text = QString::number(value + 0.0, 'f', decimals); // + 0.0: no "-0"
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

FrameReading refused(const QString& problem) { return {std::nullopt, problem}; }

QString outsideSides(const QString& what)
{
    return QStringLiteral("%1须在 1 到 %2 像素之间。").arg(what).arg(maxExportSide);
}

} // namespace

const QList<ExportSizeEntry>& exportSizeEntries()
{
    static const QList<ExportSizeEntry> entries = [] {
        QList<ExportSizeEntry> list;
        for (const ScreenPreset& preset : screenPresets())
            list.append({preset.label, preset.size, std::nullopt});
        for (const PaperSize paper : {PaperSize::A4, PaperSize::A3, PaperSize::A2})
            list.append({paperName(paper), std::nullopt, paper});
        list.append({customLabel, std::nullopt, std::nullopt});
        return list;
    }();
    return entries;
}

double defaultDpiFor(const ExportSizeEntry& entry) { return entry.paper ? paperDpi : screenDpi; }

QString lengthUnitLabel(LengthUnit unit)
{
    for (const auto& entry : units) {
        if (entry.unit == unit)
            return QString::fromUtf8(entry.label);
    }
    return QString();
}

QString exportFormatLabel(ExportFormat format) { return suffixOf(format).toUpper(); }

FrameReading readExportFrame(const ExportChoice& choice)
{
    const QList<ExportSizeEntry>& entries = exportSizeEntries();
    if (choice.size < 0 || choice.size >= entries.size())
        return refused(QStringLiteral("请选择大小。"));
    const ExportSizeEntry& entry = entries.at(choice.size);

    const TypedNumber dpi = readTyped(choice.dpi, QStringLiteral("分辨率"));
    if (!dpi.value)
        return refused(dpi.problem);
    if (*dpi.value < minExportDpi || *dpi.value > maxExportDpi)
        return refused(QStringLiteral("分辨率须在 %1 到 %2 dpi 之间。").arg(minExportDpi).arg(maxExportDpi));

    ExportFrame frame;
    frame.dpi = *dpi.value;
    if (entry.screen) {
        frame.pixels = *entry.screen;
    } else if (entry.paper) {
        frame = paperFrame(*entry.paper, choice.landscape, *dpi.value);
        if (!frame.valid())
            return refused(QStringLiteral("%1 纸在 %2 dpi 时超过 %3 像素，请降低分辨率。")
                               .arg(entry.label, QString::number(*dpi.value, 'g', 12))
                               .arg(maxExportSide));
    } else {
        const TypedNumber width = readTyped(choice.width, QStringLiteral("宽度"));
        if (!width.value)
            return refused(width.problem);
        const TypedNumber height = readTyped(choice.height, QStringLiteral("高度"));
        if (!height.value)
            return refused(height.problem);
        const std::optional<int> columns = lengthInPixels(*width.value, choice.unit, *dpi.value);
        if (!columns)
            return refused(outsideSides(QStringLiteral("宽度")));
        const std::optional<int> rows = lengthInPixels(*height.value, choice.unit, *dpi.value);
        if (!rows)
            return refused(outsideSides(QStringLiteral("高度")));
        frame.pixels = QSize(*columns, *rows);
    }
    if (!frame.valid())
        return refused(outsideSides(QStringLiteral("宽和高")));
    return {frame, QString()};
}

QString frameDescription(const ExportFrame& frame)
{
    return QStringLiteral("%1 × %2 像素，%3 dpi")
        .arg(frame.pixels.width())
        .arg(frame.pixels.height())
        .arg(QString::number(frame.dpi, 'g', 12));
}

std::optional<QString> convertedLength(const QString& typed, LengthUnit from, LengthUnit to, double dpi)
{
    const std::optional<double> value = textToNumber(typed);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    if (from == to)
        return typed;
    const bool pixelsInvolved = from == LengthUnit::Pixels || to == LengthUnit::Pixels;
    if (pixelsInvolved && !usableDpi(dpi))
        return std::nullopt;
    const double inches = *value / unitsPerInch(from, dpi);
    const double converted = inches * unitsPerInch(to, dpi);
    // Beyond any usable side by far: left as typed rather than written out in many digits.
    if (!(std::abs(converted) < 1e12))
        return std::nullopt;
    if (to == LengthUnit::Pixels)
        return decimalText(std::round(converted), 0);
    // Two decimals read well; a length at a high resolution needs more to keep its pixels.
    const std::optional<int> pixels = usableDpi(dpi) ? lengthInPixels(*value, from, dpi) : std::nullopt;
    constexpr int mostDecimals = 6;
    for (int decimals = 2;; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        const double rounded = std::round(converted * scale) / scale;
        if (decimals == mostDecimals || !pixels || lengthInPixels(rounded, to, dpi) == pixels)
            return decimalText(rounded, decimals);
    }
}

SizeTexts presetSizeTexts(const ExportSizeEntry& entry, bool landscape, LengthUnit unit, double dpi)
{
    // A screen is its pixels, a sheet its millimetres; either is written in the unit asked for.
    QSizeF size;
    LengthUnit own = LengthUnit::Pixels;
    if (entry.screen) {
        size = QSizeF(*entry.screen);
    } else if (entry.paper) {
        size = paperMillimetres(*entry.paper, landscape);
        own = LengthUnit::Millimetres;
    } else {
        return {};
    }
    const auto written = [&](double length) {
        return convertedLength(decimalText(length, 6), own, unit, dpi).value_or(QString());
    };
    return {written(size.width()), written(size.height())};
}

QSize previewSizeFor(QSize frame, QSize box)
{
    if (frame.isEmpty() || box.isEmpty())
        return QSize();
    return frame.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

SaveRequest exportRequestFor(ExportFormat format, const QString& code, const QString& folder)
{
    SaveRequest request;
    request.title = QStringLiteral("导出图案");
    request.folder = folder;
    request.suffix = suffixOf(format);
    request.fileName = sanitizedBaseName(code) + u'.' + request.suffix;
    switch (format) {
    case ExportFormat::Png:
        request.nameFilter = QStringLiteral("PNG 图片 (*.png)");
        break;
    case ExportFormat::Svg:
        request.nameFilter = QStringLiteral("SVG 矢量图 (*.svg)");
        break;
    case ExportFormat::Pdf:
        request.nameFilter = QStringLiteral("PDF 文档 (*.pdf)");
        break;
    }
    return request;
}

ExportChoice rememberedExportChoice()
{
    const std::unique_ptr<QSettings> settings = programSettings();
    settings->beginGroup(QStringLiteral("export"));
    ExportChoice choice;
    if (const auto format = formatFromName(settings->value(QStringLiteral("format")).toString()))
        choice.format = *format;
    const QString sizeLabel = settings->value(QStringLiteral("size")).toString();
    const QList<ExportSizeEntry>& entries = exportSizeEntries();
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const ExportSizeEntry& entry) { return entry.label == sizeLabel; });
    if (found != entries.end())
        choice.size = int(found - entries.begin());
    choice.landscape = settings->value(QStringLiteral("landscape"), false).toBool();
    if (const auto unit = unitFromKey(settings->value(QStringLiteral("unit")).toString()))
        choice.unit = *unit;
    choice.width = settings->value(QStringLiteral("width"), choice.width).toString();
    choice.height = settings->value(QStringLiteral("height"), choice.height).toString();
    choice.dpi = settings->value(QStringLiteral("dpi"), QString::number(defaultDpiFor(entries.at(choice.size))))
                     .toString();
    return choice;
}

void rememberExportChoice(const ExportChoice& choice)
{
    const std::unique_ptr<QSettings> settings = programSettings();
    settings->beginGroup(QStringLiteral("export"));
    settings->setValue(QStringLiteral("format"), suffixOf(choice.format));
    const QList<ExportSizeEntry>& entries = exportSizeEntries();
    if (choice.size >= 0 && choice.size < entries.size())
        settings->setValue(QStringLiteral("size"), entries.at(choice.size).label);
    settings->setValue(QStringLiteral("landscape"), choice.landscape);
    settings->setValue(QStringLiteral("unit"), unitKey(choice.unit));
    settings->setValue(QStringLiteral("width"), choice.width);
    settings->setValue(QStringLiteral("height"), choice.height);
    settings->setValue(QStringLiteral("dpi"), choice.dpi);
}
