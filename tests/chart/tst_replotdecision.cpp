// When the chart needs a replot: a table of what changed since the last one.
#include "replotdecision.h"

#include <QTest>

#include <limits>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// 600 pixel columns over a minute: a column is 0.1 s; 280 pixel rows over
// 12 units. Line 1 shown, line 2 hidden.
ChartView minute()
{
    ChartView v;
    v.time = {0, 60};
    v.value = {-1, 11};
    v.width = 600;
    v.height = 280;
    v.shown = {true, false, false, false, false};
    return v;
}

std::array<double, ChartLineCount> lines(double first, double second = 0)
{
    return {first, second, 0, 0, 0};
}

} // namespace

Q_DECLARE_METATYPE(ChartView)

class TestReplotDecision : public QObject
{
    Q_OBJECT
private slots:
    void decision_data();
    void decision();
    void firstTimeAndMarkedChanges();
};

void TestReplotDecision::decision_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("first");  // shown line
    QTest::addColumn<double>("second"); // hidden line
    QTest::addColumn<ChartView>("view");
    QTest::addColumn<bool>("due");

    // Drawn: samples at 10.02 (0, 0) and 10.03 (10, 5) in the column [10.0, 10.1).
    const ChartView same = minute();
    QTest::newRow("same column, inside its extremes") << 10.05 << 5.0 << 2.0 << same << false;
    QTest::newRow("same column, on an extreme") << 10.05 << 10.0 << 2.0 << same << false;
    QTest::newRow("same column, new highest") << 10.05 << 10.5 << 2.0 << same << true;
    QTest::newRow("same column, new highest in its pixel row") << 10.05 << 10.01 << 2.0 << same
                                                               << false;
    QTest::newRow("same column, new lowest") << 10.05 << -0.5 << 2.0 << same << true;
    QTest::newRow("same column, hidden line's new extreme") << 10.05 << 5.0 << 99.0 << same
                                                            << false;
    QTest::newRow("same column, a gap") << 10.05 << NaN << 2.0 << same << true;
    QTest::newRow("new column") << 10.15 << 5.0 << 2.0 << same << true;

    ChartView slid = minute();
    slid.time = {0.05, 60.05};
    QTest::newRow("time axis slid under a column") << 10.05 << 5.0 << 2.0 << slid << false;
    slid.time = {0.15, 60.15};
    QTest::newRow("time axis slid a column") << 10.05 << 5.0 << 2.0 << slid << true;
    ChartView longer = minute();
    longer.time = {0, 60.01};
    QTest::newRow("longer window") << 10.05 << 5.0 << 2.0 << longer << true;
    ChartView values = minute();
    values.value = {-1, 12};
    QTest::newRow("value axis") << 10.05 << 5.0 << 2.0 << values << true;
    ChartView size = minute();
    size.height = 300;
    QTest::newRow("size") << 10.05 << 5.0 << 2.0 << size << true;
    ChartView shown = minute();
    shown.shown[1] = true;
    QTest::newRow("a line shown") << 10.05 << 5.0 << 2.0 << shown << true;
    QTest::newRow("a line shown, its new extreme") << 10.05 << 5.0 << 99.0 << shown << true;
}

void TestReplotDecision::decision()
{
    QFETCH(double, x);
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(ChartView, view);

    ReplotDecision decision;
    decision.sampleAdded(10.02, lines(0, 0), minute());
    decision.sampleAdded(10.03, lines(10, 5), minute());
    QVERIFY(decision.isDue(minute()));
    decision.drawn(minute());
    QVERIFY(!decision.isDue(minute()));

    decision.sampleAdded(x, lines(first, second), view);
    QTEST(decision.isDue(view), "due");
}

void TestReplotDecision::firstTimeAndMarkedChanges()
{
    ReplotDecision decision;
    QVERIFY(decision.isDue(minute())); // never drawn
    decision.drawn(minute());
    QVERIFY(!decision.isDue(minute()));
    decision.markChanged(); // legend texts, points cleared
    QVERIFY(decision.isDue(minute()));
    decision.drawn(minute());
    decision.sampleAdded(0, lines(1), minute()); // the first column after a reset
    QVERIFY(decision.isDue(minute()));

    ChartView unlaid = minute();
    unlaid.width = 0; // not laid out yet: always drawn
    decision.drawn(unlaid);
    decision.sampleAdded(0.01, lines(1), unlaid);
    QVERIFY(decision.isDue(unlaid));
}

QTEST_MAIN(TestReplotDecision)
#include "tst_replotdecision.moc"
