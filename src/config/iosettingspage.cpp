#include "iosettingspage.h"

#include "ui_iosettingspage.h"

#include "dialogs.h"
#include "livedisplay.h"
#include "messageids.h"
#include "messagetable.h"
#include "modulesession.h"
#include "protocolcodes.h"
#include "settingfield.h"
#include "settingrules.h"
#include "statusfield.h"
#include "valueformat.h"

#include <utility>

namespace {

using SettingRules::ValueLimit;
constexpr int AddressCount = SettingRules::ModbusAddresses;
constexpr int ParityCount = SettingRules::Parities;
constexpr int ModeCount = SettingRules::AnalogModes;

struct ModeLabels {
    const char *minId;
    const char *maxId;
    const char *unitSuffix;
    float fullScale;
};
const ModeLabels Modes[ModeCount] = {
    {Msg::IDS_88, Msg::IDS_89, " V", 10.0f},
    {Msg::IDS_91, Msg::IDS_92, " mA", 20.0f},
    {Msg::IDS_94, Msg::IDS_92, " mA", 20.0f},
};

// A value that names no item leaves the box without a selection, so that a
// later write sends 0xFF.
void selectItem(QComboBox *box, quint8 index)
{
    box->setCurrentIndex(index < box->count() ? index : -1);
}

quint8 selectedItem(const QComboBox *box)
{
    return quint8(box->currentIndex());
}

} // namespace

IoSettingsPage::IoSettingsPage(ModuleSession &session, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::IoSettingsPage>()), m_session(session)
{
    ui->setupUi(this);
    m_outputs[0] = {ui->Out1_source, ui->Out1_mode1, ui->Out1_Number1, ui->Out1_condition,
                    ui->Out1_mode2, ui->Out1_Number2, ui->Out1_state};
    m_outputs[1] = {ui->Out2_source, ui->Out2_mode1, ui->Out2_Number1, ui->Out2_condition,
                    ui->Out2_mode2, ui->Out2_Number2, ui->Out2_state};

    connect(ui->Btn_SaveOtherSettings, &QPushButton::clicked, this, &IoSettingsPage::saveIoSettings);
    connect(ui->Btn_ReadOtherSettings, &QPushButton::clicked, this, &IoSettingsPage::readIoSettings);
    connect(ui->Btn_OtherFactory, &QPushButton::clicked, this, &IoSettingsPage::restoreFactoryIoSettings);
    connect(ui->Btn_AnalogOutCalib, &QPushButton::clicked, this, &IoSettingsPage::requestAnalogCalibration);
    for (QRadioButton *mode : {ui->RB_amode010V, ui->RB_amode020mA, ui->RB_amode420mA})
        connect(mode, &QRadioButton::clicked, this, &IoSettingsPage::applyAnalogMode);
    connect(ui->Out1_source, &QComboBox::activated, this, &IoSettingsPage::refreshOutput1);
    connect(ui->Out1_condition, &QComboBox::activated, this, &IoSettingsPage::refreshOutput1);
    connect(ui->Out2_source, &QComboBox::activated, this, &IoSettingsPage::refreshOutput2);
    connect(ui->Out2_condition, &QComboBox::activated, this, &IoSettingsPage::refreshOutput2);

    const DeviceProtocol &protocol = m_session.protocol();
    connect(&protocol, &DeviceProtocol::ioSettingsReceived, this, &IoSettingsPage::applyReport);
    connect(&protocol, &DeviceProtocol::acknowledged, this, [this](quint8 code) {
        if (code == Code::WriteIoSettings)
            m_saveSent = false;
    });
    connect(&protocol, &DeviceProtocol::commandNotAnswered, this, [this](quint8 code) {
        if (code != Code::WriteIoSettings || !std::exchange(m_saveSent, false))
            return;
        Dialogs::show(this, {QMessageBox::Warning, QStringLiteral("Warning"),
                             GetTextOrDefault(Msg::KLV_SettingsNotAcknowledged), QMessageBox::Ok});
    });
}

IoSettingsPage::~IoSettingsPage() = default;

int IoSettingsPage::decimalPlaces() const
{
    return m_session.display().decimalPlaces;
}

void IoSettingsPage::showLive(const LiveDisplay &display)
{
    if (!display.ioStates)
        return;
    setStatusField(ui->Out1Status, (*display.ioStates)[2], IoOn, IoOff);
    setStatusField(ui->Out2Status, (*display.ioStates)[3], IoOn, IoOff);
}

void IoSettingsPage::load(const OtherSettings &settings)
{
    const int decimals = decimalPlaces();
    if (settings.analogMode < ModeCount)
        setAnalogMode(settings.analogMode);
    selectItem(ui->Cb_AnalogSource, settings.analogSource);
    ui->Cb_AnalogReverse->setChecked(settings.analogReversed != 0);
    ui->Edit_AnalogMin->setText(formatFixed(settings.analogMin, decimals));
    ui->Edit_AnalogMax->setText(formatFixed(settings.analogMax, decimals));
    for (int n = 0; n < 2; ++n) {
        const OutputRule &rule = settings.outputs[n];
        const OutputControls &out = m_outputs[n];
        selectItem(out.condition, rule.combination);
        selectItem(out.mode1, rule.comparison1);
        selectItem(out.mode2, rule.comparison2);
        selectItem(out.state, rule.state);
        selectItem(out.source, rule.source);
        out.number1->setText(formatFixed(rule.value1, decimals));
        out.number2->setText(formatFixed(rule.value2, decimals));
    }
    selectItem(ui->Cb_ModbusBaud, settings.modbusBaud);
    if (settings.modbusAddress >= 1 && settings.modbusAddress <= AddressCount) {
        const int item = ui->Cb_ModbusAddress->findText(QString::number(settings.modbusAddress));
        if (item >= 0)
            ui->Cb_ModbusAddress->setCurrentIndex(item);
    }
    if (settings.parity < ParityCount)
        ui->ComboBox_UartParity->setCurrentIndex(settings.parity);
}

