#pragma once

// A private X server with a real window manager for placement tests: Xvfb on the first free
// display number (so tests may run side by side), managed by openbox. Started before the application
// object, so the test's own windows open on it; both stop when the object goes.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

class PrivateDisplay
{
public:
    // Starts Xvfb with one screen of the given size and openbox on it, then points DISPLAY at it
    // and QT_QPA_PLATFORM at xcb. Check problem() afterwards.
    PrivateDisplay(int width, int height)
    {
        if (!onPath("Xvfb") || !onPath("openbox") || !onPath("xprop")) {
            m_problem = "Xvfb, openbox or xprop is not installed (scripts/setup.sh installs them)";
            return;
        }
        if (!startServer(width, height))
            return;
        // The socket comes a moment before the server takes clients; a client that comes too
        // early is turned away. (The server never resets, so this probe's leaving is harmless.)
        if (!waitFor([this] { return serverAnswers(); }, 10)) {
            m_problem = "Xvfb did not answer within 10 seconds";
            return;
        }
        ::setenv("DISPLAY", m_display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        m_windowManager = spawn({"openbox", "--sm-disable"}, -1);
        if (!waitFor([this] { return windowManagerReady(); }, 10)) {
            m_problem = "openbox did not take the display within 10 seconds";
            return;
        }
    }

    ~PrivateDisplay()
    {
        stop(m_windowManager);
        stop(m_server);
    }

    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // Why the display cannot be used, or nullptr when it can.
    const char* problem() const { return m_problem.empty() ? nullptr : m_problem.c_str(); }

    // The display's name, such as ":70", for programs started on it.
    const char* name() const { return m_display.c_str(); }

private:
    static bool onPath(const char* program)
    {
        const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    // Runs a program with its output silenced; the given descriptor stays open in the child.
    static pid_t spawn(std::initializer_list<const char*> arguments, int keepOpen)
    {
        const pid_t pid = ::fork();
        if (pid != 0)
            return pid;
        // Dies with the test, even when the test crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, 0);
        ::dup2(devNull, 2);
        if (keepOpen != 1)
            ::dup2(devNull, 1);
        std::string storage[8];
        char* argv[9] = {};
        int i = 0;
        for (const char* argument : arguments) {
            storage[i] = argument;
            argv[i] = storage[i].data();
            ++i;
        }
        ::execvp(argv[0], argv);
        ::_exit(127);
    }

    static void stop(pid_t pid)
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid)
                return;
            ::usleep(100 * 1000);
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

    template <typename Condition>
    static bool waitFor(Condition condition, int seconds)
    {
        for (int i = 0; i < seconds * 10; ++i) {
            if (condition())
                return true;
            ::usleep(100 * 1000);
        }
        return false;
    }

    bool startServer(int width, int height)
    {
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        // The first display number whose lock is free; a server that loses a race for it exits
        // at once, and the next number is tried.
        for (int number = 70; number < 130; ++number) {
            const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            if (::access(lock.c_str(), F_OK) == 0)
                continue;
            const std::string display = ":" + std::to_string(number);
            const pid_t pid = spawn({"Xvfb", display.c_str(), "-noreset", "-screen", "0", screen.c_str(), "-nolisten", "tcp"}, -1);
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            bool exited = false;
            // Up when the socket is there and the lock names this server, not a rival's.
            const bool up = waitFor([&] {
                exited = ::waitpid(pid, nullptr, WNOHANG) == pid;
                return exited || (::access(socket.c_str(), F_OK) == 0 && lockOwner(lock) == pid);
            }, 10);
            if (up && !exited) {
                m_server = pid;
                m_display = display;
                return true;
            }
            if (!exited)
                stop(pid);
        }
        m_problem = "no X display number from :70 to :129 could be started";
        return false;
    }

    // The process id written in an X server's lock file, or -1.
    static pid_t lockOwner(const std::string& lock)
    {
        FILE* file = std::fopen(lock.c_str(), "r");
        if (!file)
            return -1;
        long pid = -1;
        if (std::fscanf(file, "%ld", &pid) != 1)
            pid = -1;
        std::fclose(file);
        return pid_t(pid);
    }

    bool serverAnswers() const
    {
        const std::string command = "xprop -display " + m_display + " -root >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    bool windowManagerReady() const
    {
        const std::string command = "xprop -display " + m_display + " -root _NET_SUPPORTING_WM_CHECK 2>/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return false;
        char line[256] = {};
        const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
        ::pclose(pipe);
        return read && std::string(line).find("window id") != std::string::npos;
    }

    std::string m_problem;
    std::string m_display;
    pid_t m_server = -1;
    pid_t m_windowManager = -1;
};
