#pragma once

#include "draw/output/ExportFrame.h"
#include "draw/pattern/SlideRecipe.h"

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
    QByteArray localFile; // the file's name as the system gave it, for opening
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
    QByteArray localFile; // the file's name as the system gave it, for opening
    ExportFrame frame;   // pixels empty: the pattern's own size
    // PNG, SVG or PDF as asked; a PNG named .jpg, .bmp or .webp in that format where Qt can.
    ExportFormat format = ExportFormat::Png;
};

// The show inside another program's X window: --window-id ID, or --root (the window named by
// XSCREENSAVER_WINDOW, else the root window); --geometric for the geometric designer's show.
struct ScreensaverCommand
{
    PatternWindow window = PatternWindow::Curves;
    QString windowId; // empty with --root
};

// Work without windows of our own: one of the two.
struct WindowlessCommand
{
    std::optional<ExportCommand> exportCommand;
    std::optional<ScreensaverCommand> screensaver;
};

// True when the arguments ask for work that opens no window of its own (--export, --window-id,
// --root, --help).
bool runsWithoutDisplay(int argc, char* argv[]);

// What such arguments ask for. Mistakes (a size that is no size, a paper with a size, no code, a
// window id that is none) print one line and the usage and exit with status 2; --help prints the
// usage.
WindowlessCommand parseWindowlessCommand(const QStringList& arguments);
