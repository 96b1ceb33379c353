#pragma once

#include <QString>
#include <QStringList>

// The udev rule that lets the user at the seat open the module's node
// (packaging/70-klv57.rules), as the window-less modes name it.
namespace UdevRule {

// The rule's file name and its one rule line, taken from the packaged file
// when the build is configured.
QString fileName();
QString ruleText();

// Where the rule takes effect from: this build's install prefix (make
// install), /usr (the package) and /etc/udev/rules.d (a copy by hand).
QStringList installedPaths();

// What makes udev read the rule and apply it to nodes already present.
inline const QString ReloadCommand =
    QStringLiteral("sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=hidraw "
                   "--action=change");

} // namespace UdevRule
