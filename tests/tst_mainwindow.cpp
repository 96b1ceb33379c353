#include "application.h"
#include "dialogs.h"
#include "findcontrol.h"
#include "mainwindow.h"
#include "messagetable.h"
#include "simrig.h"

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
    void pageChangeEnablesPolling();
    void acknowledgementInStatusLine();
    void handlerErrorsAreShownAndTheProgramGoesOn();
    void windowGoesOnWhileAWriteStalls();

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
    m_window = std::make_unique<MainWindow>(*m_rig->link, *m_rig->protocol, m_rig->settingsPath());
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
    QVERIFY(!m_rig->protocol->isPollEnabled());
}

void TestMainWindow::firstSearchAfterStartUp()
{
    auto *status = find<QLineEdit>("ConnectionStatus");
    QTRY_COMPARE(status->text(), QString::fromUtf8("Połączono z KLV57 ver.: 1.10 KLV57 simulator"));
    QCOMPARE(status->palette().color(QPalette::Base), QColor(0xAF, 0xD8, 0x87));
}

void TestMainWindow::pageChangeEnablesPolling()
{
    auto *pages = find<QTabWidget>("PageControl1");
    QTRY_VERIFY(m_rig->protocol->isPollEnabled());
    m_rig->protocol->sendCommand(Code::ZeroInput1); // stops polling
    QVERIFY(!m_rig->protocol->isPollEnabled());
    pages->setCurrentIndex(1);
    QVERIFY(m_rig->protocol->isPollEnabled());
    m_rig->protocol->setPollEnabled(false);
    pages->setCurrentIndex(3);
    QVERIFY(!m_rig->protocol->isPollEnabled());
    pages->setCurrentIndex(2);
    QVERIFY(m_rig->protocol->isPollEnabled());
}

void TestMainWindow::acknowledgementInStatusLine()
{
    QTRY_VERIFY(m_rig->protocol->isPollEnabled());
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
    QTRY_VERIFY(m_rig->protocol->isPollEnabled()); // still running
}

void TestMainWindow::windowGoesOnWhileAWriteStalls()
{
    auto module = std::dynamic_pointer_cast<SimulatedModule>(m_rig->backend.device("sim:klv57"));
    QTRY_VERIFY(m_rig->protocol->isPollEnabled());
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

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
