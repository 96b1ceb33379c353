#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class MainWindow;
}
class DeviceLink;
class DeviceProtocol;
class AboutDialog;

// The main window (Form1): the connection panel, the four main pages and
// the status line. Its creation runs the start-up sequence (FormCreate);
// closing it ends the program. GUI thread only.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(DeviceLink *link, DeviceProtocol *protocol, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The windows created after this one; the program entry hands them over.
    void setAboutDialog(AboutDialog *dialog) { m_aboutDialog = dialog; }

    QString settingsFilePath() const { return m_settingsFilePath; }

    void FormCreate();
    void FormClose();
    void PageControl1Change(int index);
    void BitBtn3Click();
    void siLangCombo1Change();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showConnectionStatus(const QString &text, bool active);

    std::unique_ptr<Ui::MainWindow> ui;
    DeviceLink *m_link;
    DeviceProtocol *m_protocol;
    AboutDialog *m_aboutDialog = nullptr;
    QString m_settingsFilePath;
};
