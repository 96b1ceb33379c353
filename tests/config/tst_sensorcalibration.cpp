// Sensor calibration with a known load against the simulated module, whose
// reading follows the rated output set: after the write the live value
// equals the load. Every refusal writes nothing.
#include "configrig.h"
#include "livedisplay.h"
#include "reportedsettings.h"
#include "sensorcalibration.h"
#include "sensorcalibrationwindow.h"

#include <QLabel>

#include <cmath>
#include <limits>

class TestSensorCalibration : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland)); }
    void proposal_data();
    void proposal();
    void liveValueEqualsTheKnownLoadAfterTheWrite();
    void moduleVanishingBeforeTheAcknowledgementIsTold();
    void writeNotAcknowledgedIsTold();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();
};

namespace {

struct CalibrationRig : ConfigRig {
    ReportedSettings reported{*sim.session};
    SensorCalibrationWindow window{*sim.session, *sensor};
    QMessageBox::StandardButton answer = QMessageBox::Yes;

    CalibrationRig()
    {
        Dialogs::setMessageResponder([this](const Dialogs::Message &m) {
            messages << m;
            return m.buttons.testFlag(QMessageBox::Yes) ? answer : QMessageBox::Ok;
        });
        sim.session->setDecimalPlaces(2);
    }

    template <typename T> T *control(const char *name) { return find<T>(&window, name); }

    // Frames carry the load on `input` (1..4) once they show `value`.
    bool readingSettles(int input, float value, float tolerance = 0.01f)
    {
        return QTest::qWaitFor(
            [&] { return std::abs(sim.protocol->liveValues().input(input) - value) <= tolerance; }, 5000);
    }

    // Started, 300 N on sensor 1, the window open with that known load:
    // what a write of its rated output needs.
    bool readyToWrite()
    {
        if (!waitForStartUp())
            return false;
        module->setLoad(1, 300.0f);
        if (!readingSettles(1, 300.0f * SimulatedModule::trueRatedOutput(1) / 2.0f))
            return false;
        window.showOrRaise();
        control<QLineEdit>("Edit_KnownLoad")->setText("300");
        return true;
    }

    bool acknowledged(quint8 code)
    {
        return QTest::qWaitFor([&] { return !sent(code).isEmpty(); }, 5000) && waitForAnswer();
    }
};

} // namespace

void TestSensorCalibration::proposal_data()
{
    using P = RatedOutputProposal::Problem;
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("active");
    QTest::addColumn<float>("reading");
    QTest::addColumn<float>("known");
    QTest::addColumn<int>("problem");
    QTest::addColumn<float>("proposed");
    QTest::newRow("reads high") << 1 << 0 << 503.125f << 500.0f << int(P::None) << 2.0125f;
    QTest::newRow("negative both") << 2 << 1 << -99.0f << -100.0f << int(P::None) << 1.98f;
    QTest::newRow("inactive") << 3 << 1 << 100.0f << 100.0f << int(P::InactiveSensor) << 0.0f;
    QTest::newRow("known zero") << 1 << 3 << 100.0f << 0.0f << int(P::NoKnownLoad) << 0.0f;
    QTest::newRow("reading zero") << 1 << 3 << 0.0f << 100.0f << int(P::NoReading) << 0.0f;
    QTest::newRow("reading NaN") << 1 << 3 << std::numeric_limits<float>::quiet_NaN() << 100.0f
                                 << int(P::NoReading) << 0.0f;
    QTest::newRow("opposite sign") << 4 << 3 << -100.0f << 100.0f << int(P::OppositeSign) << 0.0f;
    QTest::newRow("below 0.1") << 1 << 3 << 0.001f << 1000.0f << int(P::OutOfRange) << 0.0f;
    QTest::newRow("above the field") << 1 << 3 << 3e38f << 1e-3f << int(P::OutOfRange) << 0.0f;
}

