#pragma once

#include "draw/export/ExportNames.h"
#include "draw/export/WholeFile.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class PictureSource;
class QMimeData;

// The picture rendered at scale times its size, carrying the pattern code and the program's name
// as text (PNG text chunks once encoded), and the full code, when given, under patternCodeKeyword.
QImage patternImage(const PictureSource& source, qreal scale, const QString& code, const QString& fullCode = {});

// The image with a colour table when it has at most 256 colours (a smaller and much faster PNG),
// otherwise the image as it is.
QImage indexedIfFewColours(const QImage& image);

// Complete file contents, built in memory so that nothing reaches the disk half-made. A full code,
// when given, goes where readPatternFileCode finds it again: a PNG text chunk, SVG metadata.
QByteArray encodePng(const PictureSource& source, qreal scale, const QString& code, const QString& fullCode = {});
// The picture in another format Qt can write ("jpeg", "bmp", ...); "png" is encodePng.
QByteArray encodePicture(const PictureSource& source, qreal scale, const QByteArray& format, const QString& code,
                         const QString& fullCode = {});
QByteArray encodeSvg(const PictureSource& source, const QString& code, const QString& fullCode = {});

ExportResult savePng(const PictureSource& source, qreal scale, const QString& code, const QString& path,
                     const QString& fullCode = {});
// Saved where and as the target says (see pictureTargetFor).
ExportResult savePicture(const PictureSource& source, qreal scale, const QString& code, const PictureTarget& target,
                         const QString& fullCode = {});
ExportResult saveSvg(const PictureSource& source, const QString& code, const QString& path,
                     const QString& fullCode = {});

// One clipboard entry holding the picture as an image and, as text, the full code when given,
// otherwise the pattern code.
QMimeData* patternMimeData(const PictureSource& source, const QString& code, const QString& fullCode = {});
void copyPattern(const PictureSource& source, const QString& code, const QString& fullCode = {});

// The full code in an SVG's own metadata, where readPatternFileCode finds it.
void insertSvgCodeMetadata(QByteArray& svg, const QString& fullCode);
// The root element's width and height, as given (a number of pixels, or "210.00mm").
void setSvgSize(QByteArray& svg, const QString& width, const QString& height);

// The description that goes into the files beside the code.
QString patternDescription(const QString& code);
