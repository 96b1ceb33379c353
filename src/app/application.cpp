#include "application.h"

#include "dialogs.h"

#include <exception>

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showError(QString());
    }
    return false;
}

void Application::showError(const QString &message)
{
    Dialogs::show(activeWindow(), {QMessageBox::Critical, applicationName(), message, QMessageBox::Ok});
}
