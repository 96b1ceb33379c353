#include "recordforwarder.h"

RecordForwarder::RecordForwarder(RecordQueue &queue, MessageSink &sink, int window)
    : m_queue(queue), m_sink(sink), m_window(window)
{
}

bool RecordForwarder::add(const QByteArray &payload)
{
    if (!m_queue.append(payload))
        return false;
    sendWaiting();
    return true;
}

void RecordForwarder::connected()
{
    m_connected = true;
    m_inFlight.clear();
    m_queue.rewind();
    sendWaiting();
}

void RecordForwarder::disconnected()
{
    m_connected = false;
    m_inFlight.clear();
}

void RecordForwarder::acknowledged(int messageId)
{
    const auto sent = m_inFlight.find(messageId);
    if (sent == m_inFlight.end())
        return; // from before a reconnection: sent again since
    m_queue.acknowledge(sent->second);
    m_inFlight.erase(sent);
    ++m_acknowledged;
    sendWaiting();
}

void RecordForwarder::sendWaiting()
{
    while (m_connected && int(m_inFlight.size()) < m_window) {
        std::optional<RecordQueue::Entry> entry = m_queue.takeNext();
        if (!entry)
            return;
        const std::optional<int> messageId = m_sink.send(entry->payload);
        if (!messageId) {
            // Lost meanwhile; the disconnection's callback follows.
            m_connected = false;
            return;
        }
        m_inFlight[*messageId] = entry->sequence;
    }
}
