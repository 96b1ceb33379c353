// --list in-process over simulated devices: each device's block, the module
// marked, the exit status of every connection state, the udev rule named
// for a module without access; and the node permissions it words.
#include "devicelisting.h"
#include "foreignlock.h"
#include "nodepermissions.h"
#include "simulatedbackend.h"
#include "simulatedmodule.h"
#include "udevrule.h"

#include <QMap>
#include <QTemporaryFile>
#include <QTest>
#include <QTextStream>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Fields = QMap<QString, QString>;

// Each device's block by its node: "  name: value" lines under the node,
// up to the blank line before the summary.
QMap<QString, Fields> blocks(const QString &listing)
{
    QMap<QString, Fields> found;
    QString node;
    for (const QString &line : listing.split(QLatin1Char('\n'))) {
        if (line.isEmpty()) {
            break;
        } else if (!line.startsWith(QLatin1Char(' '))) {
            node = line;
            found[node];
        } else if (line.indexOf(QLatin1Char(':')) > 0 && !line.startsWith(QStringLiteral("   "))) {
            found[node][line.section(':', 0, 0).trimmed()] = line.section(':', 1).trimmed();
        }
    }
    return found;
}

} // namespace

class TestDeviceListing : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void connectionStates_data();
    void connectionStates();
    void modeString_data();
    void modeString();
    void permissionsOfAFile();
    void modulesSayWhoTheyAre_data();
    void modulesSayWhoTheyAre();
};

// Each module that opens is asked, under its lock; --device lists only the
// modules that answer to it.
void TestDeviceListing::modulesSayWhoTheyAre_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("status");
    QTest::newRow("all") << "" << QStringList{"sim:keyboard", "sim:klv57", "sim:klv57-2", "sim:klv57-3"}
                         << int(ListingStatus::ModuleUsable);
    QTest::newRow("by identification") << "KLV57 simulator 2" << QStringList{"sim:klv57-2"}
                                       << int(ListingStatus::ModuleUsable);
    QTest::newRow("by serial number") << "SIM-0001" << QStringList{"sim:klv57"}
                                      << int(ListingStatus::ModuleUsable);
    QTest::newRow("held elsewhere, by node") << "sim:klv57-3" << QStringList{"sim:klv57-3"}
                                             << int(ListingStatus::ModuleInUse);
    QTest::newRow("none answers") << "KLV57 simulator 9" << QStringList{} << int(ListingStatus::NoModule);
}

void TestDeviceListing::modulesSayWhoTheyAre()
{
    QFETCH(QString, device);
    QFETCH(QStringList, listed);
    QFETCH(int, status);
    SimulatedBackend backend;
    backend.add(SimulatedBackend::keyboard());
    for (int number = 1; number <= 3; ++number)
        backend.add(SimulatedBackend::numberedModule(number));
    ForeignLock other("sim:klv57-3", "4242 klv57-pc\n");
    QVERIFY(other.isHeld());

    QString listing;
    QTextStream out(&listing);
    QCOMPARE(int(listDevices(backend, out, device)), status);
    out.flush();
    if (listed.isEmpty()) {
        QCOMPARE(listing, QString("No KLV57 module answers to \"KLV57 simulator 9\".\n"));
        return;
    }
    const QMap<QString, Fields> found = blocks(listing);
    QCOMPARE(found.keys(), listed);
    if (found.contains("sim:klv57-2")) {
        const Fields &second = found["sim:klv57-2"];
        QCOMPARE(second.value("serial"), QString("SIM-0002"));
        QCOMPARE(second.value("identification"), QString("KLV57 simulator 2"));
        QCOMPARE(second.value("version"), QString("1.10"));
    }
    if (found.contains("sim:klv57-3")) {
        QCOMPARE(found["sim:klv57-3"].value("read/write"), QString("in use by PID 4242 (klv57-pc)"));
        QVERIFY(!found["sim:klv57-3"].contains("identification"));
        QVERIFY(backend.device("sim:klv57-3")->written().empty()); // not even asked
    }
    QVERIFY(!ModuleLock::holder("sim:klv57")); // let go after asking
}

void TestDeviceListing::connectionStates_data()
{
    QTest::addColumn<QStringList>(
        "devices"); // keyboard, mouse, module, denied (a module without access), held (by
                    // another program)
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("summary");
    QTest::newRow("no module") << QStringList{"keyboard", "mouse"} << int(ListingStatus::NoModule)
                               << "No KLV57 module found.";
    QTest::newRow("a usable module among others")
        << QStringList{"keyboard", "mouse", "module"} << int(ListingStatus::ModuleUsable)
        << "A KLV57 module is ready.";
    QTest::newRow("access refused")
        << QStringList{"keyboard", "denied"} << int(ListingStatus::ModuleNotOpenable)
        << "does not open for reading and writing.";
    QTest::newRow("one of two modules usable")
        << QStringList{"denied", "module"} << int(ListingStatus::ModuleUsable)
        << "A KLV57 module is ready.";
    QTest::newRow("held by another program")
        << QStringList{"keyboard", "held"} << int(ListingStatus::ModuleInUse)
        << "A KLV57 module is present, but another program uses it.";
    QTest::newRow("one held, one usable")
        << QStringList{"held", "module"} << int(ListingStatus::ModuleUsable)
        << "A KLV57 module is ready.";
}

