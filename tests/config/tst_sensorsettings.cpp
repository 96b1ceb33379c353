#include "colours.h"
#include "configrig.h"
#include "mainwindow.h"
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

const char *const Block = "00000000 e8030000 00000040 01"; // 1000 N, 2.0 mV/V, normal
} // namespace

class TestSensorSettings : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(English); }
    void layoutAtStart_data();
    void layoutAtStart();
    void reportShownAndWrittenBack_data();
    void reportShownAndWrittenBack();
    void activeInputsChoice_data();
    void activeInputsChoice();
    void inactiveGroupClick_data();
    void inactiveGroupClick();
    void writeRefused_data();
    void writeRefused();
    void saveAcknowledgedAndReadBack();
    void commands_data();
    void commands();
    void hostedInMainWindow();
    void saveNotAcknowledgedIsTold_data();
    void saveNotAcknowledgedIsTold();
};

void TestSensorSettings::layoutAtStart_data()
{
    layoutColumns();
    const auto row = layoutRow;
    row("Rb_SpeedHI", "checked", "y");
    row("Label_MesFreq", "text", "80 Hz");
    row("Label_ValTens3", "text", "0");
    row("Edit_TRange2", "text", "0");
    row("Edit_TSens4", "text", "0");
    row("Edit_SumOffset", "text", "0");
    row("CB_Tens4Sign", "checked", "n");
    row("Edit_TRange4", "enabled", "y");
    row("Btn_TensCalibrate", "hidden", "n");
    row("Cb_SelTens", "items", "1|1+2|1+2+3|1+2+3+4");
    row("Cb_SelTens", "current", "1");
    row("Cb_Units", "items", "N - niutony|kN -kiloniutony|g   -gramy|kg -kilogramy|F    -funty");
    row("Cb_Units", "current", "N - niutony");
    row("Cb_Decp", "items", "0|1|2|3|4");
    row("Cb_Decp", "current", "1");
    row("Cb_FiltLevel", "current", "0");
}

void TestSensorSettings::layoutAtStart()
{
    QFETCH(QString, name);
    QFETCH(QString, what);
    SimRig sim; // no device: nothing answers
    sim.start();
    SensorSettingsPage page(*sim.session);
    const DisplayState &state = sim.session->display();
    page.fillFilterLevels();
    page.refreshFrequency();
    QWidget *w = page.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QTEST(shown(w, what), "expected");
    QCOMPARE(state.ActiveInputs, 0);
    QCOMPARE(state.UnitSuffix, QString());
}

// A report is shown, and saved without edits it goes back as it came,
// apart from what a write normalises: reserved words and the tail zero,
// signs +1/-1, speed 1/0, coded bytes out of range not applied, the sum
// offset as shown with N decimals.
void TestSensorSettings::reportShownAndWrittenBack_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("ratedOutput1");
    QTest::addColumn<int>("reversedMask");
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("formulaId");
    QTest::addColumn<int>("activeInputs");
    QTest::addColumn<int>("range1");
    QTest::addColumn<QString>("unitSuffix");
    QTest::addColumn<QByteArray>("sent");

    const QByteArray reserved = "44332211 e8030000 00000040 01";
    QTest::newRow("reserved words and tail dropped")
        << hexBytes(QByteArray("02" + reserved + reserved + reserved + reserved + "0a 01 00 03 00000000 5a5a"))
        << "2.0000" << 0 << "4,9 Hz" << "IDS_87" << 3 << 1000 << " N"
        << hexBytes(QByteArray("8a") + Block + Block + Block + Block + "0a 01 00 03 00000000 0000");

    QTest::newRow("signs other than 1 reverse, speed 2 is fast")
        << hexBytes("02"
                    "00000000 f4010000 0000c03f ff"
                    "00000000 01000000 cdcccc3d 00"
                    "00000000 00e1f505 00004040 02"
                    "00000000 d0070000 00002040 01"
                    "63 02 04 01 000048c1 0000")
        << "1.5000" << 0b0111 << "9,8 Hz" << "IDS_85" << 1 << 500 << " F"
        << hexBytes("8a"
                    "00000000 f4010000 0000c03f ff"
                    "00000000 01000000 cdcccc3d ff"
                    "00000000 00e1f505 00004040 ff"
                    "00000000 d0070000 00002040 01"
                    "63 01 04 01 000048c1 0000");

    // Filter 150, unit 7 and active inputs 9 leave the boxes as the module's
    // first report set them (10, N, 1+2+3+4); 0.123 is shown as 0.1.
    const QByteArray big = "00000000 fa000000 6520f147 01"; // 250 N, 123456.789 mV/V
    QTest::newRow("coded bytes out of range, slow, 8 digits")
        << hexBytes(QByteArray("02") + big + big + big + big + "96 00 07 09 6de7fb3d 0000")
        << "123456.7900" << 0 << "0,6 Hz" << "IDS_87" << 3 << 250 << " N"
        << hexBytes(QByteArray("8a") + big + big + big + big + "0a 00 00 03 cdcccc3d 0000");
}

