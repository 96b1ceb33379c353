#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class AnalogCalibrationDialog;
class DeviceProtocol;
struct DisplayState;
struct OtherSettings;

// The input/output settings page (TabSheet7). GUI thread only.
class IoSettingsPage : public QWidget
{
    Q_OBJECT
public:
    IoSettingsPage(DeviceProtocol *protocol, DisplayState *state,
                   std::function<int()> decimalPlaces, QWidget *parent = nullptr);

    // Created after the main window; it shows the calibration factors.
    void setCalibrationDialog(AnalogCalibrationDialog *dialog) { m_calibration = dialog; }

    // Report code 3 arrived.
    void applyReport(const OtherSettings &settings);

    // Start-up: "1" to "247" in Cb_ModbusAddress; address "1" and parity
    // "None" selected.
    void fillModbusAddresses();

    QLineEdit *out1Status() const; // Out1Status
    QLineEdit *out2Status() const; // Out2Status

private:
    DeviceProtocol *m_protocol;
    DisplayState *m_state;
    std::function<int()> m_decimalPlaces;
    AnalogCalibrationDialog *m_calibration = nullptr;
};
