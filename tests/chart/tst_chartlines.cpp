// The kept samples and what a chart line draws from them.
#include "chartline.h"
#include "chartplot.h"
#include "samplestore.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

std::array<double, 5> values(double first, double others = 0)
{
    return {first, others, others, others, others};
}

// Samples at x = 0, 1, 2, ... with line 1 taking f(i).
template <typename F> void fill(SampleStore &store, qsizetype count, F f)
{
    for (qsizetype i = 0; i < count; ++i)
        store.append(double(i), values(f(i)));
}

} // namespace

class TestChartLines : public QObject
{
    Q_OBJECT
private slots:
    void acrossBlocks();
    void bounds_data();
    void bounds();
    void span();
    void summariesMatchAScan_data();
    void summariesMatchAScan();
    void summariesTakeAFifthAtMost();
    void clearGivesMemoryBack();
    void fewSamplesDrawnOneByOne();
    void denseSamplesDrawnPerColumn();
    void gapsBreakTheLine();
    void keptPictureMatchesAFreshOne();
};

void TestChartLines::acrossBlocks()
{
    SampleStore store;
    const qsizetype count = 2 * SampleStore::BlockSize + 3;
    for (qsizetype i = 0; i < count; ++i)
        store.append(i * 0.5, {double(i), -double(i), 0.25, 1e6, -3.5});
    QCOMPARE(store.size(), count);
    for (qsizetype i : {qsizetype(0), SampleStore::BlockSize - 1, SampleStore::BlockSize,
                        count - 1}) {
        QCOMPARE(store.x(i), i * 0.5);
        QCOMPARE(store.value(0, i), float(i));
        QCOMPARE(store.value(1, i), -float(i));
        QCOMPARE(store.value(4, i), -3.5f);
    }
}

void TestChartLines::bounds_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");

    // x = 0, 0.5, 1, ... 9.5
    QTest::newRow("before all") << -1.0 << 0 << 0;
    QTest::newRow("on the first") << 0.0 << 0 << 1;
    QTest::newRow("between") << 2.2 << 5 << 5;
    QTest::newRow("on one") << 3.0 << 6 << 7;
    QTest::newRow("on the last") << 9.5 << 19 << 20;
    QTest::newRow("after all") << 12.0 << 20 << 20;
}

void TestChartLines::bounds()
{
    QFETCH(double, x);
    QFETCH(int, lower);
    QFETCH(int, upper);
    SampleStore store;
    for (int i = 0; i < 20; ++i)
        store.append(i * 0.5, values(i));
    QCOMPARE(int(store.lowerBound(x)), lower);
    QCOMPARE(int(store.upperBound(x)), upper);
}

void TestChartLines::span()
{
    SampleStore store;
    fill(store, SampleStore::BlockSize + 10, [](qsizetype i) { return std::sin(i * 0.01) * 100; });
    const auto s = store.span(0, 0, store.size());
    QVERIFY(std::abs(s.low + 100) < 0.01 && std::abs(s.high - 100) < 0.01);
    QVERIFY(!s.gap);

    SampleStore broken;
    fill(broken, 9, [](qsizetype i) { return i == 4 ? NaN : double(i); });
    const auto b = broken.span(0, 0, 9);
    QCOMPARE(b.low, 0.0f);
    QCOMPARE(b.high, 8.0f);
    QVERIFY(b.gap);
    QCOMPARE(broken.span(0, 5, 8).low, 5.0f);
    QVERIFY(!broken.span(0, 5, 8).gap);
}

void TestChartLines::summariesMatchAScan_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("gapShare"); // of the samples that are NaN

    const int blocks = int(SampleStore::BlockSize);
    QTest::newRow("under one group") << 1u << 13 << 0.0;
    QTest::newRow("one block and a bit") << 2u << blocks + 37 << 0.0;
    QTest::newRow("five blocks, three levels above a block") << 3u << 5 * blocks + 999 << 0.0;
    QTest::newRow("with gaps") << 4u << 3 * blocks + 5 << 0.001;
    QTest::newRow("eight blocks exactly, gaps") << 5u << 8 * blocks << 0.0002;
}

