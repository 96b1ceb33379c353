#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "aboutdialog.h"
#include "analogcalibrationdialog.h"
#include "application.h"
#include "bigdisplaywindow.h"
#include "chartpage.h"
#include "dialogs.h"
#include "iosettingspage.h"
#include "languagecombo.h"
#include "measurementspage.h"
#include "messageids.h"
#include "messagetable.h"
#include "programsettings.h"
#include "recordingpage.h"
#include "reportedsettings.h"
#include "sensorcalibrationwindow.h"
#include "sensorsettingspage.h"
#include "settingsfilebar.h"
#include "colours.h"
#include "devicelink.h"
#include "deviceprotocol.h"
#include "programinfo.h"
#include "statusfield.h"
#include "translationstore.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QVBoxLayout>

#include <exception>

namespace {
constexpr int SettingsPageIndex = 3;
constexpr int MemoryCardPageIndex = 2;

// A holder caught before it wrote its name is shown with "?".
QString orUnknown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("?") : text;
}

QString holderPidText(const HidOpenProblem &problem)
{
    return orUnknown(problem.holderPid > 0 ? QString::number(problem.holderPid) : QString());
}

// The reason a present module did not connect and the way out, where the
// user looks first: on the connection field.
QString accessProblemHint(const HidOpenProblem &problem)
{
    if (problem.kind == HidOpenProblem::Kind::InUse)
        return GetTextOrDefault(QStringLiteral("KLV_ModuleInUseBy"))
                   .arg(problem.node, orUnknown(problem.holderProgram), holderPidText(problem)) +
               QLatin1Char('\n') + GetTextOrDefault(QStringLiteral("KLV_ModuleInUseWait"));
    if (problem.kind != HidOpenProblem::Kind::NoPermission)
        return {};
    return ownText(QStringLiteral("Moduł KLV57 jest podłączony, ale brak uprawnień\n"
                                  "do odczytu i zapisu pliku urządzenia %1.\n"
                                  "Zainstaluj regułę udev modułu (pakiet klv57-pc albo\n"
                                  "sudo cp packaging/70-klv57.rules /etc/udev/rules.d/\n"
                                  "&& sudo udevadm control --reload),\n"
                                  "a potem odłącz moduł i podłącz go ponownie."),
                   QStringLiteral("A KLV57 module is plugged in, but there is no permission\n"
                                  "to read and write its device file %1.\n"
                                  "Install the module's udev rule (the klv57-pc package, or\n"
                                  "sudo cp packaging/70-klv57.rules /etc/udev/rules.d/\n"
                                  "&& sudo udevadm control --reload),\n"
                                  "then unplug the module and plug it in again."))
        .arg(problem.node);
}

// A module that another program holds is shown as such in place of "no
// connection"; empty otherwise.
QString moduleInUseText(const HidOpenProblem &problem)
{
    if (problem.kind != HidOpenProblem::Kind::InUse)
        return {};
    return GetTextOrDefault(QStringLiteral("KLV_ModuleInUse")).arg(holderPidText(problem));
}

// Each page is a form of its own, filling its tab.
void hostPage(QWidget *tab, QWidget *page)
{
    auto *layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
}
} // namespace

MainWindow::MainWindow(DeviceLink &link, DeviceProtocol &protocol, const QString &settingsPath,
                       QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::MainWindow>()), m_link(link), m_protocol(protocol),
      m_displayTick(link, protocol, m_displayState, this), m_settingsFilePath(settingsPath),
      m_languageSwitch(*this, QStringLiteral("TForm1"), TranslationStore::mainWindow())
{
    Q_INIT_RESOURCE(pictures); // the pictures live in a static library
    ui->setupUi(this);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    setFixedSize(675, 619);
    move(0, 0);

    setUpLanguageSelector(ui->siLangCombo1);

    createPages();

    connect(&m_link, &DeviceLink::connectionStatusChanged, this, &MainWindow::showConnectionStatus);
    connect(&m_link, &DeviceLink::accessProblemChanged, this, &MainWindow::showAccessProblem);
    showAccessProblem();
    connect(&m_protocol, &DeviceProtocol::identified, this, &MainWindow::showConnectionText);
    connect(&m_protocol, &DeviceProtocol::statusMessage, ui->Label_Status, &QLabel::setText);
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(ui->siLangCombo1, &QComboBox::activated, this, &MainWindow::applyChosenLanguage);

    m_displayTick.start();

    // An error during start-up is shown; the window is still created and shown.
    try {
        startUp();
    } catch (const std::exception &e) {
        Application::showError(QString::fromLocal8Bit(e.what()));
    }
}

