#include "udevrule.h"

#include "udevrulesource.h"

#include <QDir>

QString UdevRule::fileName()
{
    return QString::fromUtf8(UdevRuleSource::FileName);
}

QString UdevRule::ruleText()
{
    return QString::fromUtf8(UdevRuleSource::Text);
}

QStringList UdevRule::installedPaths()
{
    QStringList paths;
    for (const char *directory : {UdevRuleSource::InstallPrefix, "/usr"}) {
        const QString path = QDir::cleanPath(QString::fromUtf8(directory) +
                                             QStringLiteral("/lib/udev/rules.d/") + fileName());
        if (!paths.contains(path))
            paths << path;
    }
    paths << QStringLiteral("/etc/udev/rules.d/") + fileName();
    return paths;
}
