// The display tick's texts and bar rules, without a window.
#include "livedisplay.h"
#include "protocolcodes.h"

#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(DisplayChoice)

namespace {

constexpr int Keep = -1; // the control keeps what it shows
const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

int orKeep(const std::optional<int> &position)
{
    return position ? *position : Keep;
}

LiveValues values(float sum, float max, float min, std::array<float, 4> inputs = {0, 0, 0, 0},
                  float analog = 0)
{
    LiveValues v;
    v.Sum = sum;
    v.Max = max;
    v.Min = min;
    v.Input1 = inputs[0];
    v.Input2 = inputs[1];
    v.Input3 = inputs[2];
    v.Input4 = inputs[3];
    v.AnalogOut = analog;
    return v;
}

DisplayState state(int activeInputs, const QString &unit = QStringLiteral(" N"),
                   quint32 range = 1000)
{
    DisplayState s;
    s.ActiveInputs = activeInputs;
    for (quint32 &r : s.SensorRange)
        r = range;
    s.UnitSuffix = unit;
    s.AnalogUnitSuffix = QStringLiteral(" mA");
    s.AnalogFullScale = 20.0f;
    return s;
}

const QLocale English(QLocale::English, QLocale::UnitedStates);

} // namespace

class TestLiveDisplay : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(English); }
    void largeValue_data();
    void largeValue();
    void inputs_data();
    void inputs();
    void inputBar_data();
    void inputBar();
    void analog_data();
    void analog();
    void ioStates_data();
    void ioStates();
    void disconnectedWritesOnlyDashes();
    void nonFinite_data();
    void nonFinite();
    void taraCommand_data();
    void taraCommand();
};

void TestLiveDisplay::largeValue_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("activeInputs");
    QTest::addColumn<DisplayChoice>("choice");
    QTest::addColumn<QString>("sum"); // null: DisplaySum unchanged
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("min");

    const QLocale polish(QLocale::Polish, QLocale::Poland);
    const QString g = polish.groupSeparator();
    QTest::newRow("sum, English groups") << English << 1 << " N" << 3 << DisplayChoice::Sum
                                         << "1,234.6 N" << "2,000.0" << "-12.4";
    QTest::newRow("sum, Polish groups") << polish << 1 << " N" << 3 << DisplayChoice::Sum
                                        << "1" + g + "234,6 N" << "2" + g + "000,0" << "-12,4";
    QTest::newRow("0 decimals") << English << 0 << " kg" << 3 << DisplayChoice::Sum
                                << "1,235 kg" << "2,000" << "-12";
    QTest::newRow("4 decimals, no unit before the settings")
        << English << 4 << "" << 0 << DisplayChoice::Sum << "1,234.5601" << "2,000.0000"
        << "-12.4000";
    QTest::newRow("input 1, always active") << English << 1 << " N" << 0 << DisplayChoice::Input1
                                            << "101.5 N" << "2,000.0" << "-12.4";
    QTest::newRow("input 2 inactive") << English << 1 << " N" << 0 << DisplayChoice::Input2
                                      << "------------- " << "2,000.0" << "-12.4";
    QTest::newRow("input 2 active") << English << 1 << " N" << 1 << DisplayChoice::Input2
                                    << "-202.3 N" << "2,000.0" << "-12.4";
    QTest::newRow("input 3, input 1 only") << English << 1 << " N" << 0 << DisplayChoice::Input3
                                           << "------------- " << "2,000.0" << "-12.4";
    QTest::newRow("input 3 active") << English << 1 << " N" << 2 << DisplayChoice::Input3
                                    << "3,030.0 N" << "2,000.0" << "-12.4";
    QTest::newRow("input 4, three active") << English << 1 << " N" << 2 << DisplayChoice::Input4
                                           << "------------- " << "2,000.0" << "-12.4";
    QTest::newRow("input 4 active") << English << 2 << " g" << 3 << DisplayChoice::Input4
                                    << "0.04 g" << "2,000.00" << "-12.40";
    QTest::newRow("nothing chosen") << English << 1 << " N" << 3 << DisplayChoice::None
                                    << QString() << "2,000.0" << "-12.4";
}

