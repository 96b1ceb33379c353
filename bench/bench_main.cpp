// Costs of the hot paths, measured with a steady clock over many rounds,
// start-up to the first paint and the memory of an hour of chart, printed
// as one table. Targets are the periods the work has to fit in: a poll
// frame (12.5 ms at 80/s), the display tick (50 ms), a replot (40 ms).
#include "application.h"
#include "backendfactory.h"
#include "chartline.h"
#include "chartpage.h"
#include "chartplot.h"
#include "fonts.h"
#include "livedisplaytick.h"
#include "livevalues.h"
#include "modulesession.h"
#include "processmemory.h"
#include "programsettings.h"
#include "programwindows.h"
#include "recordfile.h"
#include "recordforwarder.h"
#include "recordmessage.h"
#include "recordqueue.h"
#include "recordline.h"
#include "simulatedbackend.h"
#include "valueformat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

// CPU time of this thread: other builds share the machine's two cores, and
// wall time then measures them too.
double threadCpuMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

struct Row {
    std::string name, value, unit, target;
};
std::vector<Row> rows; // printed together at the end

std::string number(const char *format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void row(std::string name, std::string value, std::string unit, std::string target = {})
{
    rows.push_back({std::move(name), std::move(value), std::move(unit), std::move(target)});
}

void printTable()
{
    std::vector<Row> all{{"name", "value", "unit", "target"}};
    all.insert(all.end(), rows.begin(), rows.end());
    size_t width[4] = {};
    for (const Row &r : all) {
        width[0] = std::max(width[0], r.name.size());
        width[1] = std::max(width[1], r.value.size());
        width[2] = std::max(width[2], r.unit.size());
        width[3] = std::max(width[3], r.target.size());
    }
    for (size_t i = 0; i < all.size(); ++i) {
        const Row &r = all[i];
        std::printf("| %-*s | %*s | %-*s | %-*s |\n", int(width[0]), r.name.c_str(), int(width[1]),
                    r.value.c_str(), int(width[2]), r.unit.c_str(), int(width[3]),
                    r.target.c_str());
        if (i == 0)
            std::printf("|%s|%s:|%s|%s|\n", std::string(width[0] + 2, '-').c_str(),
                        std::string(width[1] + 1, '-').c_str(),
                        std::string(width[2] + 2, '-').c_str(),
                        std::string(width[3] + 2, '-').c_str());
    }
}

// Wall time per call and this thread's CPU time per call.
void report(const char *name, int rounds, const std::function<void()> &work,
            std::string target = {})
{
    for (int i = 0; i < rounds / 10; ++i) // warm up
        work();
    const double cpuStart = threadCpuMicroseconds();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        work();
    double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    const double cpu = threadCpuMicroseconds() - cpuStart;
    row(name, number("%.3f", us / rounds) + " / " + number("%.3f", cpu / rounds),
        "us per call, wall / CPU", std::move(target));
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

// Waits until the session's module is connected and its start-up chain
// handled, then holds the polls: the bench feeds the frames itself. False
// when the module did not connect.
bool startedWithPollsHeld(ModuleSession &session)
{
    QElapsedTimer waited;
    waited.start();
    while (!(session.isConnected() && session.isIdle() && session.reportedIoSettings()) &&
           waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    session.protocol().holdPolling(true);
    return session.isConnected();
}

// The program's windows, the Measurements page and the big display shown
// offscreen, connected to the simulated module; frames go through the report
// handler as the read thread hands them over, and each tick is followed by
// the paint it causes.
void benchDisplayTick()
{
    std::unique_ptr<SimulatedBackend> backend = SimulatedBackend::withModule();
    std::unique_ptr<ModuleSession> session = makeModuleSession(*backend);
    DeviceProtocol &protocol = session->protocol();
    if (!startedWithPollsHeld(*session)) {
        row("display tick: the simulated module did not connect", "-", "");
        return;
    }

    QTemporaryDir settingsDir;
    ProgramWindows windows(*session, settingsDir.filePath(QStringLiteral("config.ini")));
    auto *tick = &session->displayTick();
    windows.form1.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    protocol.holdPolling(true);
    windows.form1.show();
    windows.formBigDisplay.show();
    QApplication::processEvents();

    const QByteArray frames[2] = {frame(0), frame(1)};
    int i = 0;
    report(
        "store one frame (handleDeviceReport)", 200000,
        [&] { protocol.handleDeviceReport(1, frames[++i % 2]); }, "< 12500 (a frame)");
    report("display tick, texts and bars", 20000, [&] {
        protocol.handleDeviceReport(1, frames[++i % 2]);
        tick->tick();
    });
    report(
        "display tick and paint (page + big)", 2000,
        [&] {
            protocol.handleDeviceReport(1, frames[++i % 2]);
            tick->tick();
            QApplication::processEvents();
        },
        "< 50000 (a tick)");
    session->shutDown();
}

// One record per frame at the fastest rate, all columns, into a real file;
// and config.ini read at start-up and written at close, key by key.
void benchRecordingAndSettings()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        row("recording: no temporary directory", "-", "");
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
    report(
        "build and write one record line", 100000,
        [&] { file.appendRecord(recordPath, all, v, QDateTime::currentDateTime(), 2); },
        "< 12500 (a frame)");
    file.switchOff();

    const QString settingsPath = dir.filePath(QStringLiteral("config.ini"));
    writePreferencesAtClose(settingsPath, ProgramPreferences());
    writeFileName(settingsPath, QStringLiteral("pomiary.csv"));
    report("read config.ini (20 keys)", 2000,
           [&] { sink = readPreferences(settingsPath).recording.FileName.size(); });
    report("write config.ini at close (19 keys)", 50,
           [&] { writePreferencesAtClose(settingsPath, ProgramPreferences()); });
    (void)sink;
}

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Frames whose values swing and carry noise, so every pixel column of an
// hour spans a range: harder than a steady load.
std::vector<QByteArray> chartFrames()
{
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
    return frames;
}

// An hour at "80/sek." with all five lines shown: the page's sampling tick
// as the timer's work runs it, the replot of the full window, and what the
// kept points cost in memory. The values swing and carry noise, so every
// pixel column of the hour spans a range: harder than a steady load.
void benchChart()
{
    std::unique_ptr<SimulatedBackend> backend = SimulatedBackend::withModule();
    std::unique_ptr<ModuleSession> session = makeModuleSession(*backend);
    DeviceProtocol &protocol = session->protocol();
    if (!startedWithPollsHeld(*session)) {
        row("chart: the simulated module did not connect", "-", "");
        return;
    }

    const std::vector<QByteArray> frames = chartFrames();
    const int FrameCount = int(frames.size());

    ChartPage page(*session);
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
    row("chart tick, five points appended (mean of an hour)", number("%.3f", total / Ticks),
        "us per tick, wall", "< 12500 (80/s)");
    row("chart tick, worst of " + std::to_string(Ticks), number("%.0f", worst), "us, wall",
        "< 12500 (80/s)");

    ChartPlot *chart = page.plot();
    const AxisRange window = chart->timeRange();
    const std::string replotName =
        "chart replot, an hour in a 1 h window (" + std::to_string(chart->width()) + "x" +
        std::to_string(chart->height()) + ", " + std::to_string(chart->sampleCount()) +
        " points per line, " + number("%.0f", window.upper - window.lower) + " s)";
    report(
        replotName.c_str(), 20, [&] { chart->replot(QCustomPlot::rpImmediateRefresh); },
        "< 40000 (a replot)");

    // Sampling at 80/s on top of the hour, as the page runs it: the ticks,
    // and the replots it decides on, at most one per 40 ms of the ticks'
    // nominal time. This thread's CPU time for both, per second sampled.
    constexpr int Seconds = 30;
    int replots = 0;
    double lastReplotMs = -1e9, cpu = 0;
    for (int i = 0; i < Seconds * 80; ++i) {
        protocol.handleDeviceReport(1, frames[size_t((Ticks + i) % FrameCount)]);
        const double cpuStart = threadCpuMicroseconds();
        page.sampleTick();
        const double nowMs = i * 12.5;
        if (page.replotDue() && nowMs - lastReplotMs >= ChartPage::ReplotIntervalMs) {
            chart->replot(QCustomPlot::rpImmediateRefresh);
            lastReplotMs = nowMs;
            ++replots;
        }
        cpu += threadCpuMicroseconds() - cpuStart;
    }
    row("chart, CPU per second at 80/s, an hour kept, 1 h window shown",
        number("%.2f", cpu / Seconds / 1000),
        "ms CPU per s (" + number("%.1f", double(replots) / Seconds) + " replots/s)",
        "< 20 (2 % of a core)");

    const double points = 5.0 * double(chart->sampleCount());
    row("chart memory allocated per point",
        number("%.2f", double(chart->samples().allocatedBytes()) / points), "bytes");
    row("chart heap growth per point", number("%.2f", double(heapAfter - heapBefore) / points),
        "bytes");
    session->shutDown();
}

// A day at 80/s kept, five lines: a replot of the 1 h window at its end and
// of the whole day, each reading a few summaries per pixel column.
void benchChartDay()
{
    ChartPlot chart;
    chart.resize(652, 348);
    for (int k = 0; k < ChartLineCount; ++k)
        chart.setLineVisible(k, true);
    chart.show();
    QApplication::processEvents();

    constexpr qsizetype Samples = qsizetype(24) * 3600 * 80;
    float time = 0;
    for (qsizetype i = 0; i < Samples; ++i) {
        const double t = double(i) * 0.0125;
        const double noise = double(i * 37 % 11) - 5;
        chart.appendSample(time, {500 + 120 * std::sin(t * 0.7) + noise,
                                  300 + 80 * std::sin(t * 1.3), -40 + 25 * std::cos(t * 0.4),
                                  900 + 60 * std::sin(t * 2.1) - noise, 1660 + noise});
        time += 0.0125f;
    }
    chart.setValueRange({-100, 2000});
    chart.setTimeRange({time - 3200.0, time});
    chart.replot(QCustomPlot::rpImmediateRefresh);
    // As sampling runs: a new sample, the window slid, the replot.
    qsizetype i = Samples;
    const std::string hourName = "chart replot after a new sample, a day kept, 1 h window shown (" +
                                 std::to_string(Samples) + " points per line)";
    report(
        hourName.c_str(), 200,
        [&] {
            const double t = double(i++) * 0.0125;
            chart.appendSample(time, {500 + 120 * std::sin(t * 0.7), 300, -40, 900, 1660});
            time += 0.0125f;
            chart.setTimeRange({time - 3200.0, time});
            chart.replot(QCustomPlot::rpImmediateRefresh);
        },
        "< 2000 (2 ms)");
    // Drawn afresh, as after an axis, size or line change.
    auto afresh = [&] {
        for (int k = 0; k < ChartLineCount; ++k)
            chart.line(k)->forgetPicture();
        chart.replot(QCustomPlot::rpImmediateRefresh);
    };
    report("chart replot drawn afresh, a day kept, 1 h window shown", 50, afresh);
    chart.setTimeRange({0, time});
    report("chart replot drawn afresh, a day kept, the whole day shown", 50, afresh);
    const double samples = double(chart.sampleCount());
    row("chart memory of a day at 80/s (" + number("%.0f", samples) + " samples, 5 lines)",
        number("%.0f", double(chart.samples().allocatedBytes()) / (1024.0 * 1024.0)),
        "MiB, of it " +
            number("%.1f", 100.0 * double(chart.samples().summaryBytes()) /
                               double(chart.samples().allocatedBytes())) +
            " % summaries");
}

qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t); // one clock for every process of the machine
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}


