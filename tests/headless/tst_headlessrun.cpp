// The program's window-less modes as a technician runs them over SSH: no
// display at all, config.ini beside a copy of the program, the simulated
// module.
#include "programcopy.h"
#include "recordedfile.h"
#include "textlines.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestHeadlessRun : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listsTheSimulatedModule();
    void recordsUntilStopped_data();
    void recordsUntilStopped();
    void refused_data();
    void refused();
    void twoProgramsTakeOneModuleEach();

private:
    void start(const QStringList &arguments) { start(m_run, arguments); }
    void start(QProcess &run, const QStringList &arguments);
    bool finish(int *exitCode);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;
    QProcess m_run;
};

void TestHeadlessRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_program = copyProgram(m_dir->path(),
                            "[Options]\r\nDataAcquistionSpeed=1\r\nSaveDataSummary=1\r\nSaveDataSens1=0\r\n"
                            "DecimalPoint=3\r\n");
    QVERIFY(!m_program.isEmpty());
}

void TestHeadlessRun::cleanup()
{
    if (m_run.state() != QProcess::NotRunning) { // a failed check left it running
        m_run.kill();
        m_run.waitForFinished();
    }
}

void TestHeadlessRun::start(QProcess &run, const QStringList &arguments)
{
    // No display of any kind: a QApplication could not start here.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert("LC_ALL", "C.UTF-8");
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(m_dir->path());
    run.start(m_program, QStringList{"--simulate"} + arguments);
}

bool TestHeadlessRun::finish(int *exitCode)
{
    if (!m_run.waitForFinished(30000) || m_run.exitStatus() != QProcess::NormalExit)
        return false;
    *exitCode = m_run.exitCode();
    return true;
}

void TestHeadlessRun::listsTheSimulatedModule()
{
    start({"--list"});
    int exitCode = -1;
    QVERIFY(finish(&exitCode));
    QCOMPARE(exitCode, 0);
    QVERIFY(m_run.readAllStandardOutput().contains("sim:klv57\n"));
}

void TestHeadlessRun::recordsUntilStopped_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("terminated"); // by SIGTERM, else by --duration
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("ticks"); // the recorded columns, as RecordColumn
    QTest::newRow("duration, config.ini's choices")
        << QStringList{"--duration", "2"} << false << "Date;Time;No.;Sum;"
        << "11110000";
    QTest::newRow("SIGTERM, options' choices")
        << QStringList{"--rate", "0", "--columns", "sensor2,number,sensor1"} << true
        << "No.;Canal 1;Canal 2;"
        << "00101100";
}

void TestHeadlessRun::recordsUntilStopped()
{
    QFETCH(QStringList, options);
    QFETCH(bool, terminated);
    QFETCH(QString, header);
    QFETCH(QString, ticks);
    const QString file = m_dir->filePath("out.csv");
    start(QStringList{"--record", file} + options);
    QVERIFY(m_run.waitForStarted());
    if (terminated) {
        QTRY_VERIFY_WITH_TIMEOUT(textLines(file).size() > 20, 20000);
        ::kill(pid_t(m_run.processId()), SIGTERM);
    }
    int exitCode = -1;
    QVERIFY(finish(&exitCode));
    const QByteArray messages = m_run.readAllStandardError();
    QVERIFY2(exitCode == 0, messages.constData());
    QVERIFY2(messages.contains("records, "), messages.constData()); // progress

    RecordColumns columns{};
    for (int c = 0; c < RecordColumnCount; ++c)
        columns[std::size_t(c)] = ticks.at(c) == QLatin1Char('1');
    const QStringList recorded = textLines(file);
    QVERIFY(recorded.size() > 2);
    QCOMPARE(recorded[0], header);
    const QRegularExpression record = recordLinePattern(columns, 3); // DecimalPoint=3
    for (int i = 1; i < recorded.size(); ++i)
        QVERIFY2(record.match(recorded[i]).hasMatch(), qPrintable(recorded[i]));
    QList<int> expected{-1};
    for (int n = 0; n < recorded.size() - 1; ++n)
        expected << n;
    const int numberField = int(std::count(columns.begin(), columns.begin() + 2, true));
    QCOMPARE(recordNumbers(recorded, numberField), expected);
}

// Each says why on standard error, naming the file or the option, and
// leaves no file behind.
void TestHeadlessRun::refused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("named");
    QTest::newRow("no such directory")
        << "missing/out.csv" << QStringList() << 1 << "missing/out.csv";
    QTest::newRow("device full") << "/dev/full" << QStringList{"--duration", "20"} << 1
                                 << "/dev/full";
    QTest::newRow("rate past the list") << "out.csv" << QStringList{"--rate", "9"} << 2 << "--rate";
}

void TestHeadlessRun::refused()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, named);
    const QString path = file.startsWith('/') ? file : m_dir->filePath(file);
    start(QStringList{"--record", path} + options);
    int exited = -1;
    QVERIFY(finish(&exited));
    const QString messages = QString::fromUtf8(m_run.readAllStandardError());
    QCOMPARE(exited, exitCode);
    QVERIFY2(messages.contains("klv57-pc: ") && messages.contains(named), qPrintable(messages));
    if (!file.startsWith('/'))
        QVERIFY(!QFile::exists(path));
}

// Two modules, two programs started one after the other without --device:
// each records from a module of its own, the second's loads twice the first's.
void TestHeadlessRun::twoProgramsTakeOneModuleEach()
{
    const QStringList options{"--simulate-modules", "2", "--columns", "sum", "--rate", "0"};
    const QString first = m_dir->filePath("first.csv");
    const QString second = m_dir->filePath("second.csv");
    start(QStringList{"--record", first} + options);
    QTRY_VERIFY_WITH_TIMEOUT(textLines(first).size() > 10, 20000);
    QProcess other;
    start(other, QStringList{"--record", second} + options);
    QTRY_VERIFY_WITH_TIMEOUT(textLines(second).size() > 10, 20000);
    ::kill(pid_t(m_run.processId()), SIGTERM);
    ::kill(pid_t(other.processId()), SIGTERM);
    int exitCode = -1;
    QVERIFY(finish(&exitCode));
    QCOMPARE(exitCode, 0);
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 0);
    QVERIFY(m_run.readAllStandardError().contains("module at sim:klv57 connected"));
    QVERIFY(other.readAllStandardError().contains("module at sim:klv57-2 connected"));

    // The first module's sum swings about 890 N, the second's about 1780 N.
    for (const auto &[file, low, high] : {std::tuple{first, 700.0, 1100.0}, std::tuple{second, 1400.0, 2200.0}}) {
        const QStringList recorded = textLines(file);
        for (int i = 1; i < recorded.size(); ++i) {
            const double sum = recorded[i].section(';', 0, 0).toDouble();
            QVERIFY2(sum > low && sum < high, qPrintable(file + ": " + recorded[i]));
        }
    }
}

QTEST_GUILESS_MAIN(TestHeadlessRun)
#include "tst_headlessrun.moc"