void MainWindow::createPages()
{
    m_measurementsPage = new MeasurementsPage(m_protocol, m_displayState);
    hostPage(ui->TabSheet1, m_measurementsPage);
    m_sensorSettingsPage = new SensorSettingsPage(m_protocol, m_displayState);
    hostPage(ui->TabSheet6, m_sensorSettingsPage);
    m_ioSettingsPage = new IoSettingsPage(m_protocol, m_displayState);
    hostPage(ui->TabSheet7, m_ioSettingsPage);
    // Beside the tabs, so that both pages keep their layout.
    m_reportedSettings = new ReportedSettings(m_protocol, this);
    m_settingsFileBar = new SettingsFileBar(*m_reportedSettings, *m_sensorSettingsPage, *m_ioSettingsPage,
                                            m_displayState);
    ui->PageControl2->setCornerWidget(m_settingsFileBar, Qt::TopRightCorner);
    connect(m_settingsFileBar, &SettingsFileBar::statusMessage, ui->Label_Status, &QLabel::setText);
    m_chartPage = new ChartPage(m_link, m_protocol);
    hostPage(ui->TabSheet2, m_chartPage);
    m_recordingPage = new RecordingPage(m_link, m_protocol, m_displayState);
    hostPage(ui->TabSheet3, m_recordingPage);

    connect(m_recordingPage, &RecordingPage::recordingShown, this, [this](bool active) {
        setStatusField(ui->StatusBarAcquisition, active, GetTextOrDefault(Msg::IDS_111),
                       GetTextOrDefault(Msg::IDS_112));
    });
    // Kept at once; a name that cannot be written is used all the same.
    connect(m_recordingPage, &RecordingPage::fileNameChosen, this,
            [this](const QString &name) { writeFileName(m_settingsFilePath, name); });

    // Every view of the live values; a new one connects here.
    connect(&m_displayTick, &LiveDisplayTick::shown, m_measurementsPage, &MeasurementsPage::showLive);
    connect(&m_displayTick, &LiveDisplayTick::shown, m_sensorSettingsPage, &SensorSettingsPage::showLive);
    connect(&m_displayTick, &LiveDisplayTick::shown, m_ioSettingsPage, &IoSettingsPage::showLive);
}

