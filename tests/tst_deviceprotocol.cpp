#include "messagetable.h"
#include "sessionpresenter.h"
#include "simrig.h"

#include <QSignalSpy>
#include <QTest>

#include <chrono>

// The protocol over a simulated module, through the real controller, read
// thread and poll thread. Tests wait on the exchange's state, never on polls.
class TestDeviceProtocol : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startUpExchange();
    void pollsAtAbout80PerSecond();
    void everyWriteHasTheOutputLength();
    void longPayloadInOutputLength65();
    void acknowledgements_data();
    void acknowledgements();
    void sensorWriteAcknowledgedReadsBack();
    void unknownAndShortReports();
    void frameDoesNotEndTheExchange();
    void bareReportIdEndsTheExchange();
    void commandHoldsPollsUntilItsAnswer();
    void answerWithheldPastTheDeadline();
    void lateAnswerIsHandledOnce();
    void reportsHandledInArrivalOrder();
    void nonFiniteFrameIsStored();

private:
    void startWith(std::shared_ptr<SimulatedModule> module);
    void waitForStartUp();
    void quiesce();

    std::unique_ptr<SimRig> m_rig;
    std::shared_ptr<SimulatedModule> m_module;
};

void TestDeviceProtocol::init()
{
    QLocale::setDefault(QLocale::c());
    startWith(std::make_shared<SimulatedModule>());
}

void TestDeviceProtocol::cleanup()
{
    m_rig.reset();
    m_module.reset();
    SetActiveLanguage(1);
}

void TestDeviceProtocol::startWith(std::shared_ptr<SimulatedModule> module)
{
    m_rig = std::make_unique<SimRig>();
    m_module = std::move(module);
    m_rig->backend.add(m_module);
    m_rig->start();
}

void TestDeviceProtocol::waitForStartUp()
{
    QVERIFY(m_rig->waitForStartUp(*m_module));
}

// The module stops answering and polls are held; answers already on their
// way are handled before the test queues its own reports: once the queue
// is empty, two more read calls mean the read thread handed over (and
// waited for the handling of) whatever it had read.
void TestDeviceProtocol::quiesce()
{
    m_module->setSilent(true);
    m_rig->protocol->holdPolling(true);
    m_rig->waitForWrites();
    QTRY_COMPARE(m_module->queuedInputReports(), 0);
    const int reads = m_module->readCalls();
    QTRY_VERIFY(m_module->readCalls() >= reads + 2);
}

void TestDeviceProtocol::startUpExchange()
{
    QSignalSpy sensor(m_rig->protocol, &DeviceProtocol::sensorSettingsReceived);
    QSignalSpy io(m_rig->protocol, &DeviceProtocol::ioSettingsReceived);
    waitForStartUp();
    QTRY_COMPARE(io.count(), 1);
    QCOMPARE(sensor.count(), 1);
    QCOMPARE(withoutPolls(writtenCodes(*m_module)),
             (QList<quint8>{Code::DeviceInfo, Code::ReadSensorSettings, Code::ReadIoSettings}));
    QCOMPARE(writtenCodes(*m_module).first(), Code::DeviceInfo);
    QCOMPARE(m_rig->identity, QString::fromUtf8("Połączono z KLV57 ver.: 1.10 KLV57 simulator"));
    QCOMPARE(m_rig->protocol->deviceInfo().identification, QByteArray("KLV57 simulator"));
    QCOMPARE(m_rig->protocol->AnalogOutVariant(), quint8(0));
    QCOMPARE(sensor.first().first().value<TensSettings>().activeInputsIndex, quint8(3));
    QTRY_VERIFY(m_rig->protocol->liveValues().Input1 != 0.0f);
}

