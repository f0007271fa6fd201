#include "app/CommandLine.h"
#include "app/FavouritesService.h"
#include "app/HeadlessExport.h"
#include "app/ProgramSetup.h"
#include "app/ProgramWindows.h"
#include "app/StartupChecks.h"
#include "app/output/StopSignals.h"
#include "app/screensaver/XWindowShow.h"

#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>

namespace {

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
    if (runsWithoutDisplay(argc, argv)) {
        holdStopSignals();
        return runWithoutDisplay(argc, argv);
    }
    for (const std::string& problem : {displayProblem(), scaleFactorProblem()}) {
        if (!problem.empty()) {
            std::fprintf(stderr, "pattern-designer: %s\n", problem.c_str());
            return 1;
        }
    }
    const std::unique_ptr<QApplication> application = startApplication(argc, argv);
    QApplication& app = *application;
    setUpApplication(app);
    const StartRequest request = parseCommandLine(QApplication::arguments());
    startProgram();
    // The favourites' database connection and gallery go while the application still exists.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { FavouritesService::instance().reset(); });
    showStartRequest(request);
    return app.exec();
}
