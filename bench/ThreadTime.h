#pragma once

// Time taken by this thread on the CPU: other work on a busy machine does not skew a ratio of two
// such times measured side by side.

#include <ctime>

inline double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Thread seconds spent in work().
template <typename Work>
double threadSecondsOf(Work&& work)
{
    const double start = threadSeconds();
    work();
    return threadSeconds() - start;
}
