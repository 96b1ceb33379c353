// The recording file: when it opens, what it appends, when lines reach the
// disk and how a file that cannot be written is reported.
#include "recordfile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const RecordColumns Defaults{true, true, true, false, true, false, false, false};
const QLocale Polish(QLocale::Polish, QLocale::Poland);
const QDateTime Start(QDate(2024, 3, 7), QTime(9, 5, 7, 45));

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

LiveValues input1(float value)
{
    LiveValues v;
    v.Input1 = value;
    return v;
}

} // namespace

class TestRecordFile : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(path());
        m_frame = 0;
    }
    void headerOnEverySwitchOn();
    void columnsChangeWithoutNewHeader();
    void openedOnlyAtFirstRecord();
    void appendsToEarlierContents();
    void linesReachTheDisk();
    void flushedWhenASecondHasPassed();
    void openFailure_data();
    void openFailure();
    void writeFailure();

private:
    QString path() const { return m_dir.filePath(QStringLiteral("pomiary.csv")); }
    // One record 12 ms after the last, input 1 going up by 0.1.
    bool record(RecordFile &file, const RecordColumns &columns = Defaults)
    {
        ++m_frame;
        return file.appendRecord(path(), columns, input1(12.2f + 0.1f * float(m_frame)),
                                 Start.addMSecs(12 * (m_frame - 1)), 1, Polish);
    }
    QTemporaryDir m_dir;
    int m_frame = 0;
};

void TestRecordFile::headerOnEverySwitchOn()
{
    RecordFile file;
    file.switchOn();
    for (int i = 0; i < 3; ++i)
        QVERIFY(record(file));
    QVERIFY(file.switchOff());
    file.switchOn();
    for (int i = 0; i < 2; ++i)
        QVERIFY(record(file));
    QCOMPARE(file.recordNumber(), 1);
    QVERIFY(file.switchOff());
    QCOMPARE(contents(path()), QByteArray("Date;Time;No.;Canal 1;\r\n"
                                          "7-3-2024;9:5:7:45;0;12,3;\r\n"
                                          "7-3-2024;9:5:7:57;1;12,4;\r\n"
                                          "7-3-2024;9:5:7:69;2;12,5;\r\n"
                                          "Date;Time;No.;Canal 1;\r\n"
                                          "7-3-2024;9:5:7:81;0;12,6;\r\n"
                                          "7-3-2024;9:5:7:93;1;12,7;\r\n"));
}

void TestRecordFile::columnsChangeWithoutNewHeader()
{
    RecordFile file;
    file.switchOn();
    QVERIFY(record(file));
    QVERIFY(record(file, {false, false, false, true, true, false, false, false}));
    file.switchOff();
    QCOMPARE(contents(path()), QByteArray("Date;Time;No.;Canal 1;\r\n"
                                          "7-3-2024;9:5:7:45;0;12,3;\r\n"
                                          "0,0;12,4;\r\n"));
}

void TestRecordFile::openedOnlyAtFirstRecord()
{
    RecordFile file;
    QVERIFY(record(file)); // off: nothing to do
    QVERIFY(!QFile::exists(path()));
    file.switchOn();
    QVERIFY(!QFile::exists(path()));
    QVERIFY(file.switchOff()); // no record in between: no file
    QVERIFY(!QFile::exists(path()));
    file.switchOn();
    QVERIFY(record(file));
    QVERIFY(file.isOpen());
    QVERIFY(QFile::exists(path()));
    file.switchOff();
    QVERIFY(!file.isOpen());
}

void TestRecordFile::appendsToEarlierContents()
{
    QFile earlier(path());
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier\r\n");
    earlier.close();
    RecordFile file;
    file.switchOn();
    QVERIFY(record(file));
    file.switchOff();
    QCOMPARE(contents(path()),
             QByteArray("earlier\r\nDate;Time;No.;Canal 1;\r\n7-3-2024;9:5:7:45;0;12,3;\r\n"));
}

void TestRecordFile::linesReachTheDisk()
{
    const QByteArray twoLines = "Date;Time;No.;Canal 1;\r\n7-3-2024;9:5:7:45;0;12,3;\r\n";
    {
        RecordFile file(std::chrono::hours(1));
        file.switchOn();
        QVERIFY(record(file));
        QCOMPARE(contents(path()), QByteArray()); // buffered, no flush per line
        QVERIFY(file.flush());                    // the page's timer
        QCOMPARE(contents(path()), twoLines);
        QVERIFY(record(file));
        QCOMPARE(contents(path()), twoLines);
    } // program end
    QCOMPARE(contents(path()), twoLines + "7-3-2024;9:5:7:57;1;12,4;\r\n");
}

void TestRecordFile::flushedWhenASecondHasPassed()
{
    RecordFile file(std::chrono::milliseconds(0)); // the interval has always passed
    file.switchOn();
    QVERIFY(record(file));
    QCOMPARE(contents(path()),
             QByteArray("Date;Time;No.;Canal 1;\r\n7-3-2024;9:5:7:45;0;12,3;\r\n"));
}

void TestRecordFile::openFailure_data()
{
    QTest::addColumn<QString>("target");
    // Root ignores permission bits, so the path itself is made impossible.
    QTest::newRow("directory in its place") << "dir";
    QTest::newRow("parent is a file") << "file/pomiary.csv";
}

void TestRecordFile::openFailure()
{
    QFETCH(QString, target);
    QDir(m_dir.path()).mkdir(QStringLiteral("dir"));
    QFile plain(m_dir.filePath(QStringLiteral("file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    const QString impossible = m_dir.filePath(target);
    RecordFile file;
    file.switchOn();
    QVERIFY(!file.appendRecord(impossible, Defaults, input1(1), Start, 1, Polish));
    QVERIFY(!file.isOn());
    QVERIFY(!file.isOpen());
    const QString prefix = QDir::toNativeSeparators(impossible) + QStringLiteral(": ");
    QVERIFY2(file.errorString().startsWith(prefix), qPrintable(file.errorString()));
    QVERIFY(file.errorString().size() > prefix.size()); // the system's reason
    // Off now: the next frame neither retries nor reports again.
    QVERIFY(file.appendRecord(impossible, Defaults, input1(1), Start, 1, Polish));
}

void TestRecordFile::writeFailure()
{
    const QString full = QStringLiteral("/dev/full"); // every write fails: no space left
    if (!QFile::exists(full))
        QSKIP("no /dev/full here");
    RecordFile file(std::chrono::milliseconds(0));
    file.switchOn();
    // A character device has no end to seek to; Qt says so and appends anyway.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot call seek")));
    QVERIFY(!file.appendRecord(full, Defaults, input1(1), Start, 1, Polish));
    QVERIFY(!file.isOn());
    QVERIFY(!file.isOpen());
    QVERIFY2(file.errorString().startsWith(full + QStringLiteral(": ")),
             qPrintable(file.errorString()));
}

QTEST_GUILESS_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
