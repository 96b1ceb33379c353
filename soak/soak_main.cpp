// A long run of the program's windows over the simulated module, with all
// of the program's threads: polling at full rate, the chart at 80/s, a
// record at every frame, the module pulled and plugged again every few
// seconds and other HID devices coming and going. It fails on a record
// number missing or repeated, a record more or less than the frames seen,
// config.ini not reading back what was written, heap growth beyond the
// chart's kept points, or a lost connection; the thread sanitizer (make
// soak) fails it on any race.
#include "application.h"
#include "chartpage.h"
#include "chartplot.h"
#include "modulesession.h"
#include "dialogs.h"
#include "fonts.h"
#include "processmemory.h"
#include "programsettings.h"
#include "programwindows.h"
#include "recordline.h"
#include "simulatedbackend.h"
#include "simulatedmodule.h"

#include <QCheckBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#if defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define KLV_SANITIZER_HEAP 1
#endif
#endif
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define KLV_SANITIZER_HEAP 1
#endif
#ifdef KLV_SANITIZER_HEAP
// From the sanitizer runtime; GCC ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Bytes the program holds on the heap. A sanitizer replaces malloc, so
// mallinfo2 would see nothing; its allocator counts instead.
size_t heapInUse()
{
#ifdef KLV_SANITIZER_HEAP
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}


double mib(double bytes)
{
    return bytes / (1024.0 * 1024.0);
}

// The keys whose values differ, by name.
QStringList differences(const ProgramPreferences &a, const ProgramPreferences &b)
{
    QStringList keys;
    for (const PreferenceKey &key : OptionsKeys) {
        if (preferenceValue(key, a) != preferenceValue(key, b))
            keys << QString::fromLatin1(key.name);
    }
    return keys;
}

class Soak : public QObject
{
public:
    Soak(int seconds, unsigned seed) : m_seconds(seconds), m_random(seed) {}

    bool setUp();
    void run();
    int finish(); // exit code

private:
    // Other HID devices that come and go; each plug makes a fresh one, as
    // a real node is new after a replug.
    struct Extra {
        QString path;
        std::function<std::shared_ptr<SimDevice>()> make;
        bool present = false;
    };

