#pragma once

#include "hidbackend.h"

#include <QByteArray>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// One HID device checked out of the controller. It keeps the open handle
// (none without read/write access), and while a report handler is set, a
// read thread that hands every input report to the GUI thread and waits
// until the handler has returned, so reports are handled one at a time in
// arrival order.
class HidDevice : public QObject
{
    Q_OBJECT
public:
    // GUI thread: reportId is 0 for a device without numbered reports.
    using ReportHandler =
        std::function<void(HidDevice *device, quint8 reportId, const QByteArray &payload)>;

    static constexpr int ReadSliceMs = 100;

    HidDevice(const HidDeviceInfo &info, std::unique_ptr<HidHandle> handle);
    ~HidDevice() override; // stops the read thread, closes the handle

    const HidDeviceInfo &info() const { return m_info; }
    // The product string, or "Device VID=%04X PID=%04X" when it is empty.
    QString displayName() const;
    static QString displayName(const HidDeviceInfo &info);

    bool hasReadWriteAccess() const { return m_handle != nullptr; }
    int inputReportLength() const { return m_lengths.input; }
    int outputReportLength() const { return m_lengths.output; }

    void setPluggedIn(bool plugged) { m_pluggedIn = plugged; }
    bool isPluggedIn() const { return m_pluggedIn; }

    // GUI thread. No handler stops the read thread; a handler starts it on
    // a plugged device with read/write access.
    void setReportHandler(ReportHandler handler);

    // Any thread; the caller serialises writes and releases.
    bool writeReport(const QByteArray &report);

private slots:
    void deliverPending(); // GUI thread

private:
    void startReader();
    void stopReader();
    void readLoop(); // read thread
    bool deliver(quint8 reportId, const QByteArray &payload); // read thread

    HidDeviceInfo m_info;
    std::unique_ptr<HidHandle> m_handle;
    HidReportLengths m_lengths;
    bool m_pluggedIn = true;
    ReportHandler m_handler; // GUI thread only
    std::atomic<quint64> m_handlerGeneration{0}; // changed on the GUI thread
    std::atomic<bool> m_stopReading{false};
    std::thread m_reader;

    // The report on its way from the read thread to the GUI thread.
    struct Pending {
        quint64 generation;
        quint8 reportId;
        QByteArray payload;
    };
    std::mutex m_handoffMutex;
    std::condition_variable m_handoffDone;
    std::optional<Pending> m_pending; // guarded by m_handoffMutex
    bool m_inFlight = false;          // guarded by m_handoffMutex: not yet handled
};
