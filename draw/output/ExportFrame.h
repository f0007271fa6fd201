#pragma once

#include <QList>
#include <QPoint>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>

// The size and medium of an exported pattern: pixels, the resolution written into the file, and
// the sheet of paper it was chosen for, if any.

// The file formats a pattern is written in. The export dialog offers the first three; a picture
// saved under a name ending in .jpg, .bmp or .webp is written in that format where Qt can.
enum class ExportFormat { Png, Svg, Pdf, Jpeg, Bmp, Webp };
enum class PaperSize { A4, A3, A2 };
enum class LengthUnit { Pixels, Millimetres, Centimetres, Inches };

// The largest side a PNG of ours may have: rows and columns are counted in 16 bits by many readers.
constexpr int maxExportSide = 65535;
constexpr double screenDpi = 96;
constexpr double paperDpi = 300;
constexpr double minExportDpi = 1;
constexpr double maxExportDpi = 30000;

struct ExportFrame
{
    QSize pixels;
    double dpi = screenDpi;
    std::optional<PaperSize> paper;
    bool landscape = false;

    bool valid() const;
    friend bool operator==(const ExportFrame&, const ExportFrame&) = default;
};

// A sheet's size in millimetres, portrait unless turned.
QSizeF paperMillimetres(PaperSize paper, bool landscape);
// The sheet at a resolution: A4 portrait at 300 dpi is 2480 x 3508 pixels.
ExportFrame paperFrame(PaperSize paper, bool landscape, double dpi = paperDpi);
QString paperName(PaperSize paper); // "A4"
std::optional<PaperSize> paperFromName(const QString& name);

// A length in a unit at a resolution, in whole pixels (nearest); none when it is not a usable
// side (not finite, below one pixel, above maxExportSide).
std::optional<int> lengthInPixels(double length, LengthUnit unit, double dpi);
// The resolution as a PNG stores it: pixels per metre, nearest (300 dpi is 11811).
std::uint32_t pixelsPerMetre(double dpi);

struct ScreenPreset
{
    QString label;
    QSize size;
};
// The screen sizes offered first: 1920 x 1080 up to 8K.
const QList<ScreenPreset>& screenPresets();

// "png", "svg", "pdf" (any case), or the extension of a file name.
std::optional<ExportFormat> formatFromName(const QString& name);
std::optional<ExportFormat> formatFromSuffix(const QString& path);
QString suffixOf(ExportFormat format); // without the dot
// Whether the format holds pixels (the others hold vectors).
bool isRasterFormat(ExportFormat format);

// Where a pattern sits in a frame: scaled to fit (for a square pattern, the frame's shorter side)
// and centred, in device pixels of the frame.
struct PatternPlacement
{
    double scale = 1;
    QPoint offset;
    QSize patternPixels;
};
PatternPlacement placePattern(QSize pattern, QSize frame);
