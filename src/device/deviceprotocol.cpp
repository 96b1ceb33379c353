#include "deviceprotocol.h"

#include "devicelink.h"
#include "protocolcodes.h"
#include "reportpayload.h"

#include <optional>

namespace {

struct Acknowledgement {
    quint8 code;
    std::optional<quint8> followUp;
};

constexpr Acknowledgement Acknowledgements[] = {
    {Code::WriteSensorSettings, Code::ReadSensorSettings},
    {Code::WriteIoSettings, Code::ReadIoSettings},
    {Code::TareSum, std::nullopt},
    {Code::ResetMinMax, std::nullopt},
    {Code::FactorySensorSettings, Code::ReadSensorSettings},
    {Code::FactoryIoSettings, Code::ReadIoSettings},
};

const Acknowledgement *findAcknowledgement(quint8 code)
{
    for (const Acknowledgement &ack : Acknowledgements)
        if (ack.code == code)
            return &ack;
    return nullptr;
}

} // namespace

DeviceProtocol::DeviceProtocol(DeviceLink *link, QObject *parent)
    : QObject(parent), m_link(link), m_pollTimer(PollInterval, [this] { pollTick(); })
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(AnswerDeadlineMs);
    connect(&m_deadline, &QTimer::timeout, this, &DeviceProtocol::onDeadline);
    connect(m_link, &DeviceLink::deviceReport, this, &DeviceProtocol::handleDeviceReport);
    connect(m_link, &DeviceLink::connectionStateChanged, this, &DeviceProtocol::onConnectionState);
    updateGate();
    m_pollTimer.setEnabled(true);
}

DeviceProtocol::~DeviceProtocol()
{
    m_pollTimer.setEnabled(false);
}

void DeviceProtocol::updateGate()
{
    std::lock_guard lock(m_gateMutex);
    m_pollGate = isIdle() && !m_held;
}

void DeviceProtocol::pollTick()
{
    std::lock_guard lock(m_gateMutex);
    if (m_pollGate) // the link drops it while not connected
        m_link->writeCommandReport(QByteArray(1, char(Code::Poll)), /*repeatable=*/true);
}

bool DeviceProtocol::isPolling() const
{
    return isIdle() && !m_held && m_link->isConnected();
}

void DeviceProtocol::holdPolling(bool held)
{
    m_held = held;
    updateGate();
}

void DeviceProtocol::await(quint8 code)
{
    m_awaited = code;
    ++m_commandsSent;
    updateGate();
    m_deadline.start();
}

void DeviceProtocol::endExchange()
{
    m_deadline.stop();
    if (isIdle())
        return;
    m_awaited.reset();
    updateGate();
    emit exchangeIdle();
}

void DeviceProtocol::resumePolling()
{
    endExchange();
}

void DeviceProtocol::onDeadline()
{
    if (isIdle())
        return;
    const quint8 code = *m_awaited;
    endExchange();
    emit commandNotAnswered(code);
}

void DeviceProtocol::onConnectionState(const ConnectionState &state)
{
    // Nothing more will come from a module that went; a new one starts
    // with its identity.
    endExchange();
    if (state.isConnected())
        sendCommand(Code::DeviceInfo);
}

void DeviceProtocol::sendCommand(quint8 code)
{
    await(code);
    sendCommandReport(QByteArray(1, char(code)));
}

void DeviceProtocol::sendLongCommand(const QByteArray &payload)
{
    await(payload.isEmpty() ? quint8(0) : quint8(payload[0]));
    sendCommandReport(payload);
}

void DeviceProtocol::sendCommandReport(const QByteArray &payload)
{
    m_link->writeCommandReport(payload);
}

void DeviceProtocol::handleDeviceReport(quint8 /*reportId*/, const QByteArray &payload)
{
    if (payload.isEmpty()) { // a bare report ID carries no code, but is an answer all the same
        endExchange();
        return;
    }
    const QByteArray data = paddedPayload(payload);
    const quint8 code = quint8(data[0]);
    if (code == Code::Poll) {
        m_liveValues = LiveValues::decode(data);
        emit frameStored();
        return; // a frame never ends the exchange
    }
    const quint64 sentBefore = m_commandsSent;
    switch (code) {
    case Code::DeviceInfo:
        m_deviceInfo = DeviceInfoReport::decode(data);
        emit identified(m_deviceInfo);
        sendCommand(Code::ReadSensorSettings);
        break;
    case Code::ReadSensorSettings:
        emit sensorSettingsReceived(TensSettings::decode(data));
        sendCommand(Code::ReadIoSettings);
        break;
    case Code::ReadIoSettings:
        emit ioSettingsReceived(OtherSettings::decodeReport(data));
        break;
    default:
        if (const Acknowledgement *ack = findAcknowledgement(code)) {
            emit acknowledged(code);
            if (code == Code::WriteSensorSettings)
                emit sensorSettingsWritten();
            if (ack->followUp)
                sendCommand(*ack->followUp);
        }
        break;
    }
    if (m_commandsSent == sentBefore) // no next command of the chain waits
        endExchange();
}
