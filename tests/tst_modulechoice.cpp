// Which module a program drives among several: the rule as a table, then
// the link over simulated modules, probes, unplugging and another
// program's lock included.
#include "foreignlock.h"
#include "modulechoice.h"
#include "simrig.h"

#include <QTest>

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// "node serial identification flags": flags h (held elsewhere), a (asked);
// "-" for an empty serial or an identification not known.
std::vector<ListedModule> modulesOf(const QStringList &descriptions)
{
    std::vector<ListedModule> modules;
    for (const QString &description : descriptions) {
        const QStringList part = description.split(' ');
        ListedModule module;
        module.info.path = part[0];
        module.info.serialNumber = part[1] == "-" ? QString() : part[1];
        if (part[2] != "-") {
            module.identity = DeviceInfoReport{};
            module.identity->identification = part[2].toLatin1();
        }
        if (part[3].contains('h'))
            module.heldElsewhere = LockHolder{4242, "klv57-pc"};
        module.asked = part[3].contains('a');
        modules.push_back(module);
    }
    return modules;
}

// Numbered modules 1 and 2, no choice made; gives the first.
std::shared_ptr<SimulatedModule> startWithTwoModules(SimRig &rig)
{
    auto first = SimulatedBackend::numberedModule(1);
    rig.backend.add(first);
    rig.backend.add(SimulatedBackend::numberedModule(2));
    rig.start();
    return first;
}

bool drives(const SimRig &rig, const QString &node)
{
    const ListedModule *driven = rig.link->drivenModule();
    return rig.link->isConnected() && driven && driven->info.path == node;
}

} // namespace

class TestModuleChoice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void tryOrder_data();
    void tryOrder();
    void wantedByWhatSurvivesAReplug_data();
    void wantedByWhatSurvivesAReplug();
    void deviceNamedByItsIdentification();
    void chosenModuleUnpluggedAndPluggedAgain();
    void rememberedModuleTakenWhenPluggedIn();
    void moduleHeldElsewhereIsPassedOver();
    void withoutAChooserTheOthersAreLeftAlone();
    void silentOrVanishingModuleDoesNotHoldTheChoiceUp();
};

void TestModuleChoice::tryOrder_data()
{
    QTest::addColumn<QStringList>("modules");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<QString>("lastNode");
    QTest::addColumn<bool>("awaiting");
    QTest::addColumn<std::vector<int>>("order");

    const QStringList two{"/dev/hidraw1 S1 left a", "/dev/hidraw2 S2 right a"};
    QTest::newRow("no choice: listing order") << two << "" << false << "" << false << std::vector<int>{0, 1};
    QTest::newRow("no choice: the module driven until now first")
        << two << "" << false << "/dev/hidraw2" << false << std::vector<int>{1, 0};
    QTest::newRow("no choice: a held module last")
        << QStringList{"/dev/hidraw1 S1 left ah", "/dev/hidraw2 S2 right a"} << "" << false << ""
        << false << std::vector<int>{1, 0};
    QTest::newRow("by node") << two << "/dev/hidraw2" << true << "" << false << std::vector<int>{1};
    QTest::newRow("by serial number") << two << "S2" << true << "/dev/hidraw1" << false << std::vector<int>{1};
    QTest::newRow("by identification, blanks aside")
        << two << " right " << true << "" << false << std::vector<int>{1};
    QTest::newRow("strict, not present") << two << "S9" << true << "" << false << std::vector<int>{};
    QTest::newRow("remembered, not present: the others")
        << two << "S9" << false << "" << false << std::vector<int>{0, 1};
    QTest::newRow("remembered and present: before the one driven")
        << two << "S2" << false << "/dev/hidraw1" << false << std::vector<int>{1, 0};
    QTest::newRow("remembered but held: tried first, then the free one")
        << QStringList{"/dev/hidraw1 S1 left a", "/dev/hidraw2 S2 - h"} << "S2" << false << ""
        << false << std::vector<int>{1, 0};
    QTest::newRow("an identification not known yet: wait")
        << QStringList{"/dev/hidraw1 - left a", "/dev/hidraw2 - - -"} << "right" << true << ""
        << true << std::vector<int>{};
    QTest::newRow("an empty serial number answers to nothing")
        << QStringList{"/dev/hidraw1 - left a"} << "" << true << "" << false << std::vector<int>{0};
    QTest::newRow("a module that cannot be asked is not waited for")
        << QStringList{"/dev/hidraw1 - left a", "/dev/hidraw2 - - h"} << "right" << true << ""
        << false << std::vector<int>{};
}

