#pragma once

#include "aboutdialog.h"
#include "analogcalibrationdialog.h"
#include "bigdisplaywindow.h"
#include "mainwindow.h"
#include "sensorcalibrationwindow.h"

class DeviceLink;
class DeviceProtocol;

// The program's five windows, created in this order and wired to each
// other. The program and the tests build them the same way. GUI thread only.
struct ProgramWindows {
    // `settingsPath`: the config.ini that start-up reads and close writes.
    ProgramWindows(DeviceLink &link, DeviceProtocol &protocol, const QString &settingsPath);

    MainWindow form1;
    AboutDialog form2;
    SensorCalibrationWindow formCalib;
    AnalogCalibrationDialog formAnCalib;
    BigDisplayWindow formBigDisplay;
};
