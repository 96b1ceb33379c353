#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// A timer whose tick runs on a worker thread of its own, not on the GUI
// thread. Each cycle the worker sleeps for the interval rounded to whole
// milliseconds (halves to even: 0.0125 s sleeps 12 ms) and then ticks, so
// the period is the sleep plus the tick's own time. Enabling starts a fresh
// worker whose first tick comes one interval later; disabling ends the
// worker with no further tick and waits for a tick in progress to finish.
//
// The tick may disable its own timer; that worker is then joined by the next
// setEnabled() from another thread or by the destructor, so no worker ever
// outlives the timer. The tick must not destroy its own timer, and must never
// wait for the GUI thread: setEnabled(false) from the GUI thread waits for
// the tick.
class PeriodicTimer
{
public:
    using Tick = std::function<void()>;

    PeriodicTimer(double intervalSeconds, Tick tick);
    ~PeriodicTimer();

    PeriodicTimer(const PeriodicTimer &) = delete;
    PeriodicTimer &operator=(const PeriodicTimer &) = delete;

    // Any thread; takes effect from the next sleep.
    void setInterval(double seconds);
    double interval() const;

    // Setting the current state again does nothing.
    void setEnabled(bool enabled);
    bool isEnabled() const;

    static std::chrono::milliseconds sleepFor(double seconds);

private:
    struct Worker;
    void run(Worker &worker);

    Tick m_tick;
    mutable std::mutex m_mutex; // guards the three below
    double m_interval;
    std::unique_ptr<Worker> m_worker;
    // Workers disabled from their own tick, still to be joined.
    std::vector<std::unique_ptr<Worker>> m_parked;
};
