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
#include "modulesession.h"
#include "recordingpage.h"
#include "sensorcalibrationwindow.h"
#include "sensorsettingspage.h"
#include "settingsfilebar.h"
#include "colours.h"
#include "programinfo.h"
#include "statusfield.h"
#include "translationstore.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QVBoxLayout>

#include <cstdio>
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

MainWindow::MainWindow(ModuleSession &session, const QString &settingsPath, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::MainWindow>()), m_session(session), m_presenter(session),
      m_settingsFilePath(settingsPath),
      m_languageSwitch(*this, QStringLiteral("TForm1"), TranslationStore::program())
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

    connect(&m_presenter, &SessionPresenter::connectionShown, this, &MainWindow::showConnectionStatus);
    connect(&m_presenter, &SessionPresenter::identityShown, this, &MainWindow::showConnectionText);
    connect(&m_presenter, &SessionPresenter::hintShown, ui->ConnectionStatus, &QLineEdit::setToolTip);
    connect(&m_presenter, &SessionPresenter::statusShown, ui->Label_Status, &QLabel::setText);
    connect(&m_presenter, &SessionPresenter::modulesShown, this, &MainWindow::showModules);
    connect(&m_presenter, &SessionPresenter::moduleShown, this, &MainWindow::showModuleInTitle);
    connect(ui->ModuleChooser, &QComboBox::activated, this, &MainWindow::chooseModule);
    m_session.nameEveryModule();
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(ui->siLangCombo1, &QComboBox::activated, this, &MainWindow::applyChosenLanguage);

    m_session.displayTick().start();

    // An error during start-up is shown; the window is still created and shown.
    try {
        startUp();
    } catch (const std::exception &e) {
        Application::showError(QString::fromLocal8Bit(e.what()));
    }
}

void MainWindow::createPages()
{
    m_measurementsPage = new MeasurementsPage(m_session);
    hostPage(ui->TabSheet1, m_measurementsPage);
    m_sensorSettingsPage = new SensorSettingsPage(m_session);
    hostPage(ui->TabSheet6, m_sensorSettingsPage);
    m_ioSettingsPage = new IoSettingsPage(m_session);
    hostPage(ui->TabSheet7, m_ioSettingsPage);
    // Beside the tabs, so that both pages keep their layout.
    m_settingsFileBar = new SettingsFileBar(m_session, *m_sensorSettingsPage, *m_ioSettingsPage);
    ui->PageControl2->setCornerWidget(m_settingsFileBar, Qt::TopRightCorner);
    connect(m_settingsFileBar, &SettingsFileBar::statusMessage, ui->Label_Status, &QLabel::setText);
    m_chartPage = new ChartPage(m_session);
    hostPage(ui->TabSheet2, m_chartPage);
    m_recordingPage = new RecordingPage(m_session);
    hostPage(ui->TabSheet3, m_recordingPage);

    connect(m_recordingPage, &RecordingPage::recordingShown, this, [this](bool active) {
        setStatusField(ui->StatusBarAcquisition, active, GetTextOrDefault(Msg::IDS_111),
                       GetTextOrDefault(Msg::IDS_112));
    });
    // Kept at once; a name that cannot be written is used all the same.
    connect(m_recordingPage, &RecordingPage::fileNameChosen, this,
            [this](const QString &name) { writeFileName(m_settingsFilePath, name); });

    // Every view of the live values; a new one connects here.
    const LiveDisplayTick *tick = &m_session.displayTick();
    connect(tick, &LiveDisplayTick::shown, m_measurementsPage, &MeasurementsPage::showLive);
    connect(tick, &LiveDisplayTick::shown, m_sensorSettingsPage, &SensorSettingsPage::showLive);
    connect(tick, &LiveDisplayTick::shown, m_ioSettingsPage, &IoSettingsPage::showLive);
}

