#pragma once

#include <QString>

namespace ProgramInfo {
inline const QString ProductName = QStringLiteral("KLV57");
inline const QString VersionText = QStringLiteral("1.10");
inline const QString TitleJoiner = QStringLiteral("  ver.: ");
inline const QString SettingsFileName = QStringLiteral("config.ini");
} // namespace ProgramInfo
