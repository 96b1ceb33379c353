#include "sensorsettingspage.h"

#include "ui_sensorsettingspage.h"

#include "dialogs.h"
#include "livedisplay.h"
#include "messageids.h"
#include "messagetable.h"
#include "modulesession.h"
#include "protocolcodes.h"
#include "settingfield.h"
#include "settingrules.h"
#include "valueformat.h"

#include <QMouseEvent>

#include <utility>

namespace {

using namespace SettingRules;

const char *const SumFormulaIds[ActiveInputChoices] = {Msg::IDS_84, Msg::IDS_85, Msg::IDS_86, Msg::IDS_87};

// Measuring frequency per channel by active inputs: fast, slow.
const char *const Frequencies[ActiveInputChoices][2] = {
    {"80 Hz", "10 Hz"}, {"9,8 Hz", "1,2 Hz"}, {"6,5 Hz", "0,8 Hz"}, {"4,9 Hz", "0,6 Hz"}};

} // namespace

SensorSettingsPage::SensorSettingsPage(ModuleSession &session, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::SensorSettingsPage>()), m_session(session)
{
    ui->setupUi(this);
    m_sensors[0] = {ui->GroupBox_Tens1, ui->Label_ValTens1, ui->Edit_TRange1, ui->Edit_TSens1,
                    ui->CB_Tens1Sign, ui->Btn_Tens1Zero};
    m_sensors[1] = {ui->GroupBox_Tens2, ui->Label_ValTens2, ui->Edit_TRange2, ui->Edit_TSens2,
                    ui->CB_Tens2Sign, ui->Btn_Tens2Zero};
    m_sensors[2] = {ui->GroupBox_Tens3, ui->Label_ValTens3, ui->Edit_TRange3, ui->Edit_TSens3,
                    ui->CB_Tens3Sign, ui->Btn_Tens3Zero};
    m_sensors[3] = {ui->GroupBox_Tens4, ui->Label_ValTens4, ui->Edit_TRange4, ui->Edit_TSens4,
                    ui->CB_Tens4Sign, ui->Btn_Tens4Zero};

    for (int k = 0; k < 4; ++k) {
        connect(m_sensors[k].zero, &QPushButton::clicked, this, [this, k] { zeroInput(k + 1); });
        // Sensor 1's group has no click reaction. The group's controls are
        // watched too: a disabled button or check box keeps its clicks.
        if (k > 0) {
            m_sensors[k].group->installEventFilter(this);
            for (QWidget *child : m_sensors[k].group->findChildren<QWidget *>())
                child->installEventFilter(this);
        }
    }
    connect(ui->Btn_SetTensSettings, &QPushButton::clicked, this, &SensorSettingsPage::saveSensorSettings);
    connect(ui->Btn_ReadTensSettings, &QPushButton::clicked, this, &SensorSettingsPage::readSensorSettings);
    connect(ui->Button_TensSettingFactory, &QPushButton::clicked, this,
            &SensorSettingsPage::restoreFactorySensorSettings);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &SensorSettingsPage::zeroAllInputs);
    connect(ui->Btn_SumTara, &QPushButton::clicked, this, &SensorSettingsPage::tareSum);
    connect(ui->Btn_TensCalibrate, &QPushButton::clicked, this, &SensorSettingsPage::showSensorCalibration);
    connect(ui->Cb_SelTens, &QComboBox::activated, this, &SensorSettingsPage::applyActiveInputs);
    connect(ui->Rb_SpeedHI, &QRadioButton::clicked, this, &SensorSettingsPage::refreshFrequency);
    connect(ui->Rb_SpeedLO, &QRadioButton::clicked, this, &SensorSettingsPage::refreshFrequency);
    connect(ui->Cb_Decp, &QComboBox::currentIndexChanged, this,
            [this] { m_session.setDecimalPlaces(decimalPlaces()); });
    m_session.setDecimalPlaces(decimalPlaces());

    const DeviceProtocol &protocol = m_session.protocol();
    connect(&protocol, &DeviceProtocol::sensorSettingsReceived, this, &SensorSettingsPage::applyReport);
    connect(&protocol, &DeviceProtocol::sensorSettingsWritten, this,
            &SensorSettingsPage::onWriteAcknowledged);
    connect(&protocol, &DeviceProtocol::commandNotAnswered, this, &SensorSettingsPage::onNotAnswered);
}

