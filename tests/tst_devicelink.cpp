#include "foreignlock.h"
#include "hiddevice.h"
#include "messagetable.h"
#include "simrig.h"

#include <unistd.h>

#include <QTest>

namespace {
const QString NoConnection = QString::fromUtf8("Brak połączenia");
const QString Disconnected = QString::fromUtf8("Rozłączony");
const QString Connected = QString::fromUtf8("Połączony");

std::shared_ptr<SimDevice> device(const QString &path, const QString &product, bool openable = true)
{
    return std::make_shared<SimDevice>(HidDeviceInfo{path, 0x1234, 0x00AB, product}, openable);
}
} // namespace

class TestDeviceLink : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { SetActiveLanguage(1); }
    void displayNames();
    void stateAfterFirstSearch_data();
    void stateAfterFirstSearch();
    void moduleAttachedIsIdentified();
    void twoModules();
    void plugAndUnplugDuringRun();
    void otherDevicePluggedWhileModuleStays();
    void statusTextsFollowTheLanguage();
    void writesNothingWhenNotConnected();
    void moduleFailingAsGoneIsReleased_data();
    void moduleFailingAsGoneIsReleased();
    void replugInsideOneListing();
    void stalledWriteBlocksNothing();
    void oversizedReportsAreNotOpened();
    void moduleWithoutPermissionNamesItsNode();
    void onlyTheModuleIsOpened();
    void moduleHeldByAnotherProgram();
};

void TestDeviceLink::displayNames()
{
    QCOMPARE(HidDevice::displayName({"p", 0x1234, 0x00AB, ""}), QString("Device VID=1234 PID=00AB"));
    QCOMPARE(HidDevice::displayName({"p", 0x1234, 0x00AB, "KLV57"}), QString("KLV57"));
    QVERIFY(DeviceLink::isModule({"p", 0x1234, 0x00AB, "KLV57"}));
    QVERIFY(!DeviceLink::isModule({"p", 0x1234, 0x00AB, "KLV57 "}));
    QVERIFY(!DeviceLink::isModule({"p", 0x1234, 0x00AB, ""}));
}

void TestDeviceLink::stateAfterFirstSearch_data()
{
    QTest::addColumn<QStringList>("products");    // "!" prefix: cannot be opened
    QTest::addColumn<QStringList>("deviceList");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("connected");

    QTest::newRow("no device") << QStringList{} << QStringList{} << NoConnection << false;
    QTest::newRow("keyboard and mouse") << QStringList{"USB Keyboard", "USB Mouse"}
                                        << QStringList{"USB Keyboard", "USB Mouse"}
                                        << Disconnected << false;
    QTest::newRow("empty product string") << QStringList{""}
                                          << QStringList{"Device VID=1234 PID=00AB"}
                                          << Disconnected << false;
    QTest::newRow("module without access") << QStringList{"USB Keyboard", "!KLV57"}
                                           << QStringList{"USB Keyboard", "KLV57"}
                                           << NoConnection << false;
    QTest::newRow("letter case differs") << QStringList{"klv57"} << QStringList{"klv57"}
                                         << Disconnected << false;
    QTest::newRow("trailing blank") << QStringList{"KLV57 "} << QStringList{"KLV57 "}
                                    << Disconnected << false;
    // The first module that opens is driven, wherever the others stand.
    QTest::newRow("second module has no access")
        << QStringList{"KLV57", "!KLV57"} << QStringList{"KLV57", "KLV57"} << Connected << true;
    QTest::newRow("first module has no access")
        << QStringList{"!KLV57", "KLV57"} << QStringList{"KLV57", "KLV57"} << Connected << true;
}

