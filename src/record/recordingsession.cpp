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
    m_step.reset();
    m_recordsWritten = 0;
    m_file.switchOn();
    m_flushTimer.start();
}

void RecordingSession::switchOff()
{
    m_flushTimer.stop();
    m_step.reset();
    if (!m_file.switchOff())
        fail();
}

void RecordingSession::frameStored(const RecordingChoices &choices, const LiveValues &values)
{
    if (!m_file.isOn())
        return;
    m_step.setRateItem(choices.rateItem);
    if (!m_step.frameArrived())
        return;
    if (!m_file.appendRecord(choices.path, choices.columns, values, QDateTime::currentDateTime(),
                             choices.decimals)) {
        fail();
        return;
    }
    ++m_recordsWritten;
}

void RecordingSession::fail()
{
    // RecordFile is off and closed by now: nothing pretends to record.
    m_flushTimer.stop();
    m_step.reset();
    emit failed(m_file.errorString());
}
