#include "colours.h"
#include "configrig.h"
#include "statusfield.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QLocale Polish(QLocale::Polish, QLocale::Poland);
const QLocale English(QLocale::English, QLocale::UnitedStates);

// "ynn": which of the three mode buttons are enabled.
QString enabledModes(QWidget *page)
{
    QString result;
    for (const char *name : {"RB_amode010V", "RB_amode020mA", "RB_amode420mA"})
        result += yesNo(page->findChild<QWidget *>(name)->isEnabled());
    return result;
}

bool isChecked(const QWidget *w)
{
    return static_cast<const QAbstractButton *>(w)->isChecked();
}

QString checkedMode(QWidget *page)
{
    QString result;
    for (const char *name : {"RB_amode010V", "RB_amode020mA", "RB_amode420mA"})
        result += yesNo(isChecked(page->findChild<QWidget *>(name)));
    return result;
}

// The report the simulated module holds from the factory, with changes.
QByteArray factoryReport(int mode)
{
    OtherSettings s = SimulatedModule::factoryIoSettings();
    s.analogMode = quint8(mode);
    return s.encodeReport();
}

} // namespace

class TestIoSettings : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(English); }
    void layoutAtStart_data();
    void layoutAtStart();
    void reportShownAndWrittenBack_data();
    void reportShownAndWrittenBack();
    void modeButtons_data();
    void modeButtons();
    void outputRows_data();
    void outputRows();
    void writeRefused_data();
    void writeRefused();
    void saveAcknowledgedAndReadBack();
    void commands_data();
    void commands();
};

void TestIoSettings::layoutAtStart_data()
{
    layoutColumns();
    const auto row = layoutRow;
    const QString sources = "Nieaktywne|Wejście 1|Wejście 2|Wejście 3|Wejście 4|Suma";
    row("RB_amode010V", "checked", "y");
    row("RB_amode420mA", "enabled", "y");
    row("Cb_AnalogReverse", "hidden", "y");
    row("Btn_AnalogOutCalib", "hidden", "y");
    row("Cb_AnalogSource", "items", sources);
    row("Cb_AnalogSource", "current", "Nieaktywne");
    row("Edit_AnalogMin", "text", "0");
    row("Edit_AnalogMax", "text", "0");
    row("Out1Status", "text", "OFF");
    row("Out2Status", "readOnly", "y");
    row("Out1_source", "items", sources);
    row("Out2_source", "current", "Nieaktywne");
    row("Out1_source", "enabled", "y");
    row("Out2_mode1", "items", "<|>");
    row("Out1_mode2", "current", "<");
    row("Out1_mode1", "enabled", "n");
    row("Out2_Number2", "enabled", "n");
    row("Out1_condition", "items", "---|ORAZ|LUB");
    row("Out2_condition", "enabled", "n");
    row("Out1_state", "items", "Nieaktywne|Aktywne");
    row("Out2_state", "enabled", "n");
    row("Cb_ModbusBaud", "items", "9600|19200|38400|57600|115200");
    row("Cb_ModbusBaud", "current", "38400");
    row("ComboBox_UartParity", "items", "None|Even|Odd");
    row("ComboBox_UartParity", "current", "None");
    row("Cb_ModbusAddress", "current", "1");
    for (const char *name : {"Cb_AnalogSource", "Edit_AnalogMin", "Edit_AnalogMax", "Label31"})
        row(name, "hint", ""); // these four carry no hint
}

void TestIoSettings::layoutAtStart()
{
    QFETCH(QString, name);
    QFETCH(QString, what);
    SimRig sim; // no device: nothing answers
    sim.start();
    IoSettingsPage page(*sim.session);
    const DisplayState &state = sim.session->display();
    page.fillModbusAddresses();
    QWidget *w = page.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QTEST(shown(w, what), "expected");
    QCOMPARE(state.AnalogUnitSuffix, QString());
    QCOMPARE(state.AnalogFullScale, 0.0f);
}

