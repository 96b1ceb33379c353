#pragma once

#include "hidbackend.h"
#include "modulelock.h"

#include <QByteArray>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

struct ReportHandoff;

// The write side of a device: its own handle, used by the writer thread
// only. It is shared with the writer, so a write in progress keeps the
// handle open after the device was released; `released` makes the writer
// drop every write that has not started yet. The handle closes with the
// last owner, on whichever thread that is, never during a write.
struct HidWriteChannel {
    explicit HidWriteChannel(std::unique_ptr<HidHandle> writeHandle,
                             std::shared_ptr<const ModuleLock> moduleLock = nullptr)
        : lock(std::move(moduleLock)), handle(std::move(writeHandle))
    {
    }
    // Released after the handle closes: no other program takes the module
    // while a write of ours is still under way.
    const std::shared_ptr<const ModuleLock> lock;
    const std::unique_ptr<HidHandle> handle;
    std::atomic<bool> released{false};
    std::atomic<bool> failed{false}; // a write failed: the device is gone
};

// One HID device checked out of the controller. With read/write access it
// has two handles, so no two threads are ever inside the HID library on
// one handle: the read handle belongs to the read thread, the write handle
// to the writer (through its channel). While a report handler is set, the
// read thread hands every input report to the GUI thread and waits until
// the handler has returned, so reports are handled one at a time in
// arrival order.
class HidDevice : public QObject
{
    Q_OBJECT
public:
    // GUI thread: reportId is 0 for a device without numbered reports.
    using ReportHandler =
        std::function<void(HidDevice *device, quint8 reportId, const QByteArray &payload)>;

    static constexpr int ReadSliceMs = 100;

    // Both handles or none: a device that could not be opened twice has no
    // read/write access. `lock`, when given, is held as long as a handle.
    HidDevice(const HidDeviceInfo &info, std::unique_ptr<HidHandle> readHandle,
              std::unique_ptr<HidHandle> writeHandle,
              std::shared_ptr<const ModuleLock> lock = nullptr);
    ~HidDevice() override; // GUI thread: stops the read thread, releases the write channel

    const HidDeviceInfo &info() const { return m_info; }
    // The product string, or "Device VID=%04X PID=%04X" when it is empty.
    QString displayName() const;
    static QString displayName(const HidDeviceInfo &info);

    bool hasReadWriteAccess() const { return m_readHandle != nullptr; }
    // Without read/write access: why, when the backend could tell.
    const HidOpenProblem &openProblem() const { return m_openProblem; }
    void setOpenProblem(const HidOpenProblem &problem) { m_openProblem = problem; }
    int inputReportLength() const { return m_lengths.input; }
    int outputReportLength() const { return m_lengths.output; }
    // Null without read/write access.
    const std::shared_ptr<HidWriteChannel> &writeChannel() const { return m_writeChannel; }

    void setPluggedIn(bool plugged) { m_pluggedIn = plugged; }
    bool isPluggedIn() const { return m_pluggedIn; }

    // GUI thread. No handler stops the read thread; a handler starts it on
    // a plugged device with read/write access.
    void setReportHandler(ReportHandler handler);

signals:
    // A read failed: the device is gone, whatever the listing says (GUI
    // thread, at most once per device).
    void readFailed();

private slots:
    void deliver(); // GUI thread: hands the waiting report to the handler

private:
    void startReader();
    void stopReader();
    void readLoop(); // read thread

    HidDeviceInfo m_info;
    std::shared_ptr<const ModuleLock> m_lock; // outlives the read handle
    std::unique_ptr<HidHandle> m_readHandle; // read thread only, while it runs
    std::shared_ptr<HidWriteChannel> m_writeChannel;
    HidReportLengths m_lengths;
    HidOpenProblem m_openProblem;
    bool m_pluggedIn = true;
    std::shared_ptr<ReportHandler> m_handler; // GUI thread only
    std::atomic<quint64> m_handlerGeneration{0}; // changed on the GUI thread
    std::shared_ptr<ReportHandoff> m_handoff;    // shared with the read thread
    std::thread m_reader;
};