void TestSensorSettings::reportShownAndWrittenBack()
{
    QFETCH(QByteArray, report);
    QFETCH(int, reversedMask);
    QFETCH(QString, formulaId);
    QFETCH(int, range1);

    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QVERIFY(rig.deliver(report, &DeviceProtocol::sensorSettingsReceived));

    QWidget *page = rig.sensor.get();
    QTEST(rig.find<QLineEdit>(page, "Edit_TSens1")->text(), "ratedOutput1");
    for (int k = 1; k <= 4; ++k) {
        const QByteArray name = "CB_Tens" + QByteArray::number(k) + "Sign";
        QCOMPARE(rig.find<QCheckBox>(page, name)->isChecked(), bool(reversedMask & (1 << (k - 1))));
    }
    QTEST(rig.find<QLabel>(page, "Label_MesFreq")->text(), "frequency");
    QCOMPARE(rig.find<QLabel>(page, "Lab_SummaryValInfo")->text(), GetTextOrDefault(formulaId));
    QTEST(rig.state().ActiveInputs, "activeInputs");
    QCOMPARE(rig.state().SensorRange[0], quint32(range1));
    QTEST(rig.state().UnitSuffix, "unitSuffix");

    QTest::mouseClick(rig.find<QPushButton>(page, "Btn_SetTensSettings"), Qt::LeftButton);
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(rig.sent(Code::WriteSensorSettings).size(), 1);
    QTEST(rig.sent(Code::WriteSensorSettings).first(), "sent");
}

// Picking the active inputs enables the sensors at once and sets the
// frequency; the formula and the live display wait for an acknowledged write.
void TestSensorSettings::activeInputsChoice_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("slow");
    QTest::addColumn<QString>("frequency");
    QTest::newRow("1 fast") << 0 << false << "80 Hz";
    QTest::newRow("1 slow") << 0 << true << "10 Hz";
    QTest::newRow("1+2 fast") << 1 << false << "9,8 Hz";
    QTest::newRow("1+2 slow") << 1 << true << "1,2 Hz";
    QTest::newRow("1+2+3 fast") << 2 << false << "6,5 Hz";
    QTest::newRow("1+2+3 slow") << 2 << true << "0,8 Hz";
    QTest::newRow("1+2+3+4 fast") << 3 << false << "4,9 Hz";
    QTest::newRow("1+2+3+4 slow") << 3 << true << "0,6 Hz";
}

