#pragma once

#include "draw/output/ExportFrame.h"

#include <QString>

// The three kinds of file the canvas menu writes.
enum class ExportKind { Png, Png4x, Svg };

// What the save dialog is asked: where to start, which name to offer and which files to list.
struct SaveRequest
{
    QString title;
    QString folder;
    QString fileName;
    QString nameFilter;
    QString suffix; // without the dot
};

// A file name made from a pattern code: characters that a file system or a shell could take amiss
// become '_', leading dots go (no hidden file, no ".."), and an empty result becomes "图案".
QString sanitizedBaseName(const QString& code);

// The user's Pictures folder, or the home folder where there is none.
QString defaultSaveFolder();

// The dialog request for saving the pattern with this code as this kind of file.
SaveRequest saveRequestFor(ExportKind kind, const QString& code);

// Where a picture chosen as PNG goes, and in which format: a name typed with another picture
// extension that Qt can write (.jpg, .jpeg, .bmp, .webp where its plugin is installed) keeps it
// and is written in that format; any other extension gets ".png" added.
struct PictureTarget
{
    QString path;
    ExportFormat format = ExportFormat::Png;
};
PictureTarget pictureTargetFor(const QString& chosenPath);
// The name Qt's image writer knows a raster format by ("jpeg", "bmp", ...).
QByteArray qtImageFormat(ExportFormat format);
