#include "periodictimer.h"

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <thread>

struct PeriodicTimer::Worker {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::thread thread;
};

PeriodicTimer::PeriodicTimer(double intervalSeconds, Tick tick)
    : m_tick(std::move(tick)), m_interval(intervalSeconds)
{
}

PeriodicTimer::~PeriodicTimer()
{
    setEnabled(false);
}

std::chrono::milliseconds PeriodicTimer::sleepFor(double seconds)
{
    // nearbyint rounds halves to even in the default rounding mode.
    double ms = std::nearbyint(seconds * 1000.0);
    return std::chrono::milliseconds(ms > 0 ? static_cast<long long>(ms) : 0);
}

void PeriodicTimer::setInterval(double seconds)
{
    std::lock_guard lock(m_mutex);
    m_interval = seconds;
}

double PeriodicTimer::interval() const
{
    std::lock_guard lock(m_mutex);
    return m_interval;
}

bool PeriodicTimer::isEnabled() const
{
    std::lock_guard lock(m_mutex);
    return m_worker != nullptr;
}

void PeriodicTimer::setEnabled(bool enabled)
{
    std::shared_ptr<Worker> finished;
    {
        std::lock_guard lock(m_mutex);
        if (enabled == (m_worker != nullptr))
            return;
        if (enabled) {
            m_worker = std::make_shared<Worker>();
            m_worker->thread = std::thread([this, worker = m_worker] { run(worker); });
            return;
        }
        finished = std::move(m_worker);
    }
    {
        std::lock_guard lock(finished->mutex);
        finished->stop = true;
    }
    finished->wake.notify_all();
    if (finished->thread.get_id() == std::this_thread::get_id())
        finished->thread.detach(); // disabled from its own tick
    else
        finished->thread.join();
}

void PeriodicTimer::run(const std::shared_ptr<Worker> &worker)
{
    for (;;) {
        {
            std::lock_guard lock(worker->mutex);
            if (worker->stop) // disabled from its own tick
                return;
        }
        auto until = std::chrono::steady_clock::now() + sleepFor(interval());
        {
            std::unique_lock lock(worker->mutex);
            if (worker->wake.wait_until(lock, until, [&] { return worker->stop; }))
                return;
        }
        try {
            m_tick();
        } catch (const std::exception &e) {
            std::fprintf(stderr, "timer tick failed: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "timer tick failed\n");
        }
    }
}
