// --publish as a plant runs it: a copy of the program over the simulated
// module, a real mosquitto broker started and stopped by the test, and a
// subscriber that counts what arrives.
#include "programcopy.h"
#include "recordedfile.h"
#include "testbroker.h"
#include "textlines.h"

#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <set>

class TestPublishRun : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyRecordArrives_data();
    void everyRecordArrives();
    void brokerAwayLosesNothing();
    void queueLimitDropsTheOldestAndKeepsTheRest();
    void refused_data();
    void refused();
    void tls_data();
    void tls();

private:
    void start(const QStringList &arguments, const QByteArray &password = {});
    bool finish(int *exitCode);
    QString messages(); // standard error so far

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;
    QProcess m_run;
    QString m_errors;
};

namespace {

const QString Prefix = QStringLiteral("plant/bench3");

// The record numbers of the values messages, in arrival order.
QList<int> numbersOf(const QList<TestSubscriber::Message> &messages)
{
    QList<int> numbers;
    for (const TestSubscriber::Message &message : messages)
        if (message.topic == Prefix + "/values")
            numbers << QJsonDocument::fromJson(message.payload).object().value("number").toInt(-1);
    return numbers;
}

// The file's record numbers, without its header lines.
QList<int> fileNumbers(const QString &path)
{
    QList<int> numbers = recordNumbers(textLines(path), 0);
    numbers.removeAll(-1);
    return numbers;
}

bool coversEvery(const QList<int> &received, const QList<int> &made)
{
    const std::set<int> seen(received.begin(), received.end());
    return std::all_of(made.begin(), made.end(), [&](int n) { return seen.count(n) != 0; });
}

} // namespace

void TestPublishRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_program = copyProgram(m_dir->path(), "[Options]\r\nDecimalPoint=2\r\n");
    QVERIFY(!m_program.isEmpty());
    m_errors.clear();
}

void TestPublishRun::cleanup()
{
    if (m_run.state() != QProcess::NotRunning) {
        m_run.kill();
        m_run.waitForFinished();
    }
}

void TestPublishRun::start(const QStringList &arguments, const QByteArray &password)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KLV57_MQTT_PASSWORD", "SSL_CERT_FILE",
          "SSL_CERT_DIR"})
        env.remove(QString::fromLatin1(name));
    env.insert("LC_ALL", "C.UTF-8");
    env.insert("XDG_STATE_HOME", m_dir->filePath("state")); // the queue's home
    if (!password.isEmpty())
        env.insert("KLV57_MQTT_PASSWORD", QString::fromUtf8(password));
    m_run.setProcessEnvironment(env);
    m_run.setWorkingDirectory(m_dir->path());
    m_run.start(m_program, QStringList{"--simulate"} + arguments);
}

QString TestPublishRun::messages()
{
    m_errors += QString::fromUtf8(m_run.readAllStandardError());
    return m_errors;
}

bool TestPublishRun::finish(int *exitCode)
{
    if (!m_run.waitForFinished(30000) || m_run.exitStatus() != QProcess::NormalExit)
        return false;
    messages();
    *exitCode = m_run.exitCode();
    return true;
}

void TestPublishRun::everyRecordArrives_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::newRow("--publish alone") << false;
    QTest::newRow("--publish with --record") << true;
}

