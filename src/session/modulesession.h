#pragma once

#include "devicelink.h"
#include "deviceprotocol.h"
#include "displaystate.h"
#include "livedisplaytick.h"

#include <QObject>

#include <array>
#include <memory>
#include <optional>

class HidBackend;

// One driven module: the link, the protocol with its exchange, the
// module's identity and last reported settings, the display settings every
// view of the live values shares, and the 50 ms display tick. Front ends
// (the window, --record, the soak, the bench, the test rigs) get one from
// makeModuleSession() and read and change it, never each other's widgets.
// Nothing global: several modules mean several sessions. GUI thread only.
class ModuleSession : public QObject
{
    Q_OBJECT
public:
    explicit ModuleSession(HidBackend &backend, QObject *parent = nullptr);
    ~ModuleSession() override; // shutDown() first

    DeviceLink &link() { return m_link; }
    const DeviceLink &link() const { return m_link; }
    DeviceProtocol &protocol() { return m_protocol; }
    const DeviceProtocol &protocol() const { return m_protocol; }
    bool isConnected() const { return m_link.isConnected(); }

    // Which of the modules present this session drives (ModuleChoice); the
    // modules and the one driven are the link's.
    void chooseModule(const ModuleChoice &choice) { m_link.setChoice(choice); }
    // A chooser shows the modules: each is asked who it is.
    void nameEveryModule() { m_link.setNamingEveryModule(true); }

    // The exchange: idle, or awaiting an answer until its deadline.
    bool isIdle() const { return m_protocol.isIdle(); }
    // Commands, as the protocol sends them.
    void sendCommand(quint8 code) { m_protocol.sendCommand(code); }
    void sendLongCommand(const QByteArray &payload) { m_protocol.sendLongCommand(payload); }
    // A sensor settings write: once acknowledged, its unit is the live values'.
    void writeSensorSettings(const TensSettings &settings);
    // Polling outside the settings pages: gives up a wait that went on.
    void resumePolling() { m_protocol.resumePolling(); }

    // What the module reported last; a new identity forgets the settings of
    // the module before.
    bool identified() const { return m_identified; }
    const DeviceInfoReport &identity() const { return m_protocol.deviceInfo(); }
    const std::optional<TensSettings> &reportedSensorSettings() const { return m_sensors; }
    const std::optional<OtherSettings> &reportedIoSettings() const { return m_io; }

    // The display settings. The unit, the active inputs and the ranges follow
    // the module's sensor settings; the rest is chosen on the pages.
    const DisplayState &display() const { return m_display; }
    void setDecimalPlaces(int decimalPlaces);
    void setChosen(DisplayChoice chosen);
    void setAnalogOutput(const QString &unitSuffix, float fullScale);

    // 50 ms on the GUI thread once started; views connect to its shown().
    LiveDisplayTick &displayTick() { return m_displayTick; }

    // Polling held and every read thread stopped, so that no report reaches
    // a front end that is going away. Idempotent.
    void shutDown();

signals:
    // Any display setting changed.
    void displayChanged();
    // The exchange is idle again.
    void idle();

private:
    void onSensorSettings(const TensSettings &settings);
    void onSensorSettingsWritten();
    void setUnit(quint8 unitIndex);

    DeviceLink m_link;
    DeviceProtocol m_protocol;
    DisplayState m_display;
    LiveDisplayTick m_displayTick;
    bool m_identified = false;
    std::optional<TensSettings> m_sensors;
    std::optional<OtherSettings> m_io;
    std::optional<TensSettings> m_sensorWrite; // sent, not yet acknowledged
};

// The one way to make a session, over any backend (hidapi, the simulated
// module, a test's). The first search for the module runs from the event loop.
std::unique_ptr<ModuleSession> makeModuleSession(HidBackend &backend);

// The live values' unit suffix of a unit index (" N", " kN", ...); empty
// for an index that names none.
QString unitSuffix(int unitIndex);
