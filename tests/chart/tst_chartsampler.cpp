// The chart's sampling rules, without a window.
#include "chartsampler.h"

#include <QTest>

#include <cmath>
#include <limits>

namespace {

using Outcome = ChartTick::Outcome;

constexpr LineFlags AllShown{true, true, true, true, true};
constexpr LineFlags FirstOnly{true, false, false, false, false};
constexpr LineFlags NoneShown{false, false, false, false, false};
const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

LineValues same(float v)
{
    return {v, v, v, v, v};
}

// A running sampler with a window, as after Start.
ChartSampler running(quint32 window)
{
    ChartSampler s;
    s.setWindow(window);
    s.reset();
    s.start();
    return s;
}

} // namespace

Q_DECLARE_METATYPE(LineFlags)
Q_DECLARE_METATYPE(LineValues)
Q_DECLARE_METATYPE(AxisRange)

class TestChartSampler : public QObject
{
    Q_OBJECT
private slots:
    void samplingTable_data();
    void samplingTable();
    void windowTable_data();
    void windowTable();
    void lineValuesInOrder();
    void timeIsASumOfDoubles_data();
    void timeIsASumOfDoubles();
    void anHourAt80PerSecondEndsOnTheHour();
    void windowSlides_data();
    void windowSlides();
    void valueAxisOverShownLines_data();
    void valueAxisOverShownLines();
    void hiddenLinesStillGetPoints();
    void lineShownLaterWidensFromItsNextValue();
    void nonFiniteValues();
    void pausedTickDoesNothing();
    void disconnectedTickPauses();
    void reset_data();
    void reset();
};

void TestChartSampler::samplingTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("seconds"); // 0: none

    QTest::newRow("80/sek.") << 0 << 0.0125;
    QTest::newRow("10/sek.") << 1 << 0.1;
    QTest::newRow("1/sek.") << 2 << 1.0;
    QTest::newRow("1/min. every 60 s") << 3 << 60.0;
    QTest::newRow("10/min. every 6 s") << 4 << 6.0;
    QTest::newRow("10/h.") << 5 << 360.0;
    QTest::newRow("no selection") << -1 << 0.0;
    QTest::newRow("past the list") << 6 << 0.0;
}

void TestChartSampler::samplingTable()
{
    QFETCH(int, index);
    QFETCH(double, seconds);
    const std::optional<double> interval = ChartSampler::samplingInterval(index);
    QCOMPARE(interval.has_value(), seconds > 0);
    if (interval)
        QCOMPARE(*interval, seconds);
}

void TestChartSampler::windowTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("seconds"); // -1: none

    const int expected[] = {1, 10, 60, 300, 600, 1800, 3600};
    const char *names[] = {"1 sek.", "10 sek.", "1 min.", "5 min.", "10 min.", "30 min.", "1 h."};
    for (int i = 0; i < 7; ++i)
        QTest::newRow(names[i]) << i << expected[i];
    QTest::newRow("no selection") << -1 << -1;
    QTest::newRow("past the list") << 7 << -1;
}

void TestChartSampler::windowTable()
{
    QFETCH(int, index);
    QFETCH(int, seconds);
    const std::optional<quint32> window = ChartSampler::windowSeconds(index);
    QCOMPARE(window.has_value(), seconds >= 0);
    if (window)
        QCOMPARE(int(*window), seconds);
}

void TestChartSampler::lineValuesInOrder()
{
    LiveValues v;
    v.Input1 = 1.5f;
    v.Input2 = -2.25f;
    v.Input3 = 3.0f;
    v.Input4 = 4.75f;
    v.Sum = 7.0f;
    v.Min = 99.0f;
    v.Max = 98.0f;
    QCOMPARE(ChartSampler::lineValues(v), (LineValues{1.5f, -2.25f, 3.0f, 4.75f, 7.0f}));
}

void TestChartSampler::timeIsASumOfDoubles_data()
{
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("ticks");

    QTest::newRow("10/sek.") << 0.1 << 30;
    QTest::newRow("80/sek.") << 0.0125 << 200;
    QTest::newRow("10/h.") << 360.0 << 5;
}

void TestChartSampler::timeIsASumOfDoubles()
{
    QFETCH(double, interval);
    QFETCH(int, ticks);

    ChartSampler s = running(0);
    double expected = 0;
    for (int i = 0; i < ticks; ++i) {
        const ChartTick t = s.tick(same(5), true, AllShown, interval);
        QCOMPARE(t.outcome, Outcome::Sampled);
        QCOMPARE(t.x, expected); // the first point after a reset has x = 0
        expected += interval;
        QCOMPARE(s.state().ChartTime, expected);
    }
}

