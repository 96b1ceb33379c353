#pragma once

#include "languageswitch.h"
#include "qttranslations.h"
#include "sessionpresenter.h"

#include <QString>
#include <QVector>
#include <QWidget>

#include <memory>

namespace Ui {
class MainWindow;
}
class AboutDialog;
class AnalogCalibrationDialog;
class BigDisplayWindow;
class ChartPage;
class IoSettingsPage;
class RecordingPage;
class MeasurementsPage;
class ModuleSession;
class SensorCalibrationWindow;
class SensorSettingsPage;
class SettingsFileBar;
struct ProgramPreferences;

// The main window (Form1): the connection panel, the four main pages and
// the status line, all views of one module session; the session's presenter
// words the connection field and the status line. Its creation runs the
// start-up sequence (startUp); closing it ends the program. GUI thread only.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // `settingsPath` is the config.ini that start-up reads and close writes.
    MainWindow(ModuleSession &session, const QString &settingsPath, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The windows created after this one; the program entry hands them over.
    void setWindows(AboutDialog *about, AnalogCalibrationDialog *analogCalibration,
                    BigDisplayWindow *bigDisplay, SensorCalibrationWindow *sensorCalibration);

    // The page the sensor calibration window writes through.
    SensorSettingsPage &sensorSettingsPage() { return *m_sensorSettingsPage; }

    QString settingsFilePath() const { return m_settingsFilePath; }

    void startUp();
    // Writes config.ini; false (after the error box) when a key could not be written.
    bool savePreferences();
    // A termination signal: config.ini written and the recording file closed
    // without a box, since nobody may be there to answer one; failures go to
    // standard error. False when config.ini could not be written.
    bool saveForSignal();
    void onPageChanged(int index);
    void showAbout();
    // The selector's entry index plus 1 becomes the active language; with no
    // entry selected that is 0, refused with std::out_of_range.
    void applyChosenLanguage();
    void applyLanguageToWindows();
    // The chooser's entry becomes the driven module, and is remembered.
    void chooseModule(int index);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createPages();
    void applyPreferences(const ProgramPreferences &preferences);
    ProgramPreferences preferences() const;
    void showConnectionStatus(const QString &text, bool active);
    void showConnectionText(const QString &text);
    void showModules(const QStringList &texts, const QStringList &nodes, int driven);
    void showModuleInTitle(const QString &module);

    std::unique_ptr<Ui::MainWindow> ui;
    ModuleSession &m_session;
    SessionPresenter m_presenter;
    AboutDialog *m_aboutDialog = nullptr;
    QVector<QWidget *> m_translatedWindows; // the secondary windows with rows of their own
    MeasurementsPage *m_measurementsPage = nullptr;
    SensorSettingsPage *m_sensorSettingsPage = nullptr;
    IoSettingsPage *m_ioSettingsPage = nullptr;
    ChartPage *m_chartPage = nullptr;
    RecordingPage *m_recordingPage = nullptr;
    SettingsFileBar *m_settingsFileBar = nullptr;
    const QString m_settingsFilePath;
    LanguageSwitch m_languageSwitch;
    QtTranslations m_qtTranslations;
};
