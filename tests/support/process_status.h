#pragma once

// One figure of the process's own status, in KiB: "VmRSS" (resident now) or "VmHWM" (the
// peak). -1 where the system has no /proc/self/status. Shared by the driver's `memory`
// command and the benchmarks.

#include <QByteArray>
#include <QFile>

namespace lintavo::testing {

inline long processStatusKiB(const QByteArray& key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = key + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

}  // namespace lintavo::testing
