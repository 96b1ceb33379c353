#include "periodictimer.h"

#include <algorithm>
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
    setEnabled(false); // also joins a worker that disabled itself
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
    const auto caller = std::this_thread::get_id();
    std::vector<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard lock(m_mutex);
        // A worker can't join itself: one disabled from its own tick waits
        // here for the next call from another thread.
        for (auto &parked : m_parked) {
            if (parked->thread.get_id() != caller)
                finished.push_back(std::move(parked));
        }
        m_parked.erase(std::remove(m_parked.begin(), m_parked.end(), nullptr), m_parked.end());

        if (enabled && !m_worker) {
            m_worker = std::make_unique<Worker>();
            m_worker->thread = std::thread([this, worker = m_worker.get()] { run(*worker); });
        } else if (!enabled && m_worker) {
            {
                std::lock_guard workerLock(m_worker->mutex);
                m_worker->stop = true;
            }
            m_worker->wake.notify_all();
            auto &to = m_worker->thread.get_id() == caller ? m_parked : finished;
            to.push_back(std::move(m_worker));
        }
    }
    // Outside the lock: a tick in progress may still call interval().
    for (auto &worker : finished)
        worker->thread.join();
}

void PeriodicTimer::run(Worker &worker)
{
    for (;;) {
        {
            std::lock_guard lock(worker.mutex);
            if (worker.stop) // disabled from its own tick
                return;
        }
        auto until = std::chrono::steady_clock::now() + sleepFor(interval());
        {
            std::unique_lock lock(worker.mutex);
            if (worker.wake.wait_until(lock, until, [&] { return worker.stop; }))
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
