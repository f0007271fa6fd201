#pragma once

#include "draw/output/OutputResult.h"

#include <QString>

class QWidget;

// The words for what an output came to: the user's side of the library's OutputError.

// Why a file was not written, as one sentence.
QString outputErrorText(OutputError error);

// The message for a failed save: the file and the reason.
QString saveFailureMessage(const QString& path, OutputError error);

// The one line a failed export on the command line prints: the file and the reason.
QString exportFailureLine(const QString& path, OutputError error);

// Shows the failure as a warning box owned by the canvas's window.
void showSaveFailure(QWidget* owner, const QString& message);
