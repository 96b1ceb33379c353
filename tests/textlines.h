#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// The CR LF lines of a text file the program wrote; none when it is missing.
inline QStringList textLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}
