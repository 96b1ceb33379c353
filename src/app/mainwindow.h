#pragma once

#include "displaystate.h"
#include "languageswitch.h"
#include "livedisplaytick.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class MainWindow;
}
class DeviceLink;
class DeviceProtocol;
class AboutDialog;
class AnalogCalibrationDialog;
class BigDisplayWindow;
class IoSettingsPage;
class MeasurementsPage;
class SensorSettingsPage;

// The main window (Form1): the connection panel, the four main pages and
// the status line. Its creation runs the start-up sequence (startUp);
// closing it ends the program. GUI thread only.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(DeviceLink &link, DeviceProtocol &protocol, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The windows created after this one; the program entry hands them over.
    void setWindows(AboutDialog *about, AnalogCalibrationDialog *analogCalibration,
                    BigDisplayWindow *bigDisplay);

    QString settingsFilePath() const { return m_settingsFilePath; }

    void startUp();
    void savePreferences();
    void onPageChanged(int index);
    void showAbout();
    // The selector's entry index plus 1 becomes the active language; with no
    // entry selected that is 0, refused with std::out_of_range.
    void applyChosenLanguage();


protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createPages();
    void showConnectionStatus(const QString &text, bool active);
    void showConnectionText(const QString &text);

    std::unique_ptr<Ui::MainWindow> ui;
    DeviceLink &m_link;
    DeviceProtocol &m_protocol;
    AboutDialog *m_aboutDialog = nullptr;
    DisplayState m_displayState;
    LiveDisplayTick m_displayTick; // 50 ms on the GUI thread, from creation on
    MeasurementsPage *m_measurementsPage = nullptr;
    SensorSettingsPage *m_sensorSettingsPage = nullptr;
    IoSettingsPage *m_ioSettingsPage = nullptr;
    QString m_settingsFilePath;
    LanguageSwitch m_languageSwitch;
};
