#include "recordingpage.h"

#include "ui_recordingpage.h"

#include "dialogs.h"
#include "messageids.h"
#include "messagetable.h"
#include "modulesession.h"
#include "statusfield.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
constexpr int StatusFontPx = 12;
} // namespace

RecordingPage::RecordingPage(const ModuleSession &session, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::RecordingPage>()), m_module(session)
{
    ui->setupUi(this);
    m_columnBoxes = {ui->Checkbox_SaveDate, ui->Checkbox_SaveTime, ui->Checkbox_SaveDataCnt,
                     ui->Cb_SaveDataSummary, ui->Cb_SaveDataSens1, ui->Cb_SaveDataSens2,
                     ui->Cb_SaveDataSens3, ui->Cb_SaveDataSens4};
    // Pixel size in code: a style sheet would hide the status colours.
    QFont statusFont(QStringLiteral("Calibri"));
    statusFont.setPixelSize(StatusFontPx);
    ui->AcquisitionStatus->setFont(statusFont);

    connect(ui->Checkbox_Acquistion, &QCheckBox::clicked, this, &RecordingPage::switchRecording);
    connect(ui->Button_SaveFilePath, &QPushButton::clicked, this, &RecordingPage::chooseFile);
    connect(&m_module.protocol(), &DeviceProtocol::frameStored, this, &RecordingPage::recordingStep);
    connect(&m_session, &RecordingSession::failed, this, &RecordingPage::showFailure);
}

RecordingPage::~RecordingPage() = default; // the file closes with its lines on disk

void RecordingPage::applyPreferences(const RecordingPreferences &p)
{
    if (ui->Checkbox_Acquistion->isChecked() != p.Checkbox_DataAcquistion) {
        ui->Checkbox_Acquistion->setChecked(p.Checkbox_DataAcquistion);
        switchRecording();
    }
    const int speed = p.DataAcquistionSpeed;
    ui->ComboBox_AcquistionTime->setCurrentIndex(
        speed >= 0 && speed < ui->ComboBox_AcquistionTime->count() ? speed : -1);
    ui->Edit_FileName->setText(p.FileName);
    for (int k = 0; k < RecordColumnCount; ++k)
        m_columnBoxes[k]->setChecked(p.columns[k]);
}

RecordingPreferences RecordingPage::preferences() const
{
    RecordingPreferences p;
    p.Checkbox_DataAcquistion = ui->Checkbox_Acquistion->isChecked();
    p.DataAcquistionSpeed = ui->ComboBox_AcquistionTime->currentIndex();
    p.FileName = ui->Edit_FileName->text();
    p.columns = columns();
    return p;
}

RecordColumns RecordingPage::columns() const
{
    RecordColumns chosen{};
    for (int k = 0; k < RecordColumnCount; ++k)
        chosen[k] = m_columnBoxes[k]->isChecked();
    return chosen;
}

void RecordingPage::recordingStep()
{
    if (m_session.isOn())
        m_session.frameStored({ui->Edit_FileName->text(), columns(),
                               ui->ComboBox_AcquistionTime->currentIndex(), m_module.display().decimalPlaces},
                              m_module.protocol().liveValues());
    const bool active = ui->Checkbox_Acquistion->isChecked() && m_module.isConnected();
    setStatusField(ui->AcquisitionStatus, active, GetTextOrDefault(Msg::IDS_111),
                   GetTextOrDefault(Msg::IDS_112));
    emit recordingShown(active);
}

void RecordingPage::switchRecording()
{
    const bool on = ui->Checkbox_Acquistion->isChecked();
    ui->Button_SaveFilePath->setEnabled(!on);
    if (on)
        m_session.switchOn();
    else
        m_session.switchOff();
}

void RecordingPage::closeFileQuietly()
{
    disconnect(&m_session, &RecordingSession::failed, this, &RecordingPage::showFailure);
    connect(&m_session, &RecordingSession::failed, this, [](const QString &errorString) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(errorString));
    });
    m_session.switchOff();
}

void RecordingPage::showFailure(const QString &errorString)
{
    // One warning, and recording is off: nothing pretends to record.
    ui->Checkbox_Acquistion->setChecked(false);
    ui->Button_SaveFilePath->setEnabled(true);
    Dialogs::show(this, {QMessageBox::Warning, GetTextOrDefault(Msg::IDS_68),
                         GetTextOrDefault(Msg::KLV_RecordingNotWritten).arg(errorString) + QLatin1Char('\n') +
                             GetTextOrDefault(Msg::KLV_RecordingSwitchedOff),
                         QMessageBox::Ok});
}

void RecordingPage::chooseFile()
{
    // Recording only appends, so choosing an existing file replaces nothing.
    QString filter;
    const QString chosen =
        Dialogs::saveFileName(this, RecordFileFilters, &filter, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return;
    ui->Edit_FileName->setText(recordFileNameFor(chosen, filter));
    emit fileNameChosen(ui->Edit_FileName->text());
}
