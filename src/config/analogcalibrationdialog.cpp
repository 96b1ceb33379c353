#include "analogcalibrationdialog.h"

#include "ui_analogcalibrationdialog.h"

#include "analogcalibration.h"
#include "deviceprotocol.h"
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

AnalogCalibrationDialog::AnalogCalibrationDialog(DeviceProtocol *protocol, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::AnalogCalibrationDialog>()), m_protocol(protocol)
{
    ui->setupUi(this);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    setFixedSize(size());

    connect(ui->Button1, &QPushButton::clicked, this, &AnalogCalibrationDialog::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &AnalogCalibrationDialog::Button2Click);
    connect(ui->Btn_Calib_0_10, &QPushButton::clicked, this, &AnalogCalibrationDialog::Btn_Calib_0_10Click);
    connect(ui->Btn_Calib_4_20, &QPushButton::clicked, this, &AnalogCalibrationDialog::Btn_Calib_4_20Click);
    connect(ui->Btn_readFactors, &QPushButton::clicked, this, &AnalogCalibrationDialog::Btn_readFactorsClick);
}

AnalogCalibrationDialog::~AnalogCalibrationDialog() = default;

void AnalogCalibrationDialog::showFactors(float voltage, float current)
{
    ui->Label_CalibVal_0_10V->setText(formatFixed(voltage, ReadingDecimals));
    ui->Label_CalibVal_0_20mA->setText(formatFixed(current, ReadingDecimals));
}

void AnalogCalibrationDialog::Button1Click()
{
    if (!m_protocol)
        return;
    AnalogCalibrationStart start;
    const bool voltage = ui->Rb_0_10V->isChecked();
    start.output = voltage ? VoltageOutput : CurrentOutput;
    start.test = ui->Cb_Test->isChecked() ? 1 : 0;
    start.forcedValue = voltage ? ForcedVoltage : ForcedCurrent;
    m_protocol->setPollEnabled(false);
    m_protocol->SendCommandReport(start.encode());
}

void AnalogCalibrationDialog::Button2Click()
{
    if (m_protocol)
        m_protocol->SendCommand(Code::AnalogCalibrationStop);
}

void AnalogCalibrationDialog::store(quint8 output, float value)
{
    if (!m_protocol)
        return;
    AnalogCalibrationStore command;
    command.output = output;
    command.measured = value;
    m_protocol->setPollEnabled(false);
    m_protocol->SendCommandReport(command.encode());
}

void AnalogCalibrationDialog::Btn_Calib_0_10Click()
{
    float value = 0.0f;
    if (CheckFloatEdit(ui->Edit1_0_10V, ReadingDecimals, MinVoltage, MaxVoltage, value))
        store(VoltageOutput, value);
}

void AnalogCalibrationDialog::Btn_Calib_4_20Click()
{
    float value = 0.0f;
    if (CheckFloatEdit(ui->Edit1_4_20mA, ReadingDecimals, MinCurrent, MaxCurrent, value))
        store(CurrentOutput, value);
}

void AnalogCalibrationDialog::Btn_readFactorsClick()
{
    if (m_protocol)
        m_protocol->SendCommand(Code::ReadIoSettings);
}
