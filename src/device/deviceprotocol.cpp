#include "deviceprotocol.h"

#include "devicelink.h"
#include "messageids.h"
#include "messagetable.h"
#include "protocolcodes.h"
#include "reportpayload.h"

#include <optional>

namespace {

struct Acknowledgement {
    quint8 code;
    const char *messageId;
    std::optional<quint8> followUp;
};

constexpr Acknowledgement Acknowledgements[] = {
    {Code::WriteSensorSettings, Msg::IDS_48, Code::ReadSensorSettings},
    {Code::WriteIoSettings, Msg::IDS_47, Code::ReadIoSettings},
    {Code::TareSum, Msg::IDS_49, std::nullopt},
    {Code::ResetMinMax, Msg::IDS_50, std::nullopt},
    {Code::FactorySensorSettings, Msg::IDS_52, Code::ReadSensorSettings},
    {Code::FactoryIoSettings, Msg::IDS_51, Code::ReadIoSettings},
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
    : QObject(parent), m_link(link),
      m_pollTimer(PollInterval, [this] { pollTick(); })
{
    connect(m_link, &DeviceLink::deviceReport, this, &DeviceProtocol::handleDeviceReport);
    connect(m_link, &DeviceLink::connectedShown, this, [this] { sendCommand(Code::DeviceInfo); });
    connect(m_link, &DeviceLink::connectionLostShown, this, [this] { setPollEnabled(false); });
}

DeviceProtocol::~DeviceProtocol()
{
    setPollEnabled(false);
}

void DeviceProtocol::setPollEnabled(bool enabled)
{
    m_pollTimer.setEnabled(enabled);
}

bool DeviceProtocol::isPollEnabled() const
{
    return m_pollTimer.isEnabled();
}

void DeviceProtocol::sendCommand(quint8 code)
{
    setPollEnabled(false);
    sendCommandReport(QByteArray(1, char(code)));
}

void DeviceProtocol::sendLongCommand(const QByteArray &payload)
{
    setPollEnabled(false);
    sendCommandReport(payload);
}

void DeviceProtocol::sendCommandReport(const QByteArray &payload)
{
    m_link->writeCommandReport(payload);
}

void DeviceProtocol::pollTick()
{
    m_link->writeCommandReport(QByteArray(1, char(Code::Poll)), /*repeatable=*/true);
}

void DeviceProtocol::handleDeviceReport(quint8 /*reportId*/, const QByteArray &payload)
{
    if (payload.isEmpty()) { // a bare report ID carries no code, but is an answer all the same
        setPollEnabled(true);
        return;
    }
    const QByteArray data = paddedPayload(payload);
    const quint8 code = quint8(data[0]);
    switch (code) {
    case Code::Poll:
        m_liveValues = LiveValues::decode(data);
        emit frameStored();
        return; // a frame never changes the poll timer
    case Code::DeviceInfo:
        m_deviceInfo = DeviceInfoReport::decode(data);
        emit identified(identityText(m_deviceInfo));
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
            emit statusMessage(GetTextOrDefault(QString::fromLatin1(ack->messageId)));
            if (code == Code::WriteSensorSettings)
                emit sensorSettingsWritten();
            if (ack->followUp)
                sendCommand(*ack->followUp);
        }
        break;
    }
    setPollEnabled(true);
}