SensorSettingsPage::~SensorSettingsPage() = default;

void SensorSettingsPage::load(const TensSettings &settings)
{
    for (int k = 0; k < 4; ++k) {
        const SensorBlock &block = settings.sensors[k];
        m_sensors[k].range->setText(QString::number(block.ratedCapacityN));
        m_sensors[k].sensitivity->setText(formatFixed(block.ratedOutputMvPerV, RatedOutputDecimals));
        m_sensors[k].sign->setChecked(block.reversed());
    }
    if (settings.filterLevel < FilterLevels && settings.filterLevel < ui->Cb_FiltLevel->count())
        ui->Cb_FiltLevel->setCurrentIndex(settings.filterLevel);
    const bool fast = settings.speed != 0;
    ui->Rb_SpeedHI->setChecked(fast);
    ui->Rb_SpeedLO->setChecked(!fast);
    if (settings.unitIndex < Units)
        ui->Cb_Units->setCurrentIndex(settings.unitIndex);
    if (settings.activeInputsIndex < ActiveInputChoices)
        ui->Cb_SelTens->setCurrentIndex(settings.activeInputsIndex);
    ui->Edit_SumOffset->setText(formatFixed(settings.sumOffset, decimalPlaces()));
}

void SensorSettingsPage::applyReport(const TensSettings &settings)
{
    load(settings); // the session took the ranges, active inputs and unit from the report
    refreshSumFormula();
    applyActiveInputs(); // the frequency label and the enabling
}

void SensorSettingsPage::onWriteAcknowledged()
{
    m_saveSent = false;
    refreshFrequency();
    refreshSumFormula();
}

std::optional<TensSettings> SensorSettingsPage::collect() const
{
    TensSettings settings;
    bool valid = true;
    // Every field is checked, disabled ones too, and one failure does not
    // stop the others, so every bad field ends up painted.
    for (int k = 0; k < 4; ++k) {
        SensorBlock &block = settings.sensors[k];
        valid &= CheckIntEdit(m_sensors[k].range, MinCapacityN, MaxCapacityN, block.ratedCapacityN);
        valid &= CheckFloatEdit(m_sensors[k].sensitivity, RatedOutputDecimals, MinRatedOutput,
                                MaxRatedOutput, block.ratedOutputMvPerV);
        block.sign = m_sensors[k].sign->isChecked() ? -1 : 1;
        block.reserved = 0;
    }
    // With no item selected an index of -1 goes out as 0xFF.
    settings.filterLevel = quint8(ui->Cb_FiltLevel->currentIndex());
    settings.speed = ui->Rb_SpeedHI->isChecked() ? 1 : 0;
    settings.unitIndex = quint8(ui->Cb_Units->currentIndex());
    settings.activeInputsIndex = quint8(ui->Cb_SelTens->currentIndex());
    valid &= CheckFloatEdit(ui->Edit_SumOffset, decimalPlaces(), -ValueLimit, ValueLimit,
                            settings.sumOffset);
    if (!valid)
        return std::nullopt;
    return settings;
}

void SensorSettingsPage::showLoaded(const TensSettings &settings)
{
    load(settings);
    applyActiveInputs();
    collect(); // paints every field in the colour of its check
}

bool SensorSettingsPage::writeRatedOutput(const TensSettings &reported, int input, float ratedOutput)
{
    if (input < 1 || input > 4)
        return false;
    load(reported);
    QLineEdit *field = m_sensors[input - 1].sensitivity;
    field->setText(formatFixed(ratedOutput, RatedOutputDecimals));
    // Only this field is taken from the page: the others go out exactly as
    // reported, whatever the chosen decimal places would round them to.
    TensSettings written = reported.asWritten();
    if (!CheckFloatEdit(field, RatedOutputDecimals, MinRatedOutput, MaxRatedOutput,
                        written.sensors[input - 1].ratedOutputMvPerV))
        return false;
    m_saveSent = false; // the calibration window tells its own
    m_session.writeSensorSettings(written);
    return true;
}

void SensorSettingsPage::saveSensorSettings()
{
    const std::optional<TensSettings> settings = collect();
    if (!settings) {
        Dialogs::show(this, {QMessageBox::Warning, GetTextOrDefault(Msg::IDS_68),
                             GetTextOrDefault(Msg::IDS_67), QMessageBox::Ok});
        return;
    }
    m_saveSent = true;
    m_session.writeSensorSettings(*settings);
}

