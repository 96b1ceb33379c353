#include "sensorcalibrationwindow.h"

#include "ui_sensorcalibrationwindow.h"

#include "dialogs.h"
#include "livedisplay.h"
#include "messagetable.h"
#include "modulesession.h"
#include "protocolcodes.h"
#include "sensorcalibration.h"
#include "sensorsettingspage.h"
#include "settingfield.h"
#include "settingrules.h"
#include "valueformat.h"

namespace {

struct WindowText {
    const char *objectName;
    const char *polish;
    const char *english;
};

const WindowText Texts[] = {
    {"Label1",
     "Funkcja kalibracji pozwala automatycznie odczytać parametr \"stała mostka\" na podstawie zadanego "
     "obciążenia.",
     "The calibration reads the sensor's rated output from a known load."},
    {"Label_CalibStep1", "1) Wybierz czujnik:", "1) Choose the sensor:"},
    {"Label_CalibStep2", "2) Odciąż czujnik i wyzeruj go:", "2) Unload the sensor and zero it:"},
    {"Label_CalibStep3", "3) Obciąż go znanym obciążeniem:", "3) Put a known load on it:"},
    {"Label_CalibLiveCaption", "Wartość aktualna:", "Actual value:"},
    {"Label_CalibRatedNowCaption", "Stała czujnika teraz [mV/V]:", "Rated output now [mV/V]:"},
    {"Label_CalibRatedNewCaption", "Stała czujnika po kalibracji [mV/V]:", "Rated output after calibration [mV/V]:"},
    {"Btn_CalibApply", "4) Zapisz stałą czujnika", "4) Write the rated output"},
    {"Btn_CalibClose", "Zamknij", "Close"},
};

QString own(const char *polish, const char *english)
{
    return ownText(QString::fromUtf8(polish), QString::fromUtf8(english));
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
    retranslate();
    refreshProposal();
    QDialog::showEvent(event);
}

void SensorCalibrationWindow::retranslate()
{
    for (const WindowText &text : Texts) {
        const QString translated = own(text.polish, text.english);
        QWidget *widget = findChild<QWidget *>(QLatin1String(text.objectName));
        if (auto *label = qobject_cast<QLabel *>(widget))
            label->setText(translated);
        else if (auto *button = qobject_cast<QPushButton *>(widget))
            button->setText(translated);
    }
    setWindowTitle(own("Kalibracja czujnika", "Sensor calibration"));
    for (int k = 0; k < ui->Cb_CalibSensor->count(); ++k)
        ui->Cb_CalibSensor->setItemText(k, own("Czujnik %1", "Sensor %1").arg(k + 1));
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
        refuse(own("Moduł nie jest podłączony.", "The module is not connected."));
        return;
    }
    m_page.zeroInput(input());
    ui->Label_CalibStatus->setText(
        own("Czujnik %1 wyzerowany. Teraz obciąż go i wpisz obciążenie.",
            "Sensor %1 zeroed. Now put the load on it and enter its value.")
            .arg(input()));
}

void SensorCalibrationWindow::writeRatedOutput()
{
    using Problem = RatedOutputProposal::Problem;
    const std::optional<TensSettings> &reported = m_reported.sensors();
    if (!m_session.isConnected() || !reported) {
        refuse(own("Moduł nie jest podłączony albo jego ustawienia nie zostały jeszcze odczytane.",
                   "The module is not connected, or its settings have not been read yet."));
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
        refuse(proposalProblemText(proposal.problem));
        return;
    }
    const QString question =
        own("Zapisać w module nową stałą czujnika %1?\n%3 mV/V  →  %2 mV/V",
            "Write a new rated output for sensor %1 to the module?\n%3 mV/V  →  %2 mV/V")
            .arg(k)
            .arg(formatFixed(proposal.ratedOutput, SettingRules::RatedOutputDecimals),
                 formatFixed(now, SettingRules::RatedOutputDecimals));
    if (Dialogs::show(this, {QMessageBox::Question, windowTitle(), question,
                             QMessageBox::Yes | QMessageBox::No}) != QMessageBox::Yes)
        return;
    if (!m_page.writeRatedOutput(*reported, k, proposal.ratedOutput)) {
        refuse(proposalProblemText(Problem::OutOfRange));
        return;
    }
    m_writePending = true;
    ui->Label_CalibStatus->setText(own("Wysłano do modułu; czekam na potwierdzenie.",
                                       "Sent to the module; waiting for its acknowledgement."));
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
    endPendingWrite(own("Moduł zapisał nową stałą. Wartość aktualna powinna teraz równać się "
                        "znanemu obciążeniu.",
                        "The module stored the new rated output. The actual value should now "
                        "equal the known load."));
}

void SensorCalibrationWindow::onConnectionLost()
{
    endPendingWrite(own("Moduł odłączył się przed potwierdzeniem zapisu. Po ponownym podłączeniu "
                        "sprawdź stałą czujnika.",
                        "The module went away before acknowledging the write. Check the rated "
                        "output once it is back."));
}

void SensorCalibrationWindow::onNotAnswered(quint8 code)
{
    if (code == Code::WriteSensorSettings)
        endPendingWrite(GetTextOrDefault(QStringLiteral("KLV_RatedOutputNotAcknowledged")));
}
