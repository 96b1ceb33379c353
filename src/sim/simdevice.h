#pragma once

#include "hidbackend.h"

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

// A simulated HID device: a product string, report lengths, a queue of
// input reports and a log of the latest writes. The base class answers
// nothing, like a keyboard or a mouse would to our reports.
class SimDevice
{
public:
    struct Written {
        std::chrono::steady_clock::time_point time;
        QByteArray bytes;
    };

    // The write log keeps this many of the latest writes.
    static constexpr std::size_t WrittenKept = 4096;
    // setWriteStall(): hold every write until the stall is changed.
    static constexpr std::chrono::milliseconds HoldWrites{-1};

    SimDevice(const HidDeviceInfo &info, bool openable = true,
              HidReportLengths lengths = {65, 65, true, false});
    virtual ~SimDevice() = default;

    const HidDeviceInfo &info() const { return m_info; }
    // Before the device is added to a backend.
    void setSerialNumber(const QString &serial) { m_info.serialNumber = serial; }
    bool isOpenable() const; // not while failing: a dead node does not open
    HidReportLengths reportLengths() const { return m_lengths; }

    void setPluggedIn(bool plugged);
    bool isPluggedIn() const;

    // Any thread: the handle's side.
    int write(const std::uint8_t *data, std::size_t length);
    int read(std::uint8_t *buffer, std::size_t length, int timeoutMs);

    // Tests: queue a raw input report (report ID byte first when numbered).
    void queueInputReport(const QByteArray &bytes);
    int queuedInputReports() const; // not yet read
    std::vector<Written> written() const;
    void clearWritten();
    // Tests: fail every read, write and open, as a device pulled out before
    // the system reports it.
    void setFailing(bool failing);
    // Tests: fail every write and open, while reads only time out.
    void setFailingWrites(bool failing);
    // The device node is there, but this user may not open it (no udev
    // rule): every open fails, and the backend names the node.
    void setPermissionDenied(bool denied);
    bool isPermissionDenied() const;
    int readCalls() const;
    // Every write waits this long before it is taken, as on a stalled USB
    // endpoint (HoldWrites: until changed); reads go on meanwhile.
    void setWriteStall(std::chrono::milliseconds stall);
    // Writes waiting in a stall right now.
    int stalledWrites() const;

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
    bool m_failingWrites = false;
    bool m_permissionDenied = false;
    int m_readCalls = 0;
    std::chrono::milliseconds m_writeStall{0};
    int m_stalledWrites = 0;
    std::condition_variable m_stallChanged;
    std::deque<QByteArray> m_inputQueue;
    std::condition_variable m_inputReady;
    std::deque<Written> m_written;
};
