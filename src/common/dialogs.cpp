#include "dialogs.h"

#include <QFileDialog>

namespace {
Dialogs::MessageResponder messageResponder;
Dialogs::FileResponder fileResponder;
} // namespace

namespace Dialogs {

QMessageBox::StandardButton show(QWidget *parent, const Message &message)
{
    if (messageResponder)
        return messageResponder(message);
    QMessageBox box(message.icon, message.caption, message.text, message.buttons, parent);
    return QMessageBox::StandardButton(box.exec());
}

QString saveFileName(QWidget *parent, const QString &filter, QString *selectedFilter)
{
    if (fileResponder)
        return fileResponder(filter, selectedFilter);
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter, selectedFilter);
}

QString openFileName(QWidget *parent, const QString &filter, QString *selectedFilter)
{
    if (fileResponder)
        return fileResponder(filter, selectedFilter);
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter, selectedFilter);
}

void setMessageResponder(MessageResponder responder)
{
    messageResponder = std::move(responder);
}

void setFileResponder(FileResponder responder)
{
    fileResponder = std::move(responder);
}

} // namespace Dialogs
