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
    m_stallChanged.notify_all(); // a stalled write fails once the device is gone
}

bool SimDevice::isPluggedIn() const
{
    std::lock_guard lock(m_mutex);
    return m_pluggedIn;
}

bool SimDevice::isOpenable() const
{
    std::lock_guard lock(m_mutex);
    return m_openable && !m_failing && !m_failingWrites && !m_permissionDenied;
}

void SimDevice::setPermissionDenied(bool denied)
{
    std::lock_guard lock(m_mutex);
    m_permissionDenied = denied;
}

bool SimDevice::isPermissionDenied() const
{
    std::lock_guard lock(m_mutex);
    return m_permissionDenied;
}

int SimDevice::write(const std::uint8_t *data, std::size_t length)
{
    std::unique_lock lock(m_mutex);
    const auto since = std::chrono::steady_clock::now();
    ++m_stalledWrites;
    while (m_writeStall.count() != 0 && m_pluggedIn) {
        if (m_writeStall < std::chrono::milliseconds(0)) {
            m_stallChanged.wait(lock);
            continue;
        }
        const auto until = since + m_writeStall;
        if (std::chrono::steady_clock::now() >= until)
            break;
        m_stallChanged.wait_until(lock, until);
    }
    --m_stalledWrites;
    if (!m_pluggedIn || m_failing || m_failingWrites)
        return -1;
    QByteArray report(reinterpret_cast<const char *>(data), int(length));
    if (m_written.size() == WrittenKept)
        m_written.pop_front();
    m_written.push_back({std::chrono::steady_clock::now(), report});
    handleOutputReport(report);
    return int(length);
}

void SimDevice::setWriteStall(std::chrono::milliseconds stall)
{
    {
        std::lock_guard lock(m_mutex);
        m_writeStall = stall;
    }
    m_stallChanged.notify_all();
}

int SimDevice::stalledWrites() const
{
    std::lock_guard lock(m_mutex);
    return m_stalledWrites;
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

int SimDevice::queuedInputReports() const
{
    std::lock_guard lock(m_mutex);
    return int(m_inputQueue.size());
}

void SimDevice::queueLocked(const QByteArray &bytes)
{
    m_inputQueue.push_back(bytes);
    m_inputReady.notify_all();
}

std::vector<SimDevice::Written> SimDevice::written() const
{
    std::lock_guard lock(m_mutex);
    return {m_written.begin(), m_written.end()};
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

void SimDevice::setFailingWrites(bool failing)
{
    std::lock_guard lock(m_mutex);
    m_failingWrites = failing;
}

int SimDevice::readCalls() const
{
    std::lock_guard lock(m_mutex);
    return m_readCalls;
}

void SimDevice::handleOutputReport(const QByteArray &)
{
}