void TestModuleChoice::tryOrder()
{
    QFETCH(QStringList, modules);
    QFETCH(QString, wanted);
    QFETCH(bool, strict);
    QFETCH(QString, lastNode);
    QFETCH(bool, awaiting);
    QFETCH(std::vector<int>, order);
    const ModuleTryOrder tried = moduleTryOrder(modulesOf(modules), {wanted, strict}, lastNode);
    QCOMPARE(tried.awaitingIdentities, awaiting);
    QCOMPARE(tried.order, order);
}

void TestModuleChoice::wantedByWhatSurvivesAReplug_data()
{
    QTest::addColumn<QStringList>("modules");
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("wanted");
    QTest::newRow("serial number") << QStringList{"/dev/hidraw1 S1 left a", "/dev/hidraw2 S2 right a"}
                                   << "/dev/hidraw2" << "S2";
    QTest::newRow("identification without a serial number")
        << QStringList{"/dev/hidraw1 - left a", "/dev/hidraw2 - right a"} << "/dev/hidraw2" << "right";
    QTest::newRow("the same identification twice: the node")
        << QStringList{"/dev/hidraw1 - same a", "/dev/hidraw2 - same a"} << "/dev/hidraw2" << "/dev/hidraw2";
    QTest::newRow("not known yet: the node")
        << QStringList{"/dev/hidraw1 - left a", "/dev/hidraw2 - - h"} << "/dev/hidraw2" << "/dev/hidraw2";
    QTest::newRow("gone meanwhile") << QStringList{"/dev/hidraw1 S1 left a"} << "/dev/hidraw2" << "";
}

void TestModuleChoice::wantedByWhatSurvivesAReplug()
{
    QFETCH(QStringList, modules);
    QFETCH(QString, node);
    QFETCH(QString, wanted);
    QCOMPARE(wantedFor(modulesOf(modules), node), wanted);
}

void TestModuleChoice::deviceNamedByItsIdentification()
{
    SimRig rig;
    auto left = std::make_shared<SimulatedModule>("sim:left");
    auto right = std::make_shared<SimulatedModule>("sim:right");
    left->setIdentification("left");
    right->setIdentification("right");
    rig.backend.add(left);
    rig.backend.add(right);
    rig.start();
    rig.session->chooseModule({"right", true}); // as --device does, before the first search
    QVERIFY(rig.waitForStartUp(*right));
    QVERIFY(drives(rig, "sim:right"));
    QTRY_COMPARE(rig.identity, QString::fromUtf8("Połączono z KLV57 ver.: 1.10 right"));
    // The other was only asked who it is, and let go.
    QCOMPARE(withoutPollsIn(*left), QList<quint8>{Code::DeviceInfo});
    QVERIFY(!ModuleLock::holder("sim:left"));
    QVERIFY(ModuleLock::holder("sim:right"));
}

void TestModuleChoice::chosenModuleUnpluggedAndPluggedAgain()
{
    SimRig rig;
    const std::shared_ptr<SimulatedModule> first = startWithTwoModules(rig);
    QVERIFY(rig.waitForStartUp(*first));
    QVERIFY(drives(rig, "sim:klv57"));

    rig.session->chooseModule({"SIM-0002", true});
    auto second = std::dynamic_pointer_cast<SimulatedModule>(rig.backend.device("sim:klv57-2"));
    QVERIFY(rig.waitForStartUp(*second));
    QVERIFY(drives(rig, "sim:klv57-2"));
    QTRY_COMPARE(rig.identity, QString::fromUtf8("Połączono z KLV57 ver.: 1.10 KLV57 simulator 2"));
    QVERIFY(!ModuleLock::holder("sim:klv57")); // free for another program

    rig.backend.unplug("sim:klv57-2");
    QTRY_COMPARE(rig.status(), QString::fromUtf8("Rozłączony"));
    QVERIFY(!rig.link->isConnected());
    QCOMPARE(rig.hint, QString::fromUtf8("Oczekiwanie na wybrany moduł: SIM-0002"));
    rig.forgetWrites(*first);

    auto again = SimulatedBackend::numberedModule(2);
    rig.backend.plug(again);
    QVERIFY(rig.waitForStartUp(*again));
    QVERIFY(drives(rig, "sim:klv57-2"));
    QCOMPARE(withoutPollsIn(*again).mid(0, 3),
             (QList<quint8>{Code::DeviceInfo, Code::ReadSensorSettings, Code::ReadIoSettings}));
    // The one not chosen stayed alone all along: known already, not even asked again.
    QVERIFY(first->written().empty());
}

