#pragma once

#include <QApplication>

// An error that escapes an event handler is shown in an error box, and the
// program goes on.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    static void showError(const QString &message);
};
