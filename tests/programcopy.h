#pragma once

// A copy of the program in a test's own directory, so that the config.ini it
// keeps beside itself is that test's, never the build directory's. Needs
// KLV57_BINARY, the built program's path.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// The copy's path, empty when it could not be made. `settings`, when given,
// becomes its config.ini.
inline QString copyProgram(const QString &dir, const QByteArray &settings = {})
{
    const QString program = QDir(dir).filePath(QStringLiteral("klv57-pc"));
    if (!QFile::copy(QStringLiteral(KLV57_BINARY), program))
        return {};
    if (!settings.isEmpty()) {
        QFile config(QDir(dir).filePath(QStringLiteral("config.ini")));
        if (!config.open(QIODevice::WriteOnly) || config.write(settings) != settings.size())
            return {};
    }
    return program;
}