    int between(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    void after(int ms, void (Soak::*step)()) { QTimer::singleShot(ms, this, step); }
    void fail(const QString &what);

    void unplugModule();
    void plugModule();
    void churnOthers();
    void switchPage();
    void toggleRecording();
    void roundTripSettings();
    void sampleMemory();
    void keepChartRunning();
    void onFrame();
    void end();
    void checkSettingsFile(const ProgramPreferences &expected, const char *what);
    void checkRecording();
    ProgramPreferences windowState() const;

    const int m_seconds;
    std::mt19937 m_random;
    QTemporaryDir m_dir;
    QString m_settingsPath;
    QString m_recordingPath;

    SimulatedBackend m_backend;
    std::unique_ptr<ModuleSession> m_session;
    std::unique_ptr<ProgramWindows> m_windows;
    ChartPage *m_chart = nullptr;
    QAbstractButton *m_chartStart = nullptr;
    QCheckBox *m_recordSwitch = nullptr;
    QTabWidget *m_pages = nullptr;

    std::vector<Extra> m_extras;
    QString m_modulePath = QStringLiteral("sim:klv57");
    bool m_modulePresent = true;
    bool m_ending = false;
    QElapsedTimer m_clock;

    // Figures.
    QStringList m_failures;
    qint64 m_frames = 0;
    qint64 m_framesSincePlug = 0;
    qint64 m_pluggedAtMs = 0;
    int m_replugs = 0;
    int m_failingFirst = 0; // reads failed before the system told
    int m_sameTurn = 0;     // unplug and plug in one event-loop turn
    int m_otherChanges = 0;
    int m_chartStarts = 0;
    int m_roundTrips = 0;
    int m_pageSwitches = 0;
    std::vector<qint64> m_sessionFrames; // frames seen in each switch-on
    qint64 m_records = 0;

    size_t m_heapBase = 0;
    qint64 m_chartBase = 0;
    size_t m_rssBase = 0;
    bool m_baseTaken = false;
    qint64 m_worstResidual = 0; // heap growth less chart growth, since the base
    qint64 m_lastResidual = 0;
    static constexpr qint64 HeapSlack = 2 << 20;
};

void Soak::fail(const QString &what)
{
    m_failures << what;
    std::fprintf(stderr, "soak: FAIL at %.1f s: %s\n", m_clock.elapsed() / 1000.0,
                 qPrintable(what));
}

bool Soak::setUp()
{
    m_clock.start();
    if (!m_dir.isValid())
        return false;
    m_settingsPath = m_dir.filePath(QStringLiteral("config.ini"));
    m_recordingPath = m_dir.filePath(QStringLiteral("pomiary.csv"));

    // Recording on at every frame with all columns, the chart at 80/s with
    // all lines in a 1 min window that slides: start-up reads it all here.
    QFile config(m_settingsPath);
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(
        QStringLiteral("[Options]\r\nCheckbox_DataAcquistion=1\r\nDataAcquistionSpeed=0\r\n"
                       "FileName=%1\r\nSaveDate=1\r\nSaveTime=1\r\nSaveDataCnt=1\r\n"
                       "SaveDataSummary=1\r\nSaveDataSens1=1\r\nSaveDataSens2=1\r\n"
                       "SaveDataSens3=1\r\nSaveDataSens4=1\r\nChartSeries1=1\r\n"
                       "ChartSeries2=1\r\nChartSeries3=1\r\nChartSeries4=1\r\n"
                       "ChartSeries5=1\r\nTimeSize=2\r\nSampling=0\r\nDecimalPoint=2\r\n"
                       "Language=1\r\n")
            .arg(m_recordingPath)
            .toUtf8());
    config.close();

    // Any message box is a failure: a file that could not be written, an
    // error escaping a handler.
    Dialogs::setMessageResponder([this](const Dialogs::Message &m) {
        fail(QStringLiteral("message box \"%1\": %2").arg(m.caption, m.text));
        return QMessageBox::Ok;
    });

    m_extras = {
        {QStringLiteral("sim:keyboard"), [] { return SimulatedBackend::keyboard(); }},
        {QStringLiteral("sim:mouse"), [] { return SimulatedBackend::mouse(); }},
        {QStringLiteral("sim:receiver"),
         [] {
             return std::make_shared<SimDevice>(HidDeviceInfo{
                 QStringLiteral("sim:receiver"), 0x046D, 0xC52B, QStringLiteral("USB Receiver")});
         }},
        {QStringLiteral("sim:unnamed"),
         [] { // no product string: listed by its ids
             return std::make_shared<SimDevice>(
                 HidDeviceInfo{QStringLiteral("sim:unnamed"), 0x1234, 0x5678, QString()});
         }},
        {QStringLiteral("sim:locked"),
         [] { // listed, cannot be opened
             return std::make_shared<SimDevice>(HidDeviceInfo{QStringLiteral("sim:locked"), 0x0B05,
                                                              0x1837, QStringLiteral("Keypad")},
                                                false);
         }},
    };
    for (Extra &extra : m_extras) {
        if (extra.path == QLatin1String("sim:keyboard") ||
            extra.path == QLatin1String("sim:mouse")) {
            m_backend.add(extra.make());
            extra.present = true;
        }
    }
    m_backend.add(std::make_shared<SimulatedModule>(m_modulePath));

    // As the program entry builds them.
    m_session = makeModuleSession(m_backend);
    m_windows = std::make_unique<ProgramWindows>(*m_session, m_settingsPath);
    m_chart = m_windows->form1.findChild<ChartPage *>();
    m_recordSwitch = m_windows->form1.findChild<QCheckBox *>(QStringLiteral("Checkbox_Acquistion"));
    m_pages = m_windows->form1.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    m_chartStart = m_windows->form1.findChild<QAbstractButton *>(QStringLiteral("Btn_ChartStart"));
    if (!m_chart || !m_recordSwitch || !m_pages || !m_chartStart)
        return false;
    if (!m_recordSwitch->isChecked())
        fail(QStringLiteral("recording not switched on by config.ini"));
    m_sessionFrames.push_back(0);
    // After the recording page's own connection: a frame counted here has had its record.
    connect(&m_session->protocol(), &DeviceProtocol::frameStored, this, &Soak::onFrame);
    return true;
}

void Soak::run()
{
    m_clock.restart();
    m_windows->form1.show();
    m_windows->formBigDisplay.show();
    // Each page shown once before the memory base is taken; the chart last.
    m_pages->setCurrentIndex(0);
    QTimer::singleShot(1000, this, [this] { m_pages->setCurrentIndex(2); });
    QTimer::singleShot(2000, this, [this] { m_pages->setCurrentIndex(1); });

    after(between(2000, 6000), &Soak::unplugModule);
    after(between(500, 3000), &Soak::churnOthers);
    after(between(4000, 8000), &Soak::switchPage);
    after(between(45000, 90000), &Soak::toggleRecording);
    after(between(5000, 10000), &Soak::roundTripSettings);
    auto *memory = new QTimer(this);
    connect(memory, &QTimer::timeout, this, &Soak::sampleMemory);
    memory->start(1000);
    auto *chart = new QTimer(this);
    connect(chart, &QTimer::timeout, this, &Soak::keepChartRunning);
    chart->start(200);
    QTimer::singleShot(m_seconds * 1000, this, &Soak::end);
}

void Soak::onFrame()
{
    ++m_frames;
    ++m_framesSincePlug;
    if (m_recordSwitch->isChecked())
        ++m_sessionFrames.back();
}

void Soak::unplugModule()
{
    if (m_ending)
        return;
    // Connected for two seconds at least: frames must have come.
    if (m_framesSincePlug == 0)
        fail(QStringLiteral("no frame in the %1 ms since plug %2")
                 .arg(m_clock.elapsed() - m_pluggedAtMs)
                 .arg(m_replugs));
    std::shared_ptr<SimDevice> module = m_backend.device(m_modulePath);
    const int variant = between(0, 3);
    if (variant == 0 && module) {
        // Reads fail first, the system tells later.
        ++m_failingFirst;
        module->setFailing(true);
        QTimer::singleShot(between(20, 400), this, [this] {
            m_backend.unplug(m_modulePath);
            m_modulePresent = false;
            if (m_ending)
                plugModule(); // the end waits for frames from a plugged module
            else
                after(between(200, 1500), &Soak::plugModule);
        });
        return;
    }
    m_backend.unplug(m_modulePath);
    m_modulePresent = false;
    if (variant == 1) {
        ++m_sameTurn; // one notification for both
        plugModule();
        return;
    }
    after(between(200, 1500), &Soak::plugModule);
}

void Soak::plugModule()
{
    if (m_modulePresent)
        return;
    m_backend.plug(std::make_shared<SimulatedModule>(m_modulePath));
    m_modulePresent = true;
    ++m_replugs;
    m_framesSincePlug = 0;
    m_pluggedAtMs = m_clock.elapsed();
    if (!m_ending)
        after(between(2000, 6000), &Soak::unplugModule);
}

void Soak::churnOthers()
{
    if (m_ending)
        return;
    Extra &extra = m_extras[size_t(between(0, int(m_extras.size()) - 1))];
    if (extra.present)
        m_backend.unplug(extra.path);
    else
        m_backend.plug(extra.make());
    extra.present = !extra.present;
    ++m_otherChanges;
    after(between(300, 3000), &Soak::churnOthers);
}

void Soak::switchPage()
{
    if (m_ending)
        return;
    // Mostly the chart, so its replots run; the measurements and recording pages too.
    static constexpr int Pages[] = {1, 1, 1, 0, 2};
    m_pages->setCurrentIndex(Pages[between(0, 4)]);
    ++m_pageSwitches;
    after(between(3000, 8000), &Soak::switchPage);
}

void Soak::toggleRecording()
{
    if (m_ending)
        return;
    m_recordSwitch->click(); // off: the file closes
    QTimer::singleShot(between(200, 1000), this, [this] {
        m_recordSwitch->click(); // on: a new session, a header first
        m_sessionFrames.push_back(0);
        after(between(45000, 90000), &Soak::toggleRecording);
    });
}

// What the window holds, as the soak set it: config.ini's values, with the
// recording switch as toggled.
ProgramPreferences Soak::windowState() const
{
    ProgramPreferences p;
    p.recording.Checkbox_DataAcquistion = m_recordSwitch->isChecked();
    p.recording.DataAcquistionSpeed = 0;
    p.recording.FileName = m_recordingPath;
    p.recording.columns.fill(true);
    p.chart.ChartSeries.fill(true);
    p.chart.TimeSize = 2;
    p.chart.Sampling = 0;
    p.general.DecimalPoint = 2;
    p.general.Language = 1;
    return p;
}

void Soak::checkSettingsFile(const ProgramPreferences &expected, const char *what)
{
    const QStringList wrong = differences(readPreferences(m_settingsPath), expected);
    if (!wrong.isEmpty())
        fail(QStringLiteral("%1: config.ini read back other values for %2")
                 .arg(QLatin1String(what), wrong.join(QStringLiteral(", "))));
}

void Soak::roundTripSettings()
{
    if (m_ending)
        return;
    ++m_roundTrips;
    if (chance(0.5)) {
        // Any values, -1 (nothing selected) included; FileName stays as it was.
        ProgramPreferences p;
        for (const PreferenceKey &key : OptionsKeys) {
            PreferenceValue value = preferenceValue(key, p);
            if (std::holds_alternative<bool>(value))
                value = chance(0.5);
            else if (std::holds_alternative<int>(value))
                value = between(-1, key.listSize - 1);
            else
                value = m_recordingPath;
            setPreferenceValue(key, p, value);
        }
        QString failedKey;
        if (!writePreferencesAtClose(m_settingsPath, p, &failedKey))
            fail(QStringLiteral("config.ini not written at %1").arg(failedKey));
        checkSettingsFile(p, "writePreferencesAtClose");
    } else {
        if (!m_windows->form1.savePreferences())
            fail(QStringLiteral("the main window could not save config.ini"));
        checkSettingsFile(windowState(), "savePreferences");
    }
    after(between(5000, 10000), &Soak::roundTripSettings);
}

void Soak::sampleMemory()
{
    const qint64 seconds = m_clock.elapsed() / 1000;
    const size_t heap = heapInUse();
    const qint64 chart = qint64(m_chart->plot()->samples().allocatedBytes());
    // After a warm-up: every page shown once, fonts and caches, the window slide.
    const qint64 warmUp = std::clamp<qint64>(m_seconds / 10, 20, 60);
    if (!m_baseTaken) {
        if (seconds < warmUp)
            return;
        m_baseTaken = true;
        m_heapBase = heap;
        m_chartBase = chart;
        m_rssBase = statusBytes("VmRSS");
        return;
    }
    m_lastResidual = (qint64(heap) - qint64(m_heapBase)) - (chart - m_chartBase);
    m_worstResidual = std::max(m_worstResidual, m_lastResidual);
    if (seconds % 30 == 0)
        std::printf("soak: %4lld s  frames %lld  replugs %d  heap %.1f MiB  chart %.2f MiB  "
                    "beyond the chart %+.2f MiB  RSS %.1f MiB\n",
                    seconds, m_frames, m_replugs, mib(double(heap)), mib(double(chart)),
                    mib(double(m_lastResidual)), mib(double(statusBytes("VmRSS"))));
    std::fflush(stdout);
}

void Soak::keepChartRunning()
{
    // A disconnect pauses the chart; the technician presses Start again.
    if (m_ending || !m_session->isConnected() || m_chart->state().ChartRunning)
        return;
    m_chartStart->click();
    ++m_chartStarts;
}

void Soak::end()
{
    m_ending = true;
    if (!m_modulePresent)
        plugModule();
    // Frames come again before the window closes: the last replug connected too.
    const qint64 before = m_frames;
    auto *wait = new QTimer(this);
    auto *waited = new QElapsedTimer;
    waited->start();
    connect(wait, &QTimer::timeout, this, [this, wait, waited, before] {
        if (m_frames < before + 10 && waited->elapsed() < 20000)
            return;
        wait->stop();
        if (m_frames < before + 10)
            fail(QStringLiteral("no frames after the last plug"));
        delete waited;
        // A close request writes config.ini and ends the event loop.
        m_windows->form1.close();
    });
    wait->start(50);
}

int Soak::finish()
{
    checkSettingsFile(windowState(), "close");
    m_session->shutDown();
    const qint64 chartPoints = m_chart->plot()->sampleCount();
    const qint64 chartBytes = m_chart->plot()->samples().allocatedBytes();
    const size_t heap = heapInUse();
    const size_t rss = statusBytes("VmRSS");
    const size_t peak = statusBytes("VmHWM");
    m_windows.reset(); // the recording file closes with every line on disk
    Dialogs::setMessageResponder(nullptr);
    checkRecording();
    if (!m_baseTaken)
        fail(QStringLiteral("the run was too short to take a memory base"));
    else if (m_worstResidual > HeapSlack)
        fail(QStringLiteral("heap grew by %1 MiB beyond the chart's points")
                 .arg(mib(double(m_worstResidual))));

    std::printf("\nsoak summary (%d s%s)\n", m_seconds,
#if defined(__SANITIZE_THREAD__)
                ", thread sanitizer"
#else
                ""
#endif
    );
    std::printf("  frames stored          %lld\n", m_frames);
    std::printf("  records                %lld in %d sessions\n", m_records,
                int(std::count_if(m_sessionFrames.begin(), m_sessionFrames.end(),
                                  [](qint64 n) { return n > 0; })));
    std::printf("  module replugs         %d (%d failing first, %d in one turn)\n", m_replugs,
                m_failingFirst, m_sameTurn);
    std::printf("  other HID changes      %d\n", m_otherChanges);
    std::printf("  chart points           %lld per line, %.2f MiB kept; %d starts\n", chartPoints,
                mib(double(chartBytes)), m_chartStarts);
    std::printf("  settings round trips   %d, and one at close\n", m_roundTrips);
    std::printf("  page switches          %d\n", m_pageSwitches);
    std::printf("  heap                   %.1f MiB at the base, %.1f MiB at the end\n",
                mib(double(m_heapBase)), mib(double(heap)));
    std::printf(
        "  heap beyond the chart  %+.2f MiB at the end, %+.2f MiB at worst (slack %.0f MiB)\n",
        mib(double(m_lastResidual)), mib(double(m_worstResidual)), mib(double(HeapSlack)));
    std::printf("  chart growth           %+.2f MiB since the base\n",
                mib(double(chartBytes - m_chartBase)));
    std::printf(
        "  RSS                    %.1f MiB at the base, %.1f MiB at the end, peak %.1f MiB\n",
        mib(double(m_rssBase)), mib(double(rss)), mib(double(peak)));
    std::printf("  result                 %s\n",
                m_failures.isEmpty()
                    ? "checks passed"
                    : qPrintable(QStringLiteral("%1 failure(s)").arg(m_failures.size())));
    for (const QString &failure : m_failures)
        std::printf("    %s\n", qPrintable(failure));
    std::fflush(stdout);
    return m_failures.isEmpty() ? 0 : 1;
}

// Every session starts with the header and numbers its records 0, 1, 2, …;
// a replug goes on in the same session. Each session holds exactly the
// frames seen while it was on.
void Soak::checkRecording()
{
    QFile file(m_recordingPath);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("no recording file"));
        return;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    RecordColumns all;
    all.fill(true);
    const QString header = buildRecordHeader(all);
    std::vector<qint64> sessions;
    qint64 expected = 0;
    int reported = 0;
    auto report = [&](const QString &what) {
        if (++reported <= 10)
            fail(what);
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.isEmpty() && i == lines.size() - 1)
            break; // after the last line end
        if (line + QStringLiteral("\r\n") == header) {
            sessions.push_back(0);
            expected = 0;
            continue;
        }
        if (sessions.empty()) {
            report(QStringLiteral("line %1 before any header").arg(i + 1));
            sessions.push_back(0);
        }
        const QStringList fields = line.split(QLatin1Char(';'));
        bool ok = false;
        const qint64 number = fields.value(2).toLongLong(&ok);
        if (fields.size() != RecordColumnCount + 1 || !ok) {
            report(QStringLiteral("line %1 incomplete: %2").arg(i + 1).arg(line));
            continue;
        }
        if (number != expected)
            report(QStringLiteral("line %1: record %2 where %3 was due")
                       .arg(i + 1)
                       .arg(number)
                       .arg(expected));
        expected = number + 1;
        ++sessions.back();
        ++m_records;
    }
    std::vector<qint64> seen;
    for (qint64 n : m_sessionFrames)
        if (n > 0)
            seen.push_back(n);
    if (sessions != seen) {
        QStringList inFile, framed;
        for (qint64 n : sessions)
            inFile << QString::number(n);
        for (qint64 n : seen)
            framed << QString::number(n);
        fail(QStringLiteral("records per session %1, frames per session %2")
                 .arg(inFile.join(QLatin1Char(',')), framed.join(QLatin1Char(','))));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("klv57-soak"));
    Application::setQuitOnLastWindowClosed(false);
    registerWindowsFonts();

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Length of the run."),
                                           QStringLiteral("s"), QStringLiteral("600"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the scenario."),
                                        QStringLiteral("n"), QStringLiteral("57"));
    parser.addOption(secondsOption);
    parser.addOption(seedOption);
    parser.process(app);
    bool secondsValid = false, seedValid = false;
    const int seconds = parser.value(secondsOption).toInt(&secondsValid);
    const unsigned seed = parser.value(seedOption).toUInt(&seedValid);
    if (!secondsValid || seconds < 30 || !seedValid) {
        std::fprintf(stderr, "klv57-soak: --seconds takes 30 or more, --seed a whole number\n");
        return 2;
    }

    std::printf("soak: %d s, seed %u\n", seconds, seed);
    std::fflush(stdout);
    Soak soak(seconds, seed);
    if (!soak.setUp()) {
        std::fprintf(stderr, "klv57-soak: set-up failed\n");
        return 1;
    }
    soak.run();
    Application::exec();
    return soak.finish();
}
