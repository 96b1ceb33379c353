#include "periodictimer.h"

#include <QTest>

#include <atomic>
#include <memory>
#include <thread>

class TestPeriodicTimer : public QObject
{
    Q_OBJECT
private slots:
    void sleepRoundsHalfToEven_data();
    void sleepRoundsHalfToEven();
    void ticksOnItsOwnThread();
    void disablingStopsTicks();
    void disablingBeforeFirstTickGivesNone();
    void enablingTwiceKeepsOneWorker();
    void disableFromOwnTick();
    void disableFromOwnTickThenReenable();
    void destroyWhileSelfDisabledTickRuns();
    void intervalChangeWhileRunning();
};

void TestPeriodicTimer::sleepRoundsHalfToEven_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("ms");
    QTest::newRow("poll 0.0125") << 0.0125 << 12;
    QTest::newRow("2.5 ms") << 0.0025 << 2;
    QTest::newRow("3.5 ms") << 0.0035 << 4;
    QTest::newRow("chart 0.02") << 0.02 << 20;
    QTest::newRow("10/sek.") << 0.1 << 100;
    QTest::newRow("10/h.") << 360.0 << 360000;
    QTest::newRow("zero") << 0.0 << 0;
}

void TestPeriodicTimer::sleepRoundsHalfToEven()
{
    QFETCH(double, seconds);
    QFETCH(int, ms);
    QCOMPARE(PeriodicTimer::sleepFor(seconds).count(), ms);
}

void TestPeriodicTimer::ticksOnItsOwnThread()
{
    std::atomic<int> ticks{0};
    std::atomic<bool> onOtherThread{true};
    const auto gui = std::this_thread::get_id();
    PeriodicTimer timer(0.002, [&] {
        if (std::this_thread::get_id() == gui)
            onOtherThread = false;
        ++ticks;
    });
    QVERIFY(!timer.isEnabled());
    timer.setEnabled(true);
    QVERIFY(timer.isEnabled());
    QTRY_VERIFY(ticks >= 3);
    QVERIFY(onOtherThread);
}

void TestPeriodicTimer::disablingStopsTicks()
{
    std::atomic<int> ticks{0};
    PeriodicTimer timer(0.001, [&] { ++ticks; });
    timer.setEnabled(true);
    QTRY_VERIFY(ticks >= 2);
    timer.setEnabled(false);
    const int after = ticks;
    QTest::qWait(30);
    QCOMPARE(ticks.load(), after);
}

void TestPeriodicTimer::disablingBeforeFirstTickGivesNone()
{
    std::atomic<int> ticks{0};
    PeriodicTimer timer(10.0, [&] { ++ticks; });
    timer.setEnabled(true);
    timer.setEnabled(false); // returns at once, not after the 10 s sleep
    QCOMPARE(ticks.load(), 0);
}

void TestPeriodicTimer::enablingTwiceKeepsOneWorker()
{
    std::atomic<int> concurrent{0}, maxConcurrent{0}, ticks{0};
    PeriodicTimer timer(0.001, [&] {
        int now = ++concurrent;
        maxConcurrent = std::max(maxConcurrent.load(), now);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --concurrent;
        ++ticks;
    });
    timer.setEnabled(true);
    timer.setEnabled(true);
    QTRY_VERIFY(ticks >= 5);
    QCOMPARE(maxConcurrent.load(), 1);
}

void TestPeriodicTimer::disableFromOwnTick()
{
    std::atomic<int> ticks{0};
    PeriodicTimer *self = nullptr;
    PeriodicTimer timer(0.001, [&] {
        ++ticks;
        self->setEnabled(false);
    });
    self = &timer;
    timer.setEnabled(true);
    QTRY_VERIFY(!timer.isEnabled());
    QTest::qWait(20);
    QCOMPARE(ticks.load(), 1);
}

void TestPeriodicTimer::disableFromOwnTickThenReenable()
{
    std::atomic<int> ticks{0};
    PeriodicTimer *self = nullptr;
    PeriodicTimer timer(0.001, [&] {
        if (++ticks == 1)
            self->setEnabled(false);
    });
    self = &timer;
    timer.setEnabled(true);
    QTRY_VERIFY(!timer.isEnabled());
    timer.setEnabled(true); // a fresh worker; the old one is joined
    QVERIFY(timer.isEnabled());
    QTRY_VERIFY(ticks >= 3);
}

void TestPeriodicTimer::destroyWhileSelfDisabledTickRuns()
{
    // The tick goes on after disabling its timer; destroying the timer must
    // wait for it, or the tick would use freed state.
    auto state = std::make_unique<int>(0);
    std::atomic<bool> disabled{false}, tickEnded{false};
    PeriodicTimer *self = nullptr;
    auto timer = std::make_unique<PeriodicTimer>(0.001, [&, data = state.get()] {
        self->setEnabled(false);
        disabled = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ++*data;
        tickEnded = true;
    });
    self = timer.get();
    timer->setEnabled(true);
    QTRY_VERIFY(disabled);
    timer.reset();
    QVERIFY(tickEnded);
    QCOMPARE(*state, 1);
}

void TestPeriodicTimer::intervalChangeWhileRunning()
{
    std::atomic<int> ticks{0};
    PeriodicTimer timer(0.001, [&] { ++ticks; });
    timer.setEnabled(true);
    QTRY_VERIFY(ticks >= 1);
    timer.setInterval(3600.0); // from the next sleep on: no more ticks
    QCOMPARE(timer.interval(), 3600.0);
    QTest::qWait(20);
    const int settled = ticks;
    QTest::qWait(30);
    QCOMPARE(ticks.load(), settled);
    timer.setEnabled(false); // ends the long sleep at once
}

QTEST_GUILESS_MAIN(TestPeriodicTimer)
#include "tst_periodictimer.moc"