void IoSettingsPage::applyReport(const OtherSettings &settings)
{
    load(settings);
    refreshOutput1();
    refreshOutput2();
    applyAnalogMode();
}

void IoSettingsPage::showLoaded(const OtherSettings &settings)
{
    applyReport(settings);
    collect(); // paints every field in the colour of its check
}

std::optional<OtherSettings> IoSettingsPage::collect()
{
    const int decimals = decimalPlaces();
    OtherSettings settings;
    bool valid = true;
    settings.analogMode = quint8(analogMode());
    settings.analogSource = selectedItem(ui->Cb_AnalogSource);
    settings.analogReversed = ui->Cb_AnalogReverse->isChecked() ? 1 : 0;
    valid &= CheckFloatEdit(ui->Edit_AnalogMin, decimals, -ValueLimit, ValueLimit, settings.analogMin);
    valid &= CheckFloatEdit(ui->Edit_AnalogMax, decimals, -ValueLimit, ValueLimit, settings.analogMax);
    // Disabled rows are checked and written as well.
    for (int n = 0; n < 2; ++n) {
        OutputRule &rule = settings.outputs[n];
        const OutputControls &out = m_outputs[n];
        rule.combination = selectedItem(out.condition);
        rule.comparison1 = selectedItem(out.mode1);
        rule.comparison2 = selectedItem(out.mode2);
        rule.state = selectedItem(out.state);
        rule.source = selectedItem(out.source);
        valid &= CheckFloatEdit(out.number1, decimals, -ValueLimit, ValueLimit, rule.value1);
        valid &= CheckFloatEdit(out.number2, decimals, -ValueLimit, ValueLimit, rule.value2);
    }
    settings.modbusBaud = selectedItem(ui->Cb_ModbusBaud);
    settings.modbusAddress = quint8(ui->Cb_ModbusAddress->currentIndex() + 1);
    settings.parity = selectedItem(ui->ComboBox_UartParity);
    if (!valid)
        return std::nullopt;
    return settings;
}

void IoSettingsPage::saveIoSettings()
{
    const std::optional<OtherSettings> settings = collect();
    if (!settings) {
        // The caption is the same in both languages.
        Dialogs::show(this, {QMessageBox::Warning, QStringLiteral("Warning"),
                             GetTextOrDefault(Msg::IDS_67), QMessageBox::Ok});
        return;
    }
    m_saveSent = true;
    m_session.sendLongCommand(settings->encodeCommand());
}

void IoSettingsPage::readIoSettings()
{
    m_session.sendCommand(Code::ReadIoSettings);
}

void IoSettingsPage::restoreFactoryIoSettings()
{
    m_session.sendCommand(Code::FactoryIoSettings);
}

void IoSettingsPage::requestAnalogCalibration()
{
    emit analogCalibrationRequested();
}

int IoSettingsPage::analogMode() const
{
    if (ui->RB_amode010V->isChecked())
        return 0;
    if (ui->RB_amode020mA->isChecked())
        return 1;
    if (ui->RB_amode420mA->isChecked())
        return 2;
    return m_analogMode;
}

void IoSettingsPage::setAnalogMode(int mode)
{
    const bool voltageOutput = m_session.protocol().AnalogOutVariant() == 0;
    ui->RB_amode010V->setEnabled(voltageOutput);
    ui->RB_amode020mA->setEnabled(!voltageOutput);
    ui->RB_amode420mA->setEnabled(!voltageOutput);
    QRadioButton *const buttons[ModeCount] = {ui->RB_amode010V, ui->RB_amode020mA, ui->RB_amode420mA};
    if (mode >= 0 && mode < ModeCount) {
        buttons[mode]->setChecked(true);
        m_analogMode = mode;
    }
}

void IoSettingsPage::applyAnalogMode()
{
    m_analogMode = analogMode();
    const ModeLabels &labels = Modes[m_analogMode];
    ui->Label_VoutMin->setText(GetTextOrDefault(QString::fromLatin1(labels.minId)));
    ui->Label_VoutMax->setText(GetTextOrDefault(QString::fromLatin1(labels.maxId)));
    m_session.setAnalogOutput(QString::fromLatin1(labels.unitSuffix), labels.fullScale);
}

void IoSettingsPage::refreshOutput(const OutputControls &out)
{
    // Only the enabling changes; disabled controls keep their values.
    const bool active = out.source->currentIndex() > 0;
    const bool second = active && out.condition->currentIndex() > 0;
    out.mode1->setEnabled(active);
    out.number1->setEnabled(active);
    out.condition->setEnabled(active);
    out.state->setEnabled(active);
    out.mode2->setEnabled(second);
    out.number2->setEnabled(second);
}

void IoSettingsPage::refreshOutput1()
{
    refreshOutput(m_outputs[0]);
}

void IoSettingsPage::refreshOutput2()
{
    refreshOutput(m_outputs[1]);
}

void IoSettingsPage::fillModbusAddresses()
{
    ui->Cb_ModbusAddress->clear();
    for (int address = 1; address <= AddressCount; ++address)
        ui->Cb_ModbusAddress->addItem(QString::number(address));
    ui->Cb_ModbusAddress->setCurrentIndex(0);
    ui->ComboBox_UartParity->setCurrentIndex(0);
}

