#include "recordpublisher.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSysInfo>

#include <unistd.h>

namespace {

constexpr int OfflineWaitMs = 2000;

MqttConnection connectionFor(const PublishOptions &options)
{
    MqttConnection c;
    c.host = options.url.host;
    c.port = options.url.port;
    c.tls = options.url.tls;
    c.caFile = options.caFile;
    c.user = options.url.user;
    c.password = options.password;
    // Unique per program, so two benches never push each other off.
    c.clientId = QStringLiteral("klv57-pc-%1-%2")
                     .arg(QSysInfo::machineHostName())
                     .arg(::getpid())
                     .left(64);
    c.valuesTopic = options.url.valuesTopic();
    c.statusTopic = options.url.statusTopic();
    PublisherStatus offline;
    offline.online = false;
    c.will = statusMessage(offline);
    return c;
}

bool sameStatus(const PublisherStatus &a, const PublisherStatus &b)
{
    return a.online == b.online && a.moduleConnected == b.moduleConnected &&
           a.identification == b.identification && a.firmwareVersion == b.firmwareVersion;
}

} // namespace

RecordPublisher::RecordPublisher(const PublishOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_queue(options.queueLimitBytes),
      m_client(connectionFor(options)), m_forwarder(m_queue, m_client)
{
    connect(&m_client, &MqttClient::connected, this, &RecordPublisher::onConnected);
    connect(&m_client, &MqttClient::connectionLost, this, &RecordPublisher::onConnectionLost);
    connect(&m_client, &MqttClient::acknowledged, this,
            [this](int messageId) { m_forwarder.acknowledged(messageId); });
    connect(&m_client, &MqttClient::refused, this, [this](const QString &reason) {
        m_connectionState = QStringLiteral("refused by the broker");
        emit fatal(QStringLiteral("the broker at %1 refused the connection: %2")
                       .arg(m_options.url.shown(), reason));
    });
    connect(&m_client, &MqttClient::failed, this, [this](const QString &message) {
        m_connectionState = QStringLiteral("TLS failed");
        emit fatal(message);
    });
    // The head reaches the disk once a second, not at every acknowledgement.
    m_syncTimer.setInterval(SyncIntervalMs);
    connect(&m_syncTimer, &QTimer::timeout, this, [this] { m_queue.sync(); });
}

RecordPublisher::~RecordPublisher() = default;

QString RecordPublisher::start()
{
    if (!m_queue.open(m_options.queueDirectory))
        return m_queue.errorString();
    m_syncTimer.start();
    return m_client.start();
}

void RecordPublisher::publish(const MadeRecord &record)
{
    if (!m_forwarder.add(recordMessage(record, m_unit))) {
        emit fatal(QStringLiteral("cannot queue a record: %1").arg(m_queue.errorString()));
        return;
    }
    if (m_queue.droppedCount() > m_droppedTold) {
        if (m_droppedTold == 0)
            emit notice(QStringLiteral("the queue is full (%1 bytes): the oldest records are "
                                       "dropped")
                            .arg(m_queue.limitBytes()));
        m_droppedTold = m_queue.droppedCount();
    }
}

void RecordPublisher::setUnitIndex(int unitIndex)
{
    m_unit = unitName(unitIndex);
}

void RecordPublisher::setModuleStatus(bool connected, const QByteArray &identification,
                                      float firmware)
{
    m_status.moduleConnected = connected;
    m_status.identification = identification;
    m_status.firmwareVersion = firmware;
    if (!m_statusSent || !sameStatus(m_status, m_sentStatus))
        sendStatus();
}

void RecordPublisher::sendStatus()
{
    if (m_client.sendStatus(statusMessage(m_status))) {
        m_sentStatus = m_status;
        m_statusSent = true;
    }
}

void RecordPublisher::onConnected()
{
    if (m_everConnected || m_lossTold)
        emit notice(QStringLiteral("connected to %1").arg(m_options.url.shown()));
    m_everConnected = true;
    m_lossTold = false;
    m_connectionState = QStringLiteral("broker connected");
    m_statusSent = false;
    sendStatus();
    m_forwarder.connected();
}

void RecordPublisher::onConnectionLost(const QString &reason)
{
    m_forwarder.disconnected();
    m_connectionState = QStringLiteral("broker not connected (%1)").arg(reason);
    if (!m_lossTold) {
        m_lossTold = true;
        emit notice(QStringLiteral("%1 %2: %3; the records are queued until it answers")
                        .arg(m_everConnected ? QStringLiteral("lost the connection to")
                                             : QStringLiteral("cannot connect to"),
                             m_options.url.shown(), reason));
    }
}

QString RecordPublisher::progressText() const
{
    QString text = QStringLiteral("%1; %2 sent, %3 queued")
                       .arg(m_connectionState)
                       .arg(m_forwarder.acknowledgedCount())
                       .arg(m_queue.pendingCount());
    if (m_queue.droppedCount() > 0)
        text += QStringLiteral(", %1 dropped").arg(m_queue.droppedCount());
    return text;
}

void RecordPublisher::finish(std::chrono::milliseconds wait)
{
    m_syncTimer.stop();
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(20);
    QDeadlineTimer deadline(wait);
    // Waits on the queue's own state: the records acknowledged, the time up
    // or the connection gone.
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (m_queue.pendingCount() == 0 || deadline.hasExpired() || !m_client.isConnected())
            loop.quit();
    });
    tick.start();
    if (m_queue.pendingCount() > 0 && m_client.isConnected())
        loop.exec();
    tick.stop();
    if (m_client.isConnected()) {
        m_status.online = false;
        const std::optional<int> offline = m_client.sendStatus(statusMessage(m_status));
        if (offline) {
            // Its acknowledgement, briefly: the retained status should say offline.
            const QMetaObject::Connection c =
                connect(&m_client, &MqttClient::acknowledged, &loop, [&](int id) {
                    if (id == *offline)
                        loop.quit();
                });
            QTimer::singleShot(OfflineWaitMs, &loop, &QEventLoop::quit);
            loop.exec();
            disconnect(c);
        }
    }
    m_client.disconnectFromBroker();
    m_queue.sync();
}
