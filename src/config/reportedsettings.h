#pragma once

#include "modulesettingsfile.h"

#include <optional>

class ModuleSession;

// The settings the session's module reported last, with the identity they
// came from: what the settings file saves and what a sensor calibration
// changes. A view: the session keeps them. GUI thread only.
class ReportedSettings
{
public:
    explicit ReportedSettings(const ModuleSession &session) : m_session(session) {}

    bool identified() const;
    const DeviceInfoReport &info() const;
    const std::optional<TensSettings> &sensors() const;
    // Both records and the identity; none until all three have arrived.
    std::optional<ModuleSettings> all() const;

private:
    const ModuleSession &m_session;
};