void TestLiveDisplay::largeValue()
{
    QFETCH(QLocale, locale);
    QFETCH(int, decimals);
    QFETCH(QString, unit);
    QFETCH(int, activeInputs);
    QFETCH(DisplayChoice, choice);
    QFETCH(QString, sum);
    QFETCH(QString, max);
    QFETCH(QString, min);

    const LiveDisplay d = liveDisplay(values(1234.56f, 2000.0f, -12.4f, {101.5f, -202.3f, 3030.0f, 0.04f}),
                                      state(activeInputs, unit), true, choice, decimals, locale);
    QCOMPARE(d.sumText.has_value(), !sum.isNull());
    if (d.sumText)
        QCOMPARE(*d.sumText, sum);
    QCOMPARE(d.maxText, max);
    QCOMPARE(d.minText, min);
    QVERIFY(d.connected);
}

void TestLiveDisplay::inputs_data()
{
    QTest::addColumn<int>("activeInputs");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("enabled");
    QTest::addColumn<QList<int>>("bars");

    const QString off = QStringLiteral(" -------------- ");
    QTest::newRow("input 1 only") << 0 << QStringList{"-250.0 N", off, off, off}
                                  << QList<bool>{true, false, false, false}
                                  << QList<int>{125, Keep, Keep, Keep};
    QTest::newRow("inputs 1 and 2") << 1 << QStringList{"-250.0 N", "2.0 N", off, off}
                                    << QList<bool>{true, true, false, false}
                                    << QList<int>{125, 1, Keep, Keep};
    QTest::newRow("inputs 1 to 3") << 2 << QStringList{"-250.0 N", "2.0 N", "1,000.0 N", off}
                                   << QList<bool>{true, true, true, false}
                                   << QList<int>{125, 1, 500, Keep};
    QTest::newRow("all four") << 3 << QStringList{"-250.0 N", "2.0 N", "1,000.0 N", "998.0 N"}
                              << QList<bool>{true, true, true, true}
                              << QList<int>{125, 1, 500, 499};
}

void TestLiveDisplay::inputs()
{
    QFETCH(int, activeInputs);
    QFETCH(QStringList, texts);
    QFETCH(QList<bool>, enabled);
    QFETCH(QList<int>, bars);

    const LiveDisplay d = liveDisplay(values(0, 0, 0, {-250.0f, 2.0f, 1000.0f, 998.0f}),
                                      state(activeInputs), true, DisplayChoice::Sum, 1, English);
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(d.inputTexts[k], texts[k]);
        QCOMPARE(d.inputEnabled[k], std::optional<bool>(enabled[k]));
        QCOMPARE(orKeep(d.inputBars[k]), bars[k]);
    }
}

void TestLiveDisplay::inputBar_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<quint32>("range");
    QTest::addColumn<int>("position");

    QTest::newRow("-250 of 1000") << -250.0f << 1000u << 125;
    QTest::newRow("truncated toward zero") << 333.3f << 1000u << 166;
    QTest::newRow("position 2") << 4.0f << 1000u << 2;
    QTest::newRow("position 1") << 2.0f << 1000u << 1;
    QTest::newRow("1.5 truncates to 1") << 3.0f << 1000u << 1;
    QTest::newRow("tared to zero empties") << 0.0f << 1000u << 0;
    QTest::newRow("below one step empties") << 1.9f << 1000u << 0;
    QTest::newRow("499") << 999.9f << 1000u << 499;
    QTest::newRow("full scale fills") << 1000.0f << 1000u << 500;
    QTest::newRow("overload fills") << -5000.0f << 1000u << 500;
    QTest::newRow("largest float fills") << std::numeric_limits<float>::max() << 1u << 500;
    QTest::newRow("range 0 keeps") << 250.0f << 0u << Keep;
    QTest::newRow("largest range") << 1.0e9f << 4294967295u << 116;
}