void TestPublishRun::everyRecordArrives()
{
    QFETCH(bool, withFile);
    TestBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    TestSubscriber subscriber(broker.port(), Prefix + "/#");
    QTRY_VERIFY(subscriber.subscribed() > 0);

    const QString file = m_dir->filePath("out.csv");
    const QString url = QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(broker.port()).arg(Prefix);
    QStringList arguments{"--publish", url, "--rate", "1", "--columns", "number,sum,sensor2",
                          "--duration", "2"};
    if (withFile)
        arguments << "--record" << file;
    start(arguments);
    int exitCode = -1;
    QVERIFY(finish(&exitCode));
    QVERIFY2(exitCode == 0, qPrintable(m_errors));
    QVERIFY2(m_errors.contains("broker connected;") && m_errors.contains(" sent, 0 queued"),
             qPrintable(m_errors));

    // The program waited for the acknowledgements: the broker has them all.
    const QRegularExpression published("Published (\\d+) records");
    const int count = published.match(m_errors).captured(1).toInt();
    QVERIFY2(count > 2, qPrintable(m_errors));
    QTRY_COMPARE(numbersOf(subscriber.messages()).size(), count);
    QList<int> expected;
    for (int n = 0; n < count; ++n)
        expected << n;
    QCOMPARE(numbersOf(subscriber.messages()), expected); // in order, numbered as the file
    if (withFile)
        QCOMPARE(fileNumbers(file), expected);

    for (const TestSubscriber::Message &message : subscriber.messages()) {
        const QJsonObject object = QJsonDocument::fromJson(message.payload).object();
        if (message.topic == Prefix + "/status") {
            QVERIFY(QStringList({"online", "offline"}).contains(object.value("state").toString()));
            continue;
        }
        QCOMPARE(object.keys(), (QStringList{"number", "sensor2", "sum", "time", "unit"}));
        const QString time = object.value("time").toString();
        QVERIFY(QDateTime::fromString(time, Qt::ISODateWithMs).isValid());
        QVERIFY(time.endsWith('Z'));
        // Two decimal places, as DecimalPoint=2 has the file write them.
        const QRegularExpression sum("\"sum\":-?\\d+\\.\\d\\d,");
        QVERIFY2(sum.match(QString::fromUtf8(message.payload)).hasMatch(), message.payload);
    }
    // The status says offline after a clean end; it may still be on its way.
    auto lastStatus = [&] {
        QString state;
        for (const TestSubscriber::Message &message : subscriber.messages())
            if (message.topic == Prefix + "/status")
                state = QJsonDocument::fromJson(message.payload).object().value("state").toString();
        return state;
    };
    QTRY_COMPARE(lastStatus(), QStringLiteral("offline"));
}

void TestPublishRun::brokerAwayLosesNothing()
{
    TestBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    TestSubscriber subscriber(broker.port(), Prefix + "/values");
    QTRY_VERIFY(subscriber.subscribed() > 0);

    const QString file = m_dir->filePath("out.csv");
    start({"--publish", QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(broker.port()).arg(Prefix),
           "--record", file, "--rate", "0", "--columns", "number,sum"});
    QTRY_VERIFY_WITH_TIMEOUT(numbersOf(subscriber.messages()).size() > 20, 20000);

    // Away: the program notices and queues.
    broker.stop();
    QTRY_VERIFY_WITH_TIMEOUT(messages().contains("lost the connection"), 20000);
    const QRegularExpression queued("broker not connected[^;]*; \\d+ sent, (\\d+) queued");
    auto lastQueued = [&] {
        int n = 0;
        for (const QRegularExpressionMatch &m : queued.globalMatch(messages()))
            n = m.captured(1).toInt();
        return n;
    };
    QTRY_VERIFY_WITH_TIMEOUT(lastQueued() > 100, 20000);

    // Back: the queue goes out, then SIGTERM; the end waits for the rest.
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    QTRY_VERIFY_WITH_TIMEOUT(messages().contains("connected to"), 20000);
    ::kill(pid_t(m_run.processId()), SIGTERM);
    int exitCode = -1;
    QVERIFY(finish(&exitCode));
    QVERIFY2(exitCode == 0, qPrintable(m_errors));
    QVERIFY2(!m_errors.contains("not acknowledged are kept"), qPrintable(m_errors));

    const QList<int> made = fileNumbers(file);
    QVERIFY(made.size() > 120);
    QTRY_VERIFY_WITH_TIMEOUT(coversEvery(numbersOf(subscriber.messages()), made), 20000);
}

