#pragma once

#include "tenssettings.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class SensorSettingsPage;
}
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ModuleSession;
struct LiveDisplay;

// The sensor input settings page (TabSheet6): mirrors TensSettings, checks
// and writes it through the session, and sets the session's decimal places
// (Cb_Decp). A write the module does not acknowledge is told. GUI thread only.
class SensorSettingsPage : public QWidget
{
    Q_OBJECT
public:
    explicit SensorSettingsPage(ModuleSession &session, QWidget *parent = nullptr);
    ~SensorSettingsPage() override;

    // Report code 2 arrived (the device link asks for code 3 afterwards).
    void applyReport(const TensSettings &settings);
    // The module acknowledged a write: unit suffix, frequency and formula.
    void onWriteAcknowledged();

    // The fields only: no display state, no refreshes.
    void load(const TensSettings &settings);
    // Checks every field (painting the bad ones); nothing when one failed.
    std::optional<TensSettings> collect() const;

    // Settings from a file, shown as if typed: the fields, the enabling by
    // active inputs and the checks' colours; the module's state for the live
    // display stays as reported.
    void showLoaded(const TensSettings &settings);
    // Writes the module's `reported` settings with one rated output (input
    // 1..4) changed: the page shows them, the field's check runs on the new
    // value, and the write goes out as Save sends it. False, with the field
    // painted, when the check refuses: nothing is written.
    bool writeRatedOutput(const TensSettings &reported, int input, float ratedOutput);

    // Start-up: "0" to "99" in Cb_FiltLevel, the first one selected.
    void fillFilterLevels();

    // Cb_Decp's item index: the decimal places of values shown and checked,
    // kept in the session's display settings for the other pages.
    int decimalPlaces() const;
    // The settings file's DecimalPoint: Cb_Decp's index, -1 for no selection.
    void setDecimalPlaces(int index);
    int decimalPlacesIndex() const;

    // Label_ValTens1..4 from the display tick.
    void showLive(const LiveDisplay &display);

    // Handlers of the page's buttons and choices.
    void saveSensorSettings();
    void readSensorSettings();
    void restoreFactorySensorSettings();
    void zeroInput(int input); // Btn_Tens1Zero..Btn_Tens4Zero, input 1..4
    void zeroAllInputs();
    void tareSum();
    void showSensorCalibration(); // Btn_TensCalibrate
    void applyActiveInputs();
    void refreshFrequency(); // both speed buttons: the frequency label
    void explainInactiveSensor(int input); // GroupBox_Tens2..4, input 2..4

signals:
    void sensorCalibrationRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct SensorControls {
        QGroupBox *group;
        QLabel *value;
        QLineEdit *range;
        QLineEdit *sensitivity;
        QCheckBox *sign;
        QPushButton *zero;
    };

    void refreshSumFormula();
    void sendCommand(quint8 code);
    void onNotAnswered(quint8 code);

    std::unique_ptr<Ui::SensorSettingsPage> ui;
    ModuleSession &m_session;
    SensorControls m_sensors[4];
    bool m_saveSent = false; // Save's write, not yet acknowledged
};