void TestDeviceLink::stateAfterFirstSearch()
{
    QFETCH(QStringList, products);
    QFETCH(QStringList, deviceList);
    QFETCH(QString, status);
    QFETCH(bool, connected);

    SimRig rig;
    std::vector<std::shared_ptr<SimDevice>> devices;
    for (int i = 0; i < products.size(); ++i) {
        QString product = products[i];
        bool openable = !product.startsWith('!');
        if (!openable)
            product.remove(0, 1);
        std::shared_ptr<SimDevice> d = product == "KLV57" && openable
                                           ? std::make_shared<SimulatedModule>(QString("m%1").arg(i))
                                           : device(QString("d%1").arg(i), product, openable);
        devices.push_back(d);
        rig.backend.add(d);
    }
    rig.start();
    QCOMPARE(rig.status(), NoConnection); // before the event loop runs
    QTRY_VERIFY(rig.statusTexts.size() > 1);
    QTRY_COMPARE(rig.link->deviceList(), deviceList);
    if (!connected)
        QCOMPARE(rig.status(), status);
    QCOMPARE(rig.link->isConnected(), connected);
    QCOMPARE(rig.statusActive, connected);
    for (const auto &d : devices)
        if (!dynamic_cast<SimulatedModule *>(d.get()))
            QVERIFY(d->written().empty());
}

void TestDeviceLink::moduleAttachedIsIdentified()
{
    SimRig rig;
    rig.backend.add(SimulatedBackend::keyboard());
    auto module = std::make_shared<SimulatedModule>();
    rig.backend.add(module);
    rig.start();
    QTRY_VERIFY(rig.statusTexts.contains(Connected));
    QVERIFY(rig.link->isConnected());
    QVERIFY(rig.statusActive);
    QTRY_COMPARE(rig.identity, QString::fromUtf8("Połączono z KLV57 ver.: 1.10 KLV57 simulator"));
    QCOMPARE(writtenCodes(*module).value(0), Code::DeviceInfo);
    QVERIFY(rig.backend.device("sim:keyboard")->written().empty());
}

void TestDeviceLink::twoModules()
{
    SimRig rig;
    auto first = std::make_shared<SimulatedModule>("sim:first");
    auto second = std::make_shared<SimulatedModule>("sim:second");
    second->setIdentification("second");
    rig.backend.add(first);
    rig.backend.add(second);
    rig.start();
    rig.session->nameEveryModule(); // as a window does
    QVERIFY(rig.waitForIdle());
    QTRY_VERIFY(writtenCodes(*first).count(Code::Poll) >= 3);
    // The first is driven; the second is only asked who it is, for the chooser.
    QVERIFY(withoutPolls(writtenCodes(*first)).contains(Code::ReadIoSettings));
    QTRY_VERIFY(rig.link->modules().size() == 2 && rig.link->modules()[1].identity);
    QCOMPARE(rig.link->modules()[1].identity->identification, QByteArray("second"));
    QCOMPARE(writtenCodes(*second), QList<quint8>{Code::DeviceInfo});
    QCOMPARE(rig.link->drivenModule()->info.path, QString("sim:first"));
}

void TestDeviceLink::plugAndUnplugDuringRun()
{
    SimRig rig;
    rig.backend.add(SimulatedBackend::keyboard());
    rig.start();
    QTRY_COMPARE(rig.status(), Disconnected);

    auto module = std::make_shared<SimulatedModule>();
    rig.backend.plug(module);
    QTRY_VERIFY(rig.link->isConnected());
    QTRY_VERIFY(!rig.identity.isEmpty());
    QVERIFY(rig.waitForIdle());

    rig.backend.unplug(module->info().path);
    QTRY_COMPARE(rig.status(), Disconnected);
    QVERIFY(!rig.link->isConnected());
    QVERIFY(!rig.protocol->isPolling());
    QCOMPARE(rig.link->deviceList(), QStringList{"USB Keyboard"});

    rig.backend.unplug("sim:keyboard");
    QTRY_COMPARE(rig.status(), NoConnection);
    QVERIFY(rig.link->deviceList().isEmpty());
}

