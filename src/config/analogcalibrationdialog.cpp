#include "analogcalibrationdialog.h"

#include "ui_analogcalibrationdialog.h"

#include "analogcalibration.h"
#include "modulesession.h"
#include "protocolcodes.h"
#include "settingfield.h"
#include "valueformat.h"

namespace {
constexpr int ReadingDecimals = 3;
constexpr quint8 VoltageOutput = 0;
constexpr quint8 CurrentOutput = 1;
constexpr float ForcedVoltage = 9.0f;
constexpr float ForcedCurrent = 18.0f;
} // namespace

AnalogCalibrationDialog::AnalogCalibrationDialog(ModuleSession &session, QWidget *parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::AnalogCalibrationDialog>()), m_session(session)
{
    ui->setupUi(this);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    setFixedSize(size());

    connect(ui->Button1, &QPushButton::clicked, this, &AnalogCalibrationDialog::startCalibration);
    connect(ui->Button2, &QPushButton::clicked, this, &AnalogCalibrationDialog::stopCalibration);
    connect(ui->Btn_Calib_0_10, &QPushButton::clicked, this, &AnalogCalibrationDialog::storeVoltage);
    connect(ui->Btn_Calib_4_20, &QPushButton::clicked, this, &AnalogCalibrationDialog::storeCurrent);
    connect(ui->Btn_readFactors, &QPushButton::clicked, this, &AnalogCalibrationDialog::readFactors);
    connect(&m_session.protocol(), &DeviceProtocol::ioSettingsReceived, this, [this](const OtherSettings &settings) {
        showFactors(settings.calibrationFactorVoltage, settings.calibrationFactorCurrent);
    });
}

AnalogCalibrationDialog::~AnalogCalibrationDialog() = default;

void AnalogCalibrationDialog::showFactors(float voltage, float current)
{
    ui->Label_CalibVal_0_10V->setText(formatFixed(voltage, ReadingDecimals));
    ui->Label_CalibVal_0_20mA->setText(formatFixed(current, ReadingDecimals));
}

void AnalogCalibrationDialog::startCalibration()
{
    AnalogCalibrationStart start;
    const bool voltage = ui->Rb_0_10V->isChecked();
    start.output = voltage ? VoltageOutput : CurrentOutput;
    start.test = ui->Cb_Test->isChecked() ? 1 : 0;
    start.forcedValue = voltage ? ForcedVoltage : ForcedCurrent;
    m_session.sendLongCommand(start.encode());
}

void AnalogCalibrationDialog::stopCalibration()
{
    m_session.sendCommand(Code::AnalogCalibrationStop);
}

void AnalogCalibrationDialog::store(quint8 output, float value)
{
    AnalogCalibrationStore command;
    command.output = output;
    command.measured = value;
    m_session.sendLongCommand(command.encode());
}

void AnalogCalibrationDialog::storeVoltage()
{
    float value = 0.0f;
    if (CheckFloatEdit(ui->Edit1_0_10V, ReadingDecimals, MinVoltage, MaxVoltage, value))
        store(VoltageOutput, value);
}

void AnalogCalibrationDialog::storeCurrent()
{
    float value = 0.0f;
    if (CheckFloatEdit(ui->Edit1_4_20mA, ReadingDecimals, MinCurrent, MaxCurrent, value))
        store(CurrentOutput, value);
}

void AnalogCalibrationDialog::readFactors()
{
    m_session.sendCommand(Code::ReadIoSettings);
}