void TestDeviceProtocol::pollsAtAbout80PerSecond()
{
    waitForStartUp();
    m_rig->forgetWrites(*m_module);
    QTest::qWait(1000);
    const auto written = m_module->written();
    // 12 ms of sleep plus the write: about 80 a second, never more than 84.
    // The bounds only tell the poll from a stall or a spin; a loaded machine
    // may stretch the sleeps.
    QVERIFY2(written.size() >= 10 && written.size() <= 84, QByteArray::number(int(written.size())));
    for (const auto &w : written)
        QCOMPARE(quint8(w.bytes[1]), Code::Poll);
}

void TestDeviceProtocol::everyWriteHasTheOutputLength()
{
    waitForStartUp();
    m_rig->protocol->sendCommand(Code::ResetMinMax);
    QVERIFY(m_rig->waitForIdle());
    const auto written = m_module->written();
    for (const auto &w : written) {
        QCOMPARE(w.bytes.size(), 65);
        QCOMPARE(quint8(w.bytes[0]), ModuleReportId);
        QCOMPARE(w.bytes.mid(2), QByteArray(63, 0));
    }
    QVERIFY(writtenCodes(*m_module).contains(Code::ResetMinMax));
}

void TestDeviceProtocol::longPayloadInOutputLength65()
{
    waitForStartUp();
    m_rig->protocol->holdPolling(true);
    m_rig->forgetWrites(*m_module);
    QByteArray payload(63, '\x77');
    payload[0] = char(0x42); // a code the module ignores
    m_rig->protocol->sendCommandReport(payload);
    m_rig->waitForWrites();
    const auto written = m_module->written();
    QCOMPARE(int(written.size()), 1);
    QCOMPARE(written[0].bytes.size(), 65);
    QCOMPARE(written[0].bytes.mid(1, 63), payload);
    QCOMPARE(written[0].bytes[64], '\0');
}

void TestDeviceProtocol::acknowledgements_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("followUp"); // -1: none
    QTest::newRow("tare") << int(Code::TareSum) << QString::fromUtf8("Wartość wytarowana") << -1;
    QTest::newRow("min/max") << int(Code::ResetMinMax) << QString("Wartosc Min/Max zresetowana") << -1;
    QTest::newRow("io factory") << int(Code::FactoryIoSettings)
                                << QString::fromUtf8("Ustawienia domyslne wejść-wyjść przywrócone")
                                << int(Code::ReadIoSettings);
    QTest::newRow("sensor factory") << int(Code::FactorySensorSettings)
                                    << QString::fromUtf8("Ustawienia domyslne czujników siły przywrócone")
                                    << int(Code::ReadSensorSettings);
    QTest::newRow("zero input 1 (no text)") << int(Code::ZeroInput1) << QString() << -1;
}

void TestDeviceProtocol::acknowledgements()
{
    QFETCH(int, command);
    QFETCH(QString, message);
    QFETCH(int, followUp);
    waitForStartUp();
    m_rig->messages.clear();
    m_rig->forgetWrites(*m_module);
    m_rig->protocol->sendCommand(quint8(command));
    QCOMPARE(m_rig->protocol->awaitedCode(), std::optional<quint8>(quint8(command)));
    QVERIFY(m_rig->waitForIdle()); // the answer, and the read-back it asks for, handled
    QCOMPARE(m_rig->messages, message.isEmpty() ? QStringList() : QStringList{message});
    QList<quint8> expected{quint8(command)};
    if (followUp == Code::ReadSensorSettings)
        expected << Code::ReadSensorSettings << Code::ReadIoSettings;
    else if (followUp >= 0)
        expected << quint8(followUp);
    QCOMPARE(withoutPolls(writtenCodes(*m_module)), expected);
}

