#pragma once

#include <QMetaType>

// Why an output was not written. The library names the cause; the program words it for the user.
enum class OutputError {
    None,
    Cancelled,            // stopped by the user: nothing to report
    NoPicture,            // nothing to draw
    InvalidSize,          // a side outside 1 to maxExportSide pixels
    NoFileName,
    TargetIsFolder,
    TargetNotRegularFile, // a device or another special file
    FolderMissing,
    FolderNotWritable,    // no permission, or a read-only file system
    NameTooLong,          // the file name is longer than the file system takes
    WriteFailed,          // the disk filled up or the write was cut short
    EncodingFailed,
    TooLargeForFormat,    // the format's writer cannot hold a picture this large
    InvalidPage,          // the PDF page size was refused
    OutOfMemory,          // the drawing could not get the memory it needs
};

// What an output came to: written, or the error.
struct OutputResult
{
    OutputError error = OutputError::None;

    bool ok() const { return error == OutputError::None; }
    bool cancelled() const { return error == OutputError::Cancelled; }
    friend bool operator==(const OutputResult&, const OutputResult&) = default;
};

Q_DECLARE_METATYPE(OutputError)
Q_DECLARE_METATYPE(OutputResult)
