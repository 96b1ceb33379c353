#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>

// "VmHWM" or "VmRSS" of this process, in bytes; 0 when it cannot be read.
// The bench and the soak both report it.
inline std::size_t statusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return std::size_t(line.mid(prefix.size()).trimmed().split(' ').value(0).toULongLong()) * 1024;
    return 0;
}
