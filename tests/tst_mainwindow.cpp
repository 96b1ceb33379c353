#include "application.h"
#include "dialogs.h"
#include "findcontrol.h"
#include "foreignlock.h"
#include "mainwindow.h"
#include "profilefile.h"
#include "programsettings.h"
#include "messagetable.h"
#include "simrig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QTest>

#include <stdexcept>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void frameAndStartUp();
    void firstSearchAfterStartUp();
    void windowMadeLaterShowsTheConnection();
    void pageChangeEnablesPolling();
    void acknowledgementInStatusLine();
    void handlerErrorsAreShownAndTheProgramGoesOn();
    void windowGoesOnWhileAWriteStalls();
    void defaultsWithoutASettingsFile();
    void storedSettingsReadAndWrittenBack();
    void unwritableSettingsKeepTheWindowOpen();
    void noPermissionIsExplainedOnTheConnectionField();
    void moduleInUseNamesTheOtherProgram();

private:
    template <typename T> T *find(const char *name)
    {
        return ::find<T>(m_window.get(), QString::fromLatin1(name));
    }

    std::unique_ptr<SimRig> m_rig;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init()
{
    QLocale::setDefault(QLocale::c());
    m_rig = std::make_unique<SimRig>();
    m_rig->backend.add(SimulatedBackend::keyboard());
    m_rig->backend.add(std::make_shared<SimulatedModule>());
    m_rig->start();
    m_window = std::make_unique<MainWindow>(*m_rig->session, m_rig->settingsPath());
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    m_rig.reset();
    Dialogs::setMessageResponder(nullptr);
    SetActiveLanguage(1);
}

void TestMainWindow::frameAndStartUp()
{
    QCOMPARE(m_window->windowTitle(), QString("KLV57  ver.: 1.10"));
    QCOMPARE(m_window->size(), QSize(675, 619));
    QCOMPARE(m_window->objectName(), QString("Form1"));
    QCOMPARE(find<QLineEdit>("ConnectionStatus")->text(), QString::fromUtf8("Brak połączenia"));
    QCOMPARE(find<QLabel>("Label_Status")->text(), QString("..."));
    QCOMPARE(find<QLineEdit>("StatusBarAcquisition")->text(), QString("NIEAKTYWNA"));
    auto *pages = find<QTabWidget>("PageControl1");
    QCOMPARE(pages->count(), 4);
    QCOMPARE(pages->currentIndex(), 3);
    QCOMPARE(pages->tabText(0), QString("Pomiary"));
    QVERIFY(!pages->tabIcon(0).isNull());
    auto *settings = find<QTabWidget>("PageControl2");
    QCOMPARE(settings->currentIndex(), 1);
    QVERIFY(!settings->isTabVisible(2)); // the memory card page never shows
    QVERIFY(settings->isTabVisible(0));
    QVERIFY(m_window->settingsFilePath().endsWith("/config.ini"));
    QVERIFY(!m_rig->protocol->isPolling());
}

void TestMainWindow::firstSearchAfterStartUp()
{
    auto *status = find<QLineEdit>("ConnectionStatus");
    QTRY_COMPARE(status->text(), QString::fromUtf8("Połączono z KLV57 ver.: 1.10 KLV57 simulator"));
    QCOMPARE(status->palette().color(QPalette::Base), QColor(0xAF, 0xD8, 0x87));
}

// A window made on a session whose module has spoken shows where it stands,
// not "no connection".
void TestMainWindow::windowMadeLaterShowsTheConnection()
{
    QVERIFY(m_rig->waitForIdle());
    MainWindow later(*m_rig->session, m_rig->settingsPath());
    auto *status = ::find<QLineEdit>(&later, "ConnectionStatus");
    QCOMPARE(status->text(), QString::fromUtf8("Połączono z KLV57 ver.: 1.10 KLV57 simulator"));
    QCOMPARE(status->palette().color(QPalette::Base), QColor(0xAF, 0xD8, 0x87));
}

void TestMainWindow::pageChangeEnablesPolling()
{
    auto *pages = find<QTabWidget>("PageControl1");
    QVERIFY(m_rig->waitForIdle());
    QVERIFY(m_rig->protocol->isPolling());
    auto module = std::dynamic_pointer_cast<SimulatedModule>(m_rig->backend.device("sim:klv57"));
    module->withholdAnswersTo(Code::ZeroInput1); // no answer comes
    m_rig->protocol->sendCommand(Code::ZeroInput1); // polling stops until the answer
    QVERIFY(!m_rig->protocol->isPolling());
    pages->setCurrentIndex(1); // outside the settings page the wait is given up
    QVERIFY(m_rig->session->isIdle());
    QVERIFY(m_rig->protocol->isPolling());
    m_rig->protocol->sendCommand(Code::ZeroInput1);
    pages->setCurrentIndex(3); // on it, the answer is still awaited
    QVERIFY(!m_rig->session->isIdle());
    pages->setCurrentIndex(2);
    QVERIFY(m_rig->protocol->isPolling());
}