// Random values with rare spikes, ranges with random ends and ones on the
// group edges: the summaries give what a scan of every value gives.
void TestChartLines::summariesMatchAScan()
{
    QFETCH(quint32, seed);
    QFETCH(int, count);
    QFETCH(double, gapShare);
    QRandomGenerator random(seed);
    SampleStore store;
    for (int i = 0; i < count; ++i) {
        std::array<double, 5> v{};
        for (double &y : v) {
            y = random.bounded(200.0) - 100;
            if (random.bounded(1000) == 0)
                y *= 1000; // a spike
            if (random.generateDouble() < gapShare)
                y = NaN;
        }
        store.append(i * 0.0125, v);
    }

    auto check = [&](int line, qsizetype begin, qsizetype end) {
        const SampleStore::Span fast = store.span(line, begin, end);
        const SampleStore::Span all = store.scan(line, begin, end);
        const QByteArray where = QByteArray::number(begin) + ".." + QByteArray::number(end);
        QVERIFY2(fast.low == all.low && fast.high == all.high && fast.gap == all.gap,
                 where.constData());
    };
    const qsizetype n = store.size();
    const qsizetype edges[] = {0, 1, 15, 16, 17, 31, 32, 33, 255, 256,
                               SampleStore::BlockSize - 1, SampleStore::BlockSize,
                               SampleStore::BlockSize + 1, 2 * SampleStore::BlockSize,
                               4 * SampleStore::BlockSize - 16, n - 1, n};
    for (qsizetype a : edges) {
        for (qsizetype b : edges) {
            if (a <= b && b <= n)
                check(int(a % 5), a, b);
        }
    }
    for (int round = 0; round < 3000; ++round) {
        qsizetype a = random.bounded(n + 1), b = random.bounded(n + 1);
        if (a > b)
            std::swap(a, b);
        check(round % 5, a, b);
    }
}

// Summary memory against the kept samples it summarises, full blocks only.
void TestChartLines::summariesTakeAFifthAtMost()
{
    SampleStore store;
    fill(store, 40 * SampleStore::BlockSize, [](qsizetype i) { return double(i % 7); });
    const qsizetype summaries = store.summaryBytes();
    QVERIFY(summaries > 0);
    QVERIFY2(5 * summaries <= store.allocatedBytes() - summaries,
             qPrintable(QString("%1 of %2").arg(summaries).arg(store.allocatedBytes())));
}

void TestChartLines::clearGivesMemoryBack()
{
    SampleStore store;
    fill(store, 3 * SampleStore::BlockSize, [](qsizetype i) { return double(i); });
    store.clear();
    QCOMPARE(store.size(), 0);
    QCOMPARE(store.allocatedBytes(), 0);
    store.append(0, values(1));
    QCOMPARE(store.value(0, 0), 1.0f);
}

void TestChartLines::fewSamplesDrawnOneByOne()
{
    ChartPlot plot;
    plot.resize(652, 348);
    plot.replot(); // lays the axes out
    for (int i = 0; i <= 10; ++i)
        plot.appendSample(i, values(i * 10));
    plot.setTimeRange({2, 6});
    plot.setValueRange({0, 100});

    const QVector<QPointF> points = plot.line(0)->linePoints();
    QCOMPARE(points.size(), 7); // 2..6 and one beyond each edge
    for (int k = 0; k < points.size(); ++k) {
        QCOMPARE(points[k].x(), plot.xAxis->coordToPixel(1 + k));
        QCOMPARE(points[k].y(), plot.yAxis->coordToPixel((1 + k) * 10));
    }
}