void TestLiveDisplay::inputBar()
{
    QFETCH(float, value);
    QFETCH(quint32, range);
    QFETCH(int, position);
    QCOMPARE(orKeep(inputBarPosition(value, range)), position);
}

void TestLiveDisplay::analog_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<float>("fullScale");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bar");

    QTest::newRow("4-20 mA at 4 mA") << 4.0f << " mA" << 20.0f << 1 << "4.00 mA" << 200;
    QTest::newRow("2 decimals whatever N") << 4.0f << " mA" << 20.0f << 4 << "4.00 mA" << 200;
    QTest::newRow("zero is set") << 0.0f << " V" << 10.0f << 1 << "0.00 V" << 0;
    QTest::newRow("full scale is set") << 10.0f << " V" << 10.0f << 1 << "10.00 V" << 1000;
    QTest::newRow("over full scale capped") << 25.0f << " mA" << 20.0f << 1 << "25.00 mA" << 1000;
    QTest::newRow("truncated") << 3.3339f << " V" << 10.0f << 0 << "3.33 V" << 333;
    QTest::newRow("negative") << -5.0f << " V" << 10.0f << 1 << "-5.00 V" << 500;
    QTest::newRow("no settings yet") << 3.3f << "" << 0.0f << 1 << "3.30" << Keep;
    QTest::newRow("largest float capped")
        << std::numeric_limits<float>::max() << " V" << 10.0f << 1 << "3.4028235E+38 V" << 1000;
}

void TestLiveDisplay::analog()
{
    QFETCH(float, value);
    QFETCH(QString, unit);
    QFETCH(float, fullScale);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QFETCH(int, bar);

    DisplayState s = state(3);
    s.AnalogUnitSuffix = unit;
    s.AnalogFullScale = fullScale;
    const LiveDisplay d = liveDisplay(values(0, 0, 0, {}, value), s, true, DisplayChoice::Sum,
                                      decimals, English);
    QCOMPARE(d.analogText, std::optional<QString>(text));
    QCOMPARE(orKeep(d.analogBar), bar);
}

void TestLiveDisplay::ioStates_data()
{
    QTest::addColumn<quint8>("frameByte");
    QTest::addColumn<QList<bool>>("on"); // IN1, IN2, OUT1, OUT2

    QTest::newRow("0x00") << quint8(0x00) << QList<bool>{false, false, false, false};
    QTest::newRow("0x05") << quint8(0x05) << QList<bool>{true, false, true, false};
    QTest::newRow("0x0A") << quint8(0x0A) << QList<bool>{false, true, false, true};
    QTest::newRow("unused bits ignored") << quint8(0xF3) << QList<bool>{true, true, false, false};
}

void TestLiveDisplay::ioStates()
{
    QFETCH(quint8, frameByte);
    QFETCH(QList<bool>, on);

    QByteArray frame(MinimumReportPayload, '\0');
    frame[0] = char(Code::Poll);
    frame[1] = char(frameByte);
    const LiveDisplay d = liveDisplay(LiveValues::decode(frame), state(3), true,
                                      DisplayChoice::Sum, 1, English);
    QVERIFY(d.ioStates);
    for (int i = 0; i < 4; ++i)
        QCOMPARE((*d.ioStates)[i], on[i]);
}

void TestLiveDisplay::disconnectedWritesOnlyDashes()
{
    LiveValues v = values(1234.56f, 2000.0f, -12.4f, {100, 200, 300, 400}, 4.0f);
    v.Inputs = 3;
    v.Outputs = 3;
    for (DisplayChoice choice : {DisplayChoice::Sum, DisplayChoice::Input3, DisplayChoice::None}) {
        const LiveDisplay d = liveDisplay(v, state(0), false, choice, 1, English);
        const QString dashes = QStringLiteral("----------");
        QCOMPARE(d.sumText, std::optional<QString>(dashes));
        QCOMPARE(d.maxText, dashes);
        QCOMPARE(d.minText, dashes);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(d.inputTexts[k], dashes);
            QVERIFY(!d.inputEnabled[k]);
            QVERIFY(!d.inputBars[k]);
        }
        QVERIFY(!d.analogText);
        QVERIFY(!d.analogBar);
        QVERIFY(!d.ioStates);
        QVERIFY(!d.connected);
    }
}

