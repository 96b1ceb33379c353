#include "programwindows.h"

ProgramWindows::ProgramWindows(ModuleSession &session, const QString &settingsPath)
    : form1(session, settingsPath), form2(&form1), formCalib(session, form1.sensorSettingsPage(), &form1),
      formAnCalib(session, &form1)
{
    form1.setWindows(&form2, &formAnCalib, &formBigDisplay, &formCalib);
}