void TestMainWindow::acknowledgementInStatusLine()
{
    QVERIFY(m_rig->waitForIdle());
    SetActiveLanguage(2);
    m_rig->protocol->sendCommand(Code::ResetMinMax);
    QTRY_COMPARE(find<QLabel>("Label_Status")->text(), QString("Min/max values reset"));
}

void TestMainWindow::handlerErrorsAreShownAndTheProgramGoesOn()
{
    QList<Dialogs::Message> shown;
    Dialogs::setMessageResponder([&](const Dialogs::Message &m) {
        shown << m;
        return QMessageBox::Ok;
    });
    QTimer::singleShot(0, m_window.get(), [] { throw std::runtime_error("Access violation"); });
    QTRY_COMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QString("Access violation"));
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QVERIFY(m_rig->waitForIdle()); // still running
    QVERIFY(m_rig->protocol->isPolling());
}

void TestMainWindow::windowGoesOnWhileAWriteStalls()
{
    auto module = std::dynamic_pointer_cast<SimulatedModule>(m_rig->backend.device("sim:klv57"));
    QVERIFY(m_rig->waitForIdle());
    find<QTabWidget>("PageControl1")->setCurrentIndex(0);

    // A poll hangs on the endpoint. Reports still come in: the handler
    // stores them and the display tick paints them; tabs still switch.
    module->setWriteStall(SimDevice::HoldWrites);
    QTRY_COMPARE(module->stalledWrites(), 1);
    LiveValues frame;
    frame.Sum = 4321.0f;
    module->queueInputReport(QByteArray(1, char(ModuleReportId)) + frame.encode());
    QTRY_COMPARE(find<QLabel>("DisplaySum")->text(), QString("4,321.0 N"));
    find<QTabWidget>("PageControl1")->setCurrentIndex(3);
    m_rig->protocol->sendCommand(Code::ResetMinMax);
    QCOMPARE(find<QTabWidget>("PageControl1")->currentIndex(), 3);
    QCOMPARE(module->stalledWrites(), 1);

    module->setWriteStall(std::chrono::milliseconds(0));
    QTRY_COMPARE(find<QLabel>("Label_Status")->text(), QString("Wartosc Min/Max zresetowana"));
}

void TestMainWindow::defaultsWithoutASettingsFile()
{
    QCOMPARE(find<QComboBox>("ComboB_ChartSampling")->currentIndex(), 2);
    QCOMPARE(find<QComboBox>("Cb_ChartTimeWindow")->currentIndex(), 1);
    QCOMPARE(find<QComboBox>("Cb_Decp")->currentIndex(), 1);
    QCOMPARE(find<QComboBox>("siLangCombo1")->currentIndex(), 0);
    QCOMPARE(find<QComboBox>("ComboBox_AcquistionTime")->currentIndex(), 0);
    QCOMPARE(find<QLineEdit>("Edit_FileName")->text(), QString("pomiary.csv"));
    QVERIFY(!find<QCheckBox>("Checkbox_Acquistion")->isChecked());
    QVERIFY(find<QCheckBox>("Checkbox_SaveDate")->isChecked());
    QVERIFY(!find<QCheckBox>("Cb_SaveDataSummary")->isChecked());

    QVERIFY(m_window->savePreferences());
    QCOMPARE(ProfileFile(m_rig->settingsPath()).readString(OptionsSection, "FileName", "absent"),
             QString("absent")); // written only when a file is chosen
    QCOMPARE(readPreferences(m_rig->settingsPath()).chart.Sampling, 2);
}

