// The real program against the simulated module, as a technician runs it:
// config.ini beside the executable switches recording on; a termination
// signal writes it and closes the recording file, and ends the program even
// when config.ini cannot be written.
#include "programcopy.h"
#include "textlines.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <unistd.h>

class TestProgramRun : public QObject
{
    Q_OBJECT
private slots:
    void recordsAndKeepsItsSettings_data();
    void recordsAndKeepsItsSettings();
    void endsOnSignalWithReadOnlySettings();
    void exportsTheTranslationRows();
};

namespace {

const QStringList WrittenAtClose{
    "Checkbox_DataAcquistion", "DataAcquistionSpeed", "SaveDate", "SaveTime", "SaveDataCnt",
    "SaveDataSummary", "SaveDataSens1", "SaveDataSens2", "SaveDataSens3", "SaveDataSens4",
    "ChartSeries1", "ChartSeries2", "ChartSeries3", "ChartSeries4", "ChartSeries5", "TimeSize",
    "Sampling", "DecimalPoint", "Language"};

QByteArray recordedBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// The program promises to end within two seconds of a termination signal;
// the cap leaves room for a loaded machine.
constexpr int EndCapMs = 10000;

// Root writes read-only files, so as root the program runs as nobody.
constexpr uid_t Nobody = 65534;

} // namespace

void TestProgramRun::recordsAndKeepsItsSettings_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestProgramRun::recordsAndKeepsItsSettings()
{
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = copyProgram(dir.path(), "[Options]\r\nCheckbox_DataAcquistion=1\r\nFileName=pomiary.csv\r\n");
    QVERIFY(!program.isEmpty());

    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path()); // no translation file of the user's
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(dir.path());
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.start(program, {QStringLiteral("--simulate")});
    QVERIFY(run.waitForStarted());

    const QString recording = dir.filePath(QStringLiteral("pomiary.csv"));
    QTRY_VERIFY_WITH_TIMEOUT(textLines(recording).size() > 40, 20000);
    ::kill(pid_t(run.processId()), signalNumber);
    QVERIFY(run.waitForFinished(20000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);

    // Every line reached the disk: the header, then records numbered from 0
    // without a gap, each complete.
    const QStringList recorded = textLines(recording);
    QCOMPARE(recorded.value(0), QStringLiteral("Date;Time;No.;Canal 1;"));
    const QRegularExpression record(QStringLiteral("^\\d+-\\d+-\\d+;\\d+:\\d+:\\d+:\\d+;(\\d+);-?\\d+\\.\\d;$"));
    for (int i = 1; i < recorded.size(); ++i) {
        const QRegularExpressionMatch m = record.match(recorded[i]);
        QVERIFY2(m.hasMatch(), qPrintable(recorded[i]));
        QCOMPARE(m.captured(1).toInt(), i - 1);
    }

    // config.ini written at close: the 19 keys in order, FileName kept.
    const QStringList written = textLines(dir.filePath(QStringLiteral("config.ini")));
    QStringList keys;
    for (const QString &line : written)
        if (line.contains('=') && !line.startsWith(QLatin1String("FileName=")))
            keys << line.section('=', 0, 0);
    QCOMPARE(keys, WrittenAtClose);
    QVERIFY(written.contains(QStringLiteral("Checkbox_DataAcquistion=1")));
    QVERIFY(written.contains(QStringLiteral("FileName=pomiary.csv")));
}

void TestProgramRun::endsOnSignalWithReadOnlySettings()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray settings = "[Options]\r\nCheckbox_DataAcquistion=1\r\nFileName=pomiary.csv\r\n";
    const QString program = copyProgram(dir.path(), settings);
    QVERIFY(!program.isEmpty());
    const QString configPath = dir.filePath(QStringLiteral("config.ini"));
    QFile config(configPath);
    QVERIFY(config.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        for (const QString &path : {dir.path(), configPath})
            QVERIFY(::chown(QFile::encodeName(path).constData(), Nobody, Nobody) == 0);
    }

    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("HOME"), dir.path());
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(dir.path());
    if (asRoot) {
        run.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
                ::_exit(97);
        });
    }
    run.start(program, {QStringLiteral("--simulate")});
    QVERIFY(run.waitForStarted());

    const QString recording = dir.filePath(QStringLiteral("pomiary.csv"));
    QTRY_VERIFY_WITH_TIMEOUT(textLines(recording).size() > 5, 20000);
    ::kill(pid_t(run.processId()), SIGTERM);
    QVERIFY2(run.waitForFinished(EndCapMs), "still running after SIGTERM");
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 1); // config.ini was not written

    const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("Unable to write to %1: ").arg(configPath)), qPrintable(errors));
    QCOMPARE(recordedBytes(configPath), settings);
    // The recording file was closed with every line complete.
    QVERIFY(recordedBytes(recording).endsWith("\r\n"));
    QCOMPARE(textLines(recording).value(0), QStringLiteral("Date;Time;No.;Canal 1;"));
}

// --export-translation writes the rows and ends, with no window.
void TestProgramRun::exportsTheTranslationRows()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = copyProgram(dir.path());
    QVERIFY(!program.isEmpty());
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString exported = dir.filePath(QStringLiteral("deutsch.txt"));
    run.start(program, {QStringLiteral("--export-translation"), exported});
    QVERIFY(run.waitForFinished(20000));
    QCOMPARE(run.exitCode(), 0);
    QFile file(exported);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QVERIFY(lines.contains(QStringLiteral("Label26\tRejestracja do pliku:\tAcquisition to file:\tAcquisition to file:")));
    QVERIFY(lines.contains(QStringLiteral("stLanguage")));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("config.ini"))));

    run.start(program, {QStringLiteral("--export-translation"), dir.filePath(QStringLiteral("no/such/dir/x.txt"))});
    QVERIFY(run.waitForFinished(20000));
    QCOMPARE(run.exitCode(), 1);
}

QTEST_GUILESS_MAIN(TestProgramRun)
#include "tst_programrun.moc"
