#pragma once

#include "recordline.h"

#include <QString>

// The recording page's preferences as the settings file keeps them; the
// member initialisers are the file's defaults. An index of -1 is a list
// without a selection.
struct RecordingPreferences {
    bool Checkbox_DataAcquistion = false;
    int DataAcquistionSpeed = 0; // ComboBox_AcquistionTime item: "~ 80 / s."
    QString FileName = QStringLiteral("pomiary.csv");
    // Date, time, number, sum, sensors 1..4, in the columns' order.
    RecordColumns columns{true, true, true, false, true, false, false, false};
};