double mib(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

// Child process: the program's start-up as its entry runs it with
// --simulate and no config.ini, until the main window's first paint. Prints
// the clock at main() and at that paint.
int firstPaintChild(int argc, char *argv[])
{
    const qint64 atMain = monotonicNs();
    qint64 atPaint = 0;
    {
        Application app(argc, argv);
        Application::setQuitOnLastWindowClosed(false);
        registerWindowsFonts();
        QTemporaryDir dir;
        std::unique_ptr<HidBackend> backend = makeHidBackend(BackendOptions{true, 0, 1});
        std::unique_ptr<ModuleSession> session = makeModuleSession(*backend);
        ProgramWindows windows(*session, dir.filePath(QStringLiteral("config.ini")));

        struct FirstPaint : QObject {
            qint64 *at;
            explicit FirstPaint(qint64 *when) : at(when) {}
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint && *at == 0) {
                    *at = monotonicNs();
                    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
                }
                return false;
            }
        } watch(&atPaint);
        windows.form1.installEventFilter(&watch);
        windows.form1.show();
        QTimer::singleShot(30000, qApp, &QCoreApplication::quit);
        Application::exec();
        session->shutDown();
    }
    std::printf("%lld %lld\n", atMain, atPaint);
    return atPaint != 0 ? 0 : 1;
}

