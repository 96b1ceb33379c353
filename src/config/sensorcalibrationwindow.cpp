#include "sensorcalibrationwindow.h"

#include "ui_sensorcalibrationwindow.h"

#include "devicelink.h"
#include "deviceprotocol.h"
#include "dialogs.h"
#include "displaystate.h"
#include "livedisplay.h"
#include "messageids.h"
#include "messagetable.h"
#include "reportedsettings.h"
#include "sensorcalibration.h"
#include "sensorsettingspage.h"
#include "settingfield.h"
#include "settingrules.h"
#include "valueformat.h"

namespace {

QString text(const char *id)
{
    return GetTextOrDefault(QString::fromLatin1(id));
}

// The refusal for a proposal's problem, in the active language.
QString problemText(RatedOutputProposal::Problem problem)
{
    using Problem = RatedOutputProposal::Problem;
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::InactiveSensor:
        return text(Msg::KLV_CalibInactiveSensor);
    case Problem::NoKnownLoad:
        return text(Msg::KLV_CalibNoKnownLoad);
    case Problem::NoReading:
        return text(Msg::KLV_CalibNoReading);
    case Problem::OppositeSign:
        return text(Msg::KLV_CalibOppositeSign);
    case Problem::OutOfRange:
        return text(Msg::KLV_CalibOutOfRange);
    }
    return {};
}

const QString NoValue = QStringLiteral("---");

} // namespace

SensorCalibrationWindow::SensorCalibrationWindow(const DeviceLink &link, const DeviceProtocol &protocol,
                                                 const ReportedSettings &reported,
                                                 SensorSettingsPage &page, const DisplayState &state,
                                                 QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::SensorCalibrationWindow>()), m_link(link),
      m_protocol(protocol), m_reported(reported), m_page(page), m_state(state)
{
    ui->setupUi(this);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    setModal(true);

    connect(ui->Btn_CalibZero, &QPushButton::clicked, this, &SensorCalibrationWindow::zeroSensor);
    connect(ui->Btn_CalibApply, &QPushButton::clicked, this, &SensorCalibrationWindow::writeRatedOutput);
    connect(ui->Btn_CalibClose, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->Cb_CalibSensor, &QComboBox::currentIndexChanged, this, [this] {
        ui->Label_CalibStatus->clear();
        refreshProposal();
    });
    connect(ui->Edit_KnownLoad, &QLineEdit::textChanged, this, &SensorCalibrationWindow::refreshProposal);
    connect(&protocol, &DeviceProtocol::sensorSettingsReceived, this, &SensorCalibrationWindow::refreshProposal);
    connect(&protocol, &DeviceProtocol::sensorSettingsWritten, this, &SensorCalibrationWindow::onWriteAcknowledged);
    connect(&link, &DeviceLink::connectionLostShown, this, &SensorCalibrationWindow::onConnectionLost);
}

SensorCalibrationWindow::~SensorCalibrationWindow() = default;

void SensorCalibrationWindow::showOrRaise()
{
    show();
    raise();
    activateWindow();
}

void SensorCalibrationWindow::showEvent(QShowEvent *event)
{
    refreshProposal();
    QDialog::showEvent(event);
}

int SensorCalibrationWindow::input() const
{
    return ui->Cb_CalibSensor->currentIndex() + 1;
}

void SensorCalibrationWindow::showLive(const LiveDisplay &display)
{
    if (!isVisible())
        return;
    ui->Label_CalibLive->setText(display.connected ? display.inputTexts[input() - 1] : DashesNoConnection);
    refreshProposal();
}

void SensorCalibrationWindow::refreshProposal()
{
    ui->Label_KnownLoadUnit->setText(m_state.UnitSuffix.trimmed());
    const std::optional<TensSettings> &reported = m_reported.sensors();
    if (!reported) {
        ui->Label_CalibRatedNow->setText(NoValue);
        ui->Label_CalibRatedNew->setText(NoValue);
        return;
    }
    ui->Label_CalibRatedNow->setText(
        formatFixed(reported->sensors[input() - 1].ratedOutputMvPerV, SettingRules::RatedOutputDecimals));
    const FloatFieldCheck known = checkFloatText(ui->Edit_KnownLoad->text(), m_state.decimalPlaces,
                                                 -SettingRules::ValueLimit, SettingRules::ValueLimit);
    const RatedOutputProposal proposal = proposalFor(*reported, known.ok ? known.value : 0.0f);
    ui->Label_CalibRatedNew->setText(
        m_link.isConnected() && proposal.problem == RatedOutputProposal::Problem::None
            ? formatFixed(proposal.ratedOutput, SettingRules::RatedOutputDecimals)
            : NoValue);
}

RatedOutputProposal SensorCalibrationWindow::proposalFor(const TensSettings &reported, float knownLoad) const
{
    return proposeRatedOutput(input(), reported.activeInputsIndex,
                              reported.sensors[input() - 1].ratedOutputMvPerV,
                              m_protocol.liveValues().input(input()), knownLoad);
}

void SensorCalibrationWindow::refuse(const QString &text)
{
    ui->Label_CalibStatus->setText(text);
    Dialogs::show(this, {QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok});
}

void SensorCalibrationWindow::zeroSensor()
{
    if (!m_link.isConnected()) {
        refuse(text(Msg::KLV_CalibNotConnected));
        return;
    }
    m_page.zeroInput(input());
    ui->Label_CalibStatus->setText(
        text(Msg::KLV_CalibSensorZeroed).arg(input()));
}

void SensorCalibrationWindow::writeRatedOutput()
{
    using Problem = RatedOutputProposal::Problem;
    const std::optional<TensSettings> &reported = m_reported.sensors();
    if (!m_link.isConnected() || !reported) {
        refuse(text(Msg::KLV_CalibNotReady));
        return;
    }
    // A known load that fails its check is painted and counts as none.
    float known = 0.0f;
    if (!CheckFloatEdit(ui->Edit_KnownLoad, m_state.decimalPlaces, -SettingRules::ValueLimit,
                        SettingRules::ValueLimit, known))
        known = 0.0f;
    const RatedOutputProposal proposal = proposalFor(*reported, known);
    const int k = input();
    const float now = reported->sensors[k - 1].ratedOutputMvPerV;
    if (proposal.problem != Problem::None) {
        refuse(problemText(proposal.problem));
        return;
    }
    const QString question =
        (text(Msg::KLV_CalibWriteQuestion) + QStringLiteral("\n%3 mV/V  →  %2 mV/V"))
            .arg(k)
            .arg(formatFixed(proposal.ratedOutput, SettingRules::RatedOutputDecimals),
                 formatFixed(now, SettingRules::RatedOutputDecimals));
    if (Dialogs::show(this, {QMessageBox::Question, windowTitle(), question,
                             QMessageBox::Yes | QMessageBox::No}) != QMessageBox::Yes)
        return;
    if (!m_page.writeRatedOutput(*reported, k, proposal.ratedOutput)) {
        refuse(problemText(Problem::OutOfRange));
        return;
    }
    m_writePending = true;
    ui->Label_CalibStatus->setText(text(Msg::KLV_CalibSent));
}

void SensorCalibrationWindow::endPendingWrite(const QString &status)
{
    if (!m_writePending)
        return;
    m_writePending = false;
    ui->Label_CalibStatus->setText(status);
}

void SensorCalibrationWindow::onWriteAcknowledged()
{
    endPendingWrite(text(Msg::KLV_CalibStored));
}

void SensorCalibrationWindow::onConnectionLost()
{
    endPendingWrite(text(Msg::KLV_CalibModuleGone));
}
