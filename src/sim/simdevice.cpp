#include "simdevice.h"

#include <cstring>

SimDevice::SimDevice(const HidDeviceInfo &info, bool openable, HidReportLengths lengths)
    : m_info(info), m_openable(openable), m_lengths(lengths)
{
}

void SimDevice::setPluggedIn(bool plugged)
{
    {
        std::lock_guard lock(m_mutex);
        m_pluggedIn = plugged;
    }
    m_inputReady.notify_all();
}

bool SimDevice::isPluggedIn() const
{
    std::lock_guard lock(m_mutex);
    return m_pluggedIn;
}

int SimDevice::write(const std::uint8_t *data, std::size_t length)
{
    std::lock_guard lock(m_mutex);
    if (!m_pluggedIn || m_failing)
        return -1;
    QByteArray report(reinterpret_cast<const char *>(data), int(length));
    m_written.push_back({std::chrono::steady_clock::now(), report});
    handleOutputReport(report);
    return int(length);
}

int SimDevice::read(std::uint8_t *buffer, std::size_t length, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    ++m_readCalls;
    if (m_failing)
        return -1;
    m_inputReady.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return !m_pluggedIn || !m_inputQueue.empty(); });
    if (!m_pluggedIn)
        return -1;
    if (m_inputQueue.empty())
        return 0;
    QByteArray report = m_inputQueue.front();
    m_inputQueue.pop_front();
    std::size_t n = std::min(length, std::size_t(report.size()));
    std::memcpy(buffer, report.constData(), n);
    return int(n);
}

void SimDevice::queueInputReport(const QByteArray &bytes)
{
    std::lock_guard lock(m_mutex);
    queueLocked(bytes);
}

void SimDevice::queueLocked(const QByteArray &bytes)
{
    m_inputQueue.push_back(bytes);
    m_inputReady.notify_all();
}

std::vector<SimDevice::Written> SimDevice::written() const
{
    std::lock_guard lock(m_mutex);
    return m_written;
}

void SimDevice::clearWritten()
{
    std::lock_guard lock(m_mutex);
    m_written.clear();
}

void SimDevice::setFailing(bool failing)
{
    {
        std::lock_guard lock(m_mutex);
        m_failing = failing;
    }
    m_inputReady.notify_all();
}

int SimDevice::readCalls() const
{
    std::lock_guard lock(m_mutex);
    return m_readCalls;
}

void SimDevice::handleOutputReport(const QByteArray &)
{
}
