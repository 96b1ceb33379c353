#include "devicelink.h"

#include "commandreport.h"

#include <QMetaObject>

#include <algorithm>
#include <utility>

DeviceLink::DeviceLink(HidBackend *backend, QObject *parent)
    : QObject(parent), m_controller(backend),
      m_probeWriter([](const std::shared_ptr<HidWriteChannel> &) {}), // a probe's deadline tells
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
    connect(&m_controller, &HidController::nodesForgotten, this, &DeviceLink::forgetIdentities);
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
    for (std::unique_ptr<IdentityProbe> &probe : m_probes)
        m_controller.checkIn(probe->takeDevice());
    m_probes.clear();
    if (m_driven) {
        {
            std::lock_guard lock(m_targetMutex);
            m_target.reset();
        }
        m_controller.checkIn(std::move(m_driven));
    }
    m_deviceTexts.clear();
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
        if (failed && m_driven && m_driven->writeChannel() == failed)
            deviceFailed(m_driven.get());
    }
}

bool DeviceLink::isModule(const HidDeviceInfo &info)
{
    return HidDevice::displayName(info) == ModuleProductString;
}

void DeviceLink::onDeviceListChanged()
{
    m_listed = true;
    const QString lastNode = std::exchange(m_drivenNode, {});
    releaseAll();
    m_modules.clear();
    m_controller.enumerate([this](const HidDeviceInfo &info, int index) {
        return addListedDevice(info, index);
    });
    if (m_deviceTexts.empty()) {
        reportState(ConnectionState::Kind::NoDevice);
        setConnection(false, nullptr);
        setAccessProblem({});
        emit modulesChanged();
        return;
    }
    driveChosenModule(lastNode);
    askOtherModules();
    emit modulesChanged();
}

void DeviceLink::driveChosenModule(const QString &lastNode)
{
    const ModuleTryOrder tried = moduleTryOrder(m_modules, m_choice, lastNode);
    m_awaitingIdentities = tried.awaitingIdentities;
    HidOpenProblem problem;
    bool anyTried = false;
    for (int i : tried.order) {
        HidOpenProblem refusal;
        if (drive(m_modules[std::size_t(i)], refusal)) {
            setAccessProblem({});
            return;
        }
        if (!anyTried)
            problem = refusal;
        anyTried = true;
    }
    // A module is present but does not open: why, for the first one tried.
    if (anyTried)
        reportState(ConnectionState::Kind::NoDevice, problem);
    setAccessProblem(problem);
}

bool DeviceLink::drive(ListedModule &module, HidOpenProblem &problem)
{
    std::unique_ptr<HidDevice> device = m_controller.checkOut(module.index);
    if (!device)
        return false;
    if (!device->hasReadWriteAccess()) {
        problem = device->openProblem();
        noteRefusal(module, problem);
        m_controller.checkIn(std::move(device));
        return false;
    }
    HidDevice *driven = device.get();
    connect(driven, &HidDevice::readFailed, this, [this, driven] { deviceFailed(driven); });
    driven->setReportHandler([this](HidDevice *, quint8 reportId, const QByteArray &payload) {
        emit deviceReport(reportId, payload);
    });
    m_driven = std::move(device);
    module.driven = true;
    m_drivenNode = module.info.path;
    setConnection(true, driven);
    reportState(ConnectionState::Kind::Connected);
    return true;
}

// The chooser names every module by what it answers; one that cannot be
// asked (held elsewhere, no permission) is named by its node. A check-out of
// one held elsewhere opens nothing, but has the controller watch for its
// release, so that the chooser's mark does not outlive the other program.
void DeviceLink::askOtherModules()
{
    if (!m_awaitingIdentities && !(m_namingEveryModule && m_modules.size() > 1))
        return;
    for (ListedModule &module : m_modules) {
        if (module.driven || module.asked)
            continue;
        std::unique_ptr<HidDevice> device = m_controller.checkOut(module.index);
        if (device && device->hasReadWriteAccess()) {
            m_probes.push_back(std::make_unique<IdentityProbe>(
                std::move(device), m_probeWriter,
                [this](IdentityProbe *probe, const std::optional<DeviceInfoReport> &identity) {
                    onProbeDone(probe, identity);
                }));
            continue;
        }
        noteRefusal(module, device ? device->openProblem() : HidOpenProblem{});
        m_controller.checkIn(std::move(device));
    }
}

