#include "mainwindow.h"

#include "ui_mainwindow.h"

#include "aboutdialog.h"
#include "colours.h"
#include "devicelink.h"
#include "deviceprotocol.h"
#include "messagetable.h"
#include "programinfo.h"
#include "statusfield.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>

namespace {
constexpr int SettingsPageIndex = 3;
constexpr int MemoryCardPageIndex = 2;
} // namespace

MainWindow::MainWindow(DeviceLink *link, DeviceProtocol *protocol, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::MainWindow>()), m_link(link), m_protocol(protocol)
{
    Q_INIT_RESOURCE(pictures); // the pictures live in a static library
    ui->setupUi(this);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    setFixedSize(675, 619);
    move(0, 0);

    ui->siLangCombo1->addItem(QIcon(QStringLiteral(":/pictures/flag-pl.png")), QStringLiteral("Polski"));
    ui->siLangCombo1->addItem(QIcon(QStringLiteral(":/pictures/flag-en.png")), QStringLiteral("English"));

    connect(m_link, &DeviceLink::connectionStatusChanged, this, &MainWindow::showConnectionStatus);
    connect(m_protocol, &DeviceProtocol::identified, ui->ConnectionStatus, &QLineEdit::setText);
    connect(m_protocol, &DeviceProtocol::statusMessage, ui->Label_Status, &QLabel::setText);
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &MainWindow::PageControl1Change);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &MainWindow::BitBtn3Click);
    connect(ui->siLangCombo1, &QComboBox::activated, this, &MainWindow::siLangCombo1Change);

    FormCreate();
}

MainWindow::~MainWindow() = default;

void MainWindow::FormCreate()
{
    m_link->ShowNoConnection();
    setWindowTitle(ProgramInfo::ProductName + ProgramInfo::TitleJoiner + ProgramInfo::VersionText);
    m_settingsFilePath = QDir(QCoreApplication::applicationDirPath())
                             .filePath(ProgramInfo::SettingsFileName);
    siLangCombo1Change();
    ui->PageControl2->setTabVisible(MemoryCardPageIndex, false);
}

void MainWindow::FormClose()
{
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    QCoreApplication::quit(); // closing the main window ends the program, other windows or not
}

void MainWindow::PageControl1Change(int index)
{
    if (index != SettingsPageIndex)
        m_protocol->setPollEnabled(true);
}

void MainWindow::BitBtn3Click()
{
    if (m_aboutDialog)
        m_aboutDialog->exec();
}

void MainWindow::siLangCombo1Change()
{
    const int language = ui->siLangCombo1->currentIndex() + 1;
    if (language >= 1 && language <= LanguageCount)
        SetActiveLanguage(language);
}

void MainWindow::showConnectionStatus(const QString &text, bool active)
{
    ui->ConnectionStatus->setText(text);
    setFieldColour(ui->ConnectionStatus, active ? Colours::Active : Colours::Inactive);
}
