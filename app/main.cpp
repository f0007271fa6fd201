#include "app/ProgramSetup.h"
#include "app/ProgramWindows.h"

#include <QApplication>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// True when a local X server answers on display number "number", through its abstract or its
// file socket.
bool localXServerReachable(const std::string& number)
{
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (bool abstract : {true, false}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return true; // cannot tell; let the toolkit try
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const size_t offset = abstract ? 1 : 0;
        std::memcpy(address.sun_path + offset, path.c_str(), path.size());
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
        const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        ::close(fd);
        if (connected)
            return true;
    }
    return false;
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
    // Only a local display ":N" or ":N.S" can be probed here; others are left to the toolkit.
    if (x11[0] != ':')
        return nullptr;
    const std::string number(x11 + 1, std::strcspn(x11 + 1, "."));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return nullptr;
    if (!localXServerReachable(number))
        return "cannot reach the X display named by DISPLAY; start it inside a graphical session";
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const char* problem = displayProblem()) {
        std::fprintf(stderr, "pattern-designer: %s\n", problem);
        return 1;
    }
    QApplication app(argc, argv);
    setUpApplication(app);
    startProgram();
    return app.exec();
}