void TestPublishRun::queueLimitDropsTheOldestAndKeepsTheRest()
{
    // No broker at the port: everything is queued, past the limit.
    const int port = freeLocalPort();
    const QString url = QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(port).arg(Prefix);
    start({"--publish", url, "--rate", "0", "--columns", "sum", "--queue-limit", "4k"});
    QTRY_VERIFY_WITH_TIMEOUT(messages().contains("the queue is full"), 20000);
    ::kill(pid_t(m_run.processId()), SIGTERM);
    int exitCode = -1;
    QVERIFY(finish(&exitCode));
    QCOMPARE(exitCode, 0);
    QVERIFY2(QRegularExpression("\\d+ dropped by the queue limit").match(m_errors).hasMatch(),
             qPrintable(m_errors));
    const QRegularExpression keptLine("(\\d+) records not acknowledged are kept in (\\S+) ");
    const QRegularExpressionMatch kept = keptLine.match(m_errors);
    QVERIFY2(kept.hasMatch(), qPrintable(m_errors));
    qint64 onDisk = 0;
    for (const QFileInfo &info : QDir(kept.captured(2)).entryInfoList({"*.seg"}, QDir::Files))
        onDisk += info.size();
    QVERIFY(onDisk > 0 && onDisk <= 4000);

    // The next run with the same prefix sends the kept records first.
    TestBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    TestSubscriber subscriber(broker.port(), Prefix + "/values");
    QTRY_VERIFY(subscriber.subscribed() > 0);
    const QDateTime secondRun = QDateTime::currentDateTimeUtc();
    m_errors.clear();
    start({"--publish", QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(broker.port()).arg(Prefix),
           "--rate", "3", "--columns", "sum", "--duration", "1"});
    QVERIFY(finish(&exitCode));
    QVERIFY2(exitCode == 0, qPrintable(m_errors));
    const int keptCount = kept.captured(1).toInt();
    QTRY_VERIFY(subscriber.messages().size() >= keptCount);
    const QList<TestSubscriber::Message> received = subscriber.messages();
    for (int i = 0; i < keptCount; ++i) {
        const QJsonObject object = QJsonDocument::fromJson(received[i].payload).object();
        QVERIFY(QDateTime::fromString(object.value("time").toString(), Qt::ISODateWithMs) <
                secondRun);
    }
}

void TestPublishRun::refused_data()
{
    QTest::addColumn<QString>("url"); // %1: the broker's port, %2 a free one
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // parts separated by "|"
    QTest::newRow("wrong password") << "mqtt://kasia@127.0.0.1:%1/p" << QByteArray("zle") << 3
                                    << "refused the connection: Connection Refused: not authorised";
    QTest::newRow("no user") << "mqtt://127.0.0.1:%1/p" << QByteArray() << 3
                             << "refused the connection";
    QTest::newRow("nothing listening")
        << "mqtt://127.0.0.1:%2/p" << QByteArray() << 0
        << "cannot connect to mqtt://127.0.0.1:%2/p: |; the records are queued until it answers";
    QTest::newRow("host that does not resolve")
        << "mqtt://no-such-host.invalid/p" << QByteArray() << 3 << "does not resolve";
    QTest::newRow("malformed URL") << "mqtt:/127.0.0.1/p" << QByteArray() << 2 << "--publish: ";
}

void TestPublishRun::refused()
{
    QFETCH(QString, url);
    QFETCH(QByteArray, password);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    TestBroker broker("kasia", "tajne");
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    const int freePort = freeLocalPort();
    url.replace("%1", QString::number(broker.port())).replace("%2", QString::number(freePort));
    said.replace("%2", QString::number(freePort));
    start({"--publish", url, "--duration", "2"}, password);
    int exited = -1;
    QVERIFY(finish(&exited));
    for (const QString &part : said.split('|'))
        QVERIFY2(m_errors.contains(part), qPrintable(m_errors));
    QCOMPARE(exited, exitCode);
}

void TestPublishRun::tls_data()
{
    QTest::addColumn<bool>("withCaFile");
    QTest::newRow("--cafile with the broker's CA") << true;
    QTest::newRow("the system's store, which does not know it") << false;
}

void TestPublishRun::tls()
{
    QFETCH(bool, withCaFile);
    TestBroker broker({}, {}, true);
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    // Refused, it ends at once; the duration only bounds a run that goes wrong.
    QStringList arguments{"--publish",
                          QStringLiteral("mqtts://127.0.0.1:%1/%2").arg(broker.port()).arg(Prefix),
                          "--duration", withCaFile ? "1" : "20"};
    if (withCaFile)
        arguments << "--cafile" << broker.caFile();
    start(arguments);
    int exitCode = -1;
    QVERIFY(finish(&exitCode));
    if (withCaFile) {
        QVERIFY2(exitCode == 0 && m_errors.contains("broker connected;"), qPrintable(m_errors));
        const QRegularExpression published("Published ([1-9]\\d*) records");
        QVERIFY2(published.match(m_errors).hasMatch() && !m_errors.contains("kept in"),
                 qPrintable(m_errors));
    } else {
        QCOMPARE(exitCode, 3);
        QVERIFY2(m_errors.contains("certificate is not trusted"), qPrintable(m_errors));
    }
}

QTEST_GUILESS_MAIN(TestPublishRun)
#include "tst_publishrun.moc"
