// The window with two simulated modules: the chooser beside the connection
// field switches the session and is remembered in config.ini across a
// restart; the title and the tooltip name the module driven.
#include "application.h"
#include "findcontrol.h"
#include "mainwindow.h"
#include "messagetable.h"
#include "profilefile.h"
#include "programsettings.h"
#include "simrig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString First = QStringLiteral("KLV57 simulator (sim:klv57)");
const QString Second = QStringLiteral("KLV57 simulator 2 (sim:klv57-2)");
} // namespace

class TestModuleChooser : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hiddenWithOneModule();
    void switchesAndIsRememberedAcrossARestart();

private:
    // A program run: a session over `modules` numbered modules and its window.
    void startProgram(int modules);
    void endProgram();
    template <typename T> T *find(const char *name) { return ::find<T>(m_window.get(), name); }

    QTemporaryDir m_settingsDir; // config.ini outlives a program run
    std::unique_ptr<SimRig> m_rig;
    std::unique_ptr<MainWindow> m_window;
};

void TestModuleChooser::init()
{
    QLocale::setDefault(QLocale::c());
    QFile::remove(m_settingsDir.filePath("config.ini"));
}

void TestModuleChooser::cleanup()
{
    endProgram();
    SetActiveLanguage(1);
}

void TestModuleChooser::startProgram(int modules)
{
    m_rig = std::make_unique<SimRig>();
    for (int number = 1; number <= modules; ++number)
        m_rig->backend.add(SimulatedBackend::numberedModule(number));
    m_rig->start();
    m_window = std::make_unique<MainWindow>(*m_rig->session, m_settingsDir.filePath("config.ini"));
}

void TestModuleChooser::endProgram()
{
    if (m_window)
        QVERIFY(m_window->savePreferences());
    m_window.reset();
    m_rig.reset();
}

void TestModuleChooser::hiddenWithOneModule()
{
    startProgram(1);
    QVERIFY(m_rig->waitForStartUp(*m_rig->backend.device("sim:klv57")));
    QVERIFY(!find<QComboBox>("ModuleChooser")->isVisibleTo(m_window.get()));
    QCOMPARE(m_window->windowTitle(), QString("KLV57  ver.: 1.10"));
    QCOMPARE(find<QLineEdit>("ConnectionStatus")->toolTip(), QString());
}

void TestModuleChooser::switchesAndIsRememberedAcrossARestart()
{
    startProgram(2);
    auto *chooser = find<QComboBox>("ModuleChooser");
    auto *status = find<QLineEdit>("ConnectionStatus");
    QVERIFY(m_rig->waitForStartUp(*m_rig->backend.device("sim:klv57")));
    // The second is named once it said who it is.
    QTRY_COMPARE(chooser->count() == 2 ? chooser->itemText(1) : QString(), Second);
    QVERIFY(chooser->isVisibleTo(m_window.get()));
    QCOMPARE(chooser->itemText(0), First);
    QCOMPARE(chooser->currentIndex(), 0);
    QCOMPARE(m_window->windowTitle(), "KLV57  ver.: 1.10 - " + First);
    QCOMPARE(status->toolTip(), QString::fromUtf8("Moduł: ") + First);

    chooser->setCurrentIndex(1);
    emit chooser->activated(1);
    QVERIFY(m_rig->waitForStartUp(*m_rig->backend.device("sim:klv57-2")));
    QTRY_COMPARE(status->text(), QString::fromUtf8("Połączono z KLV57 ver.: 1.10 KLV57 simulator 2"));
    QCOMPARE(m_window->windowTitle(), "KLV57  ver.: 1.10 - " + Second);
    QCOMPARE(status->toolTip(), QString::fromUtf8("Moduł: ") + Second);
    QCOMPARE(chooser->currentIndex(), 1);
    // Kept at once, by the serial number.
    QCOMPARE(readChosenModule(m_settingsDir.filePath("config.ini")), QString("SIM-0002"));

    // The live values are the second module's: its loads are twice the first's.
    QTRY_VERIFY(m_rig->protocol->liveValues().Sum > 1400.0f);

    // Unplugged, the chosen module is waited for; the chooser stays, to
    // take the other one meanwhile.
    m_rig->backend.unplug("sim:klv57-2");
    QTRY_COMPARE(chooser->count(), 1);
    QVERIFY(chooser->isVisibleTo(m_window.get()));
    QCOMPARE(chooser->currentIndex(), -1);
    QVERIFY(!m_rig->link->isConnected());
    m_rig->backend.plug(SimulatedBackend::numberedModule(2));
    QVERIFY(m_rig->waitForStartUp(*m_rig->backend.device("sim:klv57-2")));
    QTRY_COMPARE(chooser->currentIndex(), 1);

    endProgram();
    // After the documented keys, though it was written before them (all but
    // FileName, written when a recording file is chosen).
    QFile config(m_settingsDir.filePath("config.ini"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = config.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 1 + 19 + 1);
    QCOMPARE(lines.last().trimmed(), QByteArray("ChosenModule=SIM-0002"));

    startProgram(2);
    chooser = find<QComboBox>("ModuleChooser");
    QVERIFY(m_rig->waitForStartUp(*m_rig->backend.device("sim:klv57-2")));
    QTRY_COMPARE(chooser->currentIndex(), 1);
    QCOMPARE(m_window->windowTitle(), "KLV57  ver.: 1.10 - " + Second);
    QVERIFY(m_rig->backend.device("sim:klv57")->written().size() <= 1); // asked who it is, no more
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestModuleChooser test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_modulechooser.moc"
