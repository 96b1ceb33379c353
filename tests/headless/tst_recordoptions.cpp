// The options of --record: what they take, what they leave to the settings
// file, and what they refuse, with a message naming the option.
#include "headlessmodes.h"
#include "recordoptions.h"

#include <QTest>

namespace {

// "10010000": date and sum.
RecordColumns columnsOf(const QString &ticks)
{
    RecordColumns columns{};
    for (int c = 0; c < RecordColumnCount; ++c)
        columns[std::size_t(c)] = ticks.at(c) == QLatin1Char('1');
    return columns;
}

const RecordingChoices Stored{QStringLiteral("pomiary.csv"), columnsOf("11100000"), 2, 3};

// A null text is an option left out.
std::optional<QString> given(const QString &value)
{
    return value.isNull() ? std::nullopt : std::optional(value);
}

} // namespace

class TestRecordOptions : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void noColumnStored();
};

void TestRecordOptions::parse_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<int>("rateItem");
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<qint64>("durationMs"); // -1: until a signal
    QTest::addColumn<QString>("error");     // its start; empty: valid

    const QString none;
    // clang-format off
    QTest::newRow("settings file's choices") << "out.csv" << none << none << none << 2 << "11100000" << qint64(-1) << "";
    QTest::newRow("rate by index") << "out.csv" << "4" << none << none << 4 << "11100000" << qint64(-1) << "";
    QTest::newRow("rate by item text") << "out.csv" << "~ 10 / min." << none << none << 3 << "11100000" << qint64(-1) << "";
    QTest::newRow("rate, short text") << "out.csv" << "10/S" << none << none << 1 << "11100000" << qint64(-1) << "";
    QTest::newRow("rate past the list") << "out.csv" << "5" << none << none << 0 << "" << qint64(-1) << "--rate: \"5\"";
    QTest::newRow("rate unknown") << "out.csv" << "fast" << none << none << 0 << "" << qint64(-1) << "--rate: \"fast\"";
    QTest::newRow("columns in any case and order") << "out.csv" << none << "sensor4, TIME,date" << none << 2 << "11000001" << qint64(-1) << "";
    QTest::newRow("every column") << "out.csv" << none << "date,time,number,sum,sensor1,sensor2,sensor3,sensor4" << none << 2 << "11111111" << qint64(-1) << "";
    QTest::newRow("column unknown") << "out.csv" << none << "date,sensor5" << none << 0 << "" << qint64(-1) << "--columns: no column \"sensor5\"";
    QTest::newRow("column name empty") << "out.csv" << none << "date,,time" << none << 0 << "" << qint64(-1) << "--columns: an empty column name";
    QTest::newRow("duration whole") << "out.csv" << none << none << "2" << 2 << "11100000" << qint64(2000) << "";
    QTest::newRow("duration fraction") << "out.csv" << none << none << "0.25" << 2 << "11100000" << qint64(250) << "";
    QTest::newRow("duration zero") << "out.csv" << none << none << "0" << 0 << "" << qint64(-1) << "--duration: \"0\"";
    QTest::newRow("duration negative") << "out.csv" << none << none << "-3" << 0 << "" << qint64(-1) << "--duration: \"-3\"";
    QTest::newRow("duration not a number") << "out.csv" << none << none << "1h" << 0 << "" << qint64(-1) << "--duration: \"1h\"";
    QTest::newRow("duration too long") << "out.csv" << none << none << "1e9" << 0 << "" << qint64(-1) << "--duration: \"1e9\"";
    QTest::newRow("no file name") << " " << none << none << none << 0 << "" << qint64(-1) << "--record needs a file name";
    // clang-format on
}

void TestRecordOptions::parse()
{
    QFETCH(QString, file);
    QFETCH(QString, rate);
    QFETCH(QString, columns);
    QFETCH(QString, duration);
    QFETCH(int, rateItem);
    QFETCH(QString, ticks);
    QFETCH(qint64, durationMs);
    QFETCH(QString, error);

    const ParsedRecordOptions parsed =
        parseRecordOptions({file, given(rate), given(columns), given(duration)}, Stored);
    const QString refusal = recordOptionsProblemText(parsed.problem);
    if (!error.isEmpty()) {
        QVERIFY2(refusal.startsWith(error), qPrintable(refusal));
        return;
    }
    QVERIFY2(!parsed.problem, qPrintable(refusal));
    const RecordingChoices &choices = parsed.options.choices;
    QCOMPARE(choices.path, file);
    QCOMPARE(choices.rateItem, rateItem);
    QCOMPARE(choices.columns, columnsOf(ticks));
    QCOMPARE(choices.decimals, Stored.decimals); // the settings file's, always
    QCOMPARE(parsed.options.duration ? qint64(parsed.options.duration->count()) : qint64(-1),
             durationMs);
}

// A settings file with every column cleared would record empty lines.
void TestRecordOptions::noColumnStored()
{
    RecordingChoices stored = Stored;
    stored.columns = columnsOf("00000000");
    QCOMPARE(parseRecordOptions({"out.csv", {}, {}, {}}, stored).problem.code,
             RecordOptionsProblem::Code::NoColumn);
    QVERIFY(!parseRecordOptions({"out.csv", {}, QString("sum"), {}}, stored).problem);
}

QTEST_GUILESS_MAIN(TestRecordOptions)
#include "tst_recordoptions.moc"
