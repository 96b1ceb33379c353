#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

// A timer whose tick runs on a worker thread of its own, not on the GUI
// thread. Each cycle the worker sleeps for the interval rounded to whole
// milliseconds (halves to even: 0.0125 s sleeps 12 ms) and then ticks, so
// the period is the sleep plus the tick's own time. Enabling starts a fresh
// worker whose first tick comes one interval later; disabling ends the
// worker with no further tick and waits for a tick in progress to finish.
//
// The tick must never wait for the GUI thread: setEnabled(false) from the GUI
// thread waits for the tick.
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
    void run(const std::shared_ptr<Worker> &worker);

    Tick m_tick;
    mutable std::mutex m_mutex; // guards m_interval and m_worker
    double m_interval;
    std::shared_ptr<Worker> m_worker;
};
