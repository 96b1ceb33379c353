#pragma once

#include "connectionstate.h"
#include "hidbackend.h"
#include "hidcontroller.h"
#include "hiddevice.h"
#include "identityprobe.h"
#include "modulechoice.h"
#include "reportwriter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QStringList>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// The connection to the module: finds it among the HID devices by its
// product string "KLV57" (only those are opened), drives one of them as the
// module choice says, rebuilds the connection at every device change,
// reports the connection state as data, and owns `Connected`,
// `CurrentDevice` and every report write. It asks the modules it does not
// drive who they are, once per plug-in, when a choice by identification
// needs it or, for a chooser, when told to name every module. Writes only queue: one writer thread sends them in order, so
// the GUI thread never waits on the module. A device being released takes no
// further write; one already under way finishes on its own handle.
class DeviceLink : public QObject
{
    Q_OBJECT
public:
    static inline const QString ModuleProductString = QStringLiteral("KLV57");
    // The one rule that tells the module from other HID devices.
    static bool isModule(const HidDeviceInfo &info);

    explicit DeviceLink(HidBackend *backend, QObject *parent = nullptr);
    ~DeviceLink() override;

    // GUI thread.
    void onDeviceListChanged();
    bool addListedDevice(const HidDeviceInfo &info, int index);
    // Releases every device and stops every read thread; for shutdown.
    void releaseAll();
    // The device list: one display name per enumerated device.
    QStringList deviceList() const;
    // Which module to drive; a change takes effect at once, the start-up
    // exchange running for the module now driven.
    void setChoice(const ModuleChoice &choice);
    const ModuleChoice &choice() const { return m_choice; }
    // The modules of the last listing, in listing order.
    const std::vector<ListedModule> &modules() const { return m_modules; }
    // The driven one; null while none is.
    const ListedModule *drivenModule() const;
    // The driven module's identity, as the protocol read it.
    void setDrivenIdentity(const DeviceInfoReport &identity);
    // With more than one module present, ask each who it is and watch
    // those another program holds, so that a chooser can name them all.
    // Off for the window-less modes: a module being asked is held for a
    // moment, and a program starting just then would find it taken.
    void setNamingEveryModule(bool naming);

    // Why the module tried first could not be opened; none while connected
    // or with no module present.
    const HidOpenProblem &accessProblem() const { return m_accessProblem; }
    // The state last reported; NoDevice before the first search.
    const ConnectionState &connectionState() const { return m_state; }

    // Any thread; never blocks on the device.
    bool isConnected() const { return m_connected; }
    // Queues one command report carrying `payload` for CurrentDevice, at the
    // device's output report length; nothing when not connected or when the
    // length is unknown. The outcome is not reported. A `repeatable` report
    // (the poll) is skipped while the one before it still waits.
    void writeCommandReport(const QByteArray &payload, bool repeatable = false);
    // Reports queued or being written (tests and benchmarks).
    int pendingWrites() const { return m_writer.pending(); }

signals:
    // Every step of a search for the module, repeats included: each listed
    // device first counts as Disconnected, then the module decides (GUI
    // thread). On Connected the protocol asks for the device information.
    void connectionStateChanged(const ConnectionState &state);
    // After each search for the module, when accessProblem() changed (GUI thread).
    void accessProblemChanged(const HidOpenProblem &problem);
    // Every input report of an attached module, in arrival order (GUI thread).
    void deviceReport(quint8 reportId, const QByteArray &payload);
    // modules() changed: a listing, a module that said who it is (GUI thread).
    void modulesChanged();

private:
    void driveChosenModule(const QString &lastNode);
    bool drive(ListedModule &module, HidOpenProblem &problem);
    void askOtherModules();
    // A module that did not open: held by another program, or not to be
    // asked again until it is plugged in anew.
    static void noteRefusal(ListedModule &module, const HidOpenProblem &problem);
    void onProbeDone(IdentityProbe *probe, const std::optional<DeviceInfoReport> &identity);
    void forgetIdentities(const QStringList &nodes);
    void setConnection(bool connected, HidDevice *current);
    void reportState(ConnectionState::Kind kind, const HidOpenProblem &problem = {});
    void setAccessProblem(const HidOpenProblem &problem);
    // A read or write failed as gone: drop the device and list again.
    void deviceFailed(HidDevice *device);
    Q_INVOKABLE void handleWriteFailures();

    // What a module said when asked, by node, until the node goes.
    struct KnownIdentity {
        std::optional<DeviceInfoReport> identity; // none: it did not answer
    };

    static constexpr qint64 GoneRebuildMs = 500;

    HidController m_controller;
    QStringList m_deviceTexts;           // GUI thread only, as the rest below
    std::unique_ptr<HidDevice> m_driven; // the module driven, checked out
    std::vector<ListedModule> m_modules;
    std::map<QString, KnownIdentity> m_known;
    std::vector<std::unique_ptr<IdentityProbe>> m_probes;
    ModuleChoice m_choice;
    QString m_drivenNode;
    bool m_listed = false;
    bool m_awaitingIdentities = false;
    bool m_namingEveryModule = false;
    QStringList m_goneNodes;             // failed as gone, not yet forgotten
    QTimer m_goneRebuild;
    QElapsedTimer m_sinceGoneRebuild;
    HidOpenProblem m_accessProblem;       // GUI thread only
    ConnectionState m_state;              // GUI thread only

    std::atomic<bool> m_connected{false};
    // What the poll thread needs of CurrentDevice; never held during a write.
    mutable std::mutex m_targetMutex;
    std::shared_ptr<HidWriteChannel> m_target;
    int m_targetLength = 0;

    std::mutex m_failedMutex; // writer thread -> GUI thread
    std::vector<std::weak_ptr<HidWriteChannel>> m_failedChannels;

    // Probes write on a thread of their own: a stalled module that is only
    // being asked who it is must not hold up the driven one's polls.
    ReportWriter m_probeWriter;
    ReportWriter m_writer; // last: its thread ends before the rest goes
};
