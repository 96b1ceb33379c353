#pragma once

#include <QDialog>

// The about dialog (Form2), shown modally from the main window's "Info" button.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
};
