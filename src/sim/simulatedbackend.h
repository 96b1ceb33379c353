#pragma once

#include "hidbackend.h"
#include "simdevice.h"

#include <map>
#include <memory>
#include <vector>

class SimulatedModule;

// HID devices that exist only in this process: the simulated module and
// whatever other devices a test plugs in. Plugging and unplugging raise
// devicesChanged() from the event loop, as the system's monitor would; an
// unplug and a plug before the event loop runs come as one notification
// that names the removed node, as several queued udev events would.
class SimulatedBackend : public HidBackend
{
    Q_OBJECT
public:
    explicit SimulatedBackend(QObject *parent = nullptr);

    static constexpr int MaxModules = 8;

    // A keyboard, a mouse and `modules` modules (1..MaxModules): what
    // --simulate runs against.
    static std::unique_ptr<SimulatedBackend> withModule(int modules = 1);
    // Module `number` (1..): sim:klv57, sim:klv57-2, ...; serial number
    // SIM-0001, ...; identification "KLV57 simulator", "KLV57 simulator 2",
    // ...; loads scaled by its number.
    static std::shared_ptr<SimulatedModule> numberedModule(int number);
    static std::shared_ptr<SimDevice> keyboard();
    static std::shared_ptr<SimDevice> mouse();

    std::vector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidHandle> open(const QString &path) override;
    // Tests: how often open() was asked for this path, successful or not.
    int openAttempts(const QString &path) const;
    // The node named is the device's path.
    HidOpenProblem openProblem(const QString &path) override;

    // GUI thread. add() sets up what is present from the start; plug() and
    // unplug() change it while the program runs.
    void add(std::shared_ptr<SimDevice> device);
    void plug(std::shared_ptr<SimDevice> device);
    void unplug(const QString &path);
    std::shared_ptr<SimDevice> device(const QString &path) const;

private:
    std::map<QString, int> m_openAttempts; // GUI thread
    void notifyLater();

    std::vector<std::shared_ptr<SimDevice>> m_devices;
    bool m_notifyPending = false;
    QStringList m_removedPaths; // since the last notification
};
