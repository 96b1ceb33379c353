#include "programwindows.h"

ProgramWindows::ProgramWindows(DeviceLink &link, DeviceProtocol &protocol, const QString &settingsPath)
    : form1(link, protocol, settingsPath), form2(&form1), formAnCalib(protocol, &form1)
{
    form1.setWindows(&form2, &formAnCalib, &formBigDisplay);
}
