#pragma once

#include "aboutdialog.h"
#include "analogcalibrationdialog.h"
#include "bigdisplaywindow.h"
#include "mainwindow.h"
#include "sensorcalibrationwindow.h"

class ModuleSession;

// The program's five windows, created in this order, wired to each other
// and to the module session. The program and the tests build them the same
// way. GUI thread only.
struct ProgramWindows {
    // `settingsPath`: the config.ini that start-up reads and close writes.
    ProgramWindows(ModuleSession &session, const QString &settingsPath);

    MainWindow form1;
    AboutDialog form2;
    SensorCalibrationWindow formCalib;
    AnalogCalibrationDialog formAnCalib;
    BigDisplayWindow formBigDisplay;
};