void TestSensorSettings::activeInputsChoice()
{
    QFETCH(int, index);
    QFETCH(bool, slow);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp()); // the module reports 1+2+3+4
    QWidget *page = rig.sensor.get();
    rig.find<QRadioButton>(page, slow ? "Rb_SpeedLO" : "Rb_SpeedHI")->click();
    auto *choice = rig.find<QComboBox>(page, "Cb_SelTens");
    choice->setCurrentIndex(index);
    emit choice->activated(index);

    QTEST(rig.find<QLabel>(page, "Label_MesFreq")->text(), "frequency");
    for (int k = 1; k <= 4; ++k) {
        const bool enabled = k <= index + 1;
        const QByteArray n = QByteArray::number(k);
        for (const QByteArray &name : {"Edit_TRange" + n, "Edit_TSens" + n, "Label_ValTens" + n,
                                       "CB_Tens" + n + "Sign", "Btn_Tens" + n + "Zero"})
            QVERIFY2(rig.find<QWidget>(page, name)->isEnabled() == enabled, name);
        QVERIFY(rig.find<QGroupBox>(page, "GroupBox_Tens" + n)->isEnabled());
    }
    QCOMPARE(rig.find<QLabel>(page, "Lab_SummaryValInfo")->text(), GetTextOrDefault("IDS_87"));
    QCOMPARE(rig.state().ActiveInputs, 3);
    QVERIFY(rig.commands().isEmpty());
}

// A click on the group of an inactive sensor, also over its disabled
// fields, explains why it is inactive; an active group does nothing.
void TestSensorSettings::inactiveGroupClick_data()
{
    QTest::addColumn<int>("activeIndex");
    QTest::addColumn<int>("sensor");
    QTest::addColumn<QString>("over");
    QTest::addColumn<bool>("message");
    QTest::newRow("sensor 3 of 1+2, its capacity") << 1 << 3 << "Edit_TRange3" << true;
    QTest::newRow("sensor 3 of 1+2, its frame") << 1 << 3 << "" << true;
    QTest::newRow("sensor 2 of 1, its zero button") << 0 << 2 << "Btn_Tens2Zero" << true;
    QTest::newRow("sensor 4 of 1+2+3, its sign") << 2 << 4 << "CB_Tens4Sign" << true;
    QTest::newRow("sensor 2 of 1, its live value") << 0 << 2 << "Label_ValTens2" << true;
    QTest::newRow("sensor 4 of 1, its header") << 0 << 4 << "JvNavPanelHeader13" << true;
    QTest::newRow("sensor 2 of 1+2, its capacity") << 1 << 2 << "Edit_TRange2" << false;
    QTest::newRow("sensor 3 of 1+2+3") << 2 << 3 << "" << false;
    QTest::newRow("sensor 3 of 1+2+3, its live value") << 2 << 3 << "Label_ValTens3" << false;
    QTest::newRow("sensor 1 never") << 0 << 1 << "" << false;
}