// A report is shown, and saved without edits it goes back as it came,
// apart from the command's own layout after offset 39 (parity at 40, no
// calibration factors) and bytes that name no item.
void TestIoSettings::reportShownAndWrittenBack_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("analogMax");
    QTest::addColumn<QString>("checkedMode");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<QString>("factors");
    QTest::addColumn<QByteArray>("sent");

    const QByteArray zeros22(44, '0'); // 22 zero bytes
    QTest::newRow("as the module leaves the factory")
        << hexBytes("03 00 05 00 00000000 0000fa44"
                    "00 01 00 01 05 00006144 00000000"
                    "01 01 00 01 03 00009643 0000b443"
                    "02 01 0000803f 0000803f 00 0000000000000000000000000000")
        << "2000.0" << "ynn" << "1" << "None" << "1.000 1.000"
        << hexBytes("8b 00 05 00 00000000 0000fa44"
                    "00 01 00 01 05 00006144 00000000"
                    "01 01 00 01 03 00009643 0000b443"
                    "02 01 00" + zeros22);

    // Mode 2 is checked on a voltage module although its button is disabled.
    QTest::newRow("parity 2, address 200, mode 2, reversed 5")
        << hexBytes("03 02 01 05 00007ac3 00a03b44"
                    "02 00 01 00 04 00004841 00003642"
                    "00 00 00 00 00 00000000 00000000"
                    "04 c8 a1d67c3f c5fe823f 02 0000000000000000000000000000")
        << "750.5" << "nny" << "200" << "Odd" << "0.988 1.023"
        << hexBytes("8b 02 01 01 00007ac3 00a03b44"
                    "02 00 01 00 04 00004841 00003642"
                    "00 00 00 00 00 00000000 00000000"
                    "04 c8 02" + zeros22);

    // Mode 7, address 248 and parity 3 leave their controls as the module's
    // first report set them; other bytes naming no item go back as 0xFF.
    QTest::newRow("bytes naming no item")
        << hexBytes("03 07 09 00 20bcbecc 0000fa44"
                    "05 03 00 02 06 00000000 00000000"
                    "01 01 00 01 03 00009643 0000b443"
                    "07 f8 00000000 00000000 03 0000000000000000000000000000")
        << "2000.0" << "ynn" << "1" << "None" << "0.000 0.000"
        << hexBytes("8b 00 ff 00 20bcbecc 0000fa44"
                    "ff ff 00 ff ff 00000000 00000000"
                    "01 01 00 01 03 00009643 0000b443"
                    "ff 01 00" + zeros22);

    QTest::newRow("address 0")
        << hexBytes("03 00 05 00 00000000 0000fa44"
                    "00 01 00 01 05 00006144 00000000"
                    "01 01 00 01 03 00009643 0000b443"
                    "02 00 0000803f 0000803f 01 0000000000000000000000000000")
        << "2000.0" << "ynn" << "1" << "Even" << "1.000 1.000"
        << hexBytes("8b 00 05 00 00000000 0000fa44"
                    "00 01 00 01 05 00006144 00000000"
                    "01 01 00 01 03 00009643 0000b443"
                    "02 01 01" + zeros22);
}

void TestIoSettings::reportShownAndWrittenBack()
{
    QFETCH(QByteArray, report);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QVERIFY(rig.deliver(report, &DeviceProtocol::ioSettingsReceived));

    QWidget *page = rig.io.get();
    QTEST(rig.find<QLineEdit>(page, "Edit_AnalogMax")->text(), "analogMax");
    QTEST(checkedMode(page), "checkedMode");
    QTEST(rig.find<QComboBox>(page, "Cb_ModbusAddress")->currentText(), "address");
    QTEST(rig.find<QComboBox>(page, "ComboBox_UartParity")->currentText(), "parity");
    QWidget *dialog = rig.calibration.get();
    QTEST(rig.find<QLabel>(dialog, "Label_CalibVal_0_10V")->text() + " " +
              rig.find<QLabel>(dialog, "Label_CalibVal_0_20mA")->text(),
          "factors");

    QTest::mouseClick(rig.find<QPushButton>(page, "Btn_SaveOtherSettings"), Qt::LeftButton);
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(!rig.sim.session->isIdle());
    QCOMPARE(rig.sent(Code::WriteIoSettings).size(), 1);
    QTEST(rig.sent(Code::WriteIoSettings).first(), "sent");
}

