#include "recordqueue.h"

#include "queueframe.h"

#include <QDir>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString HeadFileName = QStringLiteral("head");
const QString LockFileName = QStringLiteral("lock");
const QString SegmentSuffix = QStringLiteral(".seg");

QString segmentName(quint64 first)
{
    return QStringLiteral("%1%2").arg(first, 16, 16, QLatin1Char('0')).arg(SegmentSuffix);
}

} // namespace

RecordQueue::RecordQueue(qint64 limitBytes)
    : m_limit(std::max(limitBytes, MinimumLimitBytes)),
      // Small enough that dropping one segment keeps most of the queue,
      // large enough that a steady stream opens few files.
      m_segmentLimit(std::clamp<qint64>(m_limit / 10, 1, 4'000'000))
{
}

RecordQueue::~RecordQueue()
{
    if (!m_directory.isEmpty())
        sync();
    m_writer.close();
    m_reader.close();
    if (m_lockFd >= 0)
        ::close(m_lockFd); // releases the lock
}

QString RecordQueue::directoryFor(const QString &prefix)
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    // One directory per prefix, whatever its levels.
    const QString key = QString::fromLatin1(QUrl::toPercentEncoding(prefix));
    return state + QStringLiteral("/KLV57/queue/") + key;
}

bool RecordQueue::fail(const QString &what, const QFile &file)
{
    m_error = QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(file.fileName()),
                                               file.errorString());
    return false;
}

bool RecordQueue::open(const QString &directory)
{
    m_directory = directory;
    QDir dir(directory);
    if (!dir.mkpath(QStringLiteral("."))) {
        m_error = QStringLiteral("cannot create the queue directory %1").arg(directory);
        return false;
    }
    const QByteArray lockPath = QFile::encodeName(dir.filePath(LockFileName));
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        m_error = QStringLiteral("the queue %1 is in use by another program publishing to the "
                                 "same prefix")
                      .arg(directory);
        return false;
    }

    QFile headFile(dir.filePath(HeadFileName));
    if (headFile.open(QIODevice::ReadOnly)) {
        if (const std::optional<QueueHead> head = QueueHead::decode(headFile.readAll()))
            m_head = head->firstUnacknowledged;
    }
    QStringList names = dir.entryList({QStringLiteral("*") + SegmentSuffix}, QDir::Files);
    std::sort(names.begin(), names.end()); // fixed-width hex: text order is number order
    for (const QString &name : names) {
        bool isNumber = false;
        const quint64 first = name.chopped(SegmentSuffix.size()).toULongLong(&isNumber, 16);
        if (isNumber && !loadSegment(dir.filePath(name), first))
            return false;
    }
    removeAcknowledgedSegments();
    m_nextSequence = m_segments.empty() ? m_head : std::max(m_head, m_segments.back().end());
    if (!m_segments.empty())
        m_head = std::max(m_head, m_segments.front().first); // a gap: those records are gone
    m_syncedHead = m_head;
    m_cursor = m_head;
    return true;
}

bool RecordQueue::loadSegment(const QString &path, quint64 first)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return fail(QStringLiteral("cannot open"), file);
    const QByteArray bytes = file.readAll();
    Segment segment{first, 0, 0, path};
    while (const std::optional<QueueFrame> frame = QueueFrame::decode(bytes, segment.bytes)) {
        segment.bytes += frame->frameSize();
        ++segment.count;
    }
    // A torn or damaged tail (a crash mid-write): cut so appends go on from
    // a frame boundary.
    if (segment.bytes < bytes.size() && !file.resize(segment.bytes))
        return fail(QStringLiteral("cannot repair"), file);
    file.close();
    const bool overlaps = !m_segments.empty() && first < m_segments.back().end();
    if (segment.count == 0 || overlaps) {
        QFile::remove(path);
        return true;
    }
    m_bytes += segment.bytes;
    m_segments.push_back(segment);
    return true;
}

