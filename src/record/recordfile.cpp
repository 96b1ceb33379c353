#include "recordfile.h"

#include <QDir>

RecordFile::RecordFile(std::chrono::milliseconds flushInterval) : m_flushInterval(flushInterval) {}

RecordFile::~RecordFile()
{
    switchOff();
}

void RecordFile::switchOn()
{
    m_on = true;
    m_headerPending = true;
}

bool RecordFile::switchOff()
{
    m_on = false;
    m_headerPending = false;
    const bool flushed = flush();
    m_file.close();
    return flushed;
}

bool RecordFile::appendRecord(const QString &path, const RecordColumns &columns,
                              const LiveValues &values, const QDateTime &now, int decimals,
                              const QLocale &locale)
{
    if (!m_on)
        return true;
    QString text;
    if (m_headerPending) {
        text = buildRecordHeader(columns);
        m_headerPending = false;
        m_recordNumber = 0;
    } else {
        m_recordNumber = qint32(quint32(m_recordNumber) + 1u); // wraps as a 32-bit count does
    }
    text += BuildRecordLine(columns, values, m_recordNumber, now, decimals, locale);

    if (!m_file.isOpen()) {
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
            return fail();
        m_sinceFlush.start();
    }
    const QByteArray bytes = text.toUtf8();
    if (m_file.write(bytes) != bytes.size())
        return fail();
    if (m_sinceFlush.elapsed() >= m_flushInterval.count())
        return flush();
    return true;
}

bool RecordFile::flush()
{
    if (!m_file.isOpen())
        return true;
    if (!m_file.flush())
        return fail();
    m_sinceFlush.restart();
    return true;
}

bool RecordFile::fail()
{
    m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file.fileName()),
                                           m_file.errorString());
    m_on = false;
    m_headerPending = false;
    m_file.close();
    return false;
}
