#pragma once

#include "othersettings.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class IoSettingsPage;
}
class QComboBox;
class QLineEdit;
class ModuleSession;
struct LiveDisplay;

// The input/output settings page (TabSheet7): mirrors OtherSettings, checks
// and writes it, and sets the session's analog output unit and full scale
// for the live display. A write the module does not acknowledge is told.
// GUI thread only.
class IoSettingsPage : public QWidget
{
    Q_OBJECT
public:
    explicit IoSettingsPage(ModuleSession &session, QWidget *parent = nullptr);
    ~IoSettingsPage() override;

    // Report code 3 arrived.
    void applyReport(const OtherSettings &settings);

    // The controls only, as a report sets them (without the refreshes).
    void load(const OtherSettings &settings);
    // Settings from a file, shown as if typed: the controls, the enabling of
    // the output rows, the mode labels and the checks' colours.
    void showLoaded(const OtherSettings &settings);

    // Checks every number field (painting the bad ones); nothing when one
    // failed. The parity is carried for the command layout (offset 40).
    std::optional<OtherSettings> collect();

    // Start-up: "1" to "247" in Cb_ModbusAddress; address "1" and parity
    // "None" selected.
    void fillModbusAddresses();

    // Out1Status and Out2Status from the display tick.
    void showLive(const LiveDisplay &display);

    // Handlers of the page's buttons and choices.
    void saveIoSettings();
    void readIoSettings();
    void restoreFactoryIoSettings();
    void requestAnalogCalibration();
    void applyAnalogMode();
    void refreshOutput1();
    void refreshOutput2();

    // 0 "0-10V", 1 "0 - 20mA", 2 "4 - 20mA"; with no button checked the
    // mode kept from the last click or report.
    int analogMode() const;
    // Enables the mode buttons by AnalogOutVariant, then checks the mode's.
    void setAnalogMode(int mode);

signals:
    void analogCalibrationRequested(); // Btn_AnalogOutCalib

private:
    struct OutputControls {
        QComboBox *source;
        QComboBox *mode1;
        QLineEdit *number1;
        QComboBox *condition;
        QComboBox *mode2;
        QLineEdit *number2;
        QComboBox *state;
    };

    void refreshOutput(const OutputControls &out);
    int decimalPlaces() const;

    std::unique_ptr<Ui::IoSettingsPage> ui;
    ModuleSession &m_session;
    OutputControls m_outputs[2];
    int m_analogMode = 0;
    bool m_saveSent = false; // Save's write, not yet acknowledged
};
