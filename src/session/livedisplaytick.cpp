#include "livedisplaytick.h"

#include "devicelink.h"
#include "deviceprotocol.h"

LiveDisplayTick::LiveDisplayTick(const DeviceLink &link, const DeviceProtocol &protocol,
                                 const DisplayState &state, QObject *parent)
    : QObject(parent), m_link(link), m_protocol(protocol), m_state(state)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &LiveDisplayTick::tick);
}

void LiveDisplayTick::tick()
{
    emit shown(liveDisplay(m_protocol.liveValues(), m_state, m_link.isConnected()));
}
