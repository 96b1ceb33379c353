// The on-disk queue and the store-and-forward logic over a fake broker
// connection: order, acknowledgements, reconnection, the limit, restarts
// and a crash's torn tail.
#include "queueframe.h"
#include "recordforwarder.h"
#include "recordqueue.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {

QByteArray payload(int n)
{
    return QByteArray("record ") + QByteArray::number(n);
}

// Takes every message while "connected"; the test acknowledges them.
class FakeSink : public MessageSink
{
public:
    std::optional<int> send(const QByteArray &message) override
    {
        if (!up)
            return std::nullopt;
        sent[++lastId] = message;
        return lastId;
    }
    bool up = true;
    int lastId = 0;
    std::map<int, QByteArray> sent; // message id -> payload, in sending order
};

QList<QByteArray> drain(RecordQueue &queue)
{
    QList<QByteArray> taken;
    while (std::optional<RecordQueue::Entry> entry = queue.takeNext()) {
        taken << entry->payload;
        queue.acknowledge(entry->sequence);
    }
    return taken;
}

qint64 segmentBytes(const QString &directory)
{
    qint64 bytes = 0;
    for (const QFileInfo &info : QDir(directory).entryInfoList({"*.seg"}, QDir::Files))
        bytes += info.size();
    return bytes;
}

} // namespace

class TestRecordQueue : public QObject
{
    Q_OBJECT
private slots:
    void frames_data();
    void frames();
    void headRoundTrip();
    void directoryFollowsTheStateHome();
    void inOrderAndAcknowledgedOutOfOrder();
    void keepsWhatIsUnacknowledgedAcrossRuns();
    void removesWhatIsAcknowledged();
    void cutsATornTail();
    void limitDropsTheOldest();
    void oneProgramPerQueue();
    void forwardsAndResendsAfterALoss();
};

void TestRecordQueue::frames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("payload"); // "-": no frame
    // CRC-32 of "123456789" is CBF43926.
    QTest::newRow("whole") << QByteArray::fromHex("090000002639f4cb313233343536373839")
                           << QByteArray("123456789");
    QTest::newRow("empty payload") << QByteArray::fromHex("0000000000000000") << QByteArray("");
    QTest::newRow("cut in the payload")
        << QByteArray::fromHex("090000002639f4cb3132") << QByteArray("-");
    QTest::newRow("cut in the header") << QByteArray::fromHex("09000000") << QByteArray("-");
    QTest::newRow("wrong CRC") << QByteArray::fromHex("090000002639f4cc313233343536373839")
                               << QByteArray("-");
    QTest::newRow("length past the most")
        << QByteArray::fromHex("0100100000000000") + QByteArray(0x100001, 'x') << QByteArray("-");
}

void TestRecordQueue::frames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, payload);
    const std::optional<QueueFrame> frame = QueueFrame::decode(bytes);
    if (payload == "-") {
        QVERIFY(!frame);
        return;
    }
    QVERIFY(frame);
    QCOMPARE(frame->payload, payload);
    QCOMPARE(QueueFrame{payload}.encode(), bytes);
}

void TestRecordQueue::headRoundTrip()
{
    const QueueHead head{0x0000000100000002ull};
    const QByteArray bytes = head.encode();
    QCOMPARE(bytes.size(), QueueHead::Size);
    QCOMPARE(bytes.left(8), QByteArray::fromHex("0200000001000000"));
    QCOMPARE(QueueHead::decode(bytes)->firstUnacknowledged, head.firstUnacknowledged);
    QByteArray damaged = bytes;
    damaged[0] = 3;
    QVERIFY(!QueueHead::decode(damaged));
    QVERIFY(!QueueHead::decode(bytes.left(11)));
}

void TestRecordQueue::directoryFollowsTheStateHome()
{
    qputenv("XDG_STATE_HOME", "/var/tmp/state");
    QCOMPARE(RecordQueue::directoryFor("plant/bench 3"),
             QStringLiteral("/var/tmp/state/KLV57/queue/plant%2Fbench%203"));
    qputenv("XDG_STATE_HOME", "relative/is/ignored");
    QCOMPARE(RecordQueue::directoryFor("a"), QDir::homePath() + "/.local/state/KLV57/queue/a");
    qunsetenv("XDG_STATE_HOME");
}

void TestRecordQueue::inOrderAndAcknowledgedOutOfOrder()
{
    QTemporaryDir dir;
    RecordQueue queue;
    QVERIFY2(queue.open(dir.path()), qPrintable(queue.errorString()));
    for (int n = 0; n < 5; ++n)
        QVERIFY(queue.append(payload(n)));
    QList<RecordQueue::Entry> taken;
    while (std::optional<RecordQueue::Entry> entry = queue.takeNext())
        taken << *entry;
    QCOMPARE(taken.size(), 5);
    for (int n = 0; n < 5; ++n)
        QCOMPARE(taken[n].payload, payload(n));
    queue.acknowledge(taken[1].sequence); // past a gap
    queue.acknowledge(taken[3].sequence);
    QCOMPARE(queue.pendingCount(), 3);
    queue.rewind(); // what is unacknowledged comes again, the acknowledged not
    QList<QByteArray> again;
    while (std::optional<RecordQueue::Entry> entry = queue.takeNext())
        again << entry->payload;
    QCOMPARE(again, (QList<QByteArray>{payload(0), payload(2), payload(4)}));
    queue.acknowledge(taken[0].sequence);
    queue.acknowledge(taken[0].sequence); // twice: no harm
    queue.acknowledge(taken[2].sequence);
    queue.acknowledge(taken[4].sequence);
    QCOMPARE(queue.pendingCount(), 0);
}