void TestDeviceLink::otherDevicePluggedWhileModuleStays()
{
    SimRig rig;
    auto module = std::make_shared<SimulatedModule>();
    rig.backend.add(module);
    rig.start();
    QTRY_VERIFY(withoutPolls(writtenCodes(*module)).contains(Code::ReadIoSettings));
    rig.forgetWrites(*module);

    rig.backend.plug(SimulatedBackend::mouse());
    QTRY_VERIFY(withoutPolls(writtenCodes(*module)).contains(Code::ReadIoSettings));
    QCOMPARE(withoutPolls(writtenCodes(*module)),
             (QList<quint8>{Code::DeviceInfo, Code::ReadSensorSettings, Code::ReadIoSettings}));
    QVERIFY(rig.link->isConnected());
    QCOMPARE(rig.link->deviceList(), (QStringList{"KLV57", "USB Optical Mouse"}));
}

void TestDeviceLink::statusTextsFollowTheLanguage()
{
    SimRig rig;
    rig.backend.add(SimulatedBackend::keyboard());
    rig.start();
    SetActiveLanguage(2); // before the first search, as a stored language would
    QTRY_COMPARE(rig.status(), QString("Disconnected"));
    rig.backend.unplug("sim:keyboard");
    QTRY_COMPARE(rig.status(), QString("No connection"));
    rig.backend.plug(std::make_shared<SimulatedModule>());
    QTRY_COMPARE(rig.identity, QString("Connected to KLV57 ver.:1.10 KLV57 simulator"));
    QVERIFY(rig.statusTexts.contains("Connected"));
}

void TestDeviceLink::writesNothingWhenNotConnected()
{
    SimRig rig;
    auto locked = std::make_shared<SimDevice>(HidDeviceInfo{"locked", 1, 2, "KLV57"}, false);
    rig.backend.add(locked);
    rig.start();
    QTRY_COMPARE(rig.status(), NoConnection);
    rig.protocol->sendCommand(Code::ResetMinMax);
    rig.protocol->resumePolling(); // the poll thread runs; the link writes nothing
    QTest::qWait(50);
    QVERIFY(locked->written().empty());
}

void TestDeviceLink::moduleFailingAsGoneIsReleased_data()
{
    QTest::addColumn<bool>("readsFail"); // else only writes (and opens) fail
    QTest::newRow("reads and writes fail") << true;
    QTest::newRow("a write fails") << false;
}

void TestDeviceLink::moduleFailingAsGoneIsReleased()
{
    QFETCH(bool, readsFail);
    SimRig rig;
    auto module = std::make_shared<SimulatedModule>();
    rig.backend.add(module);
    rig.start();
    QVERIFY(rig.waitForIdle());

    // Pulled out, and the system has not said so yet: the dead handle is
    // released and the list built again, where the node no longer opens.
    if (readsFail)
        module->setFailing(true);
    else
        module->setFailingWrites(true);
    QTRY_COMPARE(rig.status(), NoConnection);
    QVERIFY(!rig.link->isConnected());
    QVERIFY(!rig.protocol->isPolling());
    QCOMPARE(rig.link->deviceList(), QStringList{"KLV57"});
    const int reads = module->readCalls();
    QTest::qWait(300);
    QCOMPARE(module->readCalls(), reads); // no read thread is left on it
}

void TestDeviceLink::replugInsideOneListing()
{
    SimRig rig;
    auto first = std::make_shared<SimulatedModule>();
    rig.backend.add(first);
    rig.start();
    QVERIFY(rig.waitForIdle());

    // Out and in again before the GUI thread hears of either: same path,
    // a new node. The old handle is dead and must not be kept.
    auto second = std::make_shared<SimulatedModule>(first->info().path);
    rig.backend.unplug(first->info().path);
    rig.backend.plug(second);
    QTRY_VERIFY(withoutPolls(writtenCodes(*second)).contains(Code::ReadIoSettings));
    QTRY_VERIFY(writtenCodes(*second).count(Code::Poll) >= 3);
    QVERIFY(rig.link->isConnected());
    QVERIFY(rig.statusActive);
    const int readsOfFirst = first->readCalls();
    QTest::qWait(300);
    QCOMPARE(first->readCalls(), readsOfFirst);
}

