// The recorder of --record in-process over the simulated module: it goes
// on in the same file when the module is unplugged and plugged in again,
// numbering on, in the locale's format with the settings file's decimals.
#include "headlessrecorder.h"
#include "recordedfile.h"
#include "simulatedbackend.h"
#include "simulatedmodule.h"
#include "textlines.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestHeadlessRecorder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland)); }
    void goesOnAfterAReplug();
};

void TestHeadlessRecorder::goesOnAfterAReplug()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const RecordColumns columns{true, true, true, true, true, false, false, false};
    const RecordingChoices choices{dir.filePath("pomiary.csv"), columns, 0, 3};
    SimulatedBackend backend;
    backend.add(SimulatedBackend::keyboard());
    auto module = std::make_shared<SimulatedModule>();
    backend.add(module);

    HeadlessRecorder recorder(backend, choices);
    QSignalSpy failed(&recorder, &HeadlessRecorder::failed);
    QVERIFY(recorder.start());
    QTRY_VERIFY(recorder.recordsWritten() > 10);

    backend.unplug(module->info().path);
    QTRY_VERIFY(!recorder.isConnected());
    const qint64 beforeReplug = recorder.recordsWritten();
    backend.plug(module);
    QTRY_VERIFY(recorder.isConnected());
    QTRY_VERIFY(recorder.recordsWritten() > beforeReplug + 10);
    QVERIFY(recorder.finish());
    QCOMPARE(failed.count(), 0);

    // One header, then every record in order, in Polish: "12,345".
    const QStringList recorded = textLines(choices.path);
    QCOMPARE(recorded.value(0), QStringLiteral("Date;Time;No.;Sum;Canal 1;"));
    QCOMPARE(recorded.size(), recorder.recordsWritten() + 1);
    const QRegularExpression record = recordLinePattern(columns, 3, QLatin1Char(','));
    for (int i = 1; i < recorded.size(); ++i)
        QVERIFY2(record.match(recorded[i]).hasMatch(), qPrintable(recorded[i]));
    QList<int> expected{-1};
    for (int n = 0; n < recorded.size() - 1; ++n)
        expected << n;
    QCOMPARE(recordNumbers(recorded), expected);
}

QTEST_GUILESS_MAIN(TestHeadlessRecorder)
#include "tst_headlessrecorder.moc"
