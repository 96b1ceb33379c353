#include "dialogs.h"

#include <QFileDialog>

namespace {
Dialogs::MessageResponder messageResponder;
Dialogs::FileOptionsResponder fileResponder;
} // namespace

namespace Dialogs {

QMessageBox::StandardButton show(QWidget *parent, const Message &message)
{
    if (messageResponder)
        return messageResponder(message);
    QMessageBox box(message.icon, message.caption, message.text, message.buttons, parent);
    return QMessageBox::StandardButton(box.exec());
}

QString saveFileName(QWidget *parent, const QString &filter, QString *selectedFilter,
                     QFileDialog::Options options)
{
    if (fileResponder)
        return fileResponder(filter, options, selectedFilter);
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter, selectedFilter,
                                        options);
}

QString openFileName(QWidget *parent, const QString &filter, QString *selectedFilter)
{
    if (fileResponder)
        return fileResponder(filter, {}, selectedFilter);
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter, selectedFilter);
}

void setMessageResponder(MessageResponder responder)
{
    messageResponder = std::move(responder);
}

void setFileResponder(FileResponder responder)
{
    if (!responder) {
        fileResponder = nullptr;
        return;
    }
    fileResponder = [responder = std::move(responder)](const QString &filter, QFileDialog::Options,
                                                        QString *selectedFilter) {
        return responder(filter, selectedFilter);
    };
}

void setFileResponder(FileOptionsResponder responder)
{
    fileResponder = std::move(responder);
}

void setFileResponder(std::nullptr_t)
{
    fileResponder = nullptr;
}

} // namespace Dialogs
