#include "reportedsettings.h"

#include "modulesession.h"

bool ReportedSettings::identified() const
{
    return m_session.identified();
}

const DeviceInfoReport &ReportedSettings::info() const
{
    return m_session.identity();
}

const std::optional<TensSettings> &ReportedSettings::sensors() const
{
    return m_session.reportedSensorSettings();
}

std::optional<ModuleSettings> ReportedSettings::all() const
{
    const std::optional<OtherSettings> &io = m_session.reportedIoSettings();
    if (!identified() || !sensors() || !io)
        return std::nullopt;
    return ModuleSettings{info(), *sensors(), *io};
}
