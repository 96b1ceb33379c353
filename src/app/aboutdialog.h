#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class AboutDialog;
}

// The about dialog (Form2), shown modally from the main window's "Info"
// button. Polish in every language: the language switch never reaches it.
// GUI thread only.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

    // The five lines of the about text, in order.
    static QStringList aboutText();
    // Makes Info show exactly the about text; runs at every showing.
    void fillAboutText();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::AboutDialog> ui;
};