// A single-precision sum would have drifted by seconds by then.
void TestChartSampler::anHourAt80PerSecondEndsOnTheHour()
{
    ChartSampler s = running(3600);
    for (int i = 0; i < 288000; ++i)
        s.tick(same(1), true, AllShown, 0.0125);
    QVERIFY(std::abs(s.state().ChartTime - 3600.0) < 1e-6);

    s.tick(same(1), true, AllShown, 0.0125);
    const ChartTick next = s.tick(same(1), true, AllShown, 0.0125);
    QVERIFY(std::abs(next.x - 3600.0125) < 1e-6);
    QVERIFY(next.timeRange);
    QVERIFY(std::abs(next.timeRange->lower - 0.0125) < 1e-6);
}

void TestChartSampler::windowSlides_data()
{
    QTest::addColumn<quint32>("window");
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("firstSlide"); // tick index; -1: never
    QTest::addColumn<AxisRange>("lastRange");

    // Points 0..10 fill [0, 10]; the point at 11 turns the axis into [1, 11].
    QTest::newRow("10 sek. at 1/sek.") << 10u << 1.0 << 12 << 11 << AxisRange{1, 11};
    QTest::newRow("1 sek. at 10/sek.") << 1u << 0.1 << 14 << 11 << AxisRange{0.3, 1.3};
    QTest::newRow("no window chosen") << 0u << 1.0 << 20 << -1 << AxisRange{};
}

void TestChartSampler::windowSlides()
{
    QFETCH(quint32, window);
    QFETCH(double, interval);
    QFETCH(int, ticks);
    QFETCH(int, firstSlide);
    QFETCH(AxisRange, lastRange);

    ChartSampler s = running(window);
    std::optional<AxisRange> range;
    for (int i = 0; i < ticks; ++i) {
        const ChartTick t = s.tick(same(0), true, AllShown, interval);
        QCOMPARE(t.timeRange.has_value(), firstSlide >= 0 && i >= firstSlide);
        if (t.timeRange) {
            QCOMPARE(t.timeRange->upper, t.x); // the newest point on the right edge
            QCOMPARE(t.timeRange->upper - t.timeRange->lower, double(window));
        }
        range = t.timeRange;
    }
    if (firstSlide >= 0) {
        QVERIFY(std::abs(range->lower - lastRange.lower) < 1e-9);
        QVERIFY(std::abs(range->upper - lastRange.upper) < 1e-9);
    }
}

void TestChartSampler::valueAxisOverShownLines_data()
{
    QTest::addColumn<LineFlags>("shown");
    QTest::addColumn<QList<LineValues>>("ticks");
    QTest::addColumn<AxisRange>("range");

    QTest::newRow("line 1 near 500, hidden negative")
        << FirstOnly
        << QList<LineValues>{{498, -800, 0, 0, 0}, {500, -900, 0, 0, 0}, {499.5, -1000, 0, 0, 0}}
        << AxisRange{-1, 501};
    QTest::newRow("always includes 0")
        << AllShown << QList<LineValues>{same(200), same(300)} << AxisRange{-1, 301};
    QTest::newRow("all negative") << AllShown
                                  << QList<LineValues>{{-5, -10, -2, -3, -20}, same(-1)}
                                  << AxisRange{-21, 1};
    QTest::newRow("sum only") << LineFlags{false, false, false, false, true}
                              << QList<LineValues>{{-50, 90, 80, 70, 12.5f}}
                              << AxisRange{-1, 13.5};
    QTest::newRow("none shown keeps [-1, 1]")
        << NoneShown << QList<LineValues>{same(-70), same(900)} << AxisRange{-1, 1};
    QTest::newRow("never narrows")
        << AllShown << QList<LineValues>{same(40), same(-3), same(1)} << AxisRange{-4, 41};
}

void TestChartSampler::valueAxisOverShownLines()
{
    QFETCH(LineFlags, shown);
    QFETCH(QList<LineValues>, ticks);
    QFETCH(AxisRange, range);

    ChartSampler s = running(10);
    ChartTick t;
    for (const LineValues &values : ticks)
        t = s.tick(values, true, shown, 1);
    QCOMPARE(t.valueRange, range);
}

