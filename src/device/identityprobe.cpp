#include "identityprobe.h"

#include "identityquery.h"
#include "reportwriter.h"

IdentityProbe::IdentityProbe(std::unique_ptr<HidDevice> device, ReportWriter &writer, Done done,
                             QObject *parent)
    : QObject(parent), m_device(std::move(device)), m_done(std::move(done))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(std::nullopt); });
    connect(m_device.get(), &HidDevice::readFailed, this, [this] { finish(std::nullopt); });
    m_device->setReportHandler([this](HidDevice *, quint8, const QByteArray &payload) {
        if (const std::optional<DeviceInfoReport> identity = IdentityQuery::answer(payload))
            finish(identity);
    });
    const QByteArray query = IdentityQuery::report(m_device->outputReportLength());
    if (query.isEmpty() || !m_device->writeChannel()) {
        QMetaObject::invokeMethod(this, [this] { finish(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    writer.queue(m_device->writeChannel(), query);
    m_deadline.start(IdentityQuery::AnswerDeadlineMs);
}

std::unique_ptr<HidDevice> IdentityProbe::takeDevice()
{
    m_finished = true;
    m_deadline.stop();
    if (m_device)
        m_device->setReportHandler(nullptr);
    return std::move(m_device);
}

void IdentityProbe::finish(const std::optional<DeviceInfoReport> &identity)
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    m_done(this, identity);
}
