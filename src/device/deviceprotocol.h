#pragma once

#include "deviceinforeport.h"
#include "livevalues.h"
#include "othersettings.h"
#include "periodictimer.h"
#include "tenssettings.h"

#include <QObject>

class DeviceLink;

// The module's command/answer scheme: command writers, the poll timer and
// the dispatch of device reports by their code. The program never waits
// for an answer; each report drives what follows. Any command other than
// the poll stops the poll timer; every report other than a measurement
// frame enables it again.
class DeviceProtocol : public QObject
{
    Q_OBJECT
public:
    static constexpr double PollInterval = 0.0125; // seconds: 12 ms of sleep

    explicit DeviceProtocol(DeviceLink *link, QObject *parent = nullptr);
    ~DeviceProtocol() override;

    // GUI thread: stops the poll timer, then writes the one-byte command.
    void sendCommand(quint8 code);
    // Any thread: writes one command report with the payload; does not touch
    // the poll timer. Nothing is written while not connected.
    void sendCommandReport(const QByteArray &payload);
    // GUI thread: a long command (settings, calibration): stops the poll
    // timer, then writes the report.
    void sendLongCommand(const QByteArray &payload);
    // GUI thread: the handler of every device report.
    void handleDeviceReport(quint8 reportId, const QByteArray &payload);
    // Poll thread: the poll timer's tick.
    void pollTick();

    // ZylTimer_ReadData.Enabled; GUI thread only.
    void setPollEnabled(bool enabled);
    bool isPollEnabled() const;

    // GUI thread; kept until the next report of their kind.
    const DeviceInfoReport &deviceInfo() const { return m_deviceInfo; }
    quint8 AnalogOutVariant() const { return m_deviceInfo.AnalogOutVariant; }
    const LiveValues &liveValues() const { return m_liveValues; }

signals:
    // ConnectionStatus shows the module's identity; its colour stays.
    void identified(const QString &text);
    // The acknowledgement text for Label_Status.
    void statusMessage(const QString &text);
    // A measurement frame was stored in liveValues(): the recording step runs here.
    void frameStored();
    void sensorSettingsReceived(const TensSettings &settings);
    void ioSettingsReceived(const OtherSettings &settings);
    // The module acknowledged a sensor settings write (after the status text,
    // before the settings are read back).
    void sensorSettingsWritten();

private:
    DeviceLink *m_link;
    PeriodicTimer m_pollTimer; // ZylTimer_ReadData
    DeviceInfoReport m_deviceInfo;
    LiveValues m_liveValues;
};
