#pragma once

#include "displaystate.h"
#include "languageswitch.h"
#include "livedisplaytick.h"

#include <QString>
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
class ChartPage;
class IoSettingsPage;
class RecordingPage;
class MeasurementsPage;
class ReportedSettings;
class SensorCalibrationWindow;
class SensorSettingsPage;
class SettingsFileBar;
struct ProgramPreferences;

// The main window (Form1): the connection panel, the four main pages and
// the status line. Its creation runs the start-up sequence (startUp);
// closing it ends the program. GUI thread only.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // `settingsPath` is the config.ini that start-up reads and close writes.
    MainWindow(DeviceLink &link, DeviceProtocol &protocol, const QString &settingsPath,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // The windows created after this one; the program entry hands them over.
    void setWindows(AboutDialog *about, AnalogCalibrationDialog *analogCalibration,
                    BigDisplayWindow *bigDisplay, SensorCalibrationWindow *sensorCalibration);

    // What the sensor calibration window works with.
    SensorSettingsPage &sensorSettingsPage() { return *m_sensorSettingsPage; }
    const ReportedSettings &reportedSettings() const { return *m_reportedSettings; }
    const DisplayState &displayState() const { return m_displayState; }

    QString settingsFilePath() const { return m_settingsFilePath; }

    void startUp();
    // Writes config.ini; false (after the error box) when a key could not be written.
    bool savePreferences();
    void onPageChanged(int index);
    void showAbout();
    // The selector's entry index plus 1 becomes the active language; with no
    // entry selected that is 0, refused with std::out_of_range.
    void applyChosenLanguage();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createPages();
    void applyPreferences(const ProgramPreferences &preferences);
    ProgramPreferences preferences() const;
    void showConnectionStatus(const QString &text, bool active);
    void showConnectionText(const QString &text);
    void showAccessProblem();
    // The link's last status text, or the module's holder when another
    // program has it; nothing while connected.
    void showLinkStatusText();

    std::unique_ptr<Ui::MainWindow> ui;
    DeviceLink &m_link;
    QString m_linkStatusText; // as the link last gave it
    bool m_linkStatusActive = false;
    DeviceProtocol &m_protocol;
    AboutDialog *m_aboutDialog = nullptr;
    DisplayState m_displayState;
    LiveDisplayTick m_displayTick; // 50 ms on the GUI thread, from creation on
    MeasurementsPage *m_measurementsPage = nullptr;
    SensorSettingsPage *m_sensorSettingsPage = nullptr;
    IoSettingsPage *m_ioSettingsPage = nullptr;
    ChartPage *m_chartPage = nullptr;
    RecordingPage *m_recordingPage = nullptr;
    ReportedSettings *m_reportedSettings = nullptr;
    SettingsFileBar *m_settingsFileBar = nullptr;
    const QString m_settingsFilePath;
    LanguageSwitch m_languageSwitch;
};
