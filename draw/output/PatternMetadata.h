#pragma once

#include "draw/output/PngRowWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The texts a pattern file carries beside its picture, one helper per container: its title (the
// short code), a description, the program's name and the full code, where readPatternFileCode
// finds it again.

// The description that goes into the files beside the code.
QString patternDescription(const QString& code);

// PNG: the tEXt/iTXt chunks, Title, Description, Software and PatternCode.
QList<PngText> patternPngTexts(const QString& code, const QString& fullCode);

// JPEG: the same texts as comments, "Title: QRV9...", in the order Qt's image writer gives them.
QList<QByteArray> patternJpegComments(const QString& code, const QString& fullCode);

// SVG: the full code in the document's own metadata, after the title and description.
void insertSvgCodeMetadata(QByteArray& svg, const QString& fullCode);
// SVG: the root element's width and height, as given (a number of pixels, or "210.00mm").
void setSvgSize(QByteArray& svg, const QString& width, const QString& height);

// PDF: the XMP packet with the title, description, program and full code.
QByteArray patternXmp(const QString& code, const QString& fullCode);