void TestDeviceProtocol::sensorWriteAcknowledgedReadsBack()
{
    waitForStartUp();
    QSignalSpy written(m_rig->protocol, &DeviceProtocol::sensorSettingsWritten);
    QSignalSpy received(m_rig->protocol, &DeviceProtocol::sensorSettingsReceived);
    TensSettings settings = SimulatedModule::factorySensorSettings();
    settings.unitIndex = 1;
    m_rig->protocol->holdPolling(true);
    m_rig->protocol->sendCommandReport(settings.encode(Code::WriteSensorSettings));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(written.count(), 1);
    QCOMPARE(m_rig->messages.last(), QString::fromUtf8("Parametry wejść tensometrycznych zapisane"));
    QCOMPARE(received.first().first().value<TensSettings>().unitIndex, quint8(1));
    SetActiveLanguage(2);
    m_rig->protocol->sendCommandReport(settings.encode(Code::WriteSensorSettings));
    QTRY_COMPARE(m_rig->messages.last(), QString("Parameters sensor saved"));
}

void TestDeviceProtocol::unknownAndShortReports()
{
    waitForStartUp();
    quiesce();
    m_rig->messages.clear();
    QSignalSpy frames(m_rig->protocol, &DeviceProtocol::frameStored);
    QSignalSpy io(m_rig->protocol, &DeviceProtocol::ioSettingsReceived);
    for (const char *hex : {"01", "0142", "01ee00", "0101", "0103"})
        m_module->queueInputReport(QByteArray::fromHex(hex));
    QTRY_VERIFY(frames.count() == 1 && io.count() == 1); // all handled, in order
    // Unknown codes show nothing and end the exchange; the 1-byte frame
    // reads as zeros beyond what arrived.
    QVERIFY(m_rig->session->isIdle());
    QVERIFY(m_rig->messages.isEmpty());
    QCOMPARE(m_rig->protocol->liveValues().Sum, 0.0f);
    // The link still works.
    m_module->setSilent(false);
    m_rig->protocol->sendCommand(Code::TareSum);
    QTRY_COMPARE(m_rig->messages.value(0), QString::fromUtf8("Wartość wytarowana"));
}

// A frame is not the answer: the command's wait goes on.
void TestDeviceProtocol::frameDoesNotEndTheExchange()
{
    waitForStartUp();
    quiesce();
    QSignalSpy frames(m_rig->protocol, &DeviceProtocol::frameStored);
    m_rig->protocol->sendCommand(Code::ResetMinMax); // the silent module never answers
    LiveValues v;
    v.Sum = 42.0f;
    m_module->queueInputReport(QByteArray(1, char(ModuleReportId)) + v.encode());
    QTRY_COMPARE(frames.count(), 1);
    QCOMPARE(m_rig->protocol->liveValues().Sum, 42.0f);
    QCOMPARE(m_rig->protocol->awaitedCode(), std::optional<quint8>(Code::ResetMinMax));
}

void TestDeviceProtocol::bareReportIdEndsTheExchange()
{
    waitForStartUp();
    quiesce();
    QSignalSpy frames(m_rig->protocol, &DeviceProtocol::frameStored);
    m_rig->protocol->sendCommand(Code::ResetMinMax);
    QVERIFY(!m_rig->session->isIdle());
    m_module->queueInputReport(QByteArray(1, char(ModuleReportId))); // nothing after the ID
    QTRY_VERIFY(m_rig->session->isIdle());
    QVERIFY(m_rig->messages.isEmpty());
    m_module->setSilent(false);
    m_rig->protocol->holdPolling(false);
    QTRY_VERIFY(frames.count() > 0); // polling goes on
}

// While the answer is awaited no poll goes out; the answer lets them go again.
void TestDeviceProtocol::commandHoldsPollsUntilItsAnswer()
{
    waitForStartUp();
    m_module->withholdAnswersTo(Code::ZeroInput1 + 2);
    m_rig->protocol->sendCommand(Code::ZeroInput1 + 2);
    QVERIFY(!m_rig->protocol->isPolling());
    m_rig->forgetWrites(*m_module);
    QTest::qWait(100); // some eight poll intervals
    QVERIFY(m_module->written().empty());
    m_module->releaseWithheld();
    QVERIFY(m_rig->waitForIdle());
    QTRY_VERIFY(writtenCodes(*m_module).count(Code::Poll) >= 3);
}

