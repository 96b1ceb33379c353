#include "iosettingspage.h"

IoSettingsPage::IoSettingsPage(DeviceProtocol *protocol, DisplayState *state,
                               std::function<int()> decimalPlaces, QWidget *parent)
    : QWidget(parent), m_protocol(protocol), m_state(state), m_decimalPlaces(std::move(decimalPlaces))
{
}

void IoSettingsPage::applyReport(const OtherSettings &)
{
}

void IoSettingsPage::fillModbusAddresses()
{
}

QLineEdit *IoSettingsPage::out1Status() const
{
    return nullptr;
}

QLineEdit *IoSettingsPage::out2Status() const
{
    return nullptr;
}
