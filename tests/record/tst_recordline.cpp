// The recorder's line format, frame counting and file name, without a window.
#include "recordline.h"

#include <QTest>

#include <limits>

Q_DECLARE_METATYPE(RecordColumns)

namespace {

// Columns from a pattern in column order: Date Time No. Sum Canal 1..4.
RecordColumns columns(const char (&pattern)[9])
{
    RecordColumns c{};
    for (std::size_t i = 0; i < c.size(); ++i)
        c[i] = pattern[i] == 'x';
    return c;
}

LiveValues values(float sum, float in1, float in2 = 0, float in3 = 0, float in4 = 0)
{
    LiveValues v;
    v.Sum = sum;
    v.Input1 = in1;
    v.Input2 = in2;
    v.Input3 = in3;
    v.Input4 = in4;
    return v;
}

const QDateTime Example(QDate(2024, 3, 7), QTime(9, 5, 7, 45));
const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

} // namespace

class TestRecordLine : public QObject
{
    Q_OBJECT
private slots:
    void header_data();
    void header();
    void line_data();
    void line();
    void rates_data();
    void rates();
    void rateChangeKeepsCount();
    void resetStartsAgain();
    void fileName_data();
    void fileName();
};

void TestRecordLine::header_data()
{
    QTest::addColumn<RecordColumns>("ticked");
    QTest::addColumn<QString>("expected");
    QTest::newRow("defaults") << columns("xxx.x...") << "Date;Time;No.;Canal 1;\r\n";
    QTest::newRow("all") << columns("xxxxxxxx")
                         << "Date;Time;No.;Sum;Canal 1;Canal 2;Canal 3;Canal 4;\r\n";
    QTest::newRow("none") << columns("........") << "\r\n";
    QTest::newRow("sum and 4") << columns("...x...x") << "Sum;Canal 4;\r\n";
}

void TestRecordLine::header()
{
    QFETCH(RecordColumns, ticked);
    QFETCH(QString, expected);
    QCOMPARE(buildRecordHeader(ticked), expected);
}

void TestRecordLine::line_data()
{
    QTest::addColumn<RecordColumns>("ticked");
    QTest::addColumn<LiveValues>("live");
    QTest::addColumn<int>("number");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    const RecordColumns defaults = columns("xxx.x...");
    const RecordColumns all = columns("xxxxxxxx");
    QTest::newRow("example, comma") << defaults << values(0, 12.3f) << 0 << Example << 1 << "pl_PL"
                                    << "7-3-2024;9:5:7:45;0;12,3;\r\n";
    QTest::newRow("example, full stop")
        << defaults << values(0, 12.3f) << 1 << Example << 1 << "en_US"
        << "7-3-2024;9:5:7:45;1;12.3;\r\n";
    QTest::newRow("all columns in order")
        << all << values(-1.5f, 1.25f, 2, 3, 4) << 41
        << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 999)) << 2 << "en_US"
        << "31-12-2024;23:59:59:999;41;-1.50;1.25;2.00;3.00;4.00;\r\n";
    QTest::newRow("midnight") << columns("xx......") << values(0, 0) << 0
                              << QDateTime(QDate(2025, 1, 1), QTime(0, 0)) << 1 << "pl_PL"
                              << "1-1-2025;0:0:0:0;\r\n";
    QTest::newRow("0 decimals round")
        << columns("....x...") << values(0, 12.6f) << 0 << Example << 0 << "pl_PL"
        << "13;\r\n";
    QTest::newRow("3 decimals pad")
        << columns("....x...") << values(0, 12.6f) << 0 << Example << 3 << "pl_PL"
        << "12,600;\r\n";
    QTest::newRow("4 decimals") << columns("...x....") << values(-0.125f, 0) << 0 << Example << 4
                                << "en_US"
                                << "-0.1250;\r\n";
    QTest::newRow("no thousands separator")
        << columns("...x....") << values(1234567.0f, 0) << 0 << Example << 1 << "pl_PL"
        << "1234567,0;\r\n";
    QTest::newRow("inactive inputs written too")
        << columns(".....xxx") << values(0, 0, 0, 0, 0) << 0 << Example << 0 << "en_US"
        << "0;0;0;\r\n";
    QTest::newRow("none") << columns("........") << values(1, 1) << 5 << Example << 1 << "en_US"
                          << "\r\n";
    QTest::newRow("not finite") << columns("...xxx..") << values(NaN, Inf, -Inf) << 0 << Example
                                << 1 << "en_US"
                                << "---;---;---;\r\n";
    QTest::newRow("no clock reading")
        << columns("xxx.....") << values(0, 0) << 3 << QDateTime() << 1 << "en_US"
        << "---;---;3;\r\n";
    QTest::newRow("negative number") << columns("..x.....") << values(0, 0)
                                     << std::numeric_limits<int>::min() << Example << 1 << "en_US"
                                     << "-2147483648;\r\n";
}

