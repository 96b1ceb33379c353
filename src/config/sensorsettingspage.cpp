#include "sensorsettingspage.h"

SensorSettingsPage::SensorSettingsPage(DeviceProtocol *protocol, DisplayState *state, QWidget *parent)
    : QWidget(parent), m_protocol(protocol), m_state(state)
{
}

void SensorSettingsPage::applyReport(const TensSettings &)
{
}

void SensorSettingsPage::onWriteAcknowledged()
{
}

void SensorSettingsPage::fillFilterLevels()
{
}

void SensorSettingsPage::Rb_SpeedHIClick()
{
}

int SensorSettingsPage::decimalPlaces() const
{
    return 1;
}

QLabel *SensorSettingsPage::liveValueLabel(int) const
{
    return nullptr;
}
