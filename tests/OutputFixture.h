#pragma once

#include "draw/output/OutputJob.h"

#include <QBuffer>

#include <memory>

// A picture's file as the canvas menu's saves write it (as shown, at scale times its size), in
// memory: empty when the writer failed.
inline QByteArray savedBytes(std::shared_ptr<const PictureSource> picture, ExportFormat format, double scale = 1.0,
                             const QString& code = QString(), const QString& fullCode = QString())
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const OutputJob job = asShownJob(PatternPicture{std::move(picture), code, fullCode}, scale, format, QString());
    return writeOutput(job, buffer).ok() ? bytes : QByteArray();
}