// No answer by the deadline: the exchange is idle again, polls go out, and
// the status line says so once.
void TestDeviceProtocol::answerWithheldPastTheDeadline()
{
    waitForStartUp();
    QSignalSpy notAnswered(m_rig->protocol, &DeviceProtocol::commandNotAnswered);
    m_rig->messages.clear();
    m_module->withholdAnswersTo(Code::TareSum);
    m_rig->protocol->sendCommand(Code::TareSum);
    QCOMPARE(m_rig->protocol->awaitedCode(), std::optional<quint8>(Code::TareSum));
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->session->isIdle(), 5000);
    QCOMPARE(notAnswered.count(), 1);
    QCOMPARE(notAnswered.first().first().value<quint8>(), Code::TareSum);
    QCOMPARE(m_rig->messages, QStringList{QString::fromUtf8("Moduł nie odpowiedział na polecenie")});
    m_rig->forgetWrites(*m_module);
    QTRY_VERIFY(writtenCodes(*m_module).count(Code::Poll) >= 3);
    QCOMPARE(m_module->withheldAnswers(), 1);
}

// An answer after the deadline is handled as any other, once: its text,
// and the read-back it asks for.
void TestDeviceProtocol::lateAnswerIsHandledOnce()
{
    waitForStartUp();
    QSignalSpy notAnswered(m_rig->protocol, &DeviceProtocol::commandNotAnswered);
    QSignalSpy sensor(m_rig->protocol, &DeviceProtocol::sensorSettingsReceived);
    QSignalSpy io(m_rig->protocol, &DeviceProtocol::ioSettingsReceived);
    m_module->withholdAnswersTo(Code::FactorySensorSettings);
    m_rig->forgetWrites(*m_module);
    m_rig->protocol->sendCommand(Code::FactorySensorSettings);
    QTRY_COMPARE_WITH_TIMEOUT(notAnswered.count(), 1, 5000);
    m_rig->messages.clear();
    m_module->withholdAnswersTo(std::nullopt);
    m_module->releaseWithheld();
    QTRY_COMPARE(io.count(), 1);
    QVERIFY(m_rig->waitForIdle());
    QCOMPARE(sensor.count(), 1);
    QCOMPARE(notAnswered.count(), 1);
    QCOMPARE(m_rig->messages, QStringList{QString::fromUtf8("Ustawienia domyslne czujników siły przywrócone")});
    QCOMPARE(withoutPolls(writtenCodes(*m_module)),
             (QList<quint8>{Code::FactorySensorSettings, Code::ReadSensorSettings, Code::ReadIoSettings}));
}

void TestDeviceProtocol::reportsHandledInArrivalOrder()
{
    waitForStartUp();
    quiesce();
    QList<float> sums;
    connect(m_rig->protocol, &DeviceProtocol::frameStored, this,
            [&] { sums << m_rig->protocol->liveValues().Sum; });
    for (int i = 0; i < 50; ++i) {
        LiveValues v;
        v.Sum = float(i);
        m_module->queueInputReport(QByteArray(1, char(ModuleReportId)) + v.encode());
    }
    QTRY_COMPARE(sums.size(), 50);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(sums[i], float(i));
}

void TestDeviceProtocol::nonFiniteFrameIsStored()
{
    waitForStartUp();
    quiesce();
    QSignalSpy frames(m_rig->protocol, &DeviceProtocol::frameStored);
    m_module->queueInputReport(QByteArray::fromHex("0101000000c07f0000807f"));
    QTRY_COMPARE(frames.count(), 1);
    QVERIFY(std::isnan(m_rig->protocol->liveValues().Sum));
    QVERIFY(std::isinf(m_rig->protocol->liveValues().Min));
}

QTEST_MAIN(TestDeviceProtocol)
#include "tst_deviceprotocol.moc"
