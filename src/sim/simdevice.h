#pragma once

#include "hidbackend.h"

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

// A simulated HID device: a product string, report lengths, a queue of
// input reports and a log of what was written to it. The base class
// answers nothing, like a keyboard or a mouse would to our reports.
class SimDevice
{
public:
    struct Written {
        std::chrono::steady_clock::time_point time;
        QByteArray bytes;
    };

    SimDevice(const HidDeviceInfo &info, bool openable = true,
              HidReportLengths lengths = {65, 65, true});
    virtual ~SimDevice() = default;

    const HidDeviceInfo &info() const { return m_info; }
    bool isOpenable() const { return m_openable; }
    HidReportLengths reportLengths() const { return m_lengths; }

    void setPluggedIn(bool plugged);
    bool isPluggedIn() const;

    // Any thread: the handle's side.
    int write(const std::uint8_t *data, std::size_t length);
    int read(std::uint8_t *buffer, std::size_t length, int timeoutMs);

    // Tests: queue a raw input report (report ID byte first when numbered).
    void queueInputReport(const QByteArray &bytes);
    std::vector<Written> written() const;
    void clearWritten();
    // Tests: silently fail every read and write, as a device pulled out
    // before the system reports it.
    void setFailing(bool failing);
    int readCalls() const;

protected:
    // Called with the device's lock held, after the write is logged.
    virtual void handleOutputReport(const QByteArray &report);
    // With the lock held: queue an answer for the reader.
    void queueLocked(const QByteArray &bytes);

    mutable std::mutex m_mutex;

private:
    HidDeviceInfo m_info;
    bool m_openable;
    HidReportLengths m_lengths;
    bool m_pluggedIn = true;
    bool m_failing = false;
    int m_readCalls = 0;
    std::deque<QByteArray> m_inputQueue;
    std::condition_variable m_inputReady;
    std::vector<Written> m_written;
};
