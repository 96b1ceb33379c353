#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <deque>
#include <optional>
#include <set>

// The records waiting for the broker, on disk, so that neither an absent
// broker nor the program's end loses them. Records get consecutive sequence
// numbers and sit in segment files named by their first number (hex), each
// record one QueueFrame written with a single write, so that a crash leaves
// at worst a torn last frame, which the next open cuts off. The first
// unacknowledged number is kept in the head file, replaced atomically;
// after a crash the records since the last sync() are sent again (the
// broker's receivers see a duplicate, never a gap).
//
// The queue is bounded: past the limit the oldest segment goes, its
// unacknowledged records counted as dropped. A lock file keeps a second
// program off the same queue. GUI thread only.
class RecordQueue
{
public:
    static constexpr qint64 DefaultLimitBytes = 100'000'000;
    static constexpr qint64 MinimumLimitBytes = 1000;

    struct Entry {
        quint64 sequence = 0;
        QByteArray payload;
    };

    explicit RecordQueue(qint64 limitBytes = DefaultLimitBytes);
    ~RecordQueue(); // syncs
    RecordQueue(const RecordQueue &) = delete;
    RecordQueue &operator=(const RecordQueue &) = delete;

    // $XDG_STATE_HOME (else ~/.local/state)/KLV57/queue/<prefix, escaped>.
    static QString directoryFor(const QString &prefix);

    // Creates the directory, takes its lock and reads what an earlier run
    // left. False with errorString() when it cannot.
    bool open(const QString &directory);
    QString directory() const { return m_directory; }

    // Appends a record; false with errorString() when it cannot be written.
    bool append(const QByteArray &payload);

    // The next record not yet handed out since the last rewind(), in order.
    std::optional<Entry> takeNext();
    // Hands out again from the first unacknowledged record (a new
    // connection: what was in flight is sent again).
    void rewind();
    // The broker has a record; the head moves past every record
    // acknowledged without a gap before it.
    void acknowledge(quint64 sequence);

    // Records not yet acknowledged, on disk.
    qint64 pendingCount() const;
    // Records dropped by the limit since open().
    qint64 droppedCount() const { return m_dropped; }
    qint64 sizeBytes() const { return m_bytes; }
    qint64 limitBytes() const { return m_limit; }

    // Writes the head file; the records before it are gone for good.
    bool sync();
    QString errorString() const { return m_error; }

private:
    struct Segment {
        quint64 first = 0;
        qint64 count = 0;
        qint64 bytes = 0;
        QString path;
        quint64 end() const { return first + quint64(count); }
    };

    bool fail(const QString &what, const QFile &file);
    bool loadSegment(const QString &path, quint64 first);
    void dropOldest();
    void removeAcknowledgedSegments();
    bool startSegment();
    std::optional<quint64> seekReader(quint64 sequence);
    std::optional<Entry> readAt(quint64 sequence);

    qint64 m_limit;
    qint64 m_segmentLimit;
    QString m_directory;
    int m_lockFd = -1;
    std::deque<Segment> m_segments;
    qint64 m_bytes = 0;
    quint64 m_head = 0; // first unacknowledged
    quint64 m_syncedHead = 0;
    quint64 m_nextSequence = 0;
    quint64 m_cursor = 0; // next to hand out
    std::set<quint64> m_acknowledgedAhead; // acknowledged past a gap
    qint64 m_dropped = 0;
    QFile m_writer;
    QFile m_reader;
    quint64 m_readerFirst = 0; // the reader's segment
    quint64 m_readerSequence = 0; // the record at the reader's position
    QString m_error;
};