void TestChartSampler::hiddenLinesStillGetPoints()
{
    ChartSampler s = running(10);
    const ChartTick t = s.tick({1, -2, 3, -4, 5}, true, NoneShown, 1);
    QCOMPARE(t.outcome, Outcome::Sampled);
    QCOMPARE(t.y, (std::array<double, 5>{1, -2, 3, -4, 5}));
}

// Hiding a line keeps the extremes it set; showing one counts only its
// values from then on.
void TestChartSampler::lineShownLaterWidensFromItsNextValue()
{
    ChartSampler s = running(10);
    QCOMPARE(s.tick({100, -50, 0, 0, 0}, true, FirstOnly, 1).valueRange, (AxisRange{-1, 101}));
    QCOMPARE(s.tick({10, -60, 0, 0, 0}, true, NoneShown, 1).valueRange, (AxisRange{-1, 101}));
    QCOMPARE(s.tick({10, -70, 0, 0, 0}, true, LineFlags{false, true, false, false, false}, 1)
                 .valueRange,
             (AxisRange{-71, 101}));
}

// Values that can't be drawn become gaps and leave the axis alone.
void TestChartSampler::nonFiniteValues()
{
    ChartSampler s = running(10);
    s.tick(same(20), true, AllShown, 1);
    const ChartTick t = s.tick({NaN, Inf, -Inf, 30, 5}, true, AllShown, 1);
    QVERIFY(std::isnan(t.y[0]));
    QVERIFY(std::isnan(t.y[1]));
    QVERIFY(std::isnan(t.y[2]));
    QCOMPARE(t.y[3], 30.0);
    QCOMPARE(t.valueRange, (AxisRange{-1, 31}));
}

void TestChartSampler::pausedTickDoesNothing()
{
    ChartSampler s;
    s.setWindow(10);
    s.reset();
    const ChartState before = s.state();
    QCOMPARE(s.tick(same(5), true, AllShown, 1).outcome, Outcome::Idle);
    QCOMPARE(s.tick(same(5), false, AllShown, 1).outcome, Outcome::Idle);
    QCOMPARE(s.state().ChartTime, before.ChartTime);
    QVERIFY(!s.state().ChartRunning);

    s.start();
    s.tick(same(5), true, AllShown, 1);
    s.pause();
    QCOMPARE(s.tick(same(50), true, AllShown, 1).outcome, Outcome::Idle);
    QCOMPARE(s.state().ChartTime, 1.0);
    QCOMPARE(s.state().ChartMaxY, 5.0f);
}

void TestChartSampler::disconnectedTickPauses()
{
    ChartSampler s = running(10);
    s.tick(same(5), true, AllShown, 1);
    QCOMPARE(s.tick(same(9), false, AllShown, 1).outcome, Outcome::Paused);
    QVERIFY(!s.state().ChartRunning);
    QCOMPARE(s.state().ChartTime, 1.0); // no point taken
    QCOMPARE(s.state().ChartMaxY, 5.0f);
    QCOMPARE(s.tick(same(9), true, AllShown, 1).outcome, Outcome::Idle); // stays paused
}

void TestChartSampler::reset_data()
{
    QTest::addColumn<quint32>("window");
    QTest::addColumn<AxisRange>("timeRange");

    QTest::newRow("10 sek.") << 10u << AxisRange{0, 10};
    QTest::newRow("1 h.") << 3600u << AxisRange{0, 3600};
    QTest::newRow("no window chosen") << 0u << AxisRange{0, 1};
}

void TestChartSampler::reset()
{
    QFETCH(quint32, window);
    QFETCH(AxisRange, timeRange);

    ChartSampler s = running(window);
    for (int i = 0; i < 20; ++i)
        s.tick({-30, 40, 0, 0, 0}, true, AllShown, 1);
    const ChartReset r = s.reset();
    QCOMPARE(r.timeRange, timeRange);
    QCOMPARE(r.valueRange, (AxisRange{-1, 1}));
    QCOMPARE(s.state().ChartTime, 0.0);
    QCOMPARE(s.state().ChartMinY, 0.0f);
    QCOMPARE(s.state().ChartMaxY, 0.0f);
    QVERIFY(s.state().ChartRunning); // a reset leaves sampling on
    QCOMPARE(s.tick(same(2), true, AllShown, 1).x, 0.0);
}

QTEST_APPLESS_MAIN(TestChartSampler)
#include "tst_chartsampler.moc"
