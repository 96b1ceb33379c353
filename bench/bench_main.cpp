// Costs of the hot paths, measured with a steady clock over many rounds.
#include "devicelink.h"
#include "deviceprotocol.h"
#include "livedisplaytick.h"
#include "livevalues.h"
#include "programsettings.h"
#include "programwindows.h"
#include "recordfile.h"
#include "recordline.h"
#include "simulatedbackend.h"
#include "valueformat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QLocale>
#include <QTemporaryDir>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>

namespace {

// CPU time of this thread: other builds share the machine's two cores, and
// wall time then measures them too.
double threadCpuMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

void report(const char *name, int rounds, const std::function<void()> &work)
{
    for (int i = 0; i < rounds / 10; ++i) // warm up
        work();
    const double cpuStart = threadCpuMicroseconds();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        work();
    double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    const double cpu = threadCpuMicroseconds() - cpuStart;
    std::printf("%-40s %10.3f us per call (%.3f us CPU)\n", name, us / rounds, cpu / rounds);
}

// Two frames whose every value differs, so each tick rewrites every text.
QByteArray frame(int i)
{
    LiveValues v;
    v.Inputs = quint8(i & 3);
    v.Outputs = quint8((i >> 1) & 3);
    v.Sum = 1234.5f + float(i % 2);
    v.Min = -12.25f - float(i % 2);
    v.Max = 2345.75f + float(i % 2);
    v.Input1 = 250.25f + float(i % 2);
    v.Input2 = 180.5f - float(i % 2);
    v.Input3 = 320.75f + float(i % 2);
    v.Input4 = 140.0f - float(i % 2);
    v.AnalogOut = 4.0f + float(i % 2);
    return v.encode();
}

// The program's windows, the Measurements page and the big display shown
// offscreen, connected to the simulated module; frames go through the report
// handler as the read thread hands them over, and each tick is followed by
// the paint it causes.
void benchDisplayTick()
{
    std::unique_ptr<SimulatedBackend> backend = SimulatedBackend::withModule();
    DeviceLink link(backend.get());
    DeviceProtocol protocol(&link);
    QElapsedTimer waited;
    waited.start();
    while (!protocol.isPollEnabled() && waited.elapsed() < 5000) // connected, identity read
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    protocol.setPollEnabled(false); // the bench feeds the frames itself
    if (!link.isConnected()) {
        std::printf("display tick: the simulated module did not connect\n");
        return;
    }

    ProgramWindows windows(link, protocol);
    auto *tick = windows.form1.findChild<LiveDisplayTick *>();
    windows.form1.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    protocol.setPollEnabled(false);
    windows.form1.show();
    windows.formBigDisplay.show();
    QApplication::processEvents();

    const QByteArray frames[2] = {frame(0), frame(1)};
    int i = 0;
    report("store one frame (handleDeviceReport)", 200000,
           [&] { protocol.handleDeviceReport(1, frames[++i % 2]); });
    report("display tick, texts and bars", 20000, [&] {
        protocol.handleDeviceReport(1, frames[++i % 2]);
        tick->tick();
    });
    report("display tick and paint (page + big)", 2000, [&] {
        protocol.handleDeviceReport(1, frames[++i % 2]);
        tick->tick();
        QApplication::processEvents();
    });
    link.releaseAll();
}

// One record per frame at the fastest rate, all columns, into a real file;
// and config.ini read at start-up and written at close, key by key.
void benchRecordingAndSettings()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::printf("recording: no temporary directory\n");
        return;
    }
    LiveValues v;
    v.Sum = 1234.5f;
    v.Input1 = 250.25f;
    v.Input2 = -180.5f;
    v.Input3 = 320.75f;
    v.Input4 = 140.0f;
    const RecordColumns all{true, true, true, true, true, true, true, true};
    const QDateTime now = QDateTime::currentDateTime();
    volatile qsizetype sink = 0;
    report("build one record line (all columns)", 100000,
           [&] { sink = BuildRecordLine(all, v, 41, now, 2).size(); });

    RecordFile file;
    const QString recordPath = dir.filePath(QStringLiteral("pomiary.csv"));
    file.switchOn();
    report("build and write one record line", 100000, [&] {
        file.appendRecord(recordPath, all, v, QDateTime::currentDateTime(), 2);
    });
    file.switchOff();

    const QString settingsPath = dir.filePath(QStringLiteral("config.ini"));
    writePreferencesAtClose(settingsPath, ProgramPreferences());
    writeFileName(settingsPath, QStringLiteral("pomiary.csv"));
    report("read config.ini (20 keys)", 2000,
           [&] { sink = readPreferences(settingsPath).FileName.size(); });
    report("write config.ini at close (19 keys)", 50,
           [&] { writePreferencesAtClose(settingsPath, ProgramPreferences()); });
    (void)sink;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));

    LiveValues sample;
    sample.Sum = 1234.5f;
    sample.Input1 = 250.25f;
    const QByteArray frame = sample.encode();
    volatile float sink = 0;
    report("decode one measurement frame", 200000, [&] { sink = LiveValues::decode(frame).Sum; });
    report("grouped format of one value", 200000, [&] { sink = float(formatGrouped(1234.56, 2).size()); });
    report("fixed format of one value", 200000, [&] { sink = float(formatFixed(-0.125, 4).size()); });
    (void)sink;
    benchRecordingAndSettings();
    benchDisplayTick();
    return 0;
}
