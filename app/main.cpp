#include "app/CommandLine.h"
#include "app/FavouritesService.h"
#include "app/HeadlessExport.h"
#include "app/ProgramSetup.h"
#include "app/ProgramWindows.h"
#include "app/screensaver/XWindowShow.h"

#include <QApplication>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

namespace {

// True when an X server answers on the display that DISPLAY names; libxcb parses the name and
// connects as the toolkit will.
bool xDisplayReachable()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

// Qt aborts with a page of text when it cannot reach a display; say what is wrong in one line.
// Returns the message, or nothing when the display looks usable.
const char* displayProblem()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return nullptr;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland)
        return nullptr;
    const char* x11 = std::getenv("DISPLAY");
    if (!x11 || !*x11)
        return "no display found (DISPLAY is not set); start it inside a graphical session";
    if (!xDisplayReachable())
        return "cannot reach the X display named by DISPLAY; start it inside a graphical session";
    return nullptr;
}

// A command run from a script says what it has to say in its own lines; the toolkit's remarks
// about the environment (no runtime folder and the like) are not for its user.
void keepToolkitRemarksQuiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "pattern-designer: %s\n", qPrintable(message));
}

// --export and --help need no display, and the screensaver talks to its X window itself: they run
// on Qt's offscreen platform, wherever they are.
int runWithoutDisplay(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(keepToolkitRemarksQuiet);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("pattern-designer"));
    QGuiApplication::setApplicationVersion(programVersion());
    const WindowlessCommand command = parseWindowlessCommand(QGuiApplication::arguments());
    if (command.screensaver)
        return runXWindowShow(command.screensaver->window, XWindowTarget{command.screensaver->windowId});
    return runExportCommand(*command.exportCommand);
}

} // namespace

int main(int argc, char* argv[])
{
    if (runsWithoutDisplay(argc, argv))
        return runWithoutDisplay(argc, argv);
    if (const char* problem = displayProblem()) {
        std::fprintf(stderr, "pattern-designer: %s\n", problem);
        return 1;
    }
    QApplication app(argc, argv);
    setUpApplication(app);
    const StartRequest request = parseCommandLine(QApplication::arguments());
    startProgram();
    // The favourites' database connection and gallery go while the application still exists.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { FavouritesService::instance().reset(); });
    showStartRequest(request);
    return app.exec();
}
