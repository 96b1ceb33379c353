#include "simulatedbackend.h"

#include "simulatedmodule.h"

#include <QMetaObject>

#include <utility>

namespace {

class SimHandle : public HidHandle
{
public:
    explicit SimHandle(std::shared_ptr<SimDevice> device) : m_device(std::move(device)) {}

    HidReportLengths reportLengths() override { return m_device->reportLengths(); }
    int write(const std::uint8_t *data, std::size_t length) override
    {
        return m_device->write(data, length);
    }
    int read(std::uint8_t *buffer, std::size_t length, int timeoutMs) override
    {
        return m_device->read(buffer, length, timeoutMs);
    }

private:
    std::shared_ptr<SimDevice> m_device;
};

} // namespace

SimulatedBackend::SimulatedBackend(QObject *parent) : HidBackend(parent) {}

std::shared_ptr<SimDevice> SimulatedBackend::keyboard()
{
    return std::make_shared<SimDevice>(
        HidDeviceInfo{QStringLiteral("sim:keyboard"), 0x046D, 0xC31C, QStringLiteral("USB Keyboard")});
}

std::shared_ptr<SimDevice> SimulatedBackend::mouse()
{
    return std::make_shared<SimDevice>(
        HidDeviceInfo{QStringLiteral("sim:mouse"), 0x046D, 0xC077, QStringLiteral("USB Optical Mouse")});
}

std::shared_ptr<SimulatedModule> SimulatedBackend::numberedModule(int number)
{
    auto module = std::make_shared<SimulatedModule>(
        number == 1 ? QStringLiteral("sim:klv57") : QStringLiteral("sim:klv57-%1").arg(number));
    module->setSerialNumber(QStringLiteral("SIM-%1").arg(number, 4, 10, QLatin1Char('0')));
    if (number != 1)
        module->setIdentification(QByteArrayLiteral("KLV57 simulator ") + QByteArray::number(number));
    module->setLoadScale(float(number));
    return module;
}

std::unique_ptr<SimulatedBackend> SimulatedBackend::withModule(int modules)
{
    auto backend = std::make_unique<SimulatedBackend>();
    backend->add(keyboard());
    backend->add(mouse());
    for (int number = 1; number <= modules; ++number)
        backend->add(numberedModule(number));
    return backend;
}

std::vector<HidDeviceInfo> SimulatedBackend::enumerate()
{
    std::vector<HidDeviceInfo> list;
    for (const auto &device : m_devices)
        list.push_back(device->info());
    return list;
}

int SimulatedBackend::openAttempts(const QString &path) const
{
    const auto found = m_openAttempts.find(path);
    return found == m_openAttempts.end() ? 0 : found->second;
}

std::unique_ptr<HidHandle> SimulatedBackend::open(const QString &path)
{
    ++m_openAttempts[path];
    std::shared_ptr<SimDevice> found = device(path);
    if (!found || !found->isOpenable())
        return nullptr;
    return std::make_unique<SimHandle>(found);
}

HidOpenProblem SimulatedBackend::openProblem(const QString &path)
{
    const std::shared_ptr<SimDevice> found = device(path);
    if (!found || !found->isPermissionDenied())
        return {};
    return HidOpenProblem::noPermission(path);
}

std::shared_ptr<SimDevice> SimulatedBackend::device(const QString &path) const
{
    for (const auto &device : m_devices)
        if (device->info().path == path)
            return device;
    return nullptr;
}

void SimulatedBackend::add(std::shared_ptr<SimDevice> device)
{
    device->setPluggedIn(true);
    m_devices.push_back(std::move(device));
}

void SimulatedBackend::plug(std::shared_ptr<SimDevice> device)
{
    add(std::move(device));
    notifyLater();
}

void SimulatedBackend::unplug(const QString &path)
{
    for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
        if ((*it)->info().path == path) {
            (*it)->setPluggedIn(false);
            m_devices.erase(it);
            m_removedPaths << path;
            notifyLater();
            return;
        }
    }
}

void SimulatedBackend::notifyLater()
{
    if (m_notifyPending)
        return;
    m_notifyPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_notifyPending = false;
            emit devicesChanged(std::exchange(m_removedPaths, {}));
        },
        Qt::QueuedConnection);
}
