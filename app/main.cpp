#include "app/Windows.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt aborts when it cannot reach a display; say so in one line instead.
bool displayAvailable()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

} // namespace

int main(int argc, char* argv[])
{
    if (!displayAvailable()) {
        std::fputs("pattern-designer: no display found (DISPLAY is not set); start it inside a graphical session\n",
                    stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pattern-designer"));
    startProgram();
    return app.exec();
}
