#pragma once

#include "draw/export/ExportFrame.h"
#include "draw/export/PngRowWriter.h"
#include "draw/export/WholeFile.h"

#include <QByteArray>
#include <QString>

#include <memory>

class PictureSource;
class QIODevice;

// Exporting a pattern at a chosen size and medium: the job, its progress, and the writers.

struct ExportJob
{
    std::shared_ptr<const PictureSource> picture;
    QString code;     // the short code: the picture's title
    QString fullCode; // written where readPatternFileCode finds it (PNG and SVG), and into a PDF
    ExportFrame frame;
    ExportFormat format = ExportFormat::Png;
    // Where the file goes, as it is (see pictureTargetFor for names typed without ".png").
    QString path;
    // For PNG: the picture format the name asks for ("png", or "jpeg", "bmp", "webp").
    QByteArray pictureFormat = "png";
};

// Told how far an export has come; asked whether to stop. Called from the exporting thread.
class ExportProgress
{
public:
    virtual ~ExportProgress() = default;
    virtual void advanced(int /*percent*/) {}
    virtual bool cancelled() const { return false; }
};

// Writes the job's file whole or not at all: cancelled, failed or stopped by a full disk, it
// leaves no file and no temporary file behind, and an older file of that name as it was.
ExportResult exportPattern(const ExportJob& job, ExportProgress* progress = nullptr);

// The job's file contents to a device, as exportPattern writes them.
ExportResult writePattern(const ExportJob& job, QIODevice& device, ExportProgress* progress = nullptr);

// The PNG of a frame, strip by strip: memory stays flat whatever the size.
ExportResult writeFramePng(const ExportJob& job, QIODevice& device, ExportProgress* progress = nullptr,
                           PngCompression compression = {});

// The texts a pattern's PNG carries: its title (the code), description, program and full code.
QList<PngText> patternPngTexts(const QString& code, const QString& fullCode);

// What the user is told when an export stops.
QString cancelledExportText();
