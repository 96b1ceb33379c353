#pragma once

#include "mqttclient.h"
#include "publishoptions.h"
#include "recordforwarder.h"
#include "recordmessage.h"
#include "recordqueue.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

// --publish: each record made becomes a JSON message, goes into the
// on-disk queue and on to the broker; the retained status follows the
// module. GUI thread only (the thread that runs the event loop).
class RecordPublisher : public QObject
{
    Q_OBJECT
public:
    static constexpr int SyncIntervalMs = 1000;

    explicit RecordPublisher(const PublishOptions &options, QObject *parent = nullptr);
    ~RecordPublisher() override;

    // Opens the queue and starts connecting; an error text when either
    // cannot happen at all.
    QString start();

    void publish(const MadeRecord &record);
    // The sensor settings' unit index, for the messages' "unit".
    void setUnitIndex(int unitIndex);
    // The module's part of the status; sent again when it changes.
    void setModuleStatus(bool connected, const QByteArray &identification, float firmware);

    // Waits up to `wait` for every queued record's acknowledgement, then
    // says offline and disconnects; what is left stays queued for the next
    // run. Runs an event loop.
    void finish(std::chrono::milliseconds wait);

    bool isConnected() const { return m_forwarder.isConnected(); }
    qint64 acknowledgedCount() const { return m_forwarder.acknowledgedCount(); }
    qint64 queuedCount() const { return m_queue.pendingCount(); }
    qint64 droppedCount() const { return m_queue.droppedCount(); }
    const PublishOptions &options() const { return m_options; }
    // "broker connected; 120 sent, 3 queued" (and the dropped, if any).
    QString progressText() const;

signals:
    // A condition the run cannot go on with (the broker refused the
    // credentials, the queue cannot be written).
    void fatal(const QString &message);
    // Something the user should hear once (no connection at the start,
    // records dropped by the limit).
    void notice(const QString &message);

private:
    void onConnected();
    void onConnectionLost(const QString &reason);
    void sendStatus();

    PublishOptions m_options;
    RecordQueue m_queue;
    MqttClient m_client;
    RecordForwarder m_forwarder;
    PublisherStatus m_status;
    PublisherStatus m_sentStatus;
    bool m_statusSent = false;
    QString m_unit;
    QString m_connectionState = QStringLiteral("connecting to the broker");
    bool m_everConnected = false;
    bool m_lossTold = false;
    qint64 m_droppedTold = 0;
    QTimer m_syncTimer;
};