void TestSensorSettings::inactiveGroupClick()
{
    QFETCH(int, activeIndex);
    QFETCH(int, sensor);
    QFETCH(QString, over);
    QFETCH(bool, message);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QWidget *page = rig.sensor.get();
    auto *choice = rig.find<QComboBox>(page, "Cb_SelTens");
    choice->setCurrentIndex(activeIndex);
    emit choice->activated(activeIndex);
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page));

    // Through the window, as the windowing system delivers a click.
    auto *group = rig.find<QGroupBox>(page, "GroupBox_Tens" + QByteArray::number(sensor));
    QWidget *target = over.isEmpty() ? group : rig.find<QWidget>(page, over.toLatin1());
    const QPoint at = over.isEmpty() ? QPoint(group->width() - 3, group->height() - 3)
                                     : target->rect().center();
    QTest::mouseClick(page->windowHandle(), Qt::LeftButton, {}, target->mapTo(page, at));

    QCOMPARE(rig.messages.size(), message ? 1 : 0);
    if (message) {
        const Dialogs::Message &m = rig.messages.first();
        QCOMPARE(m.icon, QMessageBox::NoIcon);
        QCOMPARE(m.caption, QString("Wejścia czujników"));
        QCOMPARE(m.text, QString("Kanał niekatywny. By aktywować zmień ilość aktywnych wejść."));
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

// Bad fields refuse the write: all of them painted, the good ones painted
// normal again, one warning, nothing sent.
void TestSensorSettings::writeRefused_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("activeIndex");
    QTest::addColumn<QStringList>("edits"); // name=text
    QTest::addColumn<QStringList>("bad");
    QTest::addColumn<QStringList>("texts"); // name=text afterwards

    QTest::newRow("start values")
        << false << -1 << QStringList()
        << QStringList{"Edit_TRange1", "Edit_TRange2", "Edit_TRange3", "Edit_TRange4",
                       "Edit_TSens1", "Edit_TSens2", "Edit_TSens3", "Edit_TSens4"}
        << QStringList{"Edit_TSens1=0,0000", "Edit_TRange1=0", "Edit_SumOffset=0,0"};
    QTest::newRow("two bad fields")
        << true << -1 << QStringList{"Edit_TRange3=12.5", "Edit_TSens2=-5"}
        << QStringList{"Edit_TRange3", "Edit_TSens2"}
        << QStringList{"Edit_TRange3=12.5", "Edit_TSens2=-5,0000", "Edit_TSens1=2,0000"};
    QTest::newRow("disabled sensors still checked")
        << true << 0 << QStringList{"Edit_TRange2=0", "Edit_TRange3=0", "Edit_TRange4=0"}
        << QStringList{"Edit_TRange2", "Edit_TRange3", "Edit_TRange4"} << QStringList();
    QTest::newRow("capacity one too many, empty offset")
        << true << -1 << QStringList{"Edit_TRange1=100000001", "Edit_SumOffset="}
        << QStringList{"Edit_TRange1", "Edit_SumOffset"}
        << QStringList{"Edit_TRange1=100000001", "Edit_SumOffset="};
}

void TestSensorSettings::writeRefused()
{
    QFETCH(bool, connected);
    QFETCH(int, activeIndex);
    QFETCH(QStringList, edits);
    QFETCH(QStringList, bad);
    QFETCH(QStringList, texts);
    QLocale::setDefault(Polish);

    ConfigRig rig;
    if (connected)
        QVERIFY(rig.waitForStartUp());
    QWidget *page = rig.sensor.get();
    if (activeIndex >= 0) {
        auto *choice = rig.find<QComboBox>(page, "Cb_SelTens");
        choice->setCurrentIndex(activeIndex);
        emit choice->activated(activeIndex);
    }
    const QList<QLineEdit *> fields = rig.trySave(page, edits, "Btn_SetTensSettings");
    rig.verifyRefused(page, fields, bad, texts, QString::fromUtf8("Błędne parametry"),
                      Code::WriteSensorSettings);
}

