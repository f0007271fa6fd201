#pragma once

#include "draw/output/ExportFrame.h"
#include "app/canvas/SaveDialog.h"
#include "draw/output/ExportNames.h"

#include <QList>
#include <QSize>
#include <QString>

#include <optional>

// What the export dialog asks, kept apart from its widgets: the sizes it offers, the frame its
// entries come to, and the choices it remembers between runs.

// One entry of the size list: a screen, a sheet of paper, or a size of one's own (neither).
struct ExportSizeEntry
{
    QString label;
    std::optional<QSize> screen;
    std::optional<PaperSize> paper;

    bool custom() const { return !screen && !paper; }
};

// The screen presets, then A4, A3 and A2, then "自定义".
const QList<ExportSizeEntry>& exportSizeEntries();

// The resolution an entry starts with: 96 dpi for a screen or a size of one's own, 300 for paper.
double defaultDpiFor(const ExportSizeEntry& entry);

QString lengthUnitLabel(LengthUnit unit); // "像素", "毫米", "厘米", "英寸"
QString exportFormatLabel(ExportFormat format); // "PNG", "SVG", "PDF"

// The dialog's entries as the user left them; the numbers as typed.
struct ExportChoice
{
    ExportFormat format = ExportFormat::Png;
    int size = 0; // index into exportSizeEntries()
    bool landscape = false;
    LengthUnit unit = LengthUnit::Pixels;
    QString width = QStringLiteral("1920");
    QString height = QStringLiteral("1080");
    QString dpi = QStringLiteral("96");

    friend bool operator==(const ExportChoice&, const ExportChoice&) = default;
};

// The frame the entries come to, or why there is none (in Chinese, for the dialog to show).
struct FrameReading
{
    std::optional<ExportFrame> frame;
    QString problem;
};
FrameReading readExportFrame(const ExportChoice& choice);

// "2480 × 3508 像素，300 dpi"
QString frameDescription(const ExportFrame& frame);

// A width or height typed in one unit, written in another so that it comes to the same pixels at
// the resolution: pixels whole, lengths to two decimals (more only where two would miss the pixel).
// None when the text is no number, or when pixels are involved and the resolution is unusable.
std::optional<QString> convertedLength(const QString& typed, LengthUnit from, LengthUnit to, double dpi);

// A screen's or a sheet's own width and height (a sheet in its orientation) written in a unit at a
// resolution; empty texts where they cannot be written. Nothing for a size of one's own.
struct SizeTexts
{
    QString width;
    QString height;
};
SizeTexts presetSizeTexts(const ExportSizeEntry& entry, bool landscape, LengthUnit unit, double dpi);

// A frame's shape fitted into a box for its preview, at least one pixel each way.
QSize previewSizeFor(QSize frame, QSize box);

// The file dialog's request for an export in this format, starting in folder.
SaveRequest exportRequestFor(ExportFormat format, const QString& code, const QString& folder);

// The choices of the last finished export, from the program's settings (the defaults the first
// time, and in place of any value that does not read back).
ExportChoice rememberedExportChoice();
// Stores the choices the dialog was left with; called once their export has been written, so a
// cancelled export leaves the last finished one's choices.
void rememberExportChoice(const ExportChoice& choice);