// Process start to the first paint, as a user starts the program: exec,
// libraries, the application, fonts, the windows, the first listing of
// the devices if it comes first. Five runs; the median.
void benchStartUp()
{
    std::vector<double> total, beforeMain;
    for (int run = 0; run < 5; ++run) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 start = monotonicNs();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--first-paint")});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            row("start-up: the child process failed", "-", "");
            return;
        }
        const QList<QByteArray> times = child.readAllStandardOutput().trimmed().split(' ');
        const qint64 atMain = times.value(0).toLongLong(), atPaint = times.value(1).toLongLong();
        total.push_back(double(atPaint - start) / 1e6);
        beforeMain.push_back(double(atMain - start) / 1e6);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    row("start-up: process start to the main window's first paint (median of 5)",
        number("%.1f", median(total)), "ms");
    row("  of which before main(): exec and loading the libraries",
        number("%.1f", median(beforeMain)), "ms");
}

// Child process: the program's windows over the simulated module with the
// chart page shown, then an hour of samples at 80/s with all five lines,
// replotted as they come. Prints the peak resident memory before and after.
int chartHourChild(int argc, char *argv[])
{
    Application app(argc, argv);
    Application::setQuitOnLastWindowClosed(false);
    registerWindowsFonts();
    std::unique_ptr<SimulatedBackend> backend = SimulatedBackend::withModule();
    std::unique_ptr<ModuleSession> session = makeModuleSession(*backend);
    DeviceProtocol &protocol = session->protocol();
    QTemporaryDir dir;
    ProgramWindows windows(*session, dir.filePath(QStringLiteral("config.ini")));
    windows.form1.show();
    windows.form1.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    startedWithPollsHeld(*session); // the frames come from here
    auto *page = windows.form1.findChild<ChartPage *>();
    page->sampleTimer().setEnabled(false);
    ChartPreferences all;
    all.Sampling = 0;
    all.TimeSize = 6;
    all.ChartSeries = {true, true, true, true, true};
    page->applyPreferences(all);
    page->startUp();
    page->startSampling();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const qint64 startedPeak = qint64(statusBytes("VmHWM"));

    const std::vector<QByteArray> frames = chartFrames();
    constexpr int Ticks = 288000;
    for (int i = 0; i < Ticks; ++i) {
        protocol.handleDeviceReport(1, frames[size_t(i) % frames.size()]);
        page->sampleTick();
        if (i % 800 == 0) // ten seconds of samples between looks at the events
            QApplication::processEvents();
    }
    page->plot()->replot(QCustomPlot::rpImmediateRefresh);
    QApplication::processEvents();
    std::printf("%lld %lld %lld %lld\n", startedPeak, qint64(statusBytes("VmHWM")), qint64(statusBytes("VmRSS")),
                qint64(page->plot()->sampleCount()));
    session->shutDown();
    return 0;
}

