#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// A control by its objectName below `parent`; a missing one ends the run,
// since every check after it would be meaningless.
template <typename T = QWidget> T *find(const QObject *parent, const QString &name)
{
    T *control = parent->findChild<T *>(name);
    if (!control)
        qFatal("no %s", qPrintable(name));
    return control;
}
