#pragma once

#include <QByteArray>
#include <QString>

// What a save came to: done, or the reason in the user's language.
struct ExportResult
{
    bool ok = false;
    QString reason;
    bool cancelled = false; // stopped by the user: nothing to report
};

// The reasons a write stops, as the user is told them.
QString fullDiskText();
QString unwritableFolderText();

// Why a file cannot be written at path, told before writing (a folder, a device, no folder);
// empty when it may be tried.
QString refusalForTarget(const QString& path);

// Writes bytes to path as a whole or not at all: the new content goes to a temporary file beside
// the target and replaces it only once it is complete, so a failure leaves no partial file and
// keeps an older file of that name as it was. Targets that are folders, devices or other
// non-regular files are refused before anything is written.
ExportResult writeWholeFile(const QString& path, const QByteArray& bytes);