void DeviceLink::noteRefusal(ListedModule &module, const HidOpenProblem &problem)
{
    if (problem.kind == HidOpenProblem::Kind::InUse)
        module.heldElsewhere = LockHolder{problem.holderPid, problem.holderProgram};
    else
        module.asked = true; // it does not open; nothing to ask until it is plugged in again
}

void DeviceLink::onProbeDone(IdentityProbe *probe, const std::optional<DeviceInfoReport> &identity)
{
    const auto it = std::find_if(m_probes.begin(), m_probes.end(),
                                 [&](const auto &p) { return p.get() == probe; });
    if (it == m_probes.end())
        return;
    const QString node = probe->node();
    m_controller.checkIn(probe->takeDevice());
    IdentityProbe *done = it->release();
    done->setParent(this); // gone with the link if the event loop does not turn again
    done->deleteLater();   // may be inside its own handler
    m_probes.erase(it);
    m_known[node] = {identity};
    for (ListedModule &module : m_modules) {
        if (module.info.path != node)
            continue;
        module.asked = true;
        module.identity = identity;
    }
    if (m_awaitingIdentities && m_probes.empty()) {
        onDeviceListChanged(); // every module that can say who it is has
        return;
    }
    emit modulesChanged();
}

void DeviceLink::setNamingEveryModule(bool naming)
{
    m_namingEveryModule = naming;
    if (naming && m_listed)
        askOtherModules();
}

void DeviceLink::forgetIdentities(const QStringList &nodes)
{
    for (const QString &node : nodes)
        m_known.erase(node);
}

void DeviceLink::setChoice(const ModuleChoice &choice)
{
    if (choice == m_choice)
        return;
    m_choice = choice;
    if (m_listed)
        onDeviceListChanged();
}

const ListedModule *DeviceLink::drivenModule() const
{
    for (const ListedModule &module : m_modules)
        if (module.driven)
            return &module;
    return nullptr;
}

void DeviceLink::setDrivenIdentity(const DeviceInfoReport &identity)
{
    for (ListedModule &module : m_modules) {
        if (!module.driven)
            continue;
        module.identity = identity;
        module.asked = true;
        m_known[module.info.path] = {identity};
        emit modulesChanged();
    }
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
    // Only what may be the module is opened, and only the one driven and
    // those asked who they are: keyboards, mice and security keys are
    // listed from the enumeration alone.
    m_deviceTexts << HidDevice::displayName(info);
    if (isModule(info)) {
        ListedModule module;
        module.info = info;
        module.index = index;
        const std::optional<LockHolder> holder = ModuleLock::holder(info.path);
        if (holder && holder->pid != LockHolder::ofThisProcess().pid)
            module.heldElsewhere = holder;
        const auto known = m_known.find(info.path);
        if (known != m_known.end()) {
            module.asked = true;
            module.identity = known->second.identity;
        }
        m_modules.push_back(module);
    }
    reportState(ConnectionState::Kind::Disconnected);
    setConnection(false, nullptr);
    return true;
}

void DeviceLink::reportState(ConnectionState::Kind kind, const HidOpenProblem &problem)
{
    m_state = {kind, problem};
    emit connectionStateChanged(m_state);
}

QStringList DeviceLink::deviceList() const
{
    return m_deviceTexts;
}

void DeviceLink::setConnection(bool connected, HidDevice *current)
{
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
