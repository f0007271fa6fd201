#pragma once

#include "draw/export/ExportNames.h"

#include <QString>

class QFileDialog;
class QWidget;

// Qt's own save dialog (not the desktop's), set up for the request: it opens in the request's
// folder with its file name offered, adds the suffix to a name typed without one and asks before
// replacing a file.
QFileDialog* makeSaveDialog(QWidget* owner, const SaveRequest& request);

// Shows that dialog modally; the chosen path, or an empty string when cancelled.
QString askSaveFileName(QWidget* owner, const SaveRequest& request);