void TestModuleChoice::rememberedModuleTakenWhenPluggedIn()
{
    SimRig rig;
    auto first = SimulatedBackend::numberedModule(1);
    rig.backend.add(first);
    rig.start();
    rig.session->chooseModule({"SIM-0002", false});
    QVERIFY(rig.waitForStartUp(*first)); // meanwhile the one present
    QVERIFY(drives(rig, "sim:klv57"));

    auto second = SimulatedBackend::numberedModule(2);
    rig.backend.plug(second);
    QVERIFY(rig.waitForStartUp(*second));
    QVERIFY(drives(rig, "sim:klv57-2"));
}

void TestModuleChoice::moduleHeldElsewhereIsPassedOver()
{
    auto other = std::make_unique<ForeignLock>("sim:klv57", "4242 klv57-pc\n");
    QVERIFY(other->isHeld());
    SimRig rig;
    rig.backend.add(SimulatedBackend::numberedModule(1));
    auto second = SimulatedBackend::numberedModule(2);
    rig.backend.add(second);
    rig.start();
    rig.session->nameEveryModule(); // as a window does
    QVERIFY(rig.waitForStartUp(*second));
    QVERIFY(drives(rig, "sim:klv57-2"));
    const ListedModule &held = rig.link->modules().at(0);
    QVERIFY(held.heldElsewhere);
    QCOMPARE(held.heldElsewhere->pid, 4242);
    QVERIFY(rig.backend.device("sim:klv57")->written().empty());
    QCOMPARE(SessionPresenter::chooserText(held), QString::fromUtf8("sim:klv57, zajęty przez PID 4242"));
    QTRY_COMPARE(rig.hint, QString::fromUtf8("Moduł: KLV57 simulator 2 (sim:klv57-2)"));

    // The other program ends: the mark goes, the module is asked who it is,
    // and this program stays with the module it has.
    other.reset();
    QTRY_COMPARE(SessionPresenter::chooserText(rig.link->modules().at(0)),
                 QString("KLV57 simulator (sim:klv57)"));
    QVERIFY(rig.waitForIdle());
    QVERIFY(drives(rig, "sim:klv57-2"));
    QCOMPARE(withoutPollsIn(*rig.backend.device("sim:klv57")), QList<quint8>{Code::DeviceInfo});
}

// The window-less modes name no module: a program starting beside this one
// must never find a module held for a moment by a question.
void TestModuleChoice::withoutAChooserTheOthersAreLeftAlone()
{
    SimRig rig;
    const std::shared_ptr<SimulatedModule> first = startWithTwoModules(rig);
    QVERIFY(rig.waitForStartUp(*first));
    QVERIFY(rig.backend.device("sim:klv57-2")->written().empty());
    QCOMPARE(rig.backend.openAttempts("sim:klv57-2"), 0);
    QVERIFY(!rig.link->modules().at(1).identity);
}

// Waiting for who they are ends with the deadline or the unplug.
void TestModuleChoice::silentOrVanishingModuleDoesNotHoldTheChoiceUp()
{
    SimRig rig;
    auto silent = std::make_shared<SimulatedModule>("sim:silent");
    silent->setSilent(true);
    auto vanishing = std::make_shared<SimulatedModule>("sim:vanishing");
    vanishing->withholdAnswersTo(Code::DeviceInfo);
    auto wanted = std::make_shared<SimulatedModule>("sim:wanted");
    wanted->setIdentification("wanted");
    for (const auto &module : {silent, vanishing, wanted})
        rig.backend.add(module);
    rig.start();
    rig.session->chooseModule({"wanted", true});
    QTRY_VERIFY(vanishing->withheldAnswers() > 0);
    rig.backend.unplug("sim:vanishing");
    QVERIFY(rig.waitForStartUp(*wanted)); // after the silent one's deadline
    QVERIFY(drives(rig, "sim:wanted"));
    QCOMPARE(rig.link->modules().size(), std::size_t(2));
    QCOMPARE(SessionPresenter::chooserText(rig.link->modules().at(0)), QString("sim:silent"));
}

QTEST_MAIN(TestModuleChoice)
#include "tst_modulechoice.moc"