void TestRecordLine::line()
{
    QFETCH(RecordColumns, ticked);
    QFETCH(LiveValues, live);
    QFETCH(int, number);
    QFETCH(QDateTime, now);
    QFETCH(int, decimals);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(BuildRecordLine(ticked, live, number, now, decimals, QLocale(locale)), expected);
}

void TestRecordLine::rates_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("period"); // frames from one record to the next
    QTest::newRow("~ 80 / s.") << 0 << 1;
    QTest::newRow("~ 10 / s.") << 1 << 8;
    QTest::newRow("~ 1 / s.") << 2 << 80;
    QTest::newRow("~ 10 / min.") << 3 << 480;
    QTest::newRow("~ 1 / min") << 4 << 4800;
    QTest::newRow("no selection") << -1 << 1;
    QTest::newRow("past the list") << 5 << 1;
}

void TestRecordLine::rates()
{
    QFETCH(int, item);
    QFETCH(int, period);
    RecordingStep step(item);
    QList<int> due;
    for (int frame = 1; frame <= 3 * period; ++frame) {
        if (step.frameArrived())
            due.append(frame);
    }
    QCOMPARE(due, (QList<int>{period, 2 * period, 3 * period}));
}

void TestRecordLine::rateChangeKeepsCount()
{
    RecordingStep step(2);
    for (int frame = 0; frame < 10; ++frame)
        QVERIFY(!step.frameArrived());
    step.setRateItem(1); // 10 frames counted, 8 needed: the next frame records
    QVERIFY(step.frameArrived());
    QCOMPARE(step.frameCount(), 0u);
}

void TestRecordLine::resetStartsAgain()
{
    RecordingStep step(1);
    for (int frame = 0; frame < 5; ++frame)
        step.frameArrived();
    step.reset(); // recording off
    for (int frame = 0; frame < 7; ++frame)
        QVERIFY(!step.frameArrived());
    QVERIFY(step.frameArrived());
}

void TestRecordLine::fileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bare, CSV") << "/d/data" << RecordFileFilterCsv << "/d/data.csv";
    QTest::newRow("bare, TXT") << "/d/data" << RecordFileFilterTxt << "/d/data.txt";
    QTest::newRow("txt with CSV filter") << "wyniki.txt" << RecordFileFilterCsv << "wyniki.txt";
    QTest::newRow("upper case kept") << "DATA.CSV" << RecordFileFilterTxt << "DATA.CSV";
    QTest::newRow("mixed case kept") << "a.Txt" << RecordFileFilterCsv << "a.Txt";
    QTest::newRow("other extension") << "data.xls" << RecordFileFilterTxt << "data.xls.txt";
    QTest::newRow("extension on the folder only")
        << "/d.csv/data" << RecordFileFilterCsv << "/d.csv/data.csv";
    QTest::newRow("no filter reported") << "data" << QString() << "data.csv";
}

void TestRecordLine::fileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(recordFileNameFor(chosen, filter), expected);
}

QTEST_GUILESS_MAIN(TestRecordLine)
#include "tst_recordline.moc"
