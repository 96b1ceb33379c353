#include "measurementspage.h"

MeasurementsPage::MeasurementsPage(DeviceLink *link, DeviceProtocol *protocol,
                                   const DisplayState *state, QWidget *parent)
    : QWidget(parent), m_link(link), m_protocol(protocol), m_state(state)
{
}

void MeasurementsPage::DisplayDataTimer()
{
}

void MeasurementsPage::BtnTaraClick()
{
}

void MeasurementsPage::Btn_ResetMinMaxClick()
{
}

void MeasurementsPage::Bit_BigWindowClick()
{
}