// Far more samples than pixel columns: at most two points a column, and
// together they reach every column's lowest and highest value.
void TestChartLines::denseSamplesDrawnPerColumn()
{
    ChartPlot plot;
    plot.resize(652, 348);
    plot.replot();
    const int count = 100000;
    for (int i = 0; i < count; ++i)
        plot.appendSample(i * 0.01, values(i % 2 ? 50 + i * 0.0001 : -50));
    plot.setTimeRange({0, count * 0.01});
    plot.setValueRange({-60, 70});

    const QVector<QPointF> points = plot.line(0)->linePoints();
    const int columns = plot.axisRect()->width();
    QVERIFY(points.size() <= 2 * (columns + 2));
    QVERIFY(points.size() >= columns);
    double top = 1e9, bottom = -1e9;
    for (const QPointF &p : points) {
        QVERIFY(!std::isnan(p.y()));
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    QCOMPARE(bottom, plot.yAxis->coordToPixel(-50));
    QVERIFY(std::abs(top - plot.yAxis->coordToPixel(float(50 + (count - 1) * 0.0001))) < 1e-6);
}

void TestChartLines::gapsBreakTheLine()
{
    ChartPlot plot;
    plot.resize(652, 348);
    plot.replot();
    for (int i = 0; i < 10; ++i)
        plot.appendSample(i, values(i == 5 ? NaN : i));
    plot.setTimeRange({0, 9});
    QVector<QPointF> points = plot.line(0)->linePoints();
    QCOMPARE(points.size(), 10);
    QVERIFY(std::isnan(points[5].y()));
    QVERIFY(!std::isnan(points[4].y()) && !std::isnan(points[6].y()));

    ChartPlot dense;
    dense.resize(652, 348);
    dense.replot();
    for (int i = 0; i < 50000; ++i)
        dense.appendSample(i, values(i >= 20000 && i < 30000 ? NaN : 1));
    dense.setTimeRange({0, 50000});
    points = dense.line(0)->linePoints();
    const auto gaps = std::count_if(points.begin(), points.end(),
                                    [](const QPointF &p) { return std::isnan(p.y()); });
    QCOMPARE(gaps, 1);
}

// On screen a dense line is kept as a picture and only its newest columns
// are drawn again: after samples with new extremes, new columns, gaps, and
// a window sliding by part of a column and by whole columns, the chart
// looks exactly as when drawn afresh.
void TestChartLines::keptPictureMatchesAFreshOne()
{
    ChartPlot plot;
    plot.resize(652, 348);
    for (int k = 0; k < 5; ++k)
        plot.setLineVisible(k, true);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    QRandomGenerator random(57);
    double x = 0;
    auto add = [&](int count) {
        for (int i = 0; i < count; ++i, x += 0.0125) {
            std::array<double, 5> v{};
            for (double &y : v)
                y = random.bounded(100.0) + (random.bounded(500) == 0 ? 400 : 0);
            if (random.bounded(3000) == 0)
                v[0] = NaN;
            plot.appendSample(x, v);
        }
    };
    auto compare = [&](const char *step) {
        plot.replot(QCustomPlot::rpImmediateRefresh);
        const QImage kept = plot.grab().toImage();
        for (int k = 0; k < 5; ++k)
            plot.line(k)->forgetPicture();
        plot.replot(QCustomPlot::rpImmediateRefresh);
        QVERIFY2(plot.grab().toImage() == kept, step);
    };
    plot.setValueRange({-10, 600});
    plot.setTimeRange({0, 100});
    add(4000);
    compare("filling");
    for (int round = 0; round < 30; ++round) {
        add(1 + random.bounded(40));
        plot.replot(QCustomPlot::rpImmediateRefresh); // kept, then brought up to date
        add(1 + random.bounded(40));
        compare("samples added");
    }
    add(8000 - int(x / 0.0125)); // past the window: it slides
    for (int round = 0; round < 30; ++round) {
        add(1 + random.bounded(20));
        plot.setTimeRange({x - 100, x});
        plot.replot(QCustomPlot::rpImmediateRefresh);
        add(1 + random.bounded(20));
        plot.setTimeRange({x - 100, x});
        compare("sliding");
    }
}

QTEST_MAIN(TestChartLines)
#include "tst_chartlines.moc"
