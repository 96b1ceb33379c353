#pragma once

#include "modulesettingsfile.h"

#include <QObject>

#include <optional>

class DeviceProtocol;

// The settings the module reported last, with the identity they came from:
// what the settings file saves and what a sensor calibration changes. A new
// identity forgets the settings of the module before. GUI thread only.
class ReportedSettings : public QObject
{
    Q_OBJECT
public:
    explicit ReportedSettings(const DeviceProtocol &protocol, QObject *parent = nullptr);

    bool identified() const { return m_identified; }
    const DeviceInfoReport &info() const;
    const std::optional<TensSettings> &sensors() const { return m_sensors; }
    // Both records and the identity; none until all three have arrived.
    std::optional<ModuleSettings> all() const;

private:
    const DeviceProtocol &m_protocol;
    bool m_identified = false;
    std::optional<TensSettings> m_sensors;
    std::optional<OtherSettings> m_io;
};
