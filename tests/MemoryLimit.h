#pragma once

#include <QFile>
#include <QString>

#include <functional>

#include <csignal>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// What a forked child came to: its exit status, or -1 when it did not exit (a signal ended it, or
// it ran past its time and was killed).
struct LimitedRun
{
    int status = -1;
    bool timedOut = false;
    bool exited() const { return status >= 0; }
};

// The address space this process has mapped now, in bytes (0 when it cannot be read).
inline rlim_t mappedBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return rlim_t(line.mid(7).trimmed().split(' ').value(0).toULongLong()) * 1024;
    }
    return 0;
}

// Runs work in a forked child whose address space may grow by only spare bytes beyond what is
// mapped now, so that an allocation larger than that fails there; the child's result is its exit
// status. The test process itself keeps its limits. A child still running after the given seconds
// is killed.
inline LimitedRun runWithSpareMemory(rlim_t spare, const std::function<int()>& work, int seconds = 120)
{
    const rlim_t now = mappedBytes();
    if (now == 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{now + spare, now + spare};
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(120);
        _exit(work());
    }
    if (child < 0)
        return {};
    int status = 0;
    for (int waited = 0; waited < seconds * 100; ++waited) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child)
            return WIFEXITED(status) ? LimitedRun{WEXITSTATUS(status)} : LimitedRun{};
        if (ended < 0)
            return {};
        usleep(10000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return LimitedRun{-1, true};
}