void MainWindow::setWindows(AboutDialog *about, AnalogCalibrationDialog *analogCalibration,
                            BigDisplayWindow *bigDisplay, SensorCalibrationWindow *sensorCalibration)
{
    connect(&m_displayTick, &LiveDisplayTick::shown, sensorCalibration, &SensorCalibrationWindow::showLive);
    connect(m_sensorSettingsPage, &SensorSettingsPage::sensorCalibrationRequested, sensorCalibration,
            &SensorCalibrationWindow::showOrRaise);
    m_aboutDialog = about;
    connect(&m_displayTick, &LiveDisplayTick::shown, bigDisplay, &BigDisplayWindow::showLive);
    connect(m_measurementsPage, &MeasurementsPage::bigWindowRequested, bigDisplay,
            &BigDisplayWindow::showOrRaise);
    connect(m_ioSettingsPage, &IoSettingsPage::analogCalibrationRequested, analogCalibration,
            [analogCalibration] { analogCalibration->exec(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::startUp()
{
    m_link.showNoConnection();
    setWindowTitle(ProgramInfo::ProductName + ProgramInfo::TitleJoiner + ProgramInfo::VersionText);
    applyPreferences(readPreferences(m_settingsFilePath));
    // A stored language that selects no entry is refused; start-up goes on.
    try {
        applyChosenLanguage();
    } catch (const std::exception &e) {
        Application::showError(QString::fromLocal8Bit(e.what()));
    }
    m_sensorSettingsPage->fillFilterLevels();
    m_ioSettingsPage->fillModbusAddresses();
    m_sensorSettingsPage->refreshFrequency();
    ui->PageControl2->setTabVisible(MemoryCardPageIndex, false);
    m_chartPage->startUp();
}

// In the order of the settings file's keys; each page applies its own.
void MainWindow::applyPreferences(const ProgramPreferences &p)
{
    m_recordingPage->applyPreferences(recordingPreferences(p));

    ChartPreferences chart;
    chart.ChartSeries = {p.ChartSeries1, p.ChartSeries2, p.ChartSeries3, p.ChartSeries4, p.ChartSeries5};
    chart.TimeSize = p.TimeSize;
    chart.Sampling = p.Sampling;
    m_chartPage->applyPreferences(chart);

    m_sensorSettingsPage->setDecimalPlaces(p.DecimalPoint);
    const int language = p.Language;
    ui->siLangCombo1->setCurrentIndex(language >= 0 && language < ui->siLangCombo1->count() ? language : -1);
}

ProgramPreferences MainWindow::preferences() const
{
    ProgramPreferences p;
    const RecordingPreferences recording = m_recordingPage->preferences();
    p.Checkbox_DataAcquistion = recording.Checkbox_DataAcquistion;
    p.DataAcquistionSpeed = recording.DataAcquistionSpeed;
    p.FileName = recording.FileName;
    const RecordColumns &c = recording.columns;
    p.SaveDate = c[0];
    p.SaveTime = c[1];
    p.SaveDataCnt = c[2];
    p.SaveDataSummary = c[3];
    p.SaveDataSens1 = c[4];
    p.SaveDataSens2 = c[5];
    p.SaveDataSens3 = c[6];
    p.SaveDataSens4 = c[7];

    const ChartPreferences chart = m_chartPage->preferences();
    p.ChartSeries1 = chart.ChartSeries[0];
    p.ChartSeries2 = chart.ChartSeries[1];
    p.ChartSeries3 = chart.ChartSeries[2];
    p.ChartSeries4 = chart.ChartSeries[3];
    p.ChartSeries5 = chart.ChartSeries[4];
    p.TimeSize = chart.TimeSize;
    p.Sampling = chart.Sampling;

    p.DecimalPoint = m_sensorSettingsPage->decimalPlacesIndex();
    p.Language = ui->siLangCombo1->currentIndex();
    return p;
}

bool MainWindow::savePreferences()
{
    if (writePreferencesAtClose(m_settingsFilePath, preferences()))
        return true;
    Dialogs::show(this, {QMessageBox::Critical, QCoreApplication::applicationName(),
                         unableToWriteText(m_settingsFilePath), QMessageBox::Ok});
    return false;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!savePreferences()) { // the window stays open; the next close tries again
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit(); // closing the main window ends the program, other windows or not
}

void MainWindow::onPageChanged(int index)
{
    if (index != SettingsPageIndex)
        m_protocol.setPollEnabled(true);
}

void MainWindow::showAbout()
{
    if (m_aboutDialog)
        m_aboutDialog->exec();
}

void MainWindow::applyChosenLanguage()
{
    m_languageSwitch.setActiveLanguage(ui->siLangCombo1->currentIndex() + 1);
    m_chartPage->applyLanguage(); // the legend is drawn by the chart, out of the store's reach
    showAccessProblem();
}

void MainWindow::showConnectionText(const QString &text)
{
    ui->ConnectionStatus->setText(text);
    ui->ConnectionStatus->setCursorPosition(0); // show the start of a long identity
}

void MainWindow::showConnectionStatus(const QString &text, bool active)
{
    m_linkStatusText = text;
    m_linkStatusActive = active;
    if (active)
        showConnectionText(text);
    else
        showLinkStatusText();
    setFieldColour(ui->ConnectionStatus, active ? Colours::Active : Colours::Inactive);
}

void MainWindow::showLinkStatusText()
{
    if (m_linkStatusActive || m_linkStatusText.isEmpty())
        return; // connected: the identity shown stays
    const QString inUse = moduleInUseText(m_link.accessProblem());
    showConnectionText(inUse.isEmpty() ? m_linkStatusText : inUse);
}

void MainWindow::showAccessProblem()
{
    ui->ConnectionStatus->setToolTip(accessProblemHint(m_link.accessProblem()));
    showLinkStatusText();
}
