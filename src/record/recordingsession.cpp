#include "recordingsession.h"

#include <QDateTime>

#include <chrono>

RecordingSession::RecordingSession(QObject *parent)
    : QObject(parent), m_file(std::chrono::milliseconds(FlushIntervalMs))
{
    m_flushTimer.setInterval(FlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] {
        if (!m_file.flush())
            fail();
    });
}

void RecordingSession::switchOn()
{
    m_withoutFile = false;
    m_step.reset();
    m_recordsWritten = 0;
    m_file.switchOn();
    m_flushTimer.start();
}

void RecordingSession::switchOnWithoutFile()
{
    m_step.reset();
    m_recordsWritten = 0;
    m_withoutFile = true;
}

void RecordingSession::switchOff()
{
    m_withoutFile = false;
    m_flushTimer.stop();
    m_step.reset();
    if (!m_file.switchOff())
        fail();
}

void RecordingSession::frameStored(const RecordingChoices &choices, const LiveValues &values)
{
    if (!isOn())
        return;
    m_step.setRateItem(choices.rateItem);
    if (!m_step.frameArrived())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    if (!m_withoutFile &&
        !m_file.appendRecord(choices.path, choices.columns, values, now, choices.decimals)) {
        fail();
        return;
    }
    // Without a file, the same count the file's numbering follows.
    const qint32 number =
        m_withoutFile ? qint32(quint32(m_recordsWritten)) : m_file.recordNumber();
    ++m_recordsWritten;
    emit recordMade({number, now, choices.columns, values, choices.decimals});
}

void RecordingSession::fail()
{
    // RecordFile is off and closed by now: nothing pretends to record.
    m_flushTimer.stop();
    m_step.reset();
    emit failed(m_file.errorString());
}
