#include "app/StartupChecks.h"

#include <QApplication>
#include <QByteArray>
#include <QList>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The X display that DISPLAY names as libxcb parses it, and whether it answers and has the
// screen the name asks for (":0.5" names screen 5).
enum class XDisplayState { Unreachable, NoSuchScreen, Usable };

XDisplayState xDisplayState(int* screenAsked)
{
    xcb_connection_t* connection = xcb_connect(nullptr, screenAsked);
    const int error = xcb_connection_has_error(connection);
    XDisplayState state = XDisplayState::Unreachable;
    if (error == XCB_CONN_CLOSED_INVALID_SCREEN)
        state = XDisplayState::NoSuchScreen;
    else if (error == 0)
        state = *screenAsked < xcb_setup_roots_length(xcb_get_setup(connection)) ? XDisplayState::Usable
                                                                                 : XDisplayState::NoSuchScreen;
    xcb_disconnect(connection);
    return state;
}

// Qt multiplies every window by QT_SCALE_FACTOR. Outside this range no screen can hold the
// program's windows (or they would be a few pixels), and the window buffers would take
// gigabytes; Qt itself would quietly ignore a factor that is no number.
constexpr double smallestScaleFactor = 0.25;
constexpr double largestScaleFactor = 8.0;

// While the application object is built, Qt's remarks are held back: when no platform starts
// (a QT_QPA_PLATFORM it lacks, a display it cannot use) Qt ends with a page of text and an abort;
// the program says so in one line and ends with status 1 instead.
struct HeldRemark
{
    QtMsgType type;
    QString message;
};
QList<HeldRemark>* heldRemarks = nullptr;
QtMessageHandler handlerAfterStart = nullptr;

void holdRemarksWhileStarting(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg) {
        heldRemarks->append({type, message});
        return;
    }
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        std::fprintf(stderr, "pattern-designer: cannot open windows with QT_QPA_PLATFORM=%s; unset it or name a platform "
                             "this system has (such as xcb or wayland)\n", platform.left(40).constData());
    else
        std::fprintf(stderr, "pattern-designer: cannot open windows on this display; start it inside a graphical session\n");
    std::_Exit(1);
}

} // namespace

// Qt aborts with a page of text when it cannot reach a display; say what is wrong in one line.
// Returns the message, or nothing when the display looks usable.
std::string displayProblem()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return {};
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland)
        return {};
    const char* x11 = std::getenv("DISPLAY");
    if (!x11 || !*x11)
        return "no display found (DISPLAY is not set); start it inside a graphical session";
    int screen = 0;
    switch (xDisplayState(&screen)) {
    case XDisplayState::Unreachable:
        return "cannot reach the X display named by DISPLAY; start it inside a graphical session";
    case XDisplayState::NoSuchScreen:
        return "the X display named by DISPLAY has no such screen; name one it has (such as :0.0)";
    case XDisplayState::Usable:
        break;
    }
    return {};
}

// Says in one line why QT_SCALE_FACTOR cannot be used, or nothing when it is unset or usable.
std::string scaleFactorProblem()
{
    const char* text = std::getenv("QT_SCALE_FACTOR");
    if (!text || !*text)
        return {};
    bool number = false;
    const double factor = QByteArray(text).trimmed().toDouble(&number);
    if (number && std::isfinite(factor) && factor >= smallestScaleFactor && factor <= largestScaleFactor)
        return {};
    return "QT_SCALE_FACTOR=" + std::string(text).substr(0, 40) + " cannot be used; give a number from "
           + QByteArray::number(smallestScaleFactor).toStdString() + " to "
           + QByteArray::number(largestScaleFactor).toStdString() + ", or unset it";
}

// Builds the application object; any remark held meanwhile is then given as Qt would have.
std::unique_ptr<QApplication> startApplication(int& argc, char* argv[])
{
    QList<HeldRemark> remarks;
    heldRemarks = &remarks;
    handlerAfterStart = qInstallMessageHandler(holdRemarksWhileStarting);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(handlerAfterStart);
    heldRemarks = nullptr;
    for (const HeldRemark& remark : remarks) {
        if (remark.type == QtWarningMsg || remark.type == QtCriticalMsg)
            qWarning().noquote() << remark.message;
        else
            qInfo().noquote() << remark.message;
    }
    return app;
}

