#pragma once

#include "recordingpreferences.h"

#include <QString>

#include <array>
#include <variant>

// The program's own preferences, section `Options` of config.ini. Lists
// hold the selected item index, -1 for no selection.
struct ProgramPreferences {
    bool Checkbox_DataAcquistion;
    int DataAcquistionSpeed;
    QString FileName;
    bool SaveDate;
    bool SaveTime;
    bool SaveDataCnt;
    bool SaveDataSummary;
    bool SaveDataSens1;
    bool SaveDataSens2;
    bool SaveDataSens3;
    bool SaveDataSens4;
    bool ChartSeries1;
    bool ChartSeries2;
    bool ChartSeries3;
    bool ChartSeries4;
    bool ChartSeries5;
    int TimeSize;
    int Sampling;
    int DecimalPoint;
    int Language;

    ProgramPreferences(); // every key at its default, from OptionsKeys
};

// The member a key is kept in; its type is the key's type (boolean, integer, text).
using PreferenceField = std::variant<bool ProgramPreferences::*, int ProgramPreferences::*,
                                     QString ProgramPreferences::*>;

struct PreferenceKey {
    const char *name;
    PreferenceField field;
    int defaultNumber;       // booleans 0 or 1, integers
    const char *defaultText; // texts
    int listSize;            // integers: items of the list whose index it is; LanguageList
                             // for the translation store's languages
    bool writtenAtClose;     // FileName is written only when a file is chosen
};

inline constexpr int LanguageList = -1;

inline const QString OptionsSection = QStringLiteral("Options");

// The keys of section `Options`, in the order start-up reads them and close
// writes them.
inline constexpr std::array<PreferenceKey, 20> OptionsKeys{{
    {"Checkbox_DataAcquistion", &ProgramPreferences::Checkbox_DataAcquistion, 0, nullptr, 0, true},
    {"DataAcquistionSpeed", &ProgramPreferences::DataAcquistionSpeed, 0, nullptr, 5, true},
    {"FileName", &ProgramPreferences::FileName, 0, "pomiary.csv", 0, false},
    {"SaveDate", &ProgramPreferences::SaveDate, 1, nullptr, 0, true},
    {"SaveTime", &ProgramPreferences::SaveTime, 1, nullptr, 0, true},
    {"SaveDataCnt", &ProgramPreferences::SaveDataCnt, 1, nullptr, 0, true},
    {"SaveDataSummary", &ProgramPreferences::SaveDataSummary, 0, nullptr, 0, true},
    {"SaveDataSens1", &ProgramPreferences::SaveDataSens1, 1, nullptr, 0, true},
    {"SaveDataSens2", &ProgramPreferences::SaveDataSens2, 0, nullptr, 0, true},
    {"SaveDataSens3", &ProgramPreferences::SaveDataSens3, 0, nullptr, 0, true},
    {"SaveDataSens4", &ProgramPreferences::SaveDataSens4, 0, nullptr, 0, true},
    {"ChartSeries1", &ProgramPreferences::ChartSeries1, 1, nullptr, 0, true},
    {"ChartSeries2", &ProgramPreferences::ChartSeries2, 0, nullptr, 0, true},
    {"ChartSeries3", &ProgramPreferences::ChartSeries3, 0, nullptr, 0, true},
    {"ChartSeries4", &ProgramPreferences::ChartSeries4, 0, nullptr, 0, true},
    {"ChartSeries5", &ProgramPreferences::ChartSeries5, 0, nullptr, 0, true},
    {"TimeSize", &ProgramPreferences::TimeSize, 1, nullptr, 7, true}, // Cb_ChartTimeWindow
    {"Sampling", &ProgramPreferences::Sampling, 2, nullptr, 6, true}, // ComboB_ChartSampling
    {"DecimalPoint", &ProgramPreferences::DecimalPoint, 1, nullptr, 5, true}, // Cb_Decp
    {"Language", &ProgramPreferences::Language, 0, nullptr, LanguageList, true},         // siLangCombo1
}};

// config.ini beside the executable when one is there or the directory is
// writable (a portable install), else in the user's configuration
// directory. A program installed under /usr (a package, `make install`)
// always uses the user's directory: root could write beside it, and the
// file would be left in /usr/bin. Start-up, close and the recording page
// all use this one path.
QString settingsFilePath();
QString chooseSettingsFilePath(const QString &programDir, const QString &userConfigDir);

// Reads the 20 keys in order. A missing or non-integer value gives the key's
// default; an index outside its list reads as -1, so it selects nothing and
// is written back as -1.
ProgramPreferences readPreferences(const QString &path);

// The recording page's own preferences; `--record` starts from them too.
RecordingPreferences recordingPreferences(const ProgramPreferences &preferences);

// Writes keys 1, 2 and 4 to 20 in order, creating the directory if needed.
// Stops at the first key that cannot be written: the keys before it stay
// written, `failedKey` names it and the result is false.
bool writePreferencesAtClose(const QString &path, const ProgramPreferences &preferences,
                             QString *failedKey = nullptr);

// FileName, written at once when the user chooses a recording file.
bool writeFileName(const QString &path, const QString &fileName);

// The error box text when the file cannot be written at close.
QString unableToWriteText(const QString &path);
