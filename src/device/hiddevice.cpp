#include "hiddevice.h"

#include <QMetaObject>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace {
// The longest report a device without a readable descriptor may send.
constexpr int FallbackReportLength = 257;

} // namespace

// The report on its way from the read thread to the GUI thread. It is shared
// by both, so neither side touches the device once the other may have let
// it go: the GUI side may release the device from inside the handler.
struct ReportHandoff {
    struct Pending {
        quint64 generation;
        quint8 reportId;
        QByteArray payload;
    };
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;               // guarded by mutex
    bool inFlight = false;           // guarded by mutex: posted, not yet handled
    std::optional<Pending> pending;  // guarded by mutex
};

HidDevice::HidDevice(const HidDeviceInfo &info, std::unique_ptr<HidHandle> readHandle,
                     std::unique_ptr<HidHandle> writeHandle,
                     std::shared_ptr<const ModuleLock> lock)
    : m_info(info), m_lock(std::move(lock)), m_handoff(std::make_shared<ReportHandoff>())
{
    if (readHandle && writeHandle) {
        m_readHandle = std::move(readHandle);
        m_writeChannel = std::make_shared<HidWriteChannel>(std::move(writeHandle), m_lock);
        m_lengths = m_readHandle->reportLengths();
    }
}

HidDevice::~HidDevice()
{
    stopReader();
    m_readHandle.reset();
    if (m_writeChannel)
        m_writeChannel->released = true; // a write already under way finishes; no other starts
}

QString HidDevice::displayName(const HidDeviceInfo &info)
{
    if (!info.productString.isEmpty())
        return info.productString;
    return QString::asprintf("Device VID=%04X PID=%04X", info.vendorId, info.productId);
}

QString HidDevice::displayName() const
{
    return displayName(m_info);
}

void HidDevice::setReportHandler(ReportHandler handler)
{
    ++m_handlerGeneration; // reports already on their way to the old handler are dropped
    m_handler = handler ? std::make_shared<ReportHandler>(std::move(handler)) : nullptr;
    if (!m_handler)
        stopReader();
    else if (!m_reader.joinable() && m_pluggedIn && hasReadWriteAccess())
        startReader();
}

void HidDevice::startReader()
{
    {
        std::lock_guard lock(m_handoff->mutex);
        m_handoff->stop = false;
    }
    m_reader = std::thread([this] { readLoop(); });
}

void HidDevice::stopReader()
{
    if (!m_reader.joinable())
        return;
    {
        std::lock_guard lock(m_handoff->mutex);
        m_handoff->stop = true;
        m_handoff->pending.reset();
    }
    m_handoff->changed.notify_all();
    m_reader.join();
}

void HidDevice::readLoop()
{
    const std::shared_ptr<ReportHandoff> handoff = m_handoff;
    HidHandle *const handle = m_readHandle.get(); // outlives this thread
    const bool numbered = m_lengths.numbered;
    const int length = m_lengths.input > 0 ? m_lengths.input : FallbackReportLength;
    std::vector<std::uint8_t> buffer(std::size_t(length), 0);
    bool failureReported = false;

    auto stopRequested = [&] {
        std::lock_guard lock(handoff->mutex);
        return handoff->stop;
    };
    while (!stopRequested()) {
        std::fill(buffer.begin(), buffer.end(), 0);
        const int n = handle->read(buffer.data(), buffer.size(), ReadSliceMs);
        if (n < 0) {
            // Gone: say so once, then wait out a slice at a time instead of
            // spinning until the device is released.
            if (!failureReported) {
                failureReported = true;
                // By name, not a lambda: the call then carries no data of ours
                // across Qt's queue, which the thread sanitizer cannot see into.
                QMetaObject::invokeMethod(this, "readFailed", Qt::QueuedConnection);
            }
            std::unique_lock lock(handoff->mutex);
            handoff->changed.wait_for(lock, std::chrono::milliseconds(ReadSliceMs),
                                      [&] { return handoff->stop; });
            continue;
        }
        if (n == 0)
            continue;
        const auto *bytes = reinterpret_cast<const char *>(buffer.data());
        const quint8 reportId = numbered ? buffer[0] : 0;
        const QByteArray payload = numbered ? QByteArray(bytes + 1, n - 1) : QByteArray(bytes, n);

        // A blocking queued call would deadlock when the GUI thread stops
        // this reader while the reader waits for it; so wait here for either.
        std::unique_lock lock(handoff->mutex);
        if (handoff->stop)
            return;
        handoff->pending = ReportHandoff::Pending{m_handlerGeneration.load(), reportId, payload};
        handoff->inFlight = true;
        QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection); // the report waits in the handoff
        handoff->changed.wait(lock, [&] { return !handoff->inFlight || handoff->stop; });
    }
}

void HidDevice::deliver()
{
    const std::shared_ptr<ReportHandoff> handoff = m_handoff;
    std::optional<ReportHandoff::Pending> report;
    {
        std::lock_guard lock(handoff->mutex);
        report.swap(handoff->pending);
    }
    // The reader goes on once the handler has returned, even if it throws.
    // Nothing below touches this device after the call: the handler may
    // have released it.
    struct Done {
        std::shared_ptr<ReportHandoff> handoff;
        ~Done()
        {
            {
                std::lock_guard lock(handoff->mutex);
                handoff->inFlight = false;
            }
            handoff->changed.notify_all();
        }
    } done{handoff};
    if (!report || report->generation != m_handlerGeneration)
        return;
    const std::shared_ptr<ReportHandler> handler = m_handler;
    if (handler)
        (*handler)(this, report->reportId, report->payload);
}
