#pragma once

#include "draw/output/ExportFrame.h"
#include "draw/output/FrameRenderer.h"
#include "draw/output/OutputResult.h"

#include <QString>

#include <memory>

class PictureSource;
class QIODevice;

// What to draw: an immutable picture of a slide (taken from a canvas, or replayed from its
// recipe) and the codes that name it. Shared between threads as it is.
struct PatternPicture
{
    std::shared_ptr<const PictureSource> picture;
    QString code;     // the short code a window shows: the file's title
    QString fullCode; // written where readPatternFileCode finds it again
};

// One picture leaving the program: what to draw, the frame it fills, the format and the file.
// Every save, export and command-line export is a job like this.
struct OutputJob
{
    PatternPicture pattern;
    ExportFrame frame;
    FrameContent content = FrameContent::Fitted;
    ExportFormat format = ExportFormat::Png;
    QString path;
};

// A job of the canvas menu's kind: the picture as its canvas shows it, at scale times its size.
OutputJob asShownJob(PatternPicture pattern, double scale, ExportFormat format, const QString& path);

// Told how far a job has come; asked whether to stop. Called from the thread that runs the job.
class OutputProgress
{
public:
    virtual ~OutputProgress() = default;
    virtual void advanced(int /*percent*/) {}
    virtual bool cancelled() const { return false; }
};

// Why a file cannot be written at path, told before writing (a folder, a device, no folder);
// OutputError::None when it may be tried.
OutputError refusalForTarget(const QString& path);

// Writes the job's file whole or not at all: cancelled, failed or stopped by a full disk, it
// leaves no file and no temporary file behind, and an older file of that name as it was.
OutputResult runOutputJob(const OutputJob& job, OutputProgress* progress = nullptr);

// The job's file contents to a device, as runOutputJob writes them.
OutputResult writeOutput(const OutputJob& job, QIODevice& device, OutputProgress* progress = nullptr);
