#pragma once

// Resident memory of this process, as the kernel reports it. It is per process: a benchmark that
// reads it wants to run alone.

#include <QByteArray>
#include <QFile>
#include <QList>

// VmRSS of this process in bytes, 0 when it cannot be read.
inline double residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() * 1024;
    }
    return 0;
}
