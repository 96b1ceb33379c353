// The module settings file: saved from the simulated module, loaded back
// into both pages without a write, and refused whole when it does not fit.
#include "configrig.h"
#include "modulesettingsfile.h"
#include "reportedsettings.h"
#include "settingsfilebar.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTemporaryDir>

#include <functional>

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland)); }
    void cleanup() { Dialogs::setFileResponder(nullptr); }
    void savedFileLoadsBackToTheSameRecords();
    void loadFillsThePagesAndWritesNothing();
    void refusedWhole_data();
    void refusedWhole();
    void nothingToSaveBeforeTheModuleAnswered();
    void unwritableFileIsNamed();
};

namespace {

// A rig with the bar over both pages and a file the dialogs answer with.
struct FileRig : ConfigRig {
    explicit FileRig(quint8 variant = 0) : ConfigRig(variant)
    {
        Dialogs::setFileResponder([this](const QString &, QString *) { return path; });
    }
    QTemporaryDir dir;
    QString path = dir.filePath("module.klv57");
    ReportedSettings reported{*sim.session};
    SettingsFileBar bar{*sim.session, *sensor, *io};

    QByteArray saved()
    {
        bar.saveSettingsFile();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QByteArray &text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
};

// What both pages show: every edit box, list and check.
QStringList shown(const QList<QWidget *> &pages)
{
    QStringList texts;
    for (QWidget *page : pages) {
        for (auto *edit : page->findChildren<QLineEdit *>())
            texts << edit->objectName() + "=" + edit->text();
        for (auto *box : page->findChildren<QComboBox *>())
            texts << box->objectName() + "=" + QString::number(box->currentIndex());
        for (auto *button : page->findChildren<QAbstractButton *>())
            texts << button->objectName() + "=" + QString::number(button->isChecked());
    }
    return texts;
}

QByteArray replaced(QByteArray text, const QByteArray &from, const QByteArray &to)
{
    return text.replace(from, to);
}

} // namespace

void TestSettingsFile::savedFileLoadsBackToTheSameRecords()
{
    FileRig rig;
    QVERIFY(rig.waitForStartUp());
    const QByteArray text = rig.saved();
    for (const char *line : {"identification = KLV57 simulator\n", "analog_output = voltage\n",
                             "sensor1.rated_capacity_N = 1000\n", "sensor1.rated_output_mV/V = 2\n",
                             "unit = N\n", "active_inputs = 1+2+3+4\n", "out1.source = sum\n",
                             "out2.value2 = 360\n", "modbus.baud_rate = 38400\n"})
        QVERIFY2(text.contains(line), line);

    const ModuleSettingsFile::ReadResult read = ModuleSettingsFile::read(text, rig.state().decimalPlaces);
    QVERIFY2(read.settings, qPrintable(read.problem.values.join(", ")));
    QCOMPARE(read.settings->sensors.encode(Code::ReadSensorSettings),
             rig.module->sensorSettings().encode(Code::ReadSensorSettings));
    QCOMPARE(read.settings->io.encodeReport(), rig.module->ioSettings().encodeReport());
    QCOMPARE(read.settings->info.encode(), rig.sim.protocol->deviceInfo().encode());

    // Values no decimal text holds exactly, and a name with a line break.
    ModuleSettings odd = *read.settings;
    odd.sensors.sensors[2].ratedOutputMvPerV = 2.0213f;
    odd.sensors.sumOffset = -0.1f;
    odd.io.outputs[1].value1 = 1e-7f;
    odd.info.identification = "KLV57\nline two \\ ";
    const ModuleSettingsFile::ReadResult again =
        ModuleSettingsFile::read(ModuleSettingsFile::write(odd, QDateTime::currentDateTime()), 4);
    QVERIFY2(again.settings, qPrintable(again.problem.values.join(", ")));
    QCOMPARE(again.settings->sensors.encode(2), odd.sensors.encode(2));
    QCOMPARE(again.settings->io.encodeReport(), odd.io.encodeReport());
    QCOMPARE(again.settings->info.encode(), odd.info.encode());
}

// Loading replaces typed edits on both pages, paints nothing red, sends
// nothing; Save then writes exactly what the module had.
void TestSettingsFile::loadFillsThePagesAndWritesNothing()
{
    FileRig rig;
    QVERIFY(rig.waitForStartUp());
    rig.saved();
    const QStringList fromModule = shown({rig.sensor.get(), rig.io.get()});
    rig.find<QLineEdit>(rig.sensor.get(), "Edit_TRange2")->setText("77");
    rig.find<QLineEdit>(rig.io.get(), "Out1_Number1")->setText("abc");
    rig.find<QComboBox>(rig.io.get(), "Cb_ModbusBaud")->setCurrentIndex(0);
    rig.io->collect(); // Out1_Number1 red

    rig.bar.loadSettingsFile();
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(shown({rig.sensor.get(), rig.io.get()}), fromModule);
    const QColor normal = QApplication::palette().color(QPalette::Base);
    QCOMPARE(rig.find<QLineEdit>(rig.io.get(), "Out1_Number1")->palette().color(QPalette::Base), normal);
    QVERIFY(rig.commands().isEmpty());

    QCOMPARE(rig.sensor->collect()->encode(Code::WriteSensorSettings),
             rig.module->sensorSettings().asWritten().encode(Code::WriteSensorSettings));
    QCOMPARE(rig.io->collect()->encodeCommand(), rig.module->ioSettings().encodeCommand());
}

// Each refusal: one message naming the problem, the pages as they were,
// nothing sent.
void TestSettingsFile::refusedWhole_data()
{
    using Edit = std::function<QByteArray(const QByteArray &saved, ModuleSettings settings)>;
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("problem");
    auto rewritten = [](std::function<void(ModuleSettings &)> change) {
        return Edit([change](const QByteArray &, ModuleSettings s) {
            change(s);
            return ModuleSettingsFile::write(s, QDateTime::currentDateTime());
        });
    };
    QTest::newRow("not a settings file") << Edit([](const QByteArray &, ModuleSettings) {
        return QByteArray("Date;Time;No.;\r\n10-12-2026;9:5:7:45;0;\r\n");
    }) << "not a KLV57 settings file";
    QTest::newRow("newer format") << Edit([](const QByteArray &t, ModuleSettings) {
        return replaced(t, "KLV57 settings 1", "KLV57 settings 2");
    }) << "newer program's format (KLV57 settings 2)";
    QTest::newRow("field missing") << Edit([](const QByteArray &t, ModuleSettings) {
        return replaced(t, "unit = N\n", "");
    }) << "damaged: unit is missing";
    QTest::newRow("cut short") << Edit([](const QByteArray &t, ModuleSettings) {
        return t.left(t.indexOf("raw.io_settings") + 40);
    }) << "damaged: the record raw.io_settings cannot be read";
    QTest::newRow("not a number") << Edit([](const QByteArray &t, ModuleSettings) {
        return replaced(t, "sensor2.rated_output_mV/V = 2\n", "sensor2.rated_output_mV/V = 2,5\n");
    }) << "sensor2.rated_output_mV/V: \"2,5\" is not a number";
    QTest::newRow("named field changed") << Edit([](const QByteArray &t, ModuleSettings) {
        return replaced(t, "out1.value1 = 900\n", "out1.value1 = 901\n");
    }) << "damaged: out1.value1 disagrees with the raw record";
    QTest::newRow("unknown field") << Edit([](const QByteArray &t, ModuleSettings) {
        return t + "colour = blue\n";
    }) << "damaged: unknown field colour";
    QTest::newRow("rated capacity 0") << rewritten([](ModuleSettings &s) { s.sensors.sensors[3].ratedCapacityN = 0; })
                                      << "sensor4.rated_capacity_N: 0 is outside the accepted range 1 to 100000000";
    QTest::newRow("rated output 0.05") << rewritten([](ModuleSettings &s) { s.sensors.sensors[0].ratedOutputMvPerV = 0.05f; })
                                       << "sensor1.rated_output_mV/V: 0.05 is outside the accepted range 0.1 to 100000000";
    QTest::newRow("threshold 1e9") << rewritten([](ModuleSettings &s) { s.io.outputs[0].value2 = 1e9f; })
                                   << "out1.value2: 1e+09 is outside the accepted range -100000000 to 100000000";
    QTest::newRow("source names no item") << rewritten([](ModuleSettings &s) { s.io.analogSource = 9; })
                                          << "analog.source: \"9\" is none of:";
    QTest::newRow("address 0") << rewritten([](ModuleSettings &s) { s.io.modbusAddress = 0; })
                               << "modbus.address: 0 is outside the accepted range 1 to 247";
    QTest::newRow("current output module") << rewritten([](ModuleSettings &s) { s.info.AnalogOutVariant = 1; })
                                           << "the file comes from a module with a current output";
}

void TestSettingsFile::refusedWhole()
{
    QFETCH(std::function<QByteArray(const QByteArray &, ModuleSettings)>, edit);
    QFETCH(QString, problem);
    SetActiveLanguage(2);
    FileRig rig;
    QVERIFY(rig.waitForStartUp());
    const QByteArray saved = rig.saved();
    rig.writeFile(edit(saved, *rig.reported.all()));
    rig.find<QLineEdit>(rig.sensor.get(), "Edit_SumOffset")->setText("12,5"); // a typed edit stays
    const QStringList before = shown({rig.sensor.get(), rig.io.get()});

    rig.bar.loadSettingsFile();
    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(rig.messages[0].icon, QMessageBox::Warning);
    QVERIFY2(rig.messages[0].text.contains(problem), qPrintable(rig.messages[0].text));
    QVERIFY(rig.messages[0].text.endsWith("Nothing was changed."));
    QCOMPARE(shown({rig.sensor.get(), rig.io.get()}), before);
    QVERIFY(rig.commands().isEmpty());
}

void TestSettingsFile::nothingToSaveBeforeTheModuleAnswered()
{
    FileRig rig;
    rig.module->setSilent(true);
    rig.bar.saveSettingsFile();
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY(!QFile::exists(rig.path));

}

// A file that cannot be written is named, and an earlier one stays whole.
void TestSettingsFile::unwritableFileIsNamed()
{
    FileRig rig;
    QVERIFY(rig.waitForStartUp());
    rig.path = rig.dir.filePath("missing/dir/module.klv57");
    rig.bar.saveSettingsFile();
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY(rig.messages[0].text.contains(rig.path));
    QVERIFY(!QFile::exists(rig.path));
}

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
