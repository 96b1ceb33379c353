#pragma once

#include <QString>

#include <optional>
#include <sys/types.h>

// What the file system says about a device node: who may open it.
struct NodePermissions {
    QString mode;  // as `ls -l` shows it, e.g. "crw-------"
    QString owner; // user name, or the number when it has none
    QString group;
    bool hasAcl = false; // an access control list adds users (the seat's, by uaccess)
};

// The ten characters of `ls -l` for a st_mode.
QString modeString(mode_t mode);

// Nothing when nothing is at the path (a simulated node has no file).
std::optional<NodePermissions> nodePermissions(const QString &path);
