#pragma once

#include "recordqueue.h"

#include <QByteArray>

#include <optional>
#include <unordered_map>

// Where the forwarder hands a message: the MQTT client, or a test's fake.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    // Sends one record's message with QoS 1; its message id, or none when
    // it could not be handed over (not connected).
    virtual std::optional<int> send(const QByteArray &payload) = 0;
};

// Store and forward: every record goes into the queue first; while the
// broker is connected, the oldest unsent records go out, at most `window`
// of them unacknowledged at a time, and each leaves the queue when the
// broker acknowledges it. A lost connection forgets what was in flight; the
// next one sends it again from the first unacknowledged record, so the
// broker sees every record in order, some perhaps twice.
// GUI thread only.
class RecordForwarder
{
public:
    static constexpr int DefaultWindow = 100;

    RecordForwarder(RecordQueue &queue, MessageSink &sink, int window = DefaultWindow);

    // False when the queue cannot write it (queue().errorString()).
    bool add(const QByteArray &payload);
    void connected();
    void disconnected();
    void acknowledged(int messageId);

    bool isConnected() const { return m_connected; }
    // Records the broker acknowledged since the start.
    qint64 acknowledgedCount() const { return m_acknowledged; }
    int inFlight() const { return int(m_inFlight.size()); }
    const RecordQueue &queue() const { return m_queue; }

private:
    void sendWaiting();

    RecordQueue &m_queue;
    MessageSink &m_sink;
    int m_window;
    bool m_connected = false;
    std::unordered_map<int, quint64> m_inFlight; // message id -> sequence
    qint64 m_acknowledged = 0;
};
