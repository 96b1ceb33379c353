#pragma once

#include "deviceinforeport.h"
#include "hiddevice.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class ReportWriter;

// Asks one checked-out module that the program does not drive who it is,
// without waiting on it: its answer, its deadline or a failed read ends
// the probe, once. GUI thread only.
class IdentityProbe : public QObject
{
    Q_OBJECT
public:
    // May release the probe's device and delete the probe later.
    using Done = std::function<void(IdentityProbe *probe, const std::optional<DeviceInfoReport> &identity)>;

    IdentityProbe(std::unique_ptr<HidDevice> device, ReportWriter &writer, Done done,
                  QObject *parent = nullptr);

    QString node() const { return m_device ? m_device->info().path : QString(); }
    // The device, for its check-in; the probe is over.
    std::unique_ptr<HidDevice> takeDevice();

private:
    void finish(const std::optional<DeviceInfoReport> &identity);

    std::unique_ptr<HidDevice> m_device;
    Done m_done;
    QTimer m_deadline;
    bool m_finished = false;
};
