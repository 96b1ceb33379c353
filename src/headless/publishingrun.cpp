#include "publishingrun.h"

#include "headlessrecorder.h"
#include "recordpublisher.h"
#include "terminationsignals.h"

#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr int ProgressIntervalMs = 1000;

} // namespace

int publishUntilStopped(HidBackend &backend, const RecordOptions &record,
                        const PublishOptions &publish, QTextStream &messages,
                        bool messagesOnTerminal)
{
    const bool toFile = !record.choices.path.isEmpty();
    HeadlessRecorder recorder(backend, record.choices, record.device);
    if (!recorder.start()) {
        messages << "klv57-pc: cannot record to " << recorder.errorString() << Qt::endl;
        return int(RecordingStatus::FileFailed);
    }
    RecordPublisher publisher(publish);
    const QString problem = publisher.start();
    if (!problem.isEmpty()) {
        recorder.finish();
        messages << "klv57-pc: cannot publish: " << problem << Qt::endl;
        return PublishingFailed;
    }
    messages << "Publishing to " << publish.url.shown() << " (queue " << publish.queueDirectory
             << ")" << (toFile ? QStringLiteral(" and recording to %1").arg(record.choices.path)
                               : QString())
             << "; "
             << (record.duration
                     ? QStringLiteral("for %1 s").arg(double(record.duration->count()) / 1000)
                     : QStringLiteral("until Ctrl+C"))
             << Qt::endl;

    QObject::connect(&recorder.recording(), &RecordingSession::recordMade, &publisher,
                     &RecordPublisher::publish);
    QObject::connect(&recorder.module().protocol(), &DeviceProtocol::sensorSettingsReceived, &publisher,
                     [&](const TensSettings &settings) {
                         publisher.setUnitIndex(settings.unitIndex);
                     });
    auto moduleStatus = [&] {
        const DeviceInfoReport &info = recorder.module().protocol().deviceInfo();
        publisher.setModuleStatus(recorder.isConnected(), info.identification, info.version);
    };
    QObject::connect(&recorder.module().protocol(), &DeviceProtocol::identified, &publisher, moduleStatus);

    QEventLoop loop;
    auto progressText = [&] {
        QString text = recorder.connectionText();
        if (toFile)
            text += QStringLiteral("; %1 records in the file").arg(recorder.recordsWritten());
        return text + QStringLiteral("; ") + publisher.progressText();
    };
    auto showProgress = [&](bool last) {
        if (messagesOnTerminal)
            messages << '\r' << progressText() << "\x1b[K" << (last ? "\n" : "");
        else
            messages << progressText() << '\n';
        messages.flush();
    };
    auto say = [&](const QString &text) {
        if (messagesOnTerminal)
            messages << "\r\x1b[K";
        messages << "klv57-pc: " << text << Qt::endl;
    };
    QTimer progress;
    progress.setInterval(ProgressIntervalMs);
    QObject::connect(&progress, &QTimer::timeout, [&] {
        moduleStatus();
        showProgress(false);
    });
    progress.start();

    int failure = 0;
    QString failureText;
    QObject::connect(&publisher, &RecordPublisher::notice, say);
    bool publisherFailed = false;
    QObject::connect(&publisher, &RecordPublisher::fatal, [&](const QString &text) {
        publisherFailed = true;
        if (failure == 0) {
            failure = PublishingFailed;
            failureText = text;
        }
        loop.exit(PublishingFailed);
    });
    // Two programs polling one module would each get the other's answers.
    QObject::connect(&recorder, &HeadlessRecorder::accessProblemChanged, [&] {
        if (recorder.isConnected() || recorder.accessProblem().kind != HidOpenProblem::Kind::InUse)
            return;
        if (failure == 0) {
            failure = int(RecordingStatus::ModuleInUse);
            failureText = QStringLiteral("not publishing: %1; end that program first.")
                              .arg(HeadlessRecorder::inUseText(recorder.accessProblem()));
        }
        loop.exit(failure);
    });
    QObject::connect(&recorder, &HeadlessRecorder::failed, [&] {
        if (failure == 0) {
            failure = int(RecordingStatus::FileFailed);
            failureText = QStringLiteral("recording stopped: %1").arg(recorder.errorString());
        }
        loop.exit(failure);
    });
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, [&] { loop.exit(0); });
    QTimer duration;
    duration.setSingleShot(true);
    QObject::connect(&duration, &QTimer::timeout, [&] { loop.exit(0); });
    if (record.duration)
        duration.start(*record.duration);

    loop.exec();
    progress.stop();
    if (!recorder.finish() && failure == 0) {
        failure = int(RecordingStatus::FileFailed);
        failureText = QStringLiteral("recording stopped: %1").arg(recorder.errorString());
    }
    if (!publisherFailed)
        publisher.finish(PublishFinishWait);
    showProgress(true);
    if (failure != 0)
        say(failureText);
    if (toFile)
        messages << "Recorded " << recorder.recordsWritten() << " records to "
                 << record.choices.path << Qt::endl;
    messages << "Published " << publisher.acknowledgedCount() << " records to "
             << publish.url.shown();
    if (publisher.droppedCount() > 0)
        messages << "; " << publisher.droppedCount() << " dropped by the queue limit";
    messages << Qt::endl;
    if (publisher.queuedCount() > 0)
        messages << publisher.queuedCount() << " records not acknowledged are kept in "
                 << publish.queueDirectory << " for the next run with the prefix "
                 << publish.url.prefix << Qt::endl;
    return failure;
}
