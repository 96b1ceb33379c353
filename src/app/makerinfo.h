#pragma once

#include <QString>

// The maker's details in the about dialog. Neutral placeholders: a
// distributor sets them here and replaces resources/maker-logo.png (81 x 81).
namespace MakerInfo {
inline const QString CompanyName = QStringLiteral("Nazwa producenta");
inline const QString WebAddress = QStringLiteral("www.example.com");
inline const QString Email = QStringLiteral("kontakt@example.com");
inline const QString LogoPicture = QStringLiteral(":/pictures/maker-logo.png");
} // namespace MakerInfo
