// What the module sees on the wire: the start-up exchange, every command
// the pages send and both settings writes, byte for byte, polls left out.
// The table is the program's behaviour as the module knows it; a change in
// it is a change of protocol, never a side effect of a refactor.
#include "configrig.h"
#include "measurementspage.h"

#include <QRadioButton>

#include <functional>

namespace {

using Action = std::function<void(ConfigRig &rig, MeasurementsPage &page)>;

void click(QWidget *page, const char *name)
{
    QTest::mouseClick(find<QPushButton>(page, QString::fromLatin1(name)), Qt::LeftButton);
}

void typeAndClick(QWidget *page, const char *field, const QString &text, const char *button)
{
    find<QLineEdit>(page, QString::fromLatin1(field))->setText(text);
    click(page, button);
}

// A report as written, hex, without its trailing zeros (every report is
// checked to be 65 bytes long).
QString trimmedHex(const QByteArray &bytes)
{
    QByteArray trimmed = bytes;
    while (trimmed.size() > 2 && trimmed.endsWith('\0'))
        trimmed.chop(1);
    return QString::fromLatin1(trimmed.toHex());
}

} // namespace

class TestWireLog : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland)); }
    void written_data();
    void written();
};

void TestWireLog::written_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("reports");

    const QString sensorSettingsWrite =
        "018a00000000e8030000000000400100000000e8030000000000400100000000e803000000000040010000"
        "0000e803000000000040010a010003";
    const QString ioSettingsWrite =
        "018b000500000000000000fa44000100010500006144000000000101000103000096430000b4430201";

    QTest::newRow("start-up") << Action([](ConfigRig &, MeasurementsPage &) {})
                              << QStringList{};
    for (int k = 1; k <= 4; ++k)
        QTest::addRow("zero input %d", k)
            << Action([k](ConfigRig &rig, MeasurementsPage &) {
                   click(rig.sensor.get(), QByteArray("Btn_Tens" + QByteArray::number(k) + "Zero"));
               })
            << QStringList{QString("01%1").arg(0x8B + k, 2, 16)};
    QTest::newRow("zero all inputs")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.sensor.get(), "BitBtn4"); })
        << QStringList{"0190"};
    QTest::newRow("tare the sum (settings page)")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.sensor.get(), "Btn_SumTara"); })
        << QStringList{"0191"};
    QTest::newRow("tare the sum (measurements page)")
        << Action([](ConfigRig &, MeasurementsPage &page) { click(&page, "BtnTara"); })
        << QStringList{"0191"};
    QTest::newRow("tare input 3 is its zero")
        << Action([](ConfigRig &, MeasurementsPage &page) {
               find<QRadioButton>(&page, "RadioButton_DispS3")->setChecked(true);
               click(&page, "BtnTara");
           })
        << QStringList{"018e"};
    QTest::newRow("reset min/max")
        << Action([](ConfigRig &, MeasurementsPage &page) { click(&page, "Btn_ResetMinMax"); })
        << QStringList{"0193"};
    QTest::newRow("read sensor settings")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.sensor.get(), "Btn_ReadTensSettings"); })
        << QStringList{"0102", "0103"};
    QTest::newRow("factory sensor settings")
        << Action([](ConfigRig &rig, MeasurementsPage &) {
               click(rig.sensor.get(), "Button_TensSettingFactory");
           })
        << QStringList{"019f", "0102", "0103"};
    QTest::newRow("write sensor settings")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.sensor.get(), "Btn_SetTensSettings"); })
        << QStringList{sensorSettingsWrite, "0102", "0103"};
    QTest::newRow("sensor calibration writes one rated output")
        << Action([](ConfigRig &rig, MeasurementsPage &) {
               rig.sensor->writeRatedOutput(SimulatedModule::factorySensorSettings(), 2, 2.0125f);
           })
        << QStringList{"018a00000000e8030000000000400100000000e8030000cdcc00400100000000e803000000000040"
                       "0100000000e803000000000040010a010003",
                       "0102", "0103"};
    QTest::newRow("read input/output settings")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.io.get(), "Btn_ReadOtherSettings"); })
        << QStringList{"0103"};
    QTest::newRow("factory input/output settings")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.io.get(), "Btn_OtherFactory"); })
        << QStringList{"01a0", "0103"};
    QTest::newRow("write input/output settings")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.io.get(), "Btn_SaveOtherSettings"); })
        << QStringList{ioSettingsWrite, "0103"};
    QTest::newRow("analog calibration start")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.calibration.get(), "Button1"); })
        << QStringList{"01a8000000001041"};
    QTest::newRow("analog calibration stop")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.calibration.get(), "Button2"); })
        << QStringList{"01a9"};
    QTest::newRow("analog calibration stores a voltage")
        << Action([](ConfigRig &rig, MeasurementsPage &) {
               typeAndClick(rig.calibration.get(), "Edit1_0_10V", "9,5", "Btn_Calib_0_10");
           })
        << QStringList{"01aa0000001841"};
    QTest::newRow("analog calibration stores a current")
        << Action([](ConfigRig &rig, MeasurementsPage &) {
               typeAndClick(rig.calibration.get(), "Edit1_4_20mA", "18,5", "Btn_Calib_4_20");
           })
        << QStringList{"01aa0100009441"};
    QTest::newRow("analog calibration reads the factors")
        << Action([](ConfigRig &rig, MeasurementsPage &) { click(rig.calibration.get(), "Btn_readFactors"); })
        << QStringList{"0103"};
}

void TestWireLog::written()
{
    QFETCH(Action, action);
    QFETCH(QStringList, reports);
    ConfigRig rig;
    MeasurementsPage page(*rig.sim.session);
    const QStringList startUp{"0100", "0102", "0103"};
    QStringList expected = startUp + reports;

    QVERIFY(rig.sim.waitForStartUp(*rig.module));
    action(rig, page);
    QVERIFY(QTest::qWaitFor(
        [&] { return withoutPolls(writtenCodes(*rig.module)).size() >= expected.size(); }, 5000));
    QVERIFY(rig.waitForAnswer()); // the last answer handled: nothing follows it

    rig.sim.waitForWrites();
    QStringList written;
    for (const auto &w : rig.module->written()) {
        QCOMPARE(w.bytes.size(), 65);
        if (quint8(w.bytes[1]) != Code::Poll)
            written << trimmedHex(w.bytes);
    }
    QCOMPARE(written, expected);
    QVERIFY(rig.messages.isEmpty());
}

QTEST_MAIN(TestWireLog)
#include "tst_wirelog.moc"
