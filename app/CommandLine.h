#pragma once

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
