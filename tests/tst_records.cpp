#include "commandreport.h"
#include "deviceinforeport.h"
#include "livevalues.h"
#include "messagetable.h"
#include "othersettings.h"
#include "tenssettings.h"

#include <QTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
} // namespace

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { SetActiveLanguage(1); }
    void commandReport_data();
    void commandReport();
    void deviceInfo();
    void deviceInfoTextLimits();
    void liveValues();
    void shortReportsReadAsZero();
    void sensorSettingsBytes();
    void ioSettingsDirectionsDiffer();
};

void TestRecords::commandReport_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("one-byte command") << hex("93") << 65 << (hex("0193") + QByteArray(63, 0));
    QByteArray long63(63, '\x5A');
    QTest::newRow("63 bytes in 65") << long63 << 65 << (hex("01") + long63 + hex("00"));
    QTest::newRow("cut to length - 1") << long63 << 9 << (hex("01") + long63.left(8));
    QTest::newRow("exactly fits") << long63 << 64 << (hex("01") + long63);
    QTest::newRow("unknown length") << hex("01") << 0 << QByteArray();
    QTest::newRow("no room for a code") << hex("01") << 1 << QByteArray();
}

void TestRecords::commandReport()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, length);
    QFETCH(QByteArray, expected);
    QCOMPARE(buildCommandReport(payload, length), expected);
}

void TestRecords::deviceInfo()
{
    QByteArray payload(63, 0);
    payload[1] = char(110);
    payload.replace(2, 3, "ABC");
    payload[62] = 1;
    DeviceInfoReport info = DeviceInfoReport::decode(payload);
    QCOMPARE(info.version, 1.10f);
    QCOMPARE(info.identification, QByteArray("ABC"));
    QCOMPARE(info.AnalogOutVariant, quint8(1));
    QCOMPARE(DeviceInfoReport::decode(info.encode()).identification, QByteArray("ABC"));

    payload[1] = char(0xFF);
    QCOMPARE(DeviceInfoReport::decode(payload).version, -0.01f);
}

void TestRecords::deviceInfoTextLimits()
{
    // No terminator: the text ends at offset 61, byte 62 is the variant.
    QByteArray payload(64, 'x');
    payload[0] = 0;
    payload[62] = 7;
    DeviceInfoReport info = DeviceInfoReport::decode(payload);
    QCOMPARE(info.identification, QByteArray(60, 'x'));
    QCOMPARE(info.AnalogOutVariant, quint8(7));
    // Encoding keeps a text that fills the field, and cuts a longer one there.
    QCOMPARE(DeviceInfoReport::decode(info.encode()).identification, QByteArray(60, 'x'));
    info.identification = QByteArray(61, 'y');
    QCOMPARE(DeviceInfoReport::decode(info.encode()).identification, QByteArray(60, 'y'));
    QCOMPARE(quint8(info.encode()[62]), quint8(7));
}

void TestRecords::liveValues()
{
    LiveValues v;
    v.Inputs = 1;
    v.Outputs = 1;
    v.Sum = 1234.5f;
    v.Min = -2.0f;
    v.Max = 3000.0f;
    v.Input1 = 1.0f;
    v.Input2 = -250.0f;
    v.Input3 = 3.0f;
    v.Input4 = 4.0f;
    v.AnalogOut = 4.0f;
    QByteArray bytes = v.encode();
    QCOMPARE(bytes.size(), 63);
    QCOMPARE(quint8(bytes[0]), quint8(0x01));
    QCOMPARE(quint8(bytes[1]), quint8(0x05));
    QCOMPARE(bytes.mid(18, 4), hex("00007ac3")); // -250.0f
    LiveValues back = LiveValues::decode(bytes);
    QCOMPARE(back.Inputs, quint8(1));
    QCOMPARE(back.Outputs, quint8(1));
    QCOMPARE(back.Sum, 1234.5f);
    QCOMPARE(back.Input2, -250.0f);
    QCOMPARE(back.AnalogOut, 4.0f);
    QCOMPARE(LiveValues::decode(hex("01ff")).Outputs, quint8(3)); // bits 4..7 ignored
}

