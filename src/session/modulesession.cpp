#include "modulesession.h"

#include "protocolcodes.h"

#include <utility>

namespace {
constexpr const char *UnitSuffixes[] = {" N", " kN", " g", " kg", " F"};
constexpr int Units = int(sizeof UnitSuffixes / sizeof UnitSuffixes[0]);
constexpr int ActiveInputChoices = 4;
} // namespace

QString unitSuffix(int unitIndex)
{
    return unitIndex >= 0 && unitIndex < Units ? QString::fromLatin1(UnitSuffixes[unitIndex]) : QString();
}

ModuleSession::ModuleSession(HidBackend &backend, QObject *parent)
    : QObject(parent), m_link(&backend), m_protocol(&m_link),
      m_displayTick(m_link, m_protocol, m_display)
{
    // Before any page's own handlers: they find the display settings updated.
    connect(&m_protocol, &DeviceProtocol::identified, this, [this](const DeviceInfoReport &info) {
        m_link.setDrivenIdentity(info);
        m_identified = true;
        m_sensors.reset();
        m_io.reset();
    });
    connect(&m_protocol, &DeviceProtocol::sensorSettingsReceived, this, &ModuleSession::onSensorSettings);
    connect(&m_protocol, &DeviceProtocol::ioSettingsReceived, this,
            [this](const OtherSettings &settings) { m_io = settings; });
    connect(&m_protocol, &DeviceProtocol::sensorSettingsWritten, this, &ModuleSession::onSensorSettingsWritten);
    connect(&m_protocol, &DeviceProtocol::exchangeIdle, this, &ModuleSession::idle);
}

ModuleSession::~ModuleSession()
{
    shutDown();
}

void ModuleSession::shutDown()
{
    m_displayTick.stop();
    m_protocol.holdPolling(true);
    m_link.releaseAll();
}

void ModuleSession::writeSensorSettings(const TensSettings &settings)
{
    m_sensorWrite = settings;
    m_protocol.sendLongCommand(settings.encode(Code::WriteSensorSettings));
}

void ModuleSession::onSensorSettings(const TensSettings &settings)
{
    m_sensors = settings;
    for (int k = 0; k < 4; ++k)
        m_display.SensorRange[k] = quint32(settings.sensors[k].ratedCapacityN);
    // An index that names no choice keeps the one before, as the page's list does.
    if (settings.activeInputsIndex < ActiveInputChoices)
        m_display.ActiveInputs = settings.activeInputsIndex;
    setUnit(settings.unitIndex);
    emit displayChanged();
}

void ModuleSession::onSensorSettingsWritten()
{
    if (!m_sensorWrite)
        return;
    setUnit(std::exchange(m_sensorWrite, std::nullopt)->unitIndex);
    emit displayChanged();
}

void ModuleSession::setUnit(quint8 unitIndex)
{
    const QString suffix = unitSuffix(unitIndex);
    if (!suffix.isEmpty())
        m_display.UnitSuffix = suffix;
}

void ModuleSession::setDecimalPlaces(int decimalPlaces)
{
    if (m_display.decimalPlaces == decimalPlaces)
        return;
    m_display.decimalPlaces = decimalPlaces;
    emit displayChanged();
}

void ModuleSession::setChosen(DisplayChoice chosen)
{
    if (m_display.chosen == chosen)
        return;
    m_display.chosen = chosen;
    emit displayChanged();
}

void ModuleSession::setAnalogOutput(const QString &unitSuffix, float fullScale)
{
    if (m_display.AnalogUnitSuffix == unitSuffix && m_display.AnalogFullScale == fullScale)
        return;
    m_display.AnalogUnitSuffix = unitSuffix;
    m_display.AnalogFullScale = fullScale;
    emit displayChanged();
}

std::unique_ptr<ModuleSession> makeModuleSession(HidBackend &backend)
{
    return std::make_unique<ModuleSession>(backend);
}
