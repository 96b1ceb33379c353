#include "programwindows.h"

ProgramWindows::ProgramWindows(DeviceLink &link, DeviceProtocol &protocol, const QString &settingsPath)
    : form1(link, protocol, settingsPath), form2(&form1),
      formCalib(link, protocol, form1.reportedSettings(), form1.sensorSettingsPage(), form1.displayState(),
                &form1),
      formAnCalib(protocol, &form1)
{
    form1.setWindows(&form2, &formAnCalib, &formBigDisplay, &formCalib);
}