// The mode buttons follow AnalogOutVariant once a report sets the mode;
// the labels and the live display's unit and scale follow the mode.
void TestIoSettings::modeButtons_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("reportMode"); // -1: no report, the user clicks
    QTest::addColumn<QString>("click");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QString>("minId");
    QTest::addColumn<QString>("maxId");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<float>("fullScale");

    QTest::newRow("voltage module, 0-10V") << 0 << 0 << "" << "ynn" << "ynn" << "IDS_88" << "IDS_89" << " V" << 10.0f;
    QTest::newRow("voltage module, 4-20mA") << 0 << 2 << "" << "ynn" << "nny" << "IDS_94" << "IDS_92" << " mA" << 20.0f;
    QTest::newRow("current module, 0-20mA") << 1 << 1 << "" << "nyy" << "nyn" << "IDS_91" << "IDS_92" << " mA" << 20.0f;
    QTest::newRow("current module, 0-10V") << 1 << 0 << "" << "nyy" << "ynn" << "IDS_88" << "IDS_89" << " V" << 10.0f;
    QTest::newRow("current module, clicks 4-20mA") << 1 << 1 << "RB_amode420mA" << "nyy" << "nny" << "IDS_94" << "IDS_92" << " mA" << 20.0f;
    QTest::newRow("mode 3 leaves the buttons") << 1 << 3 << "" << "nyy" << "ynn" << "IDS_88" << "IDS_89" << " V" << 10.0f;
    QTest::newRow("no report yet, clicks 0-20mA") << 0 << -1 << "RB_amode020mA" << "yyy" << "nyn" << "IDS_91" << "IDS_92" << " mA" << 20.0f;
}

void TestIoSettings::modeButtons()
{
    QFETCH(int, variant);
    QFETCH(int, reportMode);
    QFETCH(QString, click);
    QFETCH(QString, minId);
    QFETCH(QString, maxId);
    SetActiveLanguage(2);
    ConfigRig rig{quint8(variant)};
    if (reportMode >= 0) {
        QVERIFY(rig.waitForStartUp());
        QVERIFY(rig.deliver(factoryReport(reportMode), &DeviceProtocol::ioSettingsReceived));
    }
    QWidget *page = rig.io.get();
    if (!click.isEmpty())
        rig.find<QRadioButton>(page, click.toLatin1())->click();

    QTEST(enabledModes(page), "enabled");
    QTEST(checkedMode(page), "checked");
    QCOMPARE(rig.find<QLabel>(page, "Label_VoutMin")->text(), GetTextOrDefault(minId));
    QCOMPARE(rig.find<QLabel>(page, "Label_VoutMax")->text(), GetTextOrDefault(maxId));
    QVERIFY(rig.find<QLabel>(page, "Label_VoutMax")->text().startsWith("Output = "));
    QTEST(rig.state().AnalogUnitSuffix, "suffix");
    QTEST(rig.state().AnalogFullScale, "fullScale");
}

// Which controls of an output row the source and combination enable;
// disabled controls keep their values.
void TestIoSettings::outputRows_data()
{
    QTest::addColumn<int>("output");
    QTest::addColumn<QStringList>("steps"); // source=i or condition=i, picked in order
    QTest::addColumn<QString>("enabled");   // mode1 number1 condition mode2 number2 state

    QTest::newRow("OUT1 inactive") << 1 << QStringList{"source=0"} << "nnnnnn";
    QTest::newRow("OUT1 inactive with ORAZ") << 1 << QStringList{"source=1", "condition=1", "source=0"} << "nnnnnn";
    QTest::newRow("OUT1 sensor, ---") << 1 << QStringList{"source=3"} << "yyynny";
    QTest::newRow("OUT1 sum, ---") << 1 << QStringList{"source=5"} << "yyynny";
    QTest::newRow("OUT1 sensor, ORAZ") << 1 << QStringList{"source=1", "condition=1"} << "yyyyyy";
    QTest::newRow("OUT1 ORAZ back to ---") << 1 << QStringList{"source=1", "condition=1", "condition=0"} << "yyynny";
    QTest::newRow("OUT2 sensor, LUB") << 2 << QStringList{"source=4", "condition=2"} << "yyyyyy";
    QTest::newRow("OUT2 inactive") << 2 << QStringList{"source=2", "source=0"} << "nnnnnn";
    QTest::newRow("OUT2 sum, ---") << 2 << QStringList{"source=5", "condition=0"} << "yyynny";
}

