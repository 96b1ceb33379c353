#include "devicelink.h"

#include "commandreport.h"
#include "messagetable.h"

DeviceLink::DeviceLink(HidBackend *backend, QObject *parent)
    : QObject(parent), m_controller(backend)
{
    connect(&m_controller, &HidController::deviceChange, this,
            &DeviceLink::JvHidDeviceController1DeviceChange);
}

DeviceLink::~DeviceLink()
{
    releaseAll();
}

void DeviceLink::releaseAll()
{
    for (ListEntry &entry : m_list) {
        std::lock_guard lock(m_writeMutex);
        if (m_currentDevice == entry.device.get())
            m_currentDevice = nullptr;
        m_controller.checkIn(std::move(entry.device));
    }
    m_list.clear();
}

void DeviceLink::JvHidDeviceController1DeviceChange()
{
    releaseAll();
    m_controller.enumerate([this](const HidDeviceInfo &info, int index) {
        return JvHidDeviceController1Enumerate(info, index);
    });
    if (m_list.empty()) {
        ShowNoConnection();
        setConnection(false, nullptr);
        return;
    }
    // Every matching entry in turn, no early exit: the last one wins.
    for (ListEntry &entry : m_list) {
        if (entry.text != ModuleProductString || !entry.device)
            continue;
        HidDevice *device = entry.device.get();
        if (device->hasReadWriteAccess()) {
            device->setReportHandler([this](HidDevice *, quint8 reportId, const QByteArray &payload) {
                emit deviceReport(reportId, payload);
            });
            setConnection(true, device);
            ShowConnected();
        } else {
            device->setReportHandler(nullptr);
            setConnection(false, device);
            ShowNoConnection();
        }
    }
}

bool DeviceLink::JvHidDeviceController1Enumerate(const HidDeviceInfo &info, int index)
{
    m_list.push_back({HidDevice::displayName(info), m_controller.checkOut(index)});
    ShowDisconnected();
    setConnection(false, m_currentDevice);
    return true;
}

void DeviceLink::ShowConnected()
{
    emit connectionStatusChanged(GetTextOrDefault(QStringLiteral("IDS_44")), true);
    emit connectedShown();
}

void DeviceLink::ShowNoConnection()
{
    emit connectionStatusChanged(GetTextOrDefault(QStringLiteral("IDS_45")), false);
    emit connectionLostShown();
}

void DeviceLink::ShowDisconnected()
{
    emit connectionStatusChanged(GetTextOrDefault(QStringLiteral("IDS_46")), false);
    emit connectionLostShown();
}

QStringList DeviceLink::deviceList() const
{
    QStringList texts;
    for (const ListEntry &entry : m_list)
        texts << entry.text;
    return texts;
}

void DeviceLink::setConnection(bool connected, HidDevice *current)
{
    std::lock_guard lock(m_writeMutex);
    m_connected = connected;
    m_currentDevice = current;
}

bool DeviceLink::isConnected() const
{
    std::lock_guard lock(m_writeMutex);
    return m_connected;
}

void DeviceLink::writeCommandReport(const QByteArray &payload)
{
    std::lock_guard lock(m_writeMutex);
    if (!m_connected || !m_currentDevice)
        return;
    const QByteArray report = buildCommandReport(payload, m_currentDevice->outputReportLength());
    if (!report.isEmpty())
        m_currentDevice->writeReport(report); // fire and forget
}
