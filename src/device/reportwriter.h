#pragma once

#include "hiddevice.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Every output report goes out through here, on a thread of its own, in the
// order queued. Callers only queue, so a write that stalls on the USB
// endpoint delays the writes after it and nothing else.
class ReportWriter
{
public:
    // Writer thread: a write on this channel failed. Called once per channel;
    // later writes on it are dropped.
    using FailureHandler = std::function<void(const std::shared_ptr<HidWriteChannel> &channel)>;

    explicit ReportWriter(FailureHandler onFailure);
    ~ReportWriter(); // drops what still waits, then waits for a write under way

    ReportWriter(const ReportWriter &) = delete;
    ReportWriter &operator=(const ReportWriter &) = delete;

    // Any thread. A `repeatable` report (the poll) is not queued again while
    // one for the same channel still waits: a stall must not pile them up.
    void queue(std::shared_ptr<HidWriteChannel> channel, QByteArray report, bool repeatable = false);

    // Any thread: reports queued or being written.
    int pending() const;

private:
    struct Job {
        std::shared_ptr<HidWriteChannel> channel;
        QByteArray report;
        bool repeatable;
    };

    void run(); // writer thread

    FailureHandler m_onFailure;
    mutable std::mutex m_mutex; // guards the three below; never held during a write
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stop = false;
    int m_writing = 0;
    std::thread m_thread;
};
