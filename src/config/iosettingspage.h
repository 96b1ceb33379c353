#pragma once

#include "othersettings.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class IoSettingsPage;
}
class QComboBox;
class QLineEdit;
class AnalogCalibrationDialog;
class DeviceProtocol;
struct DisplayState;

// The input/output settings page (TabSheet7): mirrors OtherSettings, checks
// and writes it, and keeps AnalogUnitSuffix and AnalogFullScale for the
// live display. GUI thread only.
class IoSettingsPage : public QWidget
{
    Q_OBJECT
public:
    IoSettingsPage(DeviceProtocol *protocol, DisplayState *state,
                   std::function<int()> decimalPlaces, QWidget *parent = nullptr);
    ~IoSettingsPage() override;

    // Created after the main window; it shows the calibration factors.
    void setCalibrationDialog(AnalogCalibrationDialog *dialog) { m_calibration = dialog; }

    // Report code 3 arrived.
    void applyReport(const OtherSettings &settings);

    // The controls only, as a report sets them (without the refreshes).
    void load(const OtherSettings &settings);
    // Checks every number field (painting the bad ones); nothing when one
    // failed. The parity is carried for the command layout (offset 40).
    std::optional<OtherSettings> collect();

    // Start-up: "1" to "247" in Cb_ModbusAddress; address "1" and parity
    // "None" selected.
    void fillModbusAddresses();

    QLineEdit *out1Status() const; // Out1Status
    QLineEdit *out2Status() const; // Out2Status

    // Handlers, named after their controls.
    void Btn_SaveOtherSettingsClick();
    void Btn_ReadOtherSettingsClick();
    void Btn_OtherFactoryClick();
    void Btn_AnalogOutCalibClick();
    void Rg_AnalogModeClick();
    void Out1_RefreshObjects();
    void Out2_refreshObject();

    // 0 "0-10V", 1 "0 - 20mA", 2 "4 - 20mA"; with no button checked the
    // mode kept from last time. Keeps what it returns.
    int GetAnalogMode();
    // Enables the mode buttons by AnalogOutVariant, then checks the mode's.
    void SetAnalogMode(int mode);

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
    DeviceProtocol *m_protocol;
    DisplayState *m_state;
    std::function<int()> m_decimalPlaces;
    AnalogCalibrationDialog *m_calibration = nullptr;
    OutputControls m_outputs[2];
    int m_analogMode = 0;
};