void TestRecords::shortReportsReadAsZero()
{
    LiveValues v = LiveValues::decode(hex("010f0000"));
    QCOMPARE(v.Inputs, quint8(3));
    QCOMPARE(v.Sum, 0.0f);
    QCOMPARE(v.AnalogOut, 0.0f);
    QCOMPARE(DeviceInfoReport::decode(QByteArray()).identification, QByteArray());
    QCOMPARE(TensSettings::decode(hex("02")).sumOffset, 0.0f);
    QCOMPARE(OtherSettings::decodeReport(hex("03")).parity, quint8(0));
}

void TestRecords::sensorSettingsBytes()
{
    TensSettings s;
    s.sensors[0] = {0x11223344, 1000, 2.0f, 1};
    s.sensors[1] = {0, 500, 0.1f, -1};
    s.sensors[3].ratedCapacityN = 100000000;
    s.filterLevel = 99;
    s.speed = 0;
    s.unitIndex = 4;
    s.activeInputsIndex = 3;
    s.sumOffset = -5.0f;
    QByteArray bytes = s.encode(0x8A);
    QCOMPARE(bytes.size(), 63);
    QCOMPARE(bytes.left(14), hex("8a" "44332211" "e8030000" "00000040" "01"));
    QCOMPARE(bytes.mid(14, 13), hex("00000000" "f4010000" "cdcccc3d" "ff"));
    QCOMPARE(bytes.mid(44, 4), hex("00e1f505"));
    QCOMPARE(bytes.mid(53, 10), hex("63" "00" "04" "03" "0000a0c0" "0000"));

    TensSettings back = TensSettings::decode(bytes);
    QCOMPARE(back.sensors[0].reserved, 0x11223344);
    QCOMPARE(back.sensors[1].sign, qint8(-1));
    QVERIFY(back.sensors[1].reversed());
    QVERIFY(!back.sensors[0].reversed());
    QCOMPARE(back.sensors[3].ratedCapacityN, 100000000);
    QCOMPARE(back.sumOffset, -5.0f);
    QCOMPARE(back.activeInputsIndex, quint8(3));
}

void TestRecords::ioSettingsDirectionsDiffer()
{
    OtherSettings s;
    s.analogMode = 2;
    s.analogSource = 5;
    s.analogReversed = 1;
    s.analogMin = 0.0f;
    s.analogMax = 1000.0f;
    s.outputs[0] = {1, 1, 0, 1, 5, 900.0f, 1000.0f};
    s.outputs[1] = {2, 0, 1, 0, 3, -1.0f, 2.0f};
    s.modbusBaud = 4;
    s.modbusAddress = 200;
    s.parity = 2;
    s.calibrationFactorVoltage = 1.5f;
    s.calibrationFactorCurrent = 0.5f;

    QByteArray command = s.encodeCommand();
    QCOMPARE(command.size(), 63);
    QCOMPARE(command.left(12), hex("8b" "02" "05" "01" "00000000" "00007a44"));
    QCOMPARE(command.mid(12, 13), hex("01" "01" "00" "01" "05" "00006144" "00007a44"));
    QCOMPARE(command.mid(25, 13), hex("02" "00" "01" "00" "03" "000080bf" "00000040"));
    QCOMPARE(command.mid(38, 3), hex("04" "c8" "02"));
    QCOMPARE(command.mid(41), QByteArray(22, 0));

    QByteArray report = s.encodeReport();
    QCOMPARE(quint8(report[0]), quint8(0x03));
    QCOMPARE(report.mid(1, 39), command.mid(1, 39));
    QCOMPARE(report.mid(40, 9), hex("0000c03f" "0000003f" "02"));

    OtherSettings fromReport = OtherSettings::decodeReport(report);
    QCOMPARE(fromReport.parity, quint8(2));
    QCOMPARE(fromReport.calibrationFactorVoltage, 1.5f);
    QCOMPARE(fromReport.outputs[1].value1, -1.0f);
    OtherSettings fromCommand = OtherSettings::decodeCommand(command);
    QCOMPARE(fromCommand.parity, quint8(2));
    QCOMPARE(fromCommand.modbusAddress, quint8(200));
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
