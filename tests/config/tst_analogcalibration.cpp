#include "colours.h"
#include "configrig.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
const QLocale Polish(QLocale::Polish, QLocale::Poland);

// A long command payload: the given bytes, then zeros up to 63.
QByteArray payload63(const char *hex)
{
    QByteArray bytes = hexBytes(hex);
    return bytes + QByteArray(LongPayloadSize - bytes.size(), '\0');
}
} // namespace

class TestAnalogCalibration : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(Polish); }
    void layout_data();
    void layout();
    void commands_data();
    void commands();
    void readFactorsRefreshesDialogAndPage();
};

void TestAnalogCalibration::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Rb_0_10V") << "Rb_0_10V" << "9V checked";
    QTest::newRow("Label_CalibVal_0_10V") << "Label_CalibVal_0_10V" << "0";
    QTest::newRow("Edit1_0_10V") << "Edit1_0_10V" << "0";
    QTest::newRow("Label_CalibVal_0_20mA") << "Label_CalibVal_0_20mA" << "0";
    QTest::newRow("Edit1_4_20mA") << "Edit1_4_20mA" << "0";
}

void TestAnalogCalibration::layout()
{
    QFETCH(QString, name);
    SimRig sim; // no device: its buttons send nothing
    sim.start();
    AnalogCalibrationDialog dialog(*sim.session);
    QCOMPARE(dialog.objectName(), QString("FormAnCalib"));
    QCOMPARE(dialog.windowTitle(), QString("Wyjście analogowe - kalibracja"));
    QWidget *w = dialog.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QString text;
    if (auto *group = qobject_cast<QGroupBox *>(w))
        text = group->title();
    else
        text = w->property("text").toString();
    if (auto *button = qobject_cast<QAbstractButton *>(w); button && button->isChecked())
        text += " checked";
    QTEST(text, "expected");
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        button->click();

}

// What each button sends, with the poll timer stopped; a reading that fails
// its check is painted and sends nothing.
void TestAnalogCalibration::commands_data()
{
    QTest::addColumn<QStringList>("setup"); // buttons to click, or edit=text
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("sent");   // empty: nothing
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");

    QTest::newRow("start 9V") << QStringList() << "Button1" << payload63("a8 00 00 00001041") << "" << "";
    QTest::newRow("start 18mA with test")
        << QStringList{"RadioButton2", "Cb_Test"} << "Button1" << payload63("a8 01 01 00009041") << "" << "";
    QTest::newRow("stop") << QStringList() << "Button2" << payload63("a9") << "" << "";
    QTest::newRow("read factors") << QStringList() << "Btn_readFactors" << payload63("03") << "" << "";
    QTest::newRow("voltage 8.95")
        << QStringList{"Edit1_0_10V=8.95"} << "Btn_Calib_0_10" << payload63("aa 00 33330f41")
        << "Edit1_0_10V" << "8,950";
    QTest::newRow("voltage 15") << QStringList{"Edit1_0_10V=15"} << "Btn_Calib_0_10"
                                << payload63("aa 00 00007041") << "Edit1_0_10V" << "15,000";
    QTest::newRow("voltage 0.5") << QStringList{"Edit1_0_10V=0.5"} << "Btn_Calib_0_10" << QByteArray()
                                 << "Edit1_0_10V" << "0,500";
    QTest::newRow("voltage 16") << QStringList{"Edit1_0_10V=16"} << "Btn_Calib_0_10" << QByteArray()
                                << "Edit1_0_10V" << "16,000";
    QTest::newRow("current 18,123") << QStringList{"Edit1_4_20mA=18,123"} << "Btn_Calib_4_20"
                                    << payload63("aa 01 e7fb9041") << "Edit1_4_20mA" << "18,123";
    QTest::newRow("current 25") << QStringList{"Edit1_4_20mA=25"} << "Btn_Calib_4_20"
                                << payload63("aa 01 0000c841") << "Edit1_4_20mA" << "25,000";
    QTest::newRow("current 0.5") << QStringList{"Edit1_4_20mA=0.5"} << "Btn_Calib_4_20" << QByteArray()
                                 << "Edit1_4_20mA" << "0,500";
    QTest::newRow("current 26") << QStringList{"Edit1_4_20mA=26"} << "Btn_Calib_4_20" << QByteArray()
                                << "Edit1_4_20mA" << "26,000";
    QTest::newRow("current empty") << QStringList{"Edit1_4_20mA="} << "Btn_Calib_4_20" << QByteArray()
                                   << "Edit1_4_20mA" << "";
}

void TestAnalogCalibration::commands()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, button);
    QFETCH(QByteArray, sent);
    QFETCH(QString, field);
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QVERIFY(rig.waitForAnswer());
    QWidget *dialog = rig.calibration.get();
    for (const QString &step : setup) {
        const QStringList parts = step.split('=');
        if (parts.size() == 2)
            rig.find<QLineEdit>(dialog, parts[0].toLatin1())->setText(parts[1]);
        else
            rig.find<QAbstractButton>(dialog, step.toLatin1())->click();
    }

    QTest::mouseClick(rig.find<QPushButton>(dialog, button.toLatin1()), Qt::LeftButton);

    const QList<quint8> commands = rig.commands();
    if (sent.isEmpty()) {
        QVERIFY(commands.isEmpty());
    } else {
        QCOMPARE(commands.size(), 1);
        QCOMPARE(rig.sent(commands[0]).first(), sent);
        QVERIFY(!rig.sim.session->isIdle());
    }
    if (!field.isEmpty()) {
        auto *edit = rig.find<QLineEdit>(dialog, field.toLatin1());
        QTEST(edit->text(), "shown");
        const QColor normal = QApplication::palette(edit).color(QPalette::Base);
        QCOMPARE(edit->palette().color(QPalette::Base), sent.isEmpty() ? Colours::Inactive : normal);
    }
    QVERIFY(rig.messages.isEmpty());
}

// A stored reading changes the module's factor; "Odczytaj Factor" shows it
// and refills the input/output page, unsaved edits included.
void TestAnalogCalibration::readFactorsRefreshesDialogAndPage()
{
    ConfigRig rig;
    QVERIFY(rig.waitForStartUp());
    QWidget *dialog = rig.calibration.get();
    QCOMPARE(rig.find<QLabel>(dialog, "Label_CalibVal_0_10V")->text(), QString("1,000"));
    rig.find<QLineEdit>(dialog, "Edit1_0_10V")->setText("9,5");
    rig.find<QPushButton>(dialog, "Btn_Calib_0_10")->click();
    QTRY_VERIFY(rig.module->ioSettings().calibrationFactorVoltage != 1.0f);
    auto *analogMax = rig.find<QLineEdit>(rig.io.get(), "Edit_AnalogMax");
    analogMax->setText("5");

    rig.find<QPushButton>(dialog, "Btn_readFactors")->click();
    QTRY_COMPARE(rig.find<QLabel>(dialog, "Label_CalibVal_0_10V")->text(), QString("0,947"));
    QCOMPARE(rig.find<QLabel>(dialog, "Label_CalibVal_0_20mA")->text(), QString("1,000"));
    QCOMPARE(analogMax->text(), QString("2000,0"));
}

QTEST_MAIN(TestAnalogCalibration)
#include "tst_analogcalibration.moc"