void benchChartHourMemory()
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--chart-hour")});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        row("peak memory: the child process failed", "-", "");
        return;
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    const qint64 started = figures.value(0).toLongLong(), peak = figures.value(1).toLongLong();
    row("peak memory (VmHWM), program started, chart empty", number("%.1f", mib(started)), "MiB");
    row("peak memory (VmHWM), program with an hour of chart at 80/s, 5 lines",
        number("%.1f", mib(peak)), "MiB");
    row("  of which the hour (" + figures.value(3).toStdString() + " samples)",
        number("%.1f", mib(peak - started)), "MiB");
}

} // namespace

// --publish's work per record on the GUI thread: the JSON message, the
// queue's write and the hand-over, with the broker's acknowledgement
// arriving at once (the queue's write segment is kept and rotated, as with
// a broker that keeps up); and the same while the broker is away.
void benchPublishing()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        row("publishing: no temporary directory", "-", "");
        return;
    }
    struct AckingSink : MessageSink {
        std::optional<int> send(const QByteArray &) override { return ++lastId; }
        int lastId = 0;
    } sink;
    MadeRecord record;
    record.columns = {true, true, true, true, true, true, true, true};
    record.values.Sum = 1234.5f;
    record.values.Input1 = 250.25f;
    record.values.Input2 = -180.5f;
    record.values.Input3 = 320.75f;
    record.values.Input4 = 140.0f;
    record.decimals = 2;
    {
        RecordQueue queue;
        if (!queue.open(dir.filePath(QStringLiteral("up")))) {
            row("publishing: the queue does not open", "-", "");
            return;
        }
        RecordForwarder forwarder(queue, sink);
        forwarder.connected();
        report(
            "publish one record (JSON, on-disk queue, hand-over, acknowledgement)", 50000,
            [&] {
                record.time = QDateTime::currentDateTime();
                ++record.number;
                forwarder.add(recordMessage(record, QStringLiteral("kN")));
                forwarder.acknowledged(sink.lastId);
            },
            "< 50");
    }
    RecordQueue queue;
    if (!queue.open(dir.filePath(QStringLiteral("away"))))
        return;
    RecordForwarder forwarder(queue, sink);
    report("queue one record while the broker is away (JSON, on-disk queue)", 50000, [&] {
        record.time = QDateTime::currentDateTime();
        ++record.number;
        forwarder.add(recordMessage(record, QStringLiteral("kN")));
    });
}

int main(int argc, char *argv[])
{
    // The start-up and memory figures come from fresh processes of this program.
    if (argc > 1 && std::string(argv[1]) == "--first-paint")
        return firstPaintChild(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--chart-hour")
        return chartHourChild(argc, argv);

    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));

    LiveValues sample;
    sample.Sum = 1234.5f;
    sample.Input1 = 250.25f;
    const QByteArray frame = sample.encode();
    volatile float sink = 0;
    report("decode one measurement frame", 200000, [&] { sink = LiveValues::decode(frame).Sum; });
    report("grouped format of one value", 200000,
           [&] { sink = float(formatGrouped(1234.56, 2).size()); });
    report("fixed format of one value", 200000,
           [&] { sink = float(formatFixed(-0.125, 4).size()); });
    (void)sink;
    benchRecordingAndSettings();
    benchPublishing();
    benchDisplayTick();
    benchChart();
    benchChartDay();
    benchStartUp();
    benchChartHourMemory();
    printTable();
    return 0;
}
