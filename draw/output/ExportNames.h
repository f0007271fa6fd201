#pragma once

#include "draw/output/ExportFrame.h"

#include <QString>

// A file name made from a pattern code: characters that a file system or a shell could take amiss
// become '_', leading dots go (no hidden file, no ".."), and an empty result becomes "图案".
QString sanitizedBaseName(const QString& code);

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