// A non-finite value is shown as the grouped format writes it, and the bar
// it would move keeps its position; the other inputs go on as usual.
void TestLiveDisplay::nonFinite_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("NaN input 1") << "input1" << NaN << "NaN N";
    QTest::newRow("INF input 1") << "input1" << Inf << "INF N";
    QTest::newRow("-INF input 3") << "input3" << -Inf << "-INF N";
    QTest::newRow("NaN analog output") << "analog" << NaN << "NaN mA";
    QTest::newRow("INF analog output") << "analog" << Inf << "INF mA";
    QTest::newRow("-INF analog output") << "analog" << -Inf << "-INF mA";
    QTest::newRow("NaN sum") << "sum" << NaN << "NaN N";
    QTest::newRow("-INF maximum") << "max" << -Inf << "-INF";
    QTest::newRow("INF minimum") << "min" << Inf << "INF";
}

void TestLiveDisplay::nonFinite()
{
    QFETCH(QString, field);
    QFETCH(float, value);
    QFETCH(QString, text);

    LiveValues v = values(600, 700, 500, {250, 250, 250, 250}, 10.0f);
    if (field == "input1")
        v.Input1 = value;
    else if (field == "input3")
        v.Input3 = value;
    else if (field == "analog")
        v.AnalogOut = value;
    else if (field == "sum")
        v.Sum = value;
    else if (field == "max")
        v.Max = value;
    else if (field == "min")
        v.Min = value;
    const LiveDisplay d = liveDisplay(v, state(3), true, DisplayChoice::Sum, 1, English);

    const QString shown = field == "input1"   ? d.inputTexts[0]
                          : field == "input3" ? d.inputTexts[2]
                          : field == "analog" ? d.analogText.value_or(QString())
                          : field == "sum"    ? d.sumText.value_or(QString())
                          : field == "max"    ? d.maxText
                                              : d.minText;
    QCOMPARE(shown, text);
    for (int k = 1; k <= 4; ++k) {
        const bool broken = field == QStringLiteral("input%1").arg(k);
        QCOMPARE(orKeep(d.inputBars[k - 1]), broken ? Keep : 125);
        QCOMPARE(d.inputEnabled[k - 1], std::optional<bool>(true));
    }
    QCOMPARE(orKeep(d.analogBar), field == "analog" ? Keep : 500);
    QVERIFY(d.ioStates);
}

void TestLiveDisplay::taraCommand_data()
{
    QTest::addColumn<DisplayChoice>("choice");
    QTest::addColumn<int>("code"); // -1: nothing is sent

    QTest::newRow("Suma") << DisplayChoice::Sum << 0x91;
    QTest::newRow("Czujnik 1") << DisplayChoice::Input1 << 0x8C;
    QTest::newRow("Czujnik 2") << DisplayChoice::Input2 << 0x8D;
    QTest::newRow("Czujnik 3") << DisplayChoice::Input3 << 0x8E;
    QTest::newRow("Czujnik 4") << DisplayChoice::Input4 << 0x8F;
    QTest::newRow("none checked") << DisplayChoice::None << -1;
}

void TestLiveDisplay::taraCommand()
{
    QFETCH(DisplayChoice, choice);
    QFETCH(int, code);
    const std::optional<quint8> sent = ::taraCommand(choice);
    QCOMPARE(sent ? int(*sent) : -1, code);
}

QTEST_GUILESS_MAIN(TestLiveDisplay)
#include "tst_livedisplay.moc"