bool RecordQueue::startSegment()
{
    m_writer.close();
    Segment segment{m_nextSequence, 0, 0, QDir(m_directory).filePath(segmentName(m_nextSequence))};
    m_writer.setFileName(segment.path);
    // Unbuffered: each frame is one write(2), whole in the file when the
    // program dies after it.
    if (!m_writer.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail(QStringLiteral("cannot create"), m_writer);
    m_segments.push_back(segment);
    return true;
}

bool RecordQueue::append(const QByteArray &payload)
{
    if (payload.size() > qsizetype(QueueFrame::MaxPayload)) {
        m_error =
            QStringLiteral("a record of %1 bytes is too long for the queue").arg(payload.size());
        return false;
    }
    if (m_segments.empty() || !m_writer.isOpen() || m_segments.back().bytes >= m_segmentLimit) {
        if (!startSegment())
            return false;
    }
    const QByteArray frame = QueueFrame{payload}.encode();
    if (m_writer.write(frame) != frame.size())
        return fail(QStringLiteral("cannot write"), m_writer);
    Segment &last = m_segments.back();
    last.bytes += frame.size();
    ++last.count;
    m_bytes += frame.size();
    ++m_nextSequence;
    while (m_bytes > m_limit && m_segments.size() > 1)
        dropOldest();
    return true;
}

void RecordQueue::dropOldest()
{
    const Segment oldest = m_segments.front();
    m_segments.pop_front();
    m_bytes -= oldest.bytes;
    if (oldest.end() > m_head) {
        const quint64 unacknowledged = oldest.end() - std::max(m_head, oldest.first);
        const auto acknowledged = std::distance(m_acknowledgedAhead.begin(),
                                                m_acknowledgedAhead.lower_bound(oldest.end()));
        m_dropped += qint64(unacknowledged) - qint64(acknowledged);
        m_head = oldest.end();
    }
    m_acknowledgedAhead.erase(m_acknowledgedAhead.begin(),
                              m_acknowledgedAhead.lower_bound(m_head));
    while (!m_acknowledgedAhead.empty() && *m_acknowledgedAhead.begin() == m_head) {
        m_acknowledgedAhead.erase(m_acknowledgedAhead.begin());
        ++m_head;
    }
    m_cursor = std::max(m_cursor, m_head);
    if (m_reader.isOpen() && m_readerFirst == oldest.first)
        m_reader.close();
    QFile::remove(oldest.path);
}

void RecordQueue::removeAcknowledgedSegments()
{
    while (!m_segments.empty() && m_segments.front().end() <= m_head) {
        const Segment &oldest = m_segments.front();
        // A broker that keeps up acknowledges each record before the next:
        // the segment being written stays until it is full, rather than a
        // file created and removed per record.
        if (m_segments.size() == 1 && m_writer.isOpen() && oldest.bytes < m_segmentLimit)
            return;
        if (m_segments.size() == 1)
            m_writer.close(); // the next append starts a new one
        if (m_reader.isOpen() && m_readerFirst == oldest.first)
            m_reader.close();
        m_bytes -= oldest.bytes;
        QFile::remove(oldest.path);
        m_segments.pop_front();
    }
}

void RecordQueue::acknowledge(quint64 sequence)
{
    if (sequence < m_head || sequence >= m_nextSequence)
        return; // again, or dropped meanwhile
    if (sequence != m_head) {
        m_acknowledgedAhead.insert(sequence);
        return;
    }
    ++m_head;
    while (!m_acknowledgedAhead.empty() && *m_acknowledgedAhead.begin() == m_head) {
        m_acknowledgedAhead.erase(m_acknowledgedAhead.begin());
        ++m_head;
    }
    if (!m_segments.empty() && m_segments.front().end() <= m_head)
        removeAcknowledgedSegments();
}

void RecordQueue::rewind()
{
    m_cursor = m_head;
}

qint64 RecordQueue::pendingCount() const
{
    return qint64(m_nextSequence - m_head) - qint64(m_acknowledgedAhead.size());
}

std::optional<RecordQueue::Entry> RecordQueue::takeNext()
{
    while (m_cursor < m_nextSequence) {
        if (m_acknowledgedAhead.count(m_cursor) != 0) {
            ++m_cursor;
            continue;
        }
        std::optional<Entry> entry = readAt(m_cursor);
        if (!entry) {
            ++m_cursor; // unreadable now: given up rather than sent forever
            continue;
        }
        m_cursor = entry->sequence + 1;
        return entry;
    }
    return std::nullopt;
}

std::optional<quint64> RecordQueue::seekReader(quint64 sequence)
{
    auto segment = std::find_if(m_segments.begin(), m_segments.end(),
                                [&](const Segment &s) { return s.end() > sequence; });
    if (segment == m_segments.end())
        return std::nullopt;
    const quint64 target = std::max(sequence, segment->first); // past a gap: its next record
    if (!m_reader.isOpen() || m_readerFirst != segment->first || m_readerSequence > target) {
        m_reader.close();
        m_reader.setFileName(segment->path);
        if (!m_reader.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return std::nullopt;
        m_readerFirst = segment->first;
        m_readerSequence = segment->first;
    }
    // Forward to the record, frame by frame.
    while (m_readerSequence < target) {
        const std::optional<quint32> length =
            QueueFrame::payloadLength(m_reader.read(QueueFrame::HeaderSize));
        if (!length || !m_reader.seek(m_reader.pos() + *length))
            return std::nullopt;
        ++m_readerSequence;
    }
    return target;
}

std::optional<RecordQueue::Entry> RecordQueue::readAt(quint64 sequence)
{
    const std::optional<quint64> at = seekReader(sequence);
    const QByteArray header = at ? m_reader.read(QueueFrame::HeaderSize) : QByteArray();
    const std::optional<quint32> length = QueueFrame::payloadLength(header);
    const std::optional<QueueFrame> frame =
        length ? QueueFrame::decode(header + m_reader.read(qint64(*length))) : std::nullopt;
    if (!frame) {
        m_reader.close();
        return std::nullopt;
    }
    ++m_readerSequence;
    return Entry{*at, frame->payload};
}

bool RecordQueue::sync()
{
    if (m_head == m_syncedHead)
        return true;
    QSaveFile file(QDir(m_directory).filePath(HeadFileName));
    file.open(QIODevice::WriteOnly);
    file.write(QueueHead{m_head}.encode());
    if (!file.commit()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    m_syncedHead = m_head;
    return true;
}
