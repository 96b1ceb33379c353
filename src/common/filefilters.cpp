#include "filefilters.h"

#include <QRegularExpression>
#include <QStringList>

QString nameWithExtension(const QString &chosenName, const QString &filters, const QString &chosenFilter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*(\\.[^ )]+)"));
    const QStringList choices = filters.split(QStringLiteral(";;"));
    QStringList extensions;
    for (const QString &choice : choices)
        extensions << pattern.match(choice).captured(1);
    for (const QString &extension : extensions)
        if (!extension.isEmpty() && chosenName.endsWith(extension, Qt::CaseInsensitive))
            return chosenName;
    const int chosen = choices.indexOf(chosenFilter);
    return chosenName + extensions.value(chosen >= 0 ? chosen : 0);
}