void TestMainWindow::storedSettingsReadAndWrittenBack()
{
    m_window.reset();
    QFile file(m_rig->settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("; kept\r\n[Other]\r\nx=1\r\n[Options]\r\nTimeSize=9\r\nSampling=0\r\n"
               "DecimalPoint=3\r\nLanguage=1\r\nSaveDate=yes\r\nSaveDataSummary=2\r\n"
               "DataAcquistionSpeed=0x2\r\nChartSeries5=1\r\n");
    file.close();
    m_window = std::make_unique<MainWindow>(*m_rig->session, m_rig->settingsPath());

    QCOMPARE(find<QComboBox>("Cb_ChartTimeWindow")->currentIndex(), -1);
    QCOMPARE(find<QComboBox>("ComboB_ChartSampling")->currentIndex(), 0);
    QCOMPARE(find<QComboBox>("Cb_Decp")->currentIndex(), 3);
    QCOMPARE(ActiveLanguage(), 2);
    QCOMPARE(find<QLabel>("Label26")->text(), QString("Acquisition to file:"));
    QVERIFY(find<QCheckBox>("Checkbox_SaveDate")->isChecked());
    QVERIFY(find<QCheckBox>("Cb_SaveDataSummary")->isChecked());
    QCOMPARE(find<QComboBox>("ComboBox_AcquistionTime")->currentIndex(), 2);

    QVERIFY(m_window->savePreferences());
    const ProfileFile written(m_rig->settingsPath());
    QCOMPARE(written.readString(OptionsSection, "TimeSize"), QString("-1"));
    QCOMPARE(written.readString(OptionsSection, "SaveDataSummary"), QString("1"));
    QCOMPARE(written.readString(OptionsSection, "Language"), QString("1"));
    QCOMPARE(written.readString(OptionsSection, "ChartSeries5"), QString("1"));
    QCOMPARE(written.readString("Other", "x"), QString("1"));
}

void TestMainWindow::unwritableSettingsKeepTheWindowOpen()
{
    QList<Dialogs::Message> shown;
    Dialogs::setMessageResponder([&](const Dialogs::Message &m) {
        shown << m;
        return QMessageBox::Ok;
    });
    QFile blocker(m_rig->settingsDir.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unwritable = blocker.fileName() + "/config.ini";
    MainWindow window(*m_rig->session, unwritable);
    window.show();
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QCOMPARE(shown[0].text, QString("Unable to write to %1").arg(QDir::toNativeSeparators(unwritable)));
}

void TestMainWindow::noPermissionIsExplainedOnTheConnectionField()
{
    // Denied before the first search, which runs from the event loop.
    m_rig->backend.device("sim:klv57")->setPermissionDenied(true);
    auto *status = find<QLineEdit>("ConnectionStatus");
    QTRY_VERIFY(!status->toolTip().isEmpty());
    QCOMPARE(status->text(), QString::fromUtf8("Brak połączenia"));
    QVERIFY(status->toolTip().contains(QString::fromUtf8("brak uprawnień")));
    QVERIFY(status->toolTip().contains("sim:klv57"));
    QVERIFY(status->toolTip().contains("70-klv57.rules"));

    find<QComboBox>("siLangCombo1")->setCurrentIndex(1);
    m_window->applyChosenLanguage();
    QVERIFY(status->toolTip().startsWith("A KLV57 module is plugged in, but there is no permission"
                                         "\nto read and write its device file sim:klv57."));
    QVERIFY(status->toolTip().contains("sim:klv57"));
    QVERIFY(status->toolTip().contains("unplug the module and plug it in again"));

    // Plugged in again with the rule in place.
    m_rig->backend.unplug("sim:klv57");
    m_rig->backend.plug(std::make_shared<SimulatedModule>());
    QTRY_COMPARE(status->text(), QString("Connected to KLV57 ver.:1.10 KLV57 simulator"));
    QCOMPARE(status->toolTip(), QString());
}

void TestMainWindow::moduleInUseNamesTheOtherProgram()
{
    // Held before the first search, which runs from the event loop.
    auto other = std::make_unique<ForeignLock>("sim:klv57", "4242 klv57-pc\n");
    QVERIFY(other->isHeld());
    auto *status = find<QLineEdit>("ConnectionStatus");
    QTRY_COMPARE(status->text(), QString::fromUtf8("Moduł w użyciu (PID 4242)"));
    QCOMPARE(status->toolTip(),
             QString::fromUtf8("Moduł KLV57 sim:klv57 jest używany przez program klv57-pc (PID 4242).\n"
                               "Gdy tamten program się zakończy, ten połączy się z modułem."));

    find<QComboBox>("siLangCombo1")->setCurrentIndex(1);
    m_window->applyChosenLanguage();
    QCOMPARE(status->text(), QString("Module in use (PID 4242)"));
    QCOMPARE(status->toolTip(), QString("The KLV57 module sim:klv57 is in use by the program klv57-pc "
                                        "(PID 4242).\nWhen that program ends, this one connects to "
                                        "the module."));
    QVERIFY(m_rig->backend.device("sim:klv57")->written().empty());

    // The other program ends: this one connects.
    other.reset();
    QTRY_COMPARE(status->text(), QString("Connected to KLV57 ver.:1.10 KLV57 simulator"));
    QCOMPARE(status->toolTip(), QString());
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
