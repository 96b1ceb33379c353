#include "recordingrun.h"

#include "headlessrecorder.h"
#include "terminationsignals.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr int ProgressIntervalMs = 1000;

QString progressText(const HeadlessRecorder &recorder)
{
    return QStringLiteral("%1; %2 records, %3 bytes on disk")
        .arg(recorder.connectionText())
        .arg(recorder.recordsWritten())
        .arg(QFileInfo(recorder.choices().path).size());
}

QString chosenColumns(const RecordColumns &columns)
{
    QStringList names;
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c])
            names << QString::fromLatin1(RecordColumnOptionNames[c]);
    return names.join(QLatin1Char(','));
}

} // namespace

RecordingStatus recordUntilStopped(HidBackend &backend, const RecordOptions &options,
                                   QTextStream &messages, bool messagesOnTerminal)
{
    const RecordingChoices &choices = options.choices;
    HeadlessRecorder recorder(backend, choices, options.device);
    if (!recorder.start()) {
        messages << "klv57-pc: cannot record to " << recorder.errorString() << Qt::endl;
        return RecordingStatus::FileFailed;
    }
    messages << "Recording to " << choices.path << ": columns " << chosenColumns(choices.columns)
             << ", rate "
             << RecordRateItems[std::size_t(RecordingStep::listedRateItem(choices.rateItem))]
             << ", " << choices.decimals << " decimal place(s); "
             << (options.duration
                     ? QStringLiteral("for %1 s").arg(double(options.duration->count()) / 1000)
                     : QStringLiteral("until Ctrl+C"))
             << Qt::endl;

    QEventLoop loop;
    auto showProgress = [&](bool last) {
        if (messagesOnTerminal)
            messages << '\r' << progressText(recorder) << "\x1b[K" << (last ? "\n" : "");
        else
            messages << progressText(recorder) << '\n';
        messages.flush();
    };
    QTimer progress;
    progress.setInterval(ProgressIntervalMs);
    QObject::connect(&progress, &QTimer::timeout, [&] { showProgress(false); });
    progress.start();

    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received,
                     [&] { loop.exit(int(RecordingStatus::Ended)); });
    QTimer duration;
    duration.setSingleShot(true);
    QObject::connect(&duration, &QTimer::timeout, [&] { loop.exit(int(RecordingStatus::Ended)); });
    if (options.duration)
        duration.start(*options.duration);
    QObject::connect(&recorder, &HeadlessRecorder::failed,
                     [&] { loop.exit(int(RecordingStatus::FileFailed)); });
    // Two programs polling one module would each get the other's answers.
    QObject::connect(&recorder, &HeadlessRecorder::accessProblemChanged, [&] {
        if (!recorder.isConnected() && recorder.accessProblem().kind == HidOpenProblem::Kind::InUse)
            loop.exit(int(RecordingStatus::ModuleInUse));
    });

    auto status = RecordingStatus(loop.exec());
    progress.stop();
    if (!recorder.finish())
        status = RecordingStatus::FileFailed;
    showProgress(true);
    if (status == RecordingStatus::FileFailed)
        messages << "klv57-pc: recording stopped: " << recorder.errorString() << Qt::endl;
    else if (status == RecordingStatus::ModuleInUse)
        messages << "klv57-pc: not recording: " << HeadlessRecorder::inUseText(recorder.accessProblem())
                 << "; end that program first." << Qt::endl;
    else if (recorder.recordsWritten() == 0)
        messages << "Nothing recorded: no record was due from the module; " << choices.path
                 << " is as it was." << Qt::endl;
    else
        messages << "Recorded " << recorder.recordsWritten() << " records to " << choices.path
                 << Qt::endl;
    return status;
}
