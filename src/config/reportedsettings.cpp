#include "reportedsettings.h"

#include "deviceprotocol.h"

ReportedSettings::ReportedSettings(const DeviceProtocol &protocol, QObject *parent)
    : QObject(parent), m_protocol(protocol)
{
    connect(&protocol, &DeviceProtocol::identified, this, [this] {
        m_identified = true;
        m_sensors.reset();
        m_io.reset();
    });
    connect(&protocol, &DeviceProtocol::sensorSettingsReceived, this,
            [this](const TensSettings &settings) { m_sensors = settings; });
    connect(&protocol, &DeviceProtocol::ioSettingsReceived, this,
            [this](const OtherSettings &settings) { m_io = settings; });
}

const DeviceInfoReport &ReportedSettings::info() const
{
    return m_protocol.deviceInfo();
}

std::optional<ModuleSettings> ReportedSettings::all() const
{
    if (!m_identified || !m_sensors || !m_io)
        return std::nullopt;
    return ModuleSettings{info(), *m_sensors, *m_io};
}
