#pragma once

#include "recordforwarder.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <mutex>
#include <string>

struct mosquitto;

// How to reach the broker.
struct MqttConnection {
    QString host;
    int port = 1883;
    bool tls = false;
    QString caFile; // TLS: empty for the system's certificate store
    QString user;   // empty: none sent
    std::optional<QString> password;
    QString clientId;
    QString valuesTopic;
    QString statusTopic;
    QByteArray will; // retained on statusTopic when the connection dies
};

// A thin libmosquitto client. Its network thread (mosquitto_loop_start)
// connects, reconnects after a loss and calls back; every callback is handed
// to this object's thread (a locked queue and a queued call), so the signals
// arrive on the GUI thread. send() and the rest are GUI thread only.
class MqttClient : public QObject, public MessageSink
{
    Q_OBJECT
public:
    explicit MqttClient(const MqttConnection &connection, QObject *parent = nullptr);
    ~MqttClient() override; // the network thread has stopped when it returns

    // Sets up TLS, credentials and the will, starts connecting and the
    // network thread. An error text when that cannot happen at all (a host
    // that does not resolve, a TLS file that cannot be used); a refused or
    // unreachable broker is no error here: it is tried again until it answers.
    QString start();
    // A clean end: the broker drops the will.
    void disconnectFromBroker();

    std::optional<int> send(const QByteArray &payload) override;
    // A retained status message; its message id, or none.
    std::optional<int> sendStatus(const QByteArray &payload);
    bool isConnected() const { return m_connected; }

signals:
    void connected();
    // The connection could not be made, or broke; `reason` says why.
    void connectionLost(const QString &reason);
    // The broker answered the connection with a refusal (credentials,
    // identifier); it is not tried again.
    void refused(const QString &reason);
    // The broker's TLS certificate is not trusted; `message` says so whole.
    void failed(const QString &message);
    void acknowledged(int messageId);

private:
    // What a callback tells the GUI thread.
    struct Event {
        enum Kind { Connected, Refused, Lost, Acknowledged, Untrusted } kind;
        int value = 0; // the return code, or the message id
        std::string text;
    };
    void post(Event event); // network thread (and start())
    Q_INVOKABLE void handleEvents(); // GUI thread

    static void onConnect(struct mosquitto *, void *self, int rc);
    static void onDisconnect(struct mosquitto *, void *self, int rc);
    static void onPublish(struct mosquitto *, void *self, int messageId);
    static void onLog(struct mosquitto *, void *self, int level, const char *text);
    QString untrustedText() const;

    std::optional<int> publish(const QString &topic, const QByteArray &payload, bool retain);

    MqttConnection m_connection;
    struct mosquitto *m_mosq = nullptr;
    bool m_loopRunning = false;
    bool m_connected = false;
    bool m_refused = false;
    std::mutex m_eventsMutex;
    std::deque<Event> m_events; // guarded by m_eventsMutex
};
