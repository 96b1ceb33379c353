#include "foreignlock.h"
#include "modulelock.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace {
const char *HoldArgument = "--hold";

// Helper mode: takes the node's lock, says so, and keeps it until killed or
// until standard input closes.
int holdLock(const char *node)
{
    const ModuleLock::Attempt attempt = ModuleLock::take(QString::fromLocal8Bit(node));
    std::printf("%s\n", attempt.lock ? "held" : "refused");
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    return attempt.lock ? 0 : 1;
}
} // namespace

class TestModuleLock : public QObject
{
    Q_OBJECT
private slots:
    void init() { qputenv(ModuleLock::DirectoryVariable, m_dir.path().toLocal8Bit()); }
    void fileNames_data();
    void fileNames();
    void holderLines_data();
    void holderLines();
    void heldWithinTheProcessIsShared();
    void anotherHolderIsNamedWithoutTakingIt();
    void anotherProcessHoldsUntilItDies_data();
    void anotherProcessHoldsUntilItDies();

private:
    QTemporaryDir m_dir;
};

void TestModuleLock::fileNames_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("hidraw node") << "/dev/hidraw3" << "klv57-hidraw3.lock";
    QTest::newRow("simulated") << "sim:klv57" << "klv57-sim_klv57.lock";
    QTest::newRow("emulated") << "/emu/hidraw1" << "klv57-_emu_hidraw1.lock";
    QTest::newRow("no way out") << "../../etc/x y" << "klv57-.._.._etc_x_y.lock";
    QTest::newRow("not ascii") << QString::fromUtf8("/dev/ż") << "klv57-_.lock";
}

void TestModuleLock::fileNames()
{
    QFETCH(QString, node);
    QTEST(ModuleLock::fileName(node), "fileName");
    QVERIFY(!ModuleLock::fileName(node).contains(QLatin1Char('/')));
}

void TestModuleLock::holderLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<QString>("program");
    QTest::newRow("pid and name") << QByteArray("1234 klv57-pc\n") << true << qint64(1234) << "klv57-pc";
    QTest::newRow("name with blank") << QByteArray("77 my prog\n") << true << qint64(77) << "my prog";
    QTest::newRow("pid only") << QByteArray("42\n") << true << qint64(42) << "";
    QTest::newRow("no newline") << QByteArray("42 a") << true << qint64(42) << "a";
    QTest::newRow("empty: not written yet") << QByteArray() << false << qint64(0) << "";
    QTest::newRow("not a number") << QByteArray("x1 a\n") << false << qint64(0) << "";
    QTest::newRow("zero") << QByteArray("0 a\n") << false << qint64(0) << "";
    QTest::newRow("negative") << QByteArray("-5 a\n") << false << qint64(0) << "";
}

void TestModuleLock::holderLines()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    const std::optional<LockHolder> holder = LockHolder::decode(text);
    QCOMPARE(holder.has_value(), valid);
    if (!valid)
        return;
    QTEST(holder->pid, "pid");
    QTEST(holder->program, "program");
    QCOMPARE(LockHolder::decode(holder->encode()), holder);
}

void TestModuleLock::heldWithinTheProcessIsShared()
{
    const QString node = QStringLiteral("/dev/hidraw7");
    QVERIFY(!ModuleLock::holder(node));
    {
        const ModuleLock::Attempt first = ModuleLock::take(node);
        QVERIFY(first.lock);
        const std::optional<LockHolder> holder = ModuleLock::holder(node);
        QVERIFY(holder);
        QCOMPARE(holder->pid, qint64(::getpid()));
        QCOMPARE(holder->program, QStringLiteral("tst_modulelock"));
        // The node plugged in again while the old device's write finishes.
        const ModuleLock::Attempt again = ModuleLock::take(node);
        QCOMPARE(again.lock, first.lock);
        QVERIFY(!again.heldBy);
    }
    QVERIFY(!ModuleLock::holder(node));
    QVERIFY(ModuleLock::take(node).lock);
}

void TestModuleLock::anotherHolderIsNamedWithoutTakingIt()
{
    const QString node = QStringLiteral("/dev/hidraw8");
    ForeignLock other(node, "4242 other-program\n");
    QVERIFY(other.isHeld());
    QCOMPARE(ModuleLock::holder(node), (LockHolder{4242, "other-program"}));
    QCOMPARE(ModuleLock::holder(node), (LockHolder{4242, "other-program"})); // asking took nothing
    const ModuleLock::Attempt attempt = ModuleLock::take(node);
    QVERIFY(!attempt.lock);
    QCOMPARE(attempt.heldBy, (LockHolder{4242, "other-program"}));
    other.release();
    QVERIFY(!ModuleLock::holder(node));
    QVERIFY(ModuleLock::take(node).lock);
}

void TestModuleLock::anotherProcessHoldsUntilItDies_data()
{
    QTest::addColumn<bool>("crash");
    QTest::newRow("ends") << false;
    QTest::newRow("is killed") << true;
}

void TestModuleLock::anotherProcessHoldsUntilItDies()
{
    QFETCH(bool, crash);
    const QString node = QStringLiteral("/dev/hidraw9");
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(HoldArgument), node});
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(60000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

    QCOMPARE(ModuleLock::holder(node), (LockHolder{holder.processId(), "tst_modulelock"}));
    const ModuleLock::Attempt refused = ModuleLock::take(node);
    QVERIFY(!refused.lock);
    QCOMPARE(refused.heldBy->pid, holder.processId());

    if (crash)
        ::kill(pid_t(holder.processId()), SIGKILL);
    else
        holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(60000));
    QVERIFY(!ModuleLock::holder(node));
    QVERIFY(ModuleLock::take(node).lock);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], HoldArgument) == 0)
        return holdLock(argv[2]);
    QCoreApplication app(argc, argv);
    TestModuleLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_modulelock.moc"
