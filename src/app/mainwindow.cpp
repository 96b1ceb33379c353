#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "aboutdialog.h"
#include "analogcalibrationdialog.h"
#include "application.h"
#include "bigdisplaywindow.h"
#include "iosettingspage.h"
#include "languagecombo.h"
#include "measurementspage.h"
#include "sensorsettingspage.h"
#include "colours.h"
#include "devicelink.h"
#include "deviceprotocol.h"
#include "programinfo.h"
#include "statusfield.h"
#include "translationstore.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QVBoxLayout>

#include <exception>

namespace {
constexpr int SettingsPageIndex = 3;
constexpr int MemoryCardPageIndex = 2;

// Each page is a form of its own, filling its tab.
void hostPage(QWidget *tab, QWidget *page)
{
    auto *layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
}
} // namespace

MainWindow::MainWindow(DeviceLink &link, DeviceProtocol &protocol, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::MainWindow>()), m_link(link), m_protocol(protocol),
      m_displayTick(link, protocol, m_displayState, this),
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

    // Every view of the live values; a new one connects here.
    connect(&m_displayTick, &LiveDisplayTick::shown, m_measurementsPage, &MeasurementsPage::showLive);
    connect(&m_displayTick, &LiveDisplayTick::shown, m_sensorSettingsPage, &SensorSettingsPage::showLive);
    connect(&m_displayTick, &LiveDisplayTick::shown, m_ioSettingsPage, &IoSettingsPage::showLive);
}

void MainWindow::setWindows(AboutDialog *about, AnalogCalibrationDialog *analogCalibration,
                            BigDisplayWindow *bigDisplay)
{
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
    m_settingsFilePath = QDir(QCoreApplication::applicationDirPath())
                             .filePath(ProgramInfo::SettingsFileName);
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
}

void MainWindow::savePreferences()
{
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    savePreferences();
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
}

void MainWindow::showConnectionText(const QString &text)
{
    ui->ConnectionStatus->setText(text);
    ui->ConnectionStatus->setCursorPosition(0); // show the start of a long identity
}

void MainWindow::showConnectionStatus(const QString &text, bool active)
{
    showConnectionText(text);
    setFieldColour(ui->ConnectionStatus, active ? Colours::Active : Colours::Inactive);
}
