#pragma once

#include <QWidget>

class QLabel;
class DeviceProtocol;
struct DisplayState;
struct TensSettings;

// The sensor input settings page (TabSheet6). GUI thread only.
class SensorSettingsPage : public QWidget
{
    Q_OBJECT
public:
    SensorSettingsPage(DeviceProtocol *protocol, DisplayState *state, QWidget *parent = nullptr);

    // Report code 2 arrived (the device link asks for code 3 afterwards).
    void applyReport(const TensSettings &settings);
    // The module acknowledged a write: unit suffix, frequency and formula.
    void onWriteAcknowledged();

    // Start-up: "0" to "99" in Cb_FiltLevel, the first one selected.
    void fillFilterLevels();
    void Rb_SpeedHIClick();

    // Cb_Decp's item index: the decimal places of values shown and checked.
    int decimalPlaces() const;
    QLabel *liveValueLabel(int input) const; // Label_ValTens1..4, input 1..4

private:
    DeviceProtocol *m_protocol;
    DisplayState *m_state;
};