// Save, acknowledgement, read-back: the module stores the record, the
// status line says so, and the page shows what the module stored.
void TestSensorSettings::saveAcknowledgedAndReadBack()
{
    QLocale::setDefault(Polish);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QWidget *page = rig.sensor.get();
    rig.find<QLineEdit>(page, "Edit_TRange2")->setText("500");
    rig.find<QLineEdit>(page, "Edit_TSens2")->setText("1.25");
    rig.find<QCheckBox>(page, "CB_Tens3Sign")->setChecked(true);
    auto *choice = rig.find<QComboBox>(page, "Cb_SelTens");
    choice->setCurrentIndex(1);
    emit choice->activated(1);
    rig.find<QComboBox>(page, "Cb_Units")->setCurrentIndex(3);
    rig.find<QRadioButton>(page, "Rb_SpeedLO")->click();
    rig.find<QComboBox>(page, "Cb_FiltLevel")->setCurrentIndex(20);
    rig.find<QComboBox>(page, "Cb_Decp")->setCurrentIndex(2);
    rig.find<QLineEdit>(page, "Edit_SumOffset")->setText("-3,25");

    QTest::mouseClick(rig.find<QPushButton>(page, "Btn_SetTensSettings"), Qt::LeftButton);
    QVERIFY(!rig.sim.session->isIdle());
    QCOMPARE(rig.commands(), QList<quint8>{Code::WriteSensorSettings});
    QCOMPARE(rig.find<QLineEdit>(page, "Edit_SumOffset")->text(), QString("-3,25"));
    // Nothing for the live display until the module acknowledges.
    QCOMPARE(rig.state().UnitSuffix, QString(" N"));
    QCOMPARE(rig.state().ActiveInputs, 3);
    QCOMPARE(rig.find<QLabel>(page, "Lab_SummaryValInfo")->text(), GetTextOrDefault("IDS_87"));
    rig.find<QLineEdit>(page, "Edit_TRange1")->setText("777"); // unsaved, replaced by the read-back

    QTRY_COMPARE(rig.find<QLineEdit>(page, "Edit_TRange1")->text(), QString("1000"));
    QTRY_COMPARE(rig.commands(), (QList<quint8>{Code::WriteSensorSettings, Code::ReadSensorSettings,
                                                Code::ReadIoSettings}));
    QCOMPARE(rig.sim.messages.last(), QString("Parametry wejść tensometrycznych zapisane"));

    const TensSettings stored = rig.module->sensorSettings();
    QCOMPARE(stored.sensors[1].ratedCapacityN, 500);
    QCOMPARE(stored.sensors[1].ratedOutputMvPerV, 1.25f);
    QCOMPARE(stored.sensors[2].sign, qint8(-1));
    QCOMPARE(stored.sensors[3].sign, qint8(1));
    QCOMPARE(stored.filterLevel, quint8(20));
    QCOMPARE(stored.speed, quint8(0));
    QCOMPARE(stored.unitIndex, quint8(3));
    QCOMPARE(stored.activeInputsIndex, quint8(1));
    QCOMPARE(stored.sumOffset, -3.25f);

    QCOMPARE(rig.find<QLineEdit>(page, "Edit_TSens2")->text(), QString("1,2500"));
    QCOMPARE(rig.find<QLineEdit>(page, "Edit_SumOffset")->text(), QString("-3,25"));
    QVERIFY(rig.find<QCheckBox>(page, "CB_Tens3Sign")->isChecked());
    QVERIFY(!rig.find<QLineEdit>(page, "Edit_TRange3")->isEnabled());
    QCOMPARE(rig.state().UnitSuffix, QString(" kg"));
    QCOMPARE(rig.state().ActiveInputs, 1);
    QCOMPARE(rig.state().SensorRange[1], 500u);
    QCOMPARE(rig.find<QLabel>(page, "Lab_SummaryValInfo")->text(),
             QString("Czujnik 1 + Czujnik 2 + Offset"));
    QCOMPARE(rig.find<QLabel>(page, "Label_MesFreq")->text(), QString("1,2 Hz"));
}

// One-byte commands: sent at once with the poll timer stopped; the read and
// the factory reset refill the page, zero and tare do not.
void TestSensorSettings::commands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("rereads");
    QTest::newRow("zero 1") << "Btn_Tens1Zero" << 0x8C << false;
    QTest::newRow("zero 2") << "Btn_Tens2Zero" << 0x8D << false;
    QTest::newRow("zero 3") << "Btn_Tens3Zero" << 0x8E << false;
    QTest::newRow("zero 4") << "Btn_Tens4Zero" << 0x8F << false;
    QTest::newRow("zero all") << "BitBtn4" << 0x90 << false;
    QTest::newRow("tare") << "Btn_SumTara" << 0x91 << false;
    QTest::newRow("read") << "Btn_ReadTensSettings" << 0x02 << true;
    QTest::newRow("factory") << "Button_TensSettingFactory" << 0x9F << true;
}

