#include "reportwriter.h"

#include <algorithm>

ReportWriter::ReportWriter(FailureHandler onFailure) : m_onFailure(std::move(onFailure))
{
    m_thread = std::thread([this] { run(); });
}

ReportWriter::~ReportWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

void ReportWriter::queue(std::shared_ptr<HidWriteChannel> channel, QByteArray report, bool repeatable)
{
    if (!channel || report.isEmpty())
        return;
    {
        std::lock_guard lock(m_mutex);
        if (repeatable && std::any_of(m_jobs.begin(), m_jobs.end(), [&](const Job &job) {
                return job.repeatable && job.channel == channel;
            }))
            return;
        m_jobs.push_back({std::move(channel), std::move(report), repeatable});
    }
    m_wake.notify_one();
}

int ReportWriter::pending() const
{
    std::lock_guard lock(m_mutex);
    return int(m_jobs.size()) + m_writing;
}

void ReportWriter::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_stop)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_writing = 1;
        }
        HidWriteChannel &channel = *job.channel;
        if (!channel.released && !channel.failed) {
            const auto *data = reinterpret_cast<const std::uint8_t *>(job.report.constData());
            const int written = channel.handle->write(data, std::size_t(job.report.size()));
            if (written != job.report.size() && !channel.failed.exchange(true) && m_onFailure)
                m_onFailure(job.channel);
        }
        job = {}; // a released device's handle closes here, after its last write
        std::lock_guard lock(m_mutex);
        m_writing = 0;
    }
}
