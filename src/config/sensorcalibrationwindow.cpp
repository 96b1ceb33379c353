#include "sensorcalibrationwindow.h"

#include "ui_sensorcalibrationwindow.h"

#include "dialogs.h"
#include "livedisplay.h"
#include "messageids.h"
#include "messagetable.h"
#include "modulesession.h"
#include "protocolcodes.h"
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

SensorCalibrationWindow::SensorCalibrationWindow(const ModuleSession &session, SensorSettingsPage &page,
                                                 QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::SensorCalibrationWindow>()), m_session(session),
      m_reported(session), m_page(page)
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
    const DeviceProtocol &protocol = session.protocol();
    connect(&protocol, &DeviceProtocol::sensorSettingsReceived, this, &SensorCalibrationWindow::refreshProposal);
    connect(&protocol, &DeviceProtocol::sensorSettingsWritten, this, &SensorCalibrationWindow::onWriteAcknowledged);
    connect(&protocol, &DeviceProtocol::commandNotAnswered, this, &SensorCalibrationWindow::onNotAnswered);
    connect(&session.link(), &DeviceLink::connectionStateChanged, this, [this](const ConnectionState &state) {
        if (!state.isConnected())
            onConnectionLost();
    });
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
    ui->Label_KnownLoadUnit->setText(m_session.display().UnitSuffix.trimmed());
    const std::optional<TensSettings> &reported = m_reported.sensors();
    if (!reported) {
        ui->Label_CalibRatedNow->setText(NoValue);
        ui->Label_CalibRatedNew->setText(NoValue);
        return;
    }
    ui->Label_CalibRatedNow->setText(
        formatFixed(reported->sensors[input() - 1].ratedOutputMvPerV, SettingRules::RatedOutputDecimals));
    const FloatFieldCheck known = checkFloatText(ui->Edit_KnownLoad->text(), m_session.display().decimalPlaces,
                                                 -SettingRules::ValueLimit, SettingRules::ValueLimit);
    const RatedOutputProposal proposal = proposalFor(*reported, known.ok ? known.value : 0.0f);
    ui->Label_CalibRatedNew->setText(
        m_session.isConnected() && proposal.problem == RatedOutputProposal::Problem::None
            ? formatFixed(proposal.ratedOutput, SettingRules::RatedOutputDecimals)
            : NoValue);
}

RatedOutputProposal SensorCalibrationWindow::proposalFor(const TensSettings &reported, float knownLoad) const
{
    return proposeRatedOutput(input(), reported.activeInputsIndex,
                              reported.sensors[input() - 1].ratedOutputMvPerV,
                              m_session.protocol().liveValues().input(input()), knownLoad);
}

void SensorCalibrationWindow::refuse(const QString &text)
{
    ui->Label_CalibStatus->setText(text);
    Dialogs::show(this, {QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok});
}

void SensorCalibrationWindow::zeroSensor()
{
    if (!m_session.isConnected()) {
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
    if (!m_session.isConnected() || !reported) {
        refuse(text(Msg::KLV_CalibNotReady));
        return;
    }
    // A known load that fails its check is painted and counts as none.
    float known = 0.0f;
    if (!CheckFloatEdit(ui->Edit_KnownLoad, m_session.display().decimalPlaces, -SettingRules::ValueLimit,
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

void SensorCalibrationWindow::onNotAnswered(quint8 code)
{
    if (code == Code::WriteSensorSettings)
        endPendingWrite(GetTextOrDefault(Msg::KLV_RatedOutputNotAcknowledged));
}
