#pragma once

#include "preferencerows.h"
#include "recordline.h"

#include <QString>

#include <array>

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

template <RecordColumn Column> bool &recordColumn(RecordingPreferences &p)
{
    return p.columns[std::size_t(Column)];
}

// Their rows of config.ini, in the file's order.
inline constexpr std::array<PreferenceRow<RecordingPreferences>, 11> RecordingPreferenceRows{{
    {"Checkbox_DataAcquistion",
     &PreferenceAccess::member<&RecordingPreferences::Checkbox_DataAcquistion>, 0, true},
    {"DataAcquistionSpeed", &PreferenceAccess::member<&RecordingPreferences::DataAcquistionSpeed>,
     int(RecordRateItems.size()), true},
    {"FileName", &PreferenceAccess::member<&RecordingPreferences::FileName>, 0, false},
    {"SaveDate", &recordColumn<RecordColumn::Date>, 0, true},
    {"SaveTime", &recordColumn<RecordColumn::Time>, 0, true},
    {"SaveDataCnt", &recordColumn<RecordColumn::Number>, 0, true},
    {"SaveDataSummary", &recordColumn<RecordColumn::Sum>, 0, true},
    {"SaveDataSens1", &recordColumn<RecordColumn::Sensor1>, 0, true},
    {"SaveDataSens2", &recordColumn<RecordColumn::Sensor2>, 0, true},
    {"SaveDataSens3", &recordColumn<RecordColumn::Sensor3>, 0, true},
    {"SaveDataSens4", &recordColumn<RecordColumn::Sensor4>, 0, true},
}};