void TestSensorCalibration::proposal()
{
    QFETCH(int, input);
    QFETCH(int, active);
    QFETCH(float, reading);
    QFETCH(float, known);
    const RatedOutputProposal p = proposeRatedOutput(input, active, 2.0f, reading, known);
    QTEST(int(p.problem), "problem");
    if (p.problem == RatedOutputProposal::Problem::None)
        QTEST(p.ratedOutput, "proposed");
}

// Zero unloaded, load 500 N, write: only sensor 2's rated output changes,
// through the normal write and read-back, and the reading becomes the load.
void TestSensorCalibration::liveValueEqualsTheKnownLoadAfterTheWrite()
{
    CalibrationRig rig;
    QVERIFY(rig.waitForStartUp());
    const TensSettings before = rig.module->sensorSettings();
    rig.window.showOrRaise();
    rig.control<QComboBox>("Cb_CalibSensor")->setCurrentIndex(1);

    rig.module->setLoad(2, 40.0f); // the empty hook still weighs something
    QCOMPARE(SimulatedModule::trueRatedOutput(2), 1.987f);
    QVERIFY(rig.readingSettles(2, 40.0f * 1.987f / 2.0f));
    QTest::mouseClick(rig.control<QPushButton>("Btn_CalibZero"), Qt::LeftButton);
    QVERIFY(rig.acknowledged(Code::ZeroInput1 + 1));
    QVERIFY(rig.readingSettles(2, 0.0f));

    rig.module->setLoad(2, 540.0f);
    QVERIFY(rig.readingSettles(2, 500.0f * 1.987f / 2.0f));
    rig.control<QLineEdit>("Edit_KnownLoad")->setText("500");
    QTRY_COMPARE(rig.control<QLabel>("Label_CalibRatedNew")->text(), QString("1,9870"));
    QCOMPARE(rig.control<QLabel>("Label_CalibRatedNow")->text(), QString("2,0000"));

    QTest::mouseClick(rig.control<QPushButton>("Btn_CalibApply"), Qt::LeftButton);
    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(rig.messages[0].icon, QMessageBox::Question);
    QVERIFY(rig.messages[0].text.contains("1,9870"));
    QTRY_COMPARE(rig.module->sensorSettings().sensors[1].ratedOutputMvPerV, 1.987f);
    TensSettings expected = before;
    expected.sensors[1].ratedOutputMvPerV = 1.987f;
    QCOMPARE(rig.module->sensorSettings().encode(2), expected.encode(2));
    QCOMPARE(rig.sent(Code::WriteSensorSettings).size(), 1);
    QTRY_VERIFY(rig.control<QLabel>("Label_CalibStatus")->text().startsWith("Moduł zapisał"));

    // Read back into the page; the live value is the load within the shown resolution.
    QTRY_COMPARE(rig.find<QLineEdit>(rig.sensor.get(), "Edit_TSens2")->text(), QString("1,9870"));
    QTRY_COMPARE(rig.control<QLabel>("Label_CalibRatedNow")->text(), QString("1,9870"));
    QVERIFY(rig.readingSettles(2, 500.0f, 0.005f));
}

// A stalled write leaves the window usable and says it waits; unplugging
// then says nothing was confirmed.
void TestSensorCalibration::moduleVanishingBeforeTheAcknowledgementIsTold()
{
    SetActiveLanguage(2);
    CalibrationRig rig;
    QVERIFY(rig.readyToWrite());
    rig.module->setWriteStall(SimDevice::HoldWrites);
    QTest::mouseClick(rig.control<QPushButton>("Btn_CalibApply"), Qt::LeftButton);
    auto *status = rig.control<QLabel>("Label_CalibStatus");
    QVERIFY(status->text().startsWith("Sent to the module"));
    QTRY_VERIFY(rig.module->stalledWrites() > 0);

    rig.sim.backend.unplug(rig.module->info().path);
    QTRY_VERIFY(status->text().startsWith("The module went away"));
    rig.module->setWriteStall(std::chrono::milliseconds(0));
}

