#pragma once

#include "connectionstate.h"
#include "deviceinforeport.h"
#include "livevalues.h"
#include "othersettings.h"
#include "periodictimer.h"
#include "tenssettings.h"

#include <QObject>
#include <QTimer>

#include <mutex>
#include <optional>

class DeviceLink;

// The module's command/answer scheme: command writers, the exchange, the
// poll thread and the dispatch of device reports by their code. The program
// never waits for an answer; each report drives what follows.
//
// The exchange is idle, or awaits the answer to a command until a deadline.
// Every command but the poll starts a wait; any report other than a
// measurement frame is the answer and ends it, unless its handler sent the
// next command (the start-up chain 0x00, 0x02, 0x03, the read-back after a
// write), which waits in turn. With no answer by the deadline the exchange
// is idle again and commandNotAnswered() says so; a late answer is handled
// as any other. One poll thread lives as long as the protocol and queues a
// poll every 12 ms while the exchange is idle, the module connected and
// polling not held.
class DeviceProtocol : public QObject
{
    Q_OBJECT
public:
    static constexpr double PollInterval = 0.0125; // seconds: 12 ms of sleep
    static constexpr int AnswerDeadlineMs = 1000;  // the module answers within a few ms

    explicit DeviceProtocol(DeviceLink *link, QObject *parent = nullptr);
    ~DeviceProtocol() override;

    // GUI thread: waits for the answer, then writes the one-byte command.
    void sendCommand(quint8 code);
    // Any thread: writes one command report with the payload, outside the
    // exchange. Nothing is written while not connected.
    void sendCommandReport(const QByteArray &payload);
    // GUI thread: a long command (settings, calibration): waits for the
    // answer, then writes the report.
    void sendLongCommand(const QByteArray &payload);
    // GUI thread: the handler of every device report.
    void handleDeviceReport(quint8 reportId, const QByteArray &payload);

    // GUI thread: the exchange.
    bool isIdle() const { return !m_awaited.has_value(); }
    // The code whose answer is awaited; none while idle.
    std::optional<quint8> awaitedCode() const { return m_awaited; }
    // Gives up the wait, as if the answer had come (a page change does so).
    void resumePolling();
    // Polls go out now: idle, connected and not held.
    bool isPolling() const;
    // For shutdown, tests and the bench: no poll while held. Commands still go.
    void holdPolling(bool held);

    // GUI thread; kept until the next report of their kind.
    const DeviceInfoReport &deviceInfo() const { return m_deviceInfo; }
    quint8 AnalogOutVariant() const { return m_deviceInfo.AnalogOutVariant; }
    const LiveValues &liveValues() const { return m_liveValues; }

signals:
    // The module's identity arrived (the answer to 0x00).
    void identified(const DeviceInfoReport &info);
    // The module acknowledged a command of the acknowledgement table (writes,
    // tare, min/max reset, factory settings), before any read-back is sent.
    void acknowledged(quint8 code);
    // A measurement frame was stored in liveValues(): the recording step runs here.
    void frameStored();
    void sensorSettingsReceived(const TensSettings &settings);
    void ioSettingsReceived(const OtherSettings &settings);
    // The module acknowledged a sensor settings write (after acknowledged(),
    // before the settings are read back).
    void sensorSettingsWritten();
    // The exchange became idle: an answer ended it, or the deadline, or a
    // page change, or the connection went.
    void exchangeIdle();
    // No answer to `code` by the deadline; the exchange is idle already.
    void commandNotAnswered(quint8 code);

private:
    void await(quint8 code);
    void endExchange();
    void onConnectionState(const ConnectionState &state);
    void onDeadline();
    void pollTick(); // poll thread
    void updateGate();

    DeviceLink *m_link;
    std::optional<quint8> m_awaited; // GUI thread only
    quint64 m_commandsSent = 0;      // GUI thread only
    bool m_held = false;             // GUI thread only
    QTimer m_deadline;
    DeviceInfoReport m_deviceInfo;
    LiveValues m_liveValues;

    // The poll thread's view of the exchange. A command closes the gate
    // before it is queued, under this lock, so no poll follows it.
    std::mutex m_gateMutex;
    bool m_pollGate = false;
    PeriodicTimer m_pollTimer; // last: its thread ends before the rest goes
};
