// Costs of the hot paths, measured with a steady clock over many rounds.
#include "chartpage.h"
#include "chartplot.h"
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

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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

    QTemporaryDir settingsDir;
    ProgramWindows windows(link, protocol, settingsDir.filePath(QStringLiteral("config.ini")));
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

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// An hour at "80/sek." with all five lines shown: the page's sampling tick
// as the timer's work runs it, the replot of the full window, and what the
// kept points cost in memory. The values swing and carry noise, so every
// pixel column of the hour spans a range: harder than a steady load.
void benchChart()
{
    std::unique_ptr<SimulatedBackend> backend = SimulatedBackend::withModule();
    DeviceLink link(backend.get());
    DeviceProtocol protocol(&link);
    QElapsedTimer waited;
    waited.start();
    while (!protocol.isPollEnabled() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    protocol.setPollEnabled(false);
    if (!link.isConnected()) {
        std::printf("chart: the simulated module did not connect\n");
        return;
    }

    constexpr int FrameCount = 997;
    std::vector<QByteArray> frames;
    for (int i = 0; i < FrameCount; ++i) {
        LiveValues v;
        const double t = i * 0.0125;
        v.Input1 = float(500 + 120 * std::sin(t * 0.7) + (i * 37 % 11) - 5);
        v.Input2 = float(300 + 80 * std::sin(t * 1.3) + (i * 53 % 7) - 3);
        v.Input3 = float(-40 + 25 * std::cos(t * 0.4) + (i * 29 % 5));
        v.Input4 = float(900 + 60 * std::sin(t * 2.1) + (i * 17 % 13) - 6);
        v.Sum = v.Input1 + v.Input2 + v.Input3 + v.Input4;
        frames.push_back(v.encode());
    }

    ChartPage page(link, protocol);
    page.sampleTimer().setEnabled(false); // the bench ticks itself
    ChartPreferences all;
    all.Sampling = 0; // "80/sek."
    all.TimeSize = 6; // "1 h."
    all.ChartSeries = {true, true, true, true, true};
    page.applyPreferences(all);
    page.startUp();
    page.startSampling();
    page.resize(665, 495);
    page.show();
    QApplication::processEvents();

    constexpr int Ticks = 288000; // an hour
    const size_t heapBefore = heapInUse();
    double total = 0, worst = 0;
    for (int i = 0; i < Ticks; ++i) {
        protocol.handleDeviceReport(1, frames[size_t(i % FrameCount)]);
        const auto start = std::chrono::steady_clock::now();
        page.sampleTick();
        const double us =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count();
        total += us;
        worst = std::max(worst, us);
    }
    const size_t heapAfter = heapInUse();
    std::printf("%-40s %10.3f us per tick (wall; worst %.0f us, %d ticks)\n",
                "chart tick, five points appended", total / Ticks, worst, Ticks);

    ChartPlot *chart = page.plot();
    const AxisRange window = chart->timeRange();
    std::printf("%-40s %d x %d, %d points per line, window %.0f s\n", "chart replot at",
                chart->width(), chart->height(), int(chart->sampleCount()),
                window.upper - window.lower);
    report("chart replot, an hour in a 1 h window", 20,
           [&] { chart->replot(QCustomPlot::rpImmediateRefresh); });

    const double points = 5.0 * double(chart->sampleCount());
    std::printf("%-40s %10.2f bytes per point allocated (%.2f heap growth per point)\n",
                "chart memory", double(chart->samples().allocatedBytes()) / points,
                double(heapAfter - heapBefore) / points);
    link.releaseAll();
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
    benchChart();
    return 0;
}