void TestSensorSettings::commands()
{
    QFETCH(QString, button);
    QFETCH(int, code);
    QFETCH(bool, rereads);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QWidget *page = rig.sensor.get();
    auto *range = rig.find<QLineEdit>(page, "Edit_TRange1");
    range->setText("5");

    QTest::mouseClick(rig.find<QPushButton>(page, button.toLatin1()), Qt::LeftButton);
    QVERIFY(!rig.sim.session->isIdle());
    QCOMPARE(rig.commands().value(0), quint8(code));
    if (rereads) {
        QTRY_COMPARE(range->text(), QString("1000"));
    } else {
        QVERIFY(rig.waitForAnswer()); // the module's answer arrived
        QCOMPARE(rig.commands(), QList<quint8>{quint8(code)});
        QCOMPARE(range->text(), QString("5"));
    }

    // The calibration button only asks for its window.
    rig.sim.forgetWrites(*rig.module);
    QSignalSpy calibration(rig.sensor.get(), &SensorSettingsPage::sensorCalibrationRequested);
    rig.find<QPushButton>(page, "Btn_TensCalibrate")->click();
    QCOMPARE(calibration.count(), 1);
    QVERIFY(rig.commands().isEmpty());
}

// The program's own start-up: both pages hosted and filled from the module.
void TestSensorSettings::hostedInMainWindow()
{
    SimRig sim;
    sim.backend.add(std::make_shared<SimulatedModule>());
    sim.start();
    MainWindow window(*sim.session, sim.settingsPath());
    QCOMPARE(window.findChild<QComboBox *>("Cb_FiltLevel")->count(), 100);
    QCOMPARE(window.findChild<QComboBox *>("Cb_FiltLevel")->itemText(99), QString("99"));
    QCOMPARE(window.findChild<QComboBox *>("Cb_ModbusAddress")->count(), 247);
    QCOMPARE(window.findChild<QComboBox *>("Cb_ModbusAddress")->itemText(246), QString("247"));
    QCOMPARE(window.findChild<QComboBox *>("ComboBox_UartParity")->currentText(), QString("None"));
    QCOMPARE(window.findChild<QLabel *>("Label_MesFreq")->text(), QString("80 Hz"));

    QTRY_COMPARE(window.findChild<QLineEdit *>("Edit_AnalogMax")->text(), QString("2000.0"));
    QCOMPARE(window.findChild<QLineEdit *>("Edit_TRange4")->text(), QString("1000"));
    QCOMPARE(window.findChild<QLabel *>("Label_MesFreq")->text(), QString("4,9 Hz"));
    QCOMPARE(window.findChild<QComboBox *>("Out2_source")->currentText(), QString("Wejście 3"));
}

// A Save whose acknowledgement does not come is told on its page once the
// exchange's deadline passes, instead of waiting for ever.
void TestSensorSettings::saveNotAcknowledgedIsTold_data()
{
    QTest::addColumn<bool>("sensorPage");
    QTest::addColumn<int>("code");
    QTest::newRow("sensor inputs") << true << int(Code::WriteSensorSettings);
    QTest::newRow("inputs/outputs") << false << int(Code::WriteIoSettings);
}

void TestSensorSettings::saveNotAcknowledgedIsTold()
{
    QFETCH(bool, sensorPage);
    QFETCH(int, code);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    rig.module->withholdAnswersTo(quint8(code));
    QWidget *page = sensorPage ? static_cast<QWidget *>(rig.sensor.get()) : rig.io.get();
    QTest::mouseClick(rig.find<QPushButton>(page, sensorPage ? "Btn_SetTensSettings" : "Btn_SaveOtherSettings"),
                      Qt::LeftButton);
    QVERIFY(rig.messages.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(rig.messages.size(), 1, 5000);
    QCOMPARE(rig.messages[0].icon, QMessageBox::Warning);
    QCOMPARE(rig.messages[0].text, QString::fromUtf8("Moduł nie potwierdził zapisu ustawień. Sprawdź "
                                                     "połączenie i zapisz je ponownie."));
    QVERIFY(rig.sim.session->isIdle());
    QCOMPARE(rig.sim.messages, QStringList{QString::fromUtf8("Moduł nie odpowiedział na polecenie")});
}

QTEST_MAIN(TestSensorSettings)
#include "tst_sensorsettings.moc"
