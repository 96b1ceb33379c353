#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AnalogCalibrationDialog;
}
class ModuleSession;

// The analog output calibration dialog (FormAnCalib): forces 9 V or 18 mA
// on the analog output, stores the reading of a meter in the module and
// shows the module's calibration factors. Its captions are the store's
// FormAnCalib rows, set by the language switch. Created once,
// shown modally. GUI thread only.
class AnalogCalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AnalogCalibrationDialog(ModuleSession &session, QWidget *parent = nullptr);
    ~AnalogCalibrationDialog() override;

    // Report code 3 (it listens itself): the factors of the 0-10 V and of the current output.
    void showFactors(float voltage, float current);

    void startCalibration();         // Start: command 0xA8
    void stopCalibration();         // Stop: command 0xA9
    void storeVoltage();  // store the measured voltage
    void storeCurrent();  // store the measured current
    void readFactors(); // command 3

    // Accepted meter readings: around the forced 9 V and 18 mA.
    static constexpr float MinVoltage = 1.0f;
    static constexpr float MaxVoltage = 15.0f;
    static constexpr float MinCurrent = 1.0f;
    static constexpr float MaxCurrent = 25.0f;

private:
    void store(quint8 output, float value);

    std::unique_ptr<Ui::AnalogCalibrationDialog> ui;
    ModuleSession &m_session;
};
