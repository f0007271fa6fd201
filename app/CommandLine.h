#pragma once

#include "draw/export/ExportFrame.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the command line asks the program to show at start: a slide by its full code, or the
// slide a saved PNG or SVG names. Qt's own options (-platform and the like) are taken by the
// application object before this sees the arguments.
struct StartRequest
{
    QString code;
    QString file;
};

// Parses the arguments (the program name first). --help prints the usage and exits, as
// usual; an unknown option prints the usage and exits with status 2.
StartRequest parseCommandLine(const QStringList& arguments);

// Shows what was asked for once the windows are up; a message box says why when it cannot.
void showStartRequest(const StartRequest& request);

// An export without windows: --export OUT with --code CODE (or a pattern file), and the size.
struct ExportCommand
{
    QString output;
    QString code;
    QString file;
    ExportFrame frame;   // pixels empty: the pattern's own size
    ExportFormat format = ExportFormat::Png;
    QByteArray pictureFormat = "png";
};

// True when the arguments ask for work that needs no display (--export, --help).
bool runsWithoutDisplay(int argc, char* argv[]);

// The export the arguments ask for. Mistakes (a size that is no size, a paper with a size, no
// code) print one line and the usage and exit with status 2; --help prints the usage.
ExportCommand parseExportCommand(const QStringList& arguments);