void MainWindow::setWindows(AboutDialog *about, AnalogCalibrationDialog *analogCalibration,
                            BigDisplayWindow *bigDisplay, SensorCalibrationWindow *sensorCalibration)
{
    const LiveDisplayTick *tick = &m_session.displayTick();
    connect(tick, &LiveDisplayTick::shown, sensorCalibration, &SensorCalibrationWindow::showLive);
    connect(m_sensorSettingsPage, &SensorSettingsPage::sensorCalibrationRequested, sensorCalibration,
            &SensorCalibrationWindow::showOrRaise);
    m_aboutDialog = about;
    m_translatedWindows = {analogCalibration, bigDisplay, sensorCalibration};
    applyLanguageToWindows();
    connect(tick, &LiveDisplayTick::shown, bigDisplay, &BigDisplayWindow::showLive);
    connect(m_measurementsPage, &MeasurementsPage::bigWindowRequested, bigDisplay,
            &BigDisplayWindow::showOrRaise);
    connect(m_ioSettingsPage, &IoSettingsPage::analogCalibrationRequested, analogCalibration,
            [analogCalibration] { analogCalibration->exec(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::startUp()
{
    // A module named on the command line goes before the one remembered.
    const QString remembered = readChosenModule(m_settingsFilePath);
    if (!remembered.isEmpty() && m_session.link().choice().wanted.isEmpty())
        m_session.chooseModule({remembered, false});
    showModuleInTitle(QString());
    m_presenter.present();
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
    m_recordingPage->applyPreferences(p.recording);
    m_chartPage->applyPreferences(p.chart);
    m_sensorSettingsPage->setDecimalPlaces(p.general.DecimalPoint);
    const int language = p.general.Language;
    ui->siLangCombo1->setCurrentIndex(language >= 0 && language < ui->siLangCombo1->count() ? language : -1);
}

ProgramPreferences MainWindow::preferences() const
{
    return {m_recordingPage->preferences(), m_chartPage->preferences(),
            {m_sensorSettingsPage->decimalPlacesIndex(), ui->siLangCombo1->currentIndex()}};
}

bool MainWindow::savePreferences()
{
    if (writePreferencesAtClose(m_settingsFilePath, preferences()))
        return true;
    Dialogs::show(this, {QMessageBox::Critical, QCoreApplication::applicationName(),
                         unableToWriteText(m_settingsFilePath), QMessageBox::Ok});
    return false;
}

bool MainWindow::saveForSignal()
{
    QString reason;
    const bool written =
        writePreferencesAtClose(m_settingsFilePath, preferences(), nullptr, &reason);
    if (!written)
        std::fprintf(stderr, "%s: %s: %s\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(unableToWriteText(m_settingsFilePath)), qPrintable(reason));
    m_recordingPage->closeFileQuietly();
    return written;
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
        m_session.resumePolling();
}

void MainWindow::showAbout()
{
    if (m_aboutDialog)
        m_aboutDialog->exec();
}

void MainWindow::applyChosenLanguage()
{
    m_languageSwitch.setActiveLanguage(ui->siLangCombo1->currentIndex() + 1);
    m_qtTranslations.setLanguage(ActiveLanguage()); // without its file Qt's dialogs stay English
    m_chartPage->applyLanguage(); // the legend is drawn by the chart, out of the store's reach
    applyLanguageToWindows();
    m_presenter.present();        // the connection field is worded at run time
}

// The about dialog keeps its texts in every language.
void MainWindow::applyLanguageToWindows()
{
    for (QWidget *window : std::as_const(m_translatedWindows))
        m_languageSwitch.applyWindowRows(*window, window->objectName(), ActiveLanguage());
}

void MainWindow::showConnectionText(const QString &text)
{
    ui->ConnectionStatus->setText(text);
    ui->ConnectionStatus->setCursorPosition(0); // show the start of a long identity
}

void MainWindow::showModules(const QStringList &texts, const QStringList &nodes, int driven)
{
    QComboBox *chooser = ui->ModuleChooser;
    chooser->clear();
    for (int i = 0; i < texts.size(); ++i)
        chooser->addItem(texts[i], nodes.value(i));
    chooser->setCurrentIndex(driven);
    chooser->setToolTip(chooser->currentText());
    // The entries name node and holder: the list may be wider than the box.
    chooser->view()->setMinimumWidth(chooser->view()->sizeHintForColumn(0) + 8);
    chooser->setVisible(!texts.isEmpty());
}

void MainWindow::showModuleInTitle(const QString &module)
{
    QString title = ProgramInfo::ProductName + ProgramInfo::TitleJoiner + ProgramInfo::VersionText;
    if (!module.isEmpty())
        title += QStringLiteral(" - ") + module;
    setWindowTitle(title);
}

void MainWindow::chooseModule(int index)
{
    const QString wanted =
        wantedFor(m_session.link().modules(), ui->ModuleChooser->itemData(index).toString());
    if (wanted.isEmpty())
        return;
    m_session.chooseModule({wanted, true});
    writeChosenModule(m_settingsFilePath, wanted); // kept at once, as the recording file name
}

void MainWindow::showConnectionStatus(const QString &text, bool active)
{
    showConnectionText(text);
    setFieldColour(ui->ConnectionStatus, active ? Colours::Active : Colours::Inactive);
}