void TestDeviceLink::stalledWriteBlocksNothing()
{
    SimRig rig;
    auto module = std::make_shared<SimulatedModule>();
    rig.backend.add(module);
    rig.start();
    QVERIFY(rig.waitForIdle());
    rig.protocol->holdPolling(true);
    rig.forgetWrites(*module);

    // The first command stalls on the endpoint; two more queue behind it.
    module->setWriteStall(SimDevice::HoldWrites);
    rig.protocol->sendCommand(Code::ResetMinMax);
    QTRY_COMPARE(module->stalledWrites(), 1);
    rig.protocol->sendCommand(Code::TareSum);
    rig.protocol->sendCommand(Code::ZeroAllInputs);
    QCOMPARE(rig.link->pendingWrites(), 3);

    // The GUI thread goes on meanwhile, through a device change that
    // releases the stalled device and opens it again.
    rig.protocol->holdPolling(false);
    QVERIFY(rig.link->isConnected());
    rig.statusTexts.clear();
    rig.backend.plug(SimulatedBackend::mouse());
    QTRY_VERIFY(rig.statusTexts.contains(Connected));
    QCOMPARE(rig.protocol->awaitedCode(), std::optional<quint8>(Code::DeviceInfo)); // on its way
    QCOMPARE(module->stalledWrites(), 1);

    // The write under way ends on its own; what was queued for the released
    // device is dropped, and the new connection's request follows.
    module->setWriteStall(std::chrono::milliseconds(0));
    QTRY_VERIFY(withoutPolls(writtenCodes(*module)).contains(Code::ReadIoSettings));
    const QList<quint8> sent = withoutPolls(writtenCodes(*module));
    QCOMPARE(sent.mid(0, 2), (QList<quint8>{Code::ResetMinMax, Code::DeviceInfo}));
    QVERIFY(!sent.contains(Code::TareSum));
    QVERIFY(!sent.contains(Code::ZeroAllInputs));
}

void TestDeviceLink::oversizedReportsAreNotOpened()
{
    SimRig rig;
    HidReportLengths hostile{0, 0, true, true};
    auto module = std::make_shared<SimulatedModule>(QStringLiteral("sim:klv57"), hostile);
    rig.backend.add(module);
    rig.start();
    QTRY_COMPARE(rig.link->deviceList(), QStringList{"KLV57"});
    QCOMPARE(rig.status(), NoConnection);
    QTest::qWait(100);
    QCOMPARE(module->readCalls(), 0);
    QVERIFY(module->written().empty());
}

void TestDeviceLink::moduleWithoutPermissionNamesItsNode()
{
    SimRig rig;
    auto keyboard = device("/dev/hidraw0", "USB Keyboard");
    keyboard->setPermissionDenied(true); // only the module's node counts
    rig.backend.add(keyboard);
    auto denied = std::make_shared<SimulatedModule>(QStringLiteral("/dev/hidraw3"));
    denied->setPermissionDenied(true);
    rig.backend.add(denied);
    QList<HidOpenProblem> told;
    rig.start();
    QObject::connect(rig.link, &DeviceLink::accessProblemChanged,
                     [&](const HidOpenProblem &problem) { told << problem; });
    QTRY_COMPARE(rig.link->deviceList(), (QStringList{"USB Keyboard", "KLV57"}));
    QCOMPARE(rig.status(), NoConnection);
    QVERIFY(!rig.link->isConnected());
    const HidOpenProblem noPermission = HidOpenProblem::noPermission("/dev/hidraw3");
    QCOMPARE(told, QList<HidOpenProblem>{noPermission});
    QVERIFY(rig.link->accessProblem() == noPermission);
    QVERIFY(denied->written().empty());

    // The rule installed, the module plugged in again: connected, nothing to tell.
    rig.backend.unplug("/dev/hidraw3");
    rig.backend.plug(std::make_shared<SimulatedModule>(QStringLiteral("/dev/hidraw3")));
    QTRY_VERIFY(rig.link->isConnected());
    QCOMPARE(told.size(), 2);
    QCOMPARE(told.last().kind, HidOpenProblem::Kind::None);

    // Denied again, then pulled out: nothing there, nothing to tell.
    rig.backend.unplug("/dev/hidraw3");
    rig.backend.plug(denied);
    QTRY_COMPARE(told.size(), 3);
    QVERIFY(told.last() == noPermission);
    rig.backend.unplug("/dev/hidraw3");
    QTRY_COMPARE(told.size(), 4);
    QCOMPARE(told.last().kind, HidOpenProblem::Kind::None);
    QCOMPARE(rig.status(), Disconnected);

    // A module that fails to open for another reason names nothing.
    rig.backend.plug(std::make_shared<SimDevice>(HidDeviceInfo{"locked", 1, 2, "KLV57"}, false));
    QTRY_COMPARE(rig.status(), NoConnection);
    QCOMPARE(told.size(), 4);
    QCOMPARE(rig.link->accessProblem().kind, HidOpenProblem::Kind::None);
}