void TestIoSettings::outputRows()
{
    QFETCH(int, output);
    QFETCH(QStringList, steps);
    ConfigRig rig;
    QWidget *page = rig.io.get();
    const QByteArray prefix = "Out" + QByteArray::number(output) + "_";
    auto *number1 = rig.find<QLineEdit>(page, prefix + "Number1");
    number1->setText("12.5");
    for (const QString &step : steps) {
        const QStringList parts = step.split('=');
        auto *box = rig.find<QComboBox>(page, prefix + parts[0].toLatin1());
        box->setCurrentIndex(parts[1].toInt());
        emit box->activated(parts[1].toInt());
    }
    QString enabled;
    for (const char *name : {"mode1", "Number1", "condition", "mode2", "Number2", "state"})
        enabled += yesNo(rig.find<QWidget>(page, prefix + name)->isEnabled());
    QTEST(enabled, "enabled");
    QVERIFY(rig.find<QWidget>(page, prefix + "source")->isEnabled());
    QCOMPARE(number1->text(), QString("12.5"));
}

// Bad number fields refuse the write: all painted, the good ones normal
// again, one warning captioned "Warning" in either language, nothing sent.
void TestIoSettings::writeRefused_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("edits"); // name=text
    QTest::addColumn<QStringList>("bad");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("analog max 1e9")
        << 1 << QStringList{"Edit_AnalogMax=1e9", "Edit_AnalogMin=-100000000"}
        << QStringList{"Edit_AnalogMax"} << "Błędne parametry"
        << QStringList{"Edit_AnalogMax=1,0000000E+09", "Edit_AnalogMin=-1,0000000E+08"};
    QTest::newRow("disabled number fields are checked")
        << 2 << QStringList{"Out1_Number2=abc", "Out2_Number1="}
        << QStringList{"Out1_Number2", "Out2_Number1"} << "Parameters error"
        << QStringList{"Out1_Number2=abc", "Out2_Number1=", "Out1_Number1=0,0"};
    QTest::newRow("two bad in English")
        << 2 << QStringList{"Edit_AnalogMin=1,5,5", "Out2_Number2=x"}
        << QStringList{"Edit_AnalogMin", "Out2_Number2"} << "Parameters error"
        << QStringList{"Edit_AnalogMin=1,5,5"};
}

void TestIoSettings::writeRefused()
{
    QFETCH(int, language);
    QFETCH(QStringList, edits);
    QFETCH(QStringList, bad);
    QFETCH(QStringList, texts);
    QLocale::setDefault(Polish);
    SetActiveLanguage(language);

    ConfigRig rig; // not connected: the controls' start values
    QWidget *page = rig.io.get();
    const QList<QLineEdit *> fields = rig.trySave(page, edits, "Btn_SaveOtherSettings");
    QFETCH(QString, text);
    rig.verifyRefused(page, fields, bad, texts, text, Code::WriteIoSettings);
}