// The acknowledgement never comes: the window stops waiting at the
// exchange's deadline and says so.
void TestSensorCalibration::writeNotAcknowledgedIsTold()
{
    SetActiveLanguage(2);
    CalibrationRig rig;
    QVERIFY(rig.readyToWrite());
    rig.module->withholdAnswersTo(Code::WriteSensorSettings);
    QTest::mouseClick(rig.control<QPushButton>("Btn_CalibApply"), Qt::LeftButton);
    auto *status = rig.control<QLabel>("Label_CalibStatus");
    QVERIFY(status->text().startsWith("Sent to the module"));
    QTRY_COMPARE_WITH_TIMEOUT(status->text(),
                              QString("The module did not acknowledge the new rated output. Check the "
                                      "sensor's rated output and write it again."),
                              5000);
    QVERIFY(rig.sim.session->isIdle());
    QCOMPARE(rig.messages.size(), 1); // the write's question only: the page leaves it to the window
}

void TestSensorCalibration::refusalsWriteNothing_data()
{
    QTest::addColumn<int>("input");
    QTest::addColumn<float>("load");
    QTest::addColumn<QString>("known");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("message");
    QTest::newRow("inactive sensor") << 4 << 100.0f << "100" << true << "not active";
    QTest::newRow("known load zero") << 1 << 100.0f << "0" << true << "known load other than zero";
    QTest::newRow("known load not a number") << 1 << 100.0f << "sto" << true << "known load other than zero";
    QTest::newRow("no reading") << 1 << 0.0f << "100" << true << "shows no load";
    QTest::newRow("opposite sign") << 1 << 100.0f << "-100" << true << "opposite sign";
    QTest::newRow("result out of range") << 1 << 0.01f << "100000" << true << "outside 0.1 to 100000000";
    QTest::newRow("not connected") << 1 << 100.0f << "100" << false << "not connected";
}

void TestSensorCalibration::refusalsWriteNothing()
{
    QFETCH(int, input);
    QFETCH(float, load);
    QFETCH(QString, known);
    QFETCH(bool, connected);
    QFETCH(QString, message);
    SetActiveLanguage(2);
    CalibrationRig rig;
    QVERIFY(rig.waitForStartUp());
    // Three active inputs: sensor 4 is beyond them.
    TensSettings three = rig.module->sensorSettings().asWritten();
    three.activeInputsIndex = 2;
    rig.sim.protocol->sendLongCommand(three.encode(Code::WriteSensorSettings));
    QTRY_COMPARE(rig.reported.sensors()->activeInputsIndex, quint8(2));
    QVERIFY(rig.waitForAnswer());
    const TensSettings before = rig.module->sensorSettings();

    rig.module->setLoad(input, load);
    QVERIFY(rig.readingSettles(input, load * SimulatedModule::trueRatedOutput(input) / 2.0f));
    if (!connected) {
        rig.sim.backend.unplug(rig.module->info().path);
        QTRY_VERIFY(!rig.sim.link->isConnected());
    }
    rig.sim.forgetWrites(*rig.module);
    rig.window.showOrRaise();
    rig.control<QComboBox>("Cb_CalibSensor")->setCurrentIndex(input - 1);
    rig.control<QLineEdit>("Edit_KnownLoad")->setText(known);
    QTest::mouseClick(rig.control<QPushButton>("Btn_CalibApply"), Qt::LeftButton);

    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(rig.messages[0].icon, QMessageBox::Warning);
    QVERIFY2(rig.messages[0].text.contains(message), qPrintable(rig.messages[0].text));
    QCOMPARE(rig.control<QLabel>("Label_CalibStatus")->text(), rig.messages[0].text);
    QVERIFY(rig.sent(Code::WriteSensorSettings).isEmpty());
    QCOMPARE(rig.module->sensorSettings().encode(2), before.encode(2));
}

QTEST_MAIN(TestSensorCalibration)
#include "tst_sensorcalibration.moc"
