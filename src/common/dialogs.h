#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QString>

#include <cstddef>
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
// Answers a file dialog: the chosen path (empty: cancelled); may set the
// filter chosen with it.
using FileResponder = std::function<QString(const QString &filter, QString *selectedFilter)>;
// The same, seeing the dialog's options too (whether it asks before
// replacing an existing file).
using FileOptionsResponder = std::function<QString(
    const QString &filter, QFileDialog::Options options, QString *selectedFilter)>;

// Modal on the GUI thread; returns the button pressed.
QMessageBox::StandardButton show(QWidget *parent, const Message &message);

// Returns the chosen path, or an empty text when cancelled; the filter the
// user chose goes to `selectedFilter` when given. Without options, picking
// an existing file asks whether to replace it.
QString saveFileName(QWidget *parent, const QString &filter, QString *selectedFilter = nullptr,
                     QFileDialog::Options options = {});

// As saveFileName, for a file to open.
QString openFileName(QWidget *parent, const QString &filter, QString *selectedFilter = nullptr);

// Tests: answer instead of showing; pass nullptr to show real dialogs again.
void setMessageResponder(MessageResponder responder);
void setFileResponder(FileResponder responder);
void setFileResponder(FileOptionsResponder responder);
void setFileResponder(std::nullptr_t);

} // namespace Dialogs
