#include "devicelink.h"

#include "commandreport.h"

#include <QMetaObject>

#include <algorithm>
#include <utility>

DeviceLink::DeviceLink(HidBackend *backend, QObject *parent)
    : QObject(parent), m_controller(backend),
      m_writer([this](const std::shared_ptr<HidWriteChannel> &channel) {
          {
              std::lock_guard lock(m_failedMutex);
              m_failedChannels.push_back(channel);
          }
          // By name: nothing of ours crosses Qt's queue unseen by the thread sanitizer.
          QMetaObject::invokeMethod(this, "handleWriteFailures", Qt::QueuedConnection);
      })
{
    m_controller.setExclusive(&DeviceLink::isModule); // one program per module
    connect(&m_controller, &HidController::deviceChange, this,
            &DeviceLink::onDeviceListChanged);
    m_goneRebuild.setSingleShot(true);
    connect(&m_goneRebuild, &QTimer::timeout, this, [this] {
        m_sinceGoneRebuild.start();
        m_controller.nodesRemoved(std::exchange(m_goneNodes, {}));
    });
}

DeviceLink::~DeviceLink()
{
    releaseAll();
}

void DeviceLink::releaseAll()
{
    for (ListEntry &entry : m_list) {
        if (m_currentDevice && m_currentDevice == entry.device.get()) {
            m_currentDevice = nullptr;
            std::lock_guard lock(m_targetMutex);
            m_target.reset();
        }
        m_controller.checkIn(std::move(entry.device));
    }
    m_list.clear();
}

void DeviceLink::deviceFailed(HidDevice *device)
{
    if (!m_goneNodes.contains(device->info().path))
        m_goneNodes << device->info().path;
    if (m_goneRebuild.isActive())
        return;
    // At most one such rebuild per interval: a device that fails again as
    // soon as it is opened must not keep the GUI thread busy.
    const qint64 since = m_sinceGoneRebuild.isValid() ? m_sinceGoneRebuild.elapsed() : GoneRebuildMs;
    m_goneRebuild.start(int(std::max<qint64>(0, GoneRebuildMs - since)));
}

void DeviceLink::handleWriteFailures()
{
    std::vector<std::weak_ptr<HidWriteChannel>> failures;
    {
        std::lock_guard lock(m_failedMutex);
        failures.swap(m_failedChannels);
    }
    for (const auto &channel : failures) {
        const std::shared_ptr<HidWriteChannel> failed = channel.lock();
        for (const ListEntry &entry : m_list)
            if (failed && entry.device && entry.device->writeChannel() == failed)
                deviceFailed(entry.device.get());
    }
}

bool DeviceLink::isModule(const HidDeviceInfo &info)
{
    return HidDevice::displayName(info) == ModuleProductString;
}

void DeviceLink::onDeviceListChanged()
{
    releaseAll();
    m_controller.enumerate([this](const HidDeviceInfo &info, int index) {
        return addListedDevice(info, index);
    });
    if (m_list.empty()) {
        reportState(ConnectionState::Kind::NoDevice);
        setConnection(false, nullptr);
        setAccessProblem({});
        return;
    }
    // Every matching entry in turn, no early exit: the last one wins.
    HidOpenProblem problem;
    for (ListEntry &entry : m_list) {
        if (!entry.module || !entry.device)
            continue;
        HidDevice *device = entry.device.get();
        if (device->hasReadWriteAccess()) {
            problem = {};
            device->setReportHandler([this](HidDevice *, quint8 reportId, const QByteArray &payload) {
                emit deviceReport(reportId, payload);
            });
            setConnection(true, device);
            reportState(ConnectionState::Kind::Connected);
        } else {
            problem = device->openProblem();
            device->setReportHandler(nullptr);
            setConnection(false, device);
            reportState(ConnectionState::Kind::NoDevice, problem);
        }
    }
    setAccessProblem(problem);
}

void DeviceLink::setAccessProblem(const HidOpenProblem &problem)
{
    if (problem == m_accessProblem)
        return;
    m_accessProblem = problem;
    emit accessProblemChanged(m_accessProblem);
}

bool DeviceLink::addListedDevice(const HidDeviceInfo &info, int index)
{
    // Only what may be the module is opened: keyboards, mice and security
    // keys are listed from the enumeration alone.
    const bool module = isModule(info);
    m_list.push_back({HidDevice::displayName(info), module, module ? m_controller.checkOut(index) : nullptr});
    if (HidDevice *device = m_list.back().device.get())
        connect(device, &HidDevice::readFailed, this, [this, device] { deviceFailed(device); });
    reportState(ConnectionState::Kind::Disconnected);
    setConnection(false, m_currentDevice);
    return true;
}

void DeviceLink::reportState(ConnectionState::Kind kind, const HidOpenProblem &problem)
{
    m_state = {kind, problem};
    emit connectionStateChanged(m_state);
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
    m_currentDevice = current;
    {
        std::lock_guard lock(m_targetMutex);
        m_target = current ? current->writeChannel() : nullptr;
        m_targetLength = current ? current->outputReportLength() : 0;
    }
    m_connected = connected;
}

void DeviceLink::writeCommandReport(const QByteArray &payload, bool repeatable)
{
    if (!m_connected)
        return;
    std::shared_ptr<HidWriteChannel> target;
    int length = 0;
    {
        std::lock_guard lock(m_targetMutex);
        target = m_target;
        length = m_targetLength;
    }
    if (target)
        m_writer.queue(std::move(target), buildCommandReport(payload, length), repeatable);
}