void TestRecordQueue::keepsWhatIsUnacknowledgedAcrossRuns()
{
    QTemporaryDir dir;
    {
        RecordQueue queue;
        QVERIFY(queue.open(dir.path()));
        for (int n = 0; n < 10; ++n)
            QVERIFY(queue.append(payload(n)));
        for (int n = 0; n < 4; ++n)
            queue.acknowledge(queue.takeNext()->sequence);
        queue.takeNext(); // in flight, unacknowledged at the end
    }
    RecordQueue queue;
    QVERIFY(queue.open(dir.path()));
    QCOMPARE(queue.pendingCount(), 6);
    QVERIFY(queue.append(payload(10)));
    QList<QByteArray> expected;
    for (int n = 4; n <= 10; ++n)
        expected << payload(n);
    QCOMPARE(drain(queue), expected);
}

void TestRecordQueue::removesWhatIsAcknowledged()
{
    QTemporaryDir dir;
    const qint64 limit = 2000; // segments of 200 bytes
    {
        RecordQueue queue(limit);
        QVERIFY(queue.open(dir.path()));
        for (int n = 0; n < 40; ++n)
            QVERIFY(queue.append(payload(n)));
        QCOMPARE(drain(queue).size(), 40);
        // Only the segment being written is left, with acknowledged records.
        QCOMPARE(QDir(dir.path()).entryList({"*.seg"}).size(), 1);
    }
    RecordQueue queue(limit);
    QVERIFY(queue.open(dir.path()));
    QCOMPARE(queue.pendingCount(), 0);
    QCOMPARE(segmentBytes(dir.path()), 0);
    QVERIFY(!queue.takeNext());
}

void TestRecordQueue::cutsATornTail()
{
    QTemporaryDir dir;
    {
        RecordQueue queue;
        QVERIFY(queue.open(dir.path()));
        for (int n = 0; n < 3; ++n)
            QVERIFY(queue.append(payload(n)));
    }
    // A crash in the middle of a write: half a frame at the end.
    const QStringList segments = QDir(dir.path()).entryList({"*.seg"});
    QCOMPARE(segments.size(), 1);
    QFile segment(dir.filePath(segments.first()));
    QVERIFY(segment.open(QIODevice::Append));
    segment.write(QueueFrame{payload(3)}.encode().left(11));
    segment.close();

    RecordQueue queue;
    QVERIFY(queue.open(dir.path()));
    QCOMPARE(queue.pendingCount(), 3);
    QVERIFY(queue.append(payload(4))); // goes on from a frame boundary
    QCOMPARE(drain(queue), (QList<QByteArray>{payload(0), payload(1), payload(2), payload(4)}));
}

void TestRecordQueue::limitDropsTheOldest()
{
    QTemporaryDir dir;
    const qint64 limit = 2000;
    const int records = 400; // about 7 kB of frames
    {
        RecordQueue queue(limit);
        QVERIFY(queue.open(dir.path()));
        for (int n = 0; n < records; ++n) {
            QVERIFY(queue.append(payload(n)));
            QVERIFY(queue.sizeBytes() <= limit);
        }
        QVERIFY(queue.droppedCount() > 0);
        QCOMPARE(queue.pendingCount() + queue.droppedCount(), qint64(records));
        QCOMPARE(segmentBytes(dir.path()), queue.sizeBytes());
    }
    // The newest are kept, in order, without a gap.
    RecordQueue queue(limit);
    QVERIFY(queue.open(dir.path()));
    const QList<QByteArray> kept = drain(queue);
    QVERIFY(!kept.isEmpty());
    for (int i = 0; i < kept.size(); ++i)
        QCOMPARE(kept[i], payload(records - int(kept.size()) + i));
}

void TestRecordQueue::oneProgramPerQueue()
{
    QTemporaryDir dir;
    RecordQueue first;
    QVERIFY(first.open(dir.path()));
    RecordQueue second;
    QVERIFY(!second.open(dir.path()));
    QVERIFY(second.errorString().contains("in use"));
}

void TestRecordQueue::forwardsAndResendsAfterALoss()
{
    QTemporaryDir dir;
    RecordQueue queue;
    QVERIFY(queue.open(dir.path()));
    FakeSink sink;
    RecordForwarder forwarder(queue, sink, 3);

    QVERIFY(forwarder.add(payload(0))); // not connected yet: only queued
    QVERIFY(sink.sent.empty());
    forwarder.connected();
    for (int n = 1; n < 6; ++n)
        QVERIFY(forwarder.add(payload(n)));
    QCOMPARE(int(sink.sent.size()), 3); // the window
    QCOMPARE(sink.sent.begin()->second, payload(0));
    forwarder.acknowledged(1);
    forwarder.acknowledged(3); // out of order
    QCOMPARE(int(sink.sent.size()), 5);
    QCOMPARE(forwarder.acknowledgedCount(), 2);

    // The connection breaks with 2, 4 and 5 in flight; the old
    // acknowledgements that still come in change nothing.
    forwarder.disconnected();
    forwarder.acknowledged(2);
    QVERIFY(forwarder.add(payload(6)));
    QCOMPARE(queue.pendingCount(), 5);
    sink.sent.clear();
    forwarder.connected();
    QList<QByteArray> resent;
    for (const auto &[id, message] : sink.sent)
        resent << message;
    QCOMPARE(resent, (QList<QByteArray>{payload(1), payload(3), payload(4)}));
    while (!sink.sent.empty()) {
        const int id = sink.sent.begin()->first;
        sink.sent.erase(sink.sent.begin());
        forwarder.acknowledged(id);
    }
    QCOMPARE(queue.pendingCount(), 0);
    QCOMPARE(forwarder.inFlight(), 0);
}

QTEST_GUILESS_MAIN(TestRecordQueue)
#include "tst_recordqueue.moc"
