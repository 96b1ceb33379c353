#include "mqttclient.h"

#include <QFileInfo>
#include <QMetaObject>

#include <mosquitto.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int KeepAliveSeconds = 30;
constexpr unsigned ReconnectDelayMinSeconds = 1;
constexpr unsigned ReconnectDelayMaxSeconds = 5;

// mosquitto_lib_init is not thread-safe and needs doing once.
void initLibrary()
{
    static const bool initialised = [] {
        mosquitto_lib_init();
        return true;
    }();
    Q_UNUSED(initialised);
}

QString errorText(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

MqttClient::MqttClient(const MqttConnection &connection, QObject *parent)
    : QObject(parent), m_connection(connection)
{
    initLibrary();
    m_mosq = mosquitto_new(m_connection.clientId.toUtf8().constData(), true, this);
    if (m_mosq) {
        mosquitto_connect_callback_set(m_mosq, &MqttClient::onConnect);
        mosquitto_disconnect_callback_set(m_mosq, &MqttClient::onDisconnect);
        mosquitto_publish_callback_set(m_mosq, &MqttClient::onPublish);
        mosquitto_log_callback_set(m_mosq, &MqttClient::onLog);
    }
}

MqttClient::~MqttClient()
{
    if (!m_mosq)
        return;
    if (m_loopRunning) {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, false);
    }
    mosquitto_destroy(m_mosq);
}

QString MqttClient::start()
{
    if (!m_mosq)
        return QStringLiteral("cannot create the MQTT client: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    const MqttConnection &c = m_connection;
    if (c.tls) {
        int rc = MOSQ_ERR_SUCCESS;
        if (c.caFile.isEmpty()) {
            rc = mosquitto_int_option(m_mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else {
            if (!QFileInfo(c.caFile).isReadable())
                return QStringLiteral("--cafile: cannot read %1").arg(c.caFile);
            rc = mosquitto_tls_set(m_mosq, QFile::encodeName(c.caFile).constData(), nullptr,
                                   nullptr, nullptr, nullptr);
        }
        if (rc != MOSQ_ERR_SUCCESS)
            return QStringLiteral("cannot set up TLS: %1").arg(errorText(rc));
    }
    if (!c.user.isEmpty() || c.password) {
        const QByteArray user = c.user.toUtf8();
        const QByteArray password = c.password.value_or(QString()).toUtf8();
        mosquitto_username_pw_set(m_mosq, user.isEmpty() ? nullptr : user.constData(),
                                  c.password ? password.constData() : nullptr);
    }
    if (!c.will.isEmpty())
        mosquitto_will_set(m_mosq, c.statusTopic.toUtf8().constData(), int(c.will.size()),
                           c.will.constData(), 1, true);
    mosquitto_reconnect_delay_set(m_mosq, ReconnectDelayMinSeconds, ReconnectDelayMaxSeconds,
                                  true);

    const int rc = mosquitto_connect_async(m_mosq, c.host.toUtf8().constData(), c.port,
                                           KeepAliveSeconds);
    QString problem;
    if (rc == MOSQ_ERR_EAI)
        return QStringLiteral("the host %1 does not resolve").arg(c.host);
    if (rc == MOSQ_ERR_TLS)
        return untrustedText();
    if (rc != MOSQ_ERR_SUCCESS)
        problem = errorText(rc); // refused or unreachable: the network thread tries again
    const int loop = mosquitto_loop_start(m_mosq);
    if (loop != MOSQ_ERR_SUCCESS)
        return QStringLiteral("cannot start the MQTT client's thread: %1").arg(errorText(loop));
    m_loopRunning = true;
    if (!problem.isEmpty())
        post({Event::Lost, rc, problem.toStdString()});
    return {};
}

QString MqttClient::untrustedText() const
{
    return QStringLiteral("no TLS connection to %1:%2: its certificate is not trusted (%3), "
                          "or TLS failed; a broker with its own CA needs --cafile")
        .arg(m_connection.host)
        .arg(m_connection.port)
        .arg(m_connection.caFile.isEmpty() ? QStringLiteral("the system's certificate store")
                                           : m_connection.caFile);
}

void MqttClient::disconnectFromBroker()
{
    if (m_mosq && m_loopRunning)
        mosquitto_disconnect(m_mosq);
    m_connected = false;
}

std::optional<int> MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (!m_connected)
        return std::nullopt;
    int messageId = 0;
    const int rc = mosquitto_publish(m_mosq, &messageId, topic.toUtf8().constData(),
                                     int(payload.size()), payload.constData(), 1, retain);
    if (rc != MOSQ_ERR_SUCCESS)
        return std::nullopt;
    return messageId;
}

std::optional<int> MqttClient::send(const QByteArray &payload)
{
    return publish(m_connection.valuesTopic, payload, false);
}

std::optional<int> MqttClient::sendStatus(const QByteArray &payload)
{
    return publish(m_connection.statusTopic, payload, true);
}

// Network thread: each callback only queues the news, under our own lock,
// and asks for handleEvents() by name: no data of ours crosses Qt's queue,
// which the thread sanitizer cannot see into. The loop is stopped before
// this object ends, so `self` outlives them.
void MqttClient::post(Event event)
{
    {
        std::lock_guard lock(m_eventsMutex);
        m_events.push_back(std::move(event));
    }
    QMetaObject::invokeMethod(this, "handleEvents", Qt::QueuedConnection);
}

void MqttClient::onConnect(struct mosquitto *, void *self, int rc)
{
    static_cast<MqttClient *>(self)->post(
        {rc == 0 ? Event::Connected : Event::Refused, rc, mosquitto_connack_string(rc)});
}

void MqttClient::onDisconnect(struct mosquitto *, void *self, int rc)
{
    const std::string reason = rc == 0 ? std::string("disconnected")
                               : rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno))
                                                      : std::string(mosquitto_strerror(rc));
    static_cast<MqttClient *>(self)->post({Event::Lost, rc, reason});
}

void MqttClient::onPublish(struct mosquitto *, void *self, int messageId)
{
    static_cast<MqttClient *>(self)->post({Event::Acknowledged, messageId, {}});
}

// A handshake that fails on the network thread reaches no other callback:
// the library's error log is where an untrusted certificate shows.
void MqttClient::onLog(struct mosquitto *, void *self, int level, const char *text)
{
    if (level == MOSQ_LOG_ERR && std::strstr(text, "certificate verify failed"))
        static_cast<MqttClient *>(self)->post({Event::Untrusted, 0, text});
}

void MqttClient::handleEvents()
{
    std::deque<Event> events;
    {
        std::lock_guard lock(m_eventsMutex);
        events.swap(m_events);
    }
    for (const Event &event : events) {
        const QString text = QString::fromStdString(event.text);
        switch (event.kind) {
        case Event::Connected:
            m_connected = true;
            emit connected();
            break;
        case Event::Refused:
            m_connected = false;
            m_refused = true;
            emit refused(text);
            break;
        case Event::Lost: {
            const bool wasConnected = m_connected;
            m_connected = false;
            if (wasConnected || !m_refused)
                emit connectionLost(text);
            break;
        }
        case Event::Acknowledged:
            emit acknowledged(event.value);
            break;
        case Event::Untrusted:
            if (m_refused)
                break;
            m_connected = false;
            m_refused = true;
            emit failed(untrustedText());
            break;
        }
    }
}
