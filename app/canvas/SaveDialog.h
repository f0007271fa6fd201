#pragma once

#include "draw/output/ExportNames.h"

#include <QString>

class QFileDialog;
class QWidget;

// The three kinds of file the canvas menu writes.
enum class ExportKind { Png, Png4x, Svg };

// What the save dialog is asked: where to start, which name to offer and which files to list.
struct SaveRequest
{
    QString title;
    QString folder;
    QString fileName;
    QString nameFilter;
    QString suffix; // without the dot
};

// The dialog request for saving the pattern with this code as this kind of file, in the folder
// of the last save.
SaveRequest saveRequestFor(ExportKind kind, const QString& code);

// Qt's own save dialog (not the desktop's), set up for the request: it opens in the request's
// folder with its file name offered, adds the suffix to a name typed without one and asks before
// replacing a file.
QFileDialog* makeSaveDialog(QWidget* owner, const SaveRequest& request);

// Shows that dialog modally; the chosen path, or an empty string when cancelled.
QString askSaveFileName(QWidget* owner, const SaveRequest& request);

// Asks, modal to the owner's window, whether to replace a file that exists; true when it does not
// exist or the user says yes.
bool confirmReplacing(QWidget* owner, const QString& path);