// Save, acknowledgement, read-back against the simulated module; a row
// switched off still sends its values.
void TestIoSettings::saveAcknowledgedAndReadBack()
{
    QLocale::setDefault(Polish);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QWidget *page = rig.io.get();
    rig.find<QComboBox>(page, "Cb_AnalogSource")->setCurrentIndex(2);
    rig.find<QCheckBox>(page, "Cb_AnalogReverse")->setChecked(true);
    rig.find<QLineEdit>(page, "Edit_AnalogMin")->setText("10.5");
    auto *out1Source = rig.find<QComboBox>(page, "Out1_source");
    out1Source->setCurrentIndex(0);
    emit out1Source->activated(0);
    QVERIFY(!rig.find<QLineEdit>(page, "Out1_Number1")->isEnabled());
    auto *out2Condition = rig.find<QComboBox>(page, "Out2_condition");
    out2Condition->setCurrentIndex(2);
    emit out2Condition->activated(2);
    rig.find<QLineEdit>(page, "Out2_Number2")->setText("400");
    rig.find<QComboBox>(page, "Cb_ModbusBaud")->setCurrentIndex(4);
    rig.find<QComboBox>(page, "Cb_ModbusAddress")->setCurrentIndex(199);
    rig.find<QComboBox>(page, "ComboBox_UartParity")->setCurrentIndex(1);

    QTest::mouseClick(rig.find<QPushButton>(page, "Btn_SaveOtherSettings"), Qt::LeftButton);
    QVERIFY(!rig.sim.session->isIdle());
    QCOMPARE(rig.commands(), QList<quint8>{Code::WriteIoSettings});
    const QByteArray sent = rig.sent(Code::WriteIoSettings).first();
    QCOMPARE(quint8(sent[40]), quint8(1)); // parity
    QCOMPARE(sent.mid(41), QByteArray(22, '\0'));
    rig.find<QLineEdit>(page, "Edit_AnalogMax")->setText("5"); // unsaved, replaced by the read-back

    QTRY_COMPARE(rig.find<QLineEdit>(page, "Edit_AnalogMax")->text(), QString("2000,0"));
    QCOMPARE(rig.commands(), (QList<quint8>{Code::WriteIoSettings, Code::ReadIoSettings}));
    QCOMPARE(rig.sim.messages.last(), QString("Parametry wejść-wyjść zapisane"));

    const OtherSettings stored = rig.module->ioSettings();
    QCOMPARE(stored.analogSource, quint8(2));
    QCOMPARE(stored.analogReversed, quint8(1));
    QCOMPARE(stored.analogMin, 10.5f);
    QCOMPARE(stored.outputs[0].source, quint8(0));
    QCOMPARE(stored.outputs[0].value1, 900.0f); // disabled, written all the same
    QCOMPARE(stored.outputs[0].comparison1, quint8(1));
    QCOMPARE(stored.outputs[1].combination, quint8(2));
    QCOMPARE(stored.outputs[1].value2, 400.0f);
    QCOMPARE(stored.modbusBaud, quint8(4));
    QCOMPARE(stored.modbusAddress, quint8(200));
    QCOMPARE(stored.parity, quint8(1));

    QCOMPARE(rig.find<QLineEdit>(page, "Edit_AnalogMin")->text(), QString("10,5"));
    QCOMPARE(rig.find<QComboBox>(page, "Cb_ModbusAddress")->currentText(), QString("200"));
    QCOMPARE(rig.find<QComboBox>(page, "ComboBox_UartParity")->currentText(), QString("Even"));
    QVERIFY(rig.find<QLineEdit>(page, "Out2_Number2")->isEnabled());
    QVERIFY(!rig.find<QComboBox>(page, "Out1_state")->isEnabled());
    QCOMPARE(rig.find<QLabel>(rig.calibration.get(), "Label_CalibVal_0_10V")->text(), QString("1,000"));
}

void TestIoSettings::commands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("code");
    QTest::newRow("read") << "Btn_ReadOtherSettings" << 0x03;
    QTest::newRow("factory") << "Btn_OtherFactory" << 0xA0;
}

void TestIoSettings::commands()
{
    QFETCH(QString, button);
    QFETCH(int, code);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QWidget *page = rig.io.get();
    auto *analogMax = rig.find<QLineEdit>(page, "Edit_AnalogMax");
    analogMax->setText("5");
    QTest::mouseClick(rig.find<QPushButton>(page, button.toLatin1()), Qt::LeftButton);
    QVERIFY(!rig.sim.session->isIdle());
    QCOMPARE(rig.commands().value(0), quint8(code));
    QTRY_COMPARE(analogMax->text(), QString("2000.0"));
}

QTEST_MAIN(TestIoSettings)
#include "tst_iosettings.moc"
