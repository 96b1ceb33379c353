#include "hiddevice.h"

#include <QMetaObject>

#include <vector>

namespace {
// The longest report a device without a readable descriptor may send.
constexpr int FallbackReportLength = 257;

} // namespace

HidDevice::HidDevice(const HidDeviceInfo &info, std::unique_ptr<HidHandle> handle)
    : m_info(info), m_handle(std::move(handle))
{
    if (m_handle)
        m_lengths = m_handle->reportLengths();
}

HidDevice::~HidDevice()
{
    stopReader();
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
    m_handler = std::move(handler);
    if (!m_handler)
        stopReader();
    else if (!m_reader.joinable() && m_pluggedIn && hasReadWriteAccess())
        startReader();
}

bool HidDevice::writeReport(const QByteArray &report)
{
    if (!m_handle || report.isEmpty())
        return false;
    const auto *data = reinterpret_cast<const std::uint8_t *>(report.constData());
    return m_handle->write(data, std::size_t(report.size())) == report.size();
}

void HidDevice::startReader()
{
    m_stopReading = false;
    m_reader = std::thread([this] { readLoop(); });
}

void HidDevice::stopReader()
{
    if (!m_reader.joinable())
        return;
    m_stopReading = true;
    m_reader.join();
}

void HidDevice::readLoop()
{
    const int length = m_lengths.input > 0 ? m_lengths.input : FallbackReportLength;
    std::vector<std::uint8_t> buffer(std::size_t(length), 0);
    while (!m_stopReading) {
        std::fill(buffer.begin(), buffer.end(), 0);
        int n = m_handle->read(buffer.data(), buffer.size(), ReadSliceMs);
        if (n < 0) {
            // The device is gone or failing: wait one slice instead of spinning
            // until the next device change releases it.
            for (int waited = 0; waited < ReadSliceMs && !m_stopReading; waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (n == 0)
            continue;
        const auto *bytes = reinterpret_cast<const char *>(buffer.data());
        if (m_lengths.numbered) {
            if (!deliver(buffer[0], QByteArray(bytes + 1, n - 1)))
                return;
        } else if (!deliver(0, QByteArray(bytes, n))) {
            return;
        }
    }
}

bool HidDevice::deliver(quint8 reportId, const QByteArray &payload)
{
    // A blocking queued call would deadlock when the GUI thread stops this
    // reader while the reader waits for it; so wait here, checking the stop
    // request. A call still queued when the device goes is dropped by Qt
    // together with this object.
    std::unique_lock lock(m_handoffMutex);
    m_pending = Pending{m_handlerGeneration.load(), reportId, payload};
    m_inFlight = true;
    QMetaObject::invokeMethod(this, "deliverPending", Qt::QueuedConnection);
    while (m_inFlight) {
        if (m_stopReading) {
            m_pending.reset();
            m_inFlight = false;
            return false;
        }
        m_handoffDone.wait_for(lock, std::chrono::milliseconds(10));
    }
    return true;
}

void HidDevice::deliverPending()
{
    std::optional<Pending> report;
    {
        std::lock_guard lock(m_handoffMutex);
        report.swap(m_pending);
    }
    // The reader goes on only after the handler has returned, even if it throws.
    struct Done {
        HidDevice *device;
        ~Done()
        {
            {
                std::lock_guard lock(device->m_handoffMutex);
                device->m_inFlight = false;
            }
            device->m_handoffDone.notify_all();
        }
    } done{this};
    if (report && report->generation == m_handlerGeneration && m_handler)
        m_handler(this, report->reportId, report->payload);
}
