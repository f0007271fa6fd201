#include "draw/output/OutputJob.h"

#include "draw/output/FrameWriter.h"
#include "draw/surface/PictureSource.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>
#include <new>

#include <unistd.h>

OutputJob asShownJob(PatternPicture pattern, double scale, ExportFormat format, const QString& path)
{
    OutputJob job;
    if (pattern.picture) {
        const QSize size = pattern.picture->size();
        job.frame.pixels = QSize(int(std::lround(size.width() * scale)), int(std::lround(size.height() * scale)));
    }
    job.pattern = std::move(pattern);
    job.content = FrameContent::AsShown;
    job.format = format;
    job.path = path;
    return job;
}

// A device such as /dev/full must not be replaced by the renamed temporary file, which a
// privileged user could otherwise do.
OutputError refusalForTarget(const QString& path)
{
    const QFileInfo target(path);
    if (target.fileName().isEmpty())
        return OutputError::NoFileName;
    if (target.isDir())
        return OutputError::TargetIsFolder;
    if (target.exists() && !target.isFile())
        return OutputError::TargetNotRegularFile;
    if (!target.absoluteDir().exists())
        return OutputError::FolderMissing;
    // Else the temporary file is written whole and only its renaming fails.
    const long longestName = ::pathconf(QFile::encodeName(target.absolutePath()).constData(), _PC_NAME_MAX);
    if (QFile::encodeName(target.fileName()).size() > (longestName > 0 ? longestName : 255))
        return OutputError::NameTooLong;
    return OutputError::None;
}

OutputResult writeOutput(const OutputJob& job, QIODevice& device, OutputProgress* progress)
{
    if (!job.pattern.picture)
        return {OutputError::NoPicture};
    if (!job.frame.valid())
        return {OutputError::InvalidSize};
    // Pixels that cannot be had end the job with an error: never a file with a different picture.
    try {
        const FrameRenderer frame(job.pattern.picture, job.frame.pixels, job.content);
        return frameWriterFor(job.format).write(frame, job, device, progress);
    } catch (const std::bad_alloc&) {
        return {OutputError::OutOfMemory};
    }
}

OutputResult runOutputJob(const OutputJob& job, OutputProgress* progress)
{
    if (const OutputError refusal = refusalForTarget(job.path); refusal != OutputError::None)
        return {refusal};
    QSaveFile file(job.path);
    if (!file.open(QIODevice::WriteOnly))
        return {OutputError::FolderNotWritable};
    const OutputResult written = writeOutput(job, file, progress);
    if (!written.ok() || isCancelled(progress)) {
        file.cancelWriting();
        return written.ok() ? OutputResult{OutputError::Cancelled} : written;
    }
    if (progress)
        progress->advanced(100);
    if (!file.flush() || !file.commit())
        return {OutputError::WriteFailed};
    return {};
}

const FrameWriter& frameWriterFor(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Png:
        return pngFrameWriter();
    case ExportFormat::Svg:
        return svgFrameWriter();
    case ExportFormat::Pdf:
        return pdfFrameWriter();
    case ExportFormat::Jpeg:
        return jpegFrameWriter();
    case ExportFormat::Bmp:
        return bmpFrameWriter();
    case ExportFormat::Webp:
        break;
    }
    return qtImageFrameWriter();
}