// Keyboards, mice and security keys are listed from the enumeration and
// never opened, at every device change.
void TestDeviceLink::onlyTheModuleIsOpened()
{
    SimRig rig;
    rig.backend.add(SimulatedBackend::keyboard());
    auto module = std::make_shared<SimulatedModule>();
    rig.backend.add(module);
    rig.start();
    QVERIFY(rig.waitForStartUp(*module));
    rig.backend.plug(SimulatedBackend::mouse());
    QTRY_COMPARE(rig.link->deviceList(), (QStringList{"USB Keyboard", "KLV57", "USB Optical Mouse"}));
    QVERIFY(rig.waitForIdle());
    QCOMPARE(rig.backend.openAttempts("sim:keyboard"), 0);
    QCOMPARE(rig.backend.openAttempts("sim:mouse"), 0);
    QCOMPARE(rig.backend.openAttempts(module->info().path), 4); // read and write handle, twice
}

void TestDeviceLink::moduleHeldByAnotherProgram()
{
    SimRig rig;
    auto module = std::make_shared<SimulatedModule>(QStringLiteral("/dev/hidraw5"));
    rig.backend.add(SimulatedBackend::keyboard());
    rig.backend.add(module);
    auto other = std::make_unique<ForeignLock>(QStringLiteral("/dev/hidraw5"), "4242 klv57-pc\n");
    QVERIFY(other->isHeld());
    QList<HidOpenProblem> told;
    rig.start();
    QObject::connect(rig.link, &DeviceLink::accessProblemChanged,
                     [&](const HidOpenProblem &problem) { told << problem; });

    // Listed, named as in use by its holder, never opened nor written to.
    QTRY_COMPARE(told.size(), 1);
    QCOMPARE(told.last(), HidOpenProblem::inUse("/dev/hidraw5", 4242, "klv57-pc"));
    QCOMPARE(rig.link->deviceList(), (QStringList{"USB Keyboard", "KLV57"}));
    QCOMPARE(rig.status(), QString::fromUtf8("Moduł w użyciu (PID 4242)"));
    QVERIFY(!rig.link->isConnected());
    rig.protocol->resumePolling();
    QVERIFY(module->written().empty());

    // The other program ends: this one takes the module, and holds it.
    other.reset();
    QTRY_VERIFY(rig.link->isConnected());
    QCOMPARE(told.last().kind, HidOpenProblem::Kind::None);
    QTRY_VERIFY(!module->written().empty());
    QCOMPARE(ModuleLock::holder("/dev/hidraw5")->pid, qint64(::getpid()));
    ForeignLock late("/dev/hidraw5", "99 late\n");
    QVERIFY(!late.isHeld());

    // Released with the module: free for the next program.
    rig.protocol->holdPolling(true);
    rig.link->releaseAll();
    QTRY_VERIFY(!ModuleLock::holder("/dev/hidraw5"));
}

QTEST_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