void TestDeviceListing::connectionStates()
{
    QFETCH(QStringList, devices);
    QFETCH(int, status);
    QFETCH(QString, summary);
    SimulatedBackend backend;
    const QString heldNode = QStringLiteral("sim:klv57-held");
    ForeignLock other(heldNode, "4242 klv57-pc\n");
    QVERIFY(other.isHeld());
    for (const QString &kind : devices) {
        if (kind == QLatin1String("held"))
            backend.add(std::make_shared<SimulatedModule>(heldNode));
        else if (kind == QLatin1String("keyboard"))
            backend.add(SimulatedBackend::keyboard());
        else if (kind == QLatin1String("mouse"))
            backend.add(SimulatedBackend::mouse());
        else if (kind == QLatin1String("module"))
            backend.add(std::make_shared<SimulatedModule>());
        else {
            auto denied = std::make_shared<SimulatedModule>(QStringLiteral("sim:klv57-denied"));
            denied->setPermissionDenied(true);
            backend.add(denied);
        }
    }

    QString listing;
    QTextStream out(&listing);
    QCOMPARE(int(listDevices(backend, out)), status);
    out.flush();

    const QMap<QString, Fields> found = blocks(listing);
    QCOMPARE(found.size(), devices.size());
    for (const HidDeviceInfo &info : backend.enumerate()) {
        QVERIFY2(found.contains(info.path), qPrintable(listing));
        const Fields &fields = found[info.path];
        QCOMPARE(fields.value("product"), info.productString);
        const bool module = info.productString == QLatin1String("KLV57");
        QCOMPARE(fields.value("module"), QString(module ? "yes" : "no"));
        const bool denied = backend.device(info.path)->isPermissionDenied();
        if (info.path == heldNode) {
            QCOMPARE(fields.value("read/write"), QString("in use by PID 4242 (klv57-pc)"));
            continue;
        }
        QCOMPARE(fields.value("read/write"), QString(denied ? "no" : "yes"));
        if (denied) {
            QCOMPARE(fields.value("reason"), "no permission to open " + info.path);
            QVERIFY2(fields.value("permissions").startsWith("unknown"), qPrintable(listing));
        } else {
            QVERIFY(!fields.contains("permissions"));
        }
    }
    const bool ruleNamed = listing.contains(UdevRule::ruleText()) &&
                           listing.contains(UdevRule::ReloadCommand) &&
                           listing.contains("/usr/lib/udev/rules.d/70-klv57.rules");
    QCOMPARE(ruleNamed, devices.contains("denied"));
    QVERIFY2(listing.trimmed().endsWith(summary), qPrintable(listing));
}

void TestDeviceListing::modeString_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addColumn<QString>("text");
    QTest::newRow("hidraw without rule") << uint(S_IFCHR | 0600) << "crw-------";
    QTest::newRow("group readable") << uint(S_IFCHR | 0660) << "crw-rw----";
    QTest::newRow("regular file") << uint(S_IFREG | 0644) << "-rw-r--r--";
    QTest::newRow("directory") << uint(S_IFDIR | 0755) << "drwxr-xr-x";
    QTest::newRow("setuid") << uint(S_IFREG | S_ISUID | 0755) << "-rwsr-xr-x";
    QTest::newRow("setgid without execute") << uint(S_IFREG | S_ISGID | 0644) << "-rw-r-Sr--";
    QTest::newRow("sticky") << uint(S_IFDIR | S_ISVTX | 0777) << "drwxrwxrwt";
}

void TestDeviceListing::modeString()
{
    QFETCH(uint, mode);
    QFETCH(QString, text);
    QCOMPARE(::modeString(mode_t(mode)), text);
}

void TestDeviceListing::permissionsOfAFile()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    const std::optional<NodePermissions> node = nodePermissions(file.fileName());
    QVERIFY(node);
    QCOMPARE(node->mode, QString("-rw-------"));
    QCOMPARE(node->owner, QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name));
    QVERIFY(!node->group.isEmpty());
    QVERIFY(!nodePermissions(file.fileName() + ".absent"));
}

QTEST_GUILESS_MAIN(TestDeviceListing)
#include "tst_devicelisting.moc"
