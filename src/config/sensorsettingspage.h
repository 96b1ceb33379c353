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
class DeviceProtocol;
struct DisplayState;

// The sensor input settings page (TabSheet6): mirrors TensSettings, checks
// and writes it, and keeps ActiveInputs, SensorRange and UnitSuffix for the
// live display. GUI thread only.
class SensorSettingsPage : public QWidget
{
    Q_OBJECT
public:
    SensorSettingsPage(DeviceProtocol *protocol, DisplayState *state, QWidget *parent = nullptr);
    ~SensorSettingsPage() override;

    // Report code 2 arrived (the device link asks for code 3 afterwards).
    void applyReport(const TensSettings &settings);
    // The module acknowledged a write: unit suffix, frequency and formula.
    void onWriteAcknowledged();

    // The fields only: no display state, no refreshes.
    void load(const TensSettings &settings);
    // Checks every field (painting the bad ones); nothing when one failed.
    std::optional<TensSettings> collect() const;

    // Start-up: "0" to "99" in Cb_FiltLevel, the first one selected.
    void fillFilterLevels();

    // Cb_Decp's item index: the decimal places of values shown and checked.
    int decimalPlaces() const;
    void setDecimalPlaces(int places); // from the program settings file
    QLabel *liveValueLabel(int input) const; // Label_ValTens1..4, input 1..4

    // Handlers, named after their controls.
    void Btn_SetTensSettingsClick();
    void Btn_ReadTensSettingsClick();
    void Button_TensSettingFactoryClick();
    void Btn_TensZeroClick(int input); // Btn_Tens1Zero..Btn_Tens4Zero, input 1..4
    void BitBtn4Click();
    void Btn_SumTaraClick();
    void Btn_TensCalibrateClick();
    void Cb_SelTensClick();
    void Rb_SpeedHIClick(); // both speed buttons: the frequency label
    void GroupBox_TensClick(int input); // GroupBox_Tens2..4, input 2..4

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

    void refreshUnitSuffix();
    void refreshSumFormula();
    void sendCommand(quint8 code);

    std::unique_ptr<Ui::SensorSettingsPage> ui;
    DeviceProtocol *m_protocol;
    DisplayState *m_state;
    SensorControls m_sensors[4];
};
