#pragma once

#include "draw/export/WholeFile.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class PictureSource;
class QMimeData;

// The picture rendered at scale times its size, carrying the pattern code and the program's name
// as text (PNG text chunks once encoded).
QImage patternImage(const PictureSource& source, qreal scale, const QString& code);

// The image with a colour table when it has at most 256 colours (a smaller and much faster PNG),
// otherwise the image as it is.
QImage indexedIfFewColours(const QImage& image);

// Complete file contents, built in memory so that nothing reaches the disk half-made.
QByteArray encodePng(const PictureSource& source, qreal scale, const QString& code);
QByteArray encodeSvg(const PictureSource& source, const QString& code);

ExportResult savePng(const PictureSource& source, qreal scale, const QString& code, const QString& path);
ExportResult saveSvg(const PictureSource& source, const QString& code, const QString& path);

// One clipboard entry holding the picture as an image and the pattern code as text.
QMimeData* patternMimeData(const PictureSource& source, const QString& code);
void copyPattern(const PictureSource& source, const QString& code);

// The description that goes into the files beside the code.
QString patternDescription(const QString& code);