void SensorSettingsPage::onNotAnswered(quint8 code)
{
    if (code != Code::WriteSensorSettings || !std::exchange(m_saveSent, false))
        return;
    Dialogs::show(this, {QMessageBox::Warning, GetTextOrDefault(Msg::IDS_68),
                         GetTextOrDefault(Msg::KLV_SettingsNotAcknowledged), QMessageBox::Ok});
}

void SensorSettingsPage::sendCommand(quint8 code)
{
    m_session.sendCommand(code);
}

void SensorSettingsPage::readSensorSettings()
{
    sendCommand(Code::ReadSensorSettings);
}

void SensorSettingsPage::restoreFactorySensorSettings()
{
    sendCommand(Code::FactorySensorSettings);
}

void SensorSettingsPage::zeroInput(int input)
{
    if (input >= 1 && input <= 4)
        sendCommand(quint8(Code::ZeroInput1 + input - 1));
}

void SensorSettingsPage::zeroAllInputs()
{
    sendCommand(Code::ZeroAllInputs);
}

void SensorSettingsPage::tareSum()
{
    sendCommand(Code::TareSum);
}

void SensorSettingsPage::showSensorCalibration()
{
    emit sensorCalibrationRequested();
}

void SensorSettingsPage::applyActiveInputs()
{
    refreshFrequency();
    const int index = ui->Cb_SelTens->currentIndex();
    for (int k = 1; k < 4; ++k) {
        const bool enabled = k <= index;
        const SensorControls &s = m_sensors[k];
        for (QWidget *w : {static_cast<QWidget *>(s.range), static_cast<QWidget *>(s.sensitivity),
                           static_cast<QWidget *>(s.value), static_cast<QWidget *>(s.sign),
                           static_cast<QWidget *>(s.zero)})
            w->setEnabled(enabled);
    }
}

void SensorSettingsPage::refreshFrequency()
{
    const int index = ui->Cb_SelTens->currentIndex();
    if (index < 0 || index >= ActiveInputChoices)
        return;
    ui->Label_MesFreq->setText(QString::fromUtf8(Frequencies[index][ui->Rb_SpeedHI->isChecked() ? 0 : 1]));
}

void SensorSettingsPage::explainInactiveSensor(int input)
{
    if (input < 2 || input > 4 || m_sensors[input - 1].range->isEnabled())
        return;
    Dialogs::show(this, {QMessageBox::NoIcon, GetTextOrDefault(Msg::IDS_160),
                         GetTextOrDefault(Msg::IDS_159), QMessageBox::Ok});
}

bool SensorSettingsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease ||
        static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton || !watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    auto *widget = static_cast<QWidget *>(watched);
    for (int k = 1; k < 4; ++k) {
        QGroupBox *group = m_sensors[k].group;
        // A click on the group itself, or on one of its disabled controls;
        // enabled controls handle their own clicks.
        if (widget == group || (!widget->isEnabled() && group->isAncestorOf(widget))) {
            explainInactiveSensor(k + 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SensorSettingsPage::refreshSumFormula()
{
    const int index = ui->Cb_SelTens->currentIndex();
    if (index >= 0 && index < ActiveInputChoices)
        ui->Lab_SummaryValInfo->setText(GetTextOrDefault(QString::fromLatin1(SumFormulaIds[index])));
}

void SensorSettingsPage::fillFilterLevels()
{
    ui->Cb_FiltLevel->clear();
    for (int i = 0; i < FilterLevels; ++i)
        ui->Cb_FiltLevel->addItem(QString::number(i));
    ui->Cb_FiltLevel->setCurrentIndex(0);
}

int SensorSettingsPage::decimalPlaces() const
{
    return decimalPlacesOf(ui->Cb_Decp->currentIndex());
}

void SensorSettingsPage::setDecimalPlaces(int index)
{
    ui->Cb_Decp->setCurrentIndex(index >= 0 && index < ui->Cb_Decp->count() ? index : -1);
}

int SensorSettingsPage::decimalPlacesIndex() const
{
    return ui->Cb_Decp->currentIndex();
}

void SensorSettingsPage::showLive(const LiveDisplay &display)
{
    if (!display.connected) // the last values stay when the module goes away
        return;
    for (int k = 0; k < 4; ++k)
        m_sensors[k].value->setText(display.inputTexts[k]);
}
