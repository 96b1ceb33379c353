#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message box and file dialog goes through here, so that tests can
// answer them instead of a user.
namespace Dialogs {

struct Message {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

using MessageResponder = std::function<QMessageBox::StandardButton(const Message &)>;
using FileResponder = std::function<QString(const QString &filter)>;

// Modal on the GUI thread; returns the button pressed.
QMessageBox::StandardButton show(QWidget *parent, const Message &message);

// Returns the chosen path, or an empty text when cancelled.
QString saveFileName(QWidget *parent, const QString &filter);

// Tests: answer instead of showing; pass nullptr to show real dialogs again.
void setMessageResponder(MessageResponder responder);
void setFileResponder(FileResponder responder);

} // namespace Dialogs
