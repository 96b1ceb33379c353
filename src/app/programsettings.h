#pragma once

#include "chartpreferences.h"
#include "generalpreferences.h"
#include "preferencerows.h"
#include "recordingpreferences.h"

#include <QString>

#include <array>
#include <cstddef>
#include <utility>

// The program's preferences, section `Options` of config.ini: each group
// as its page applies and collects it. Lists hold the selected item index,
// -1 for no selection.
struct ProgramPreferences {
    RecordingPreferences recording;
    ChartPreferences chart;
    GeneralPreferences general;
};

using PreferenceKey = PreferenceRow<ProgramPreferences>;

namespace PreferenceComposition {

// A group's row I, reached from the whole.
template <auto Group, const auto &Rows, std::size_t I>
auto &lifted(ProgramPreferences &p)
{
    return std::get<Rows[I].field.index()>(Rows[I].field)(p.*Group);
}

template <auto Group, const auto &Rows, std::size_t... I>
constexpr std::array<PreferenceKey, sizeof...(I)> lift(std::index_sequence<I...>)
{
    return {{PreferenceKey{Rows[I].name, &lifted<Group, Rows, I>, Rows[I].listSize,
                           Rows[I].writtenAtClose}...}};
}

template <auto Group, const auto &Rows>
constexpr auto lift()
{
    return lift<Group, Rows>(std::make_index_sequence<Rows.size()>());
}

template <std::size_t A, std::size_t B, std::size_t... I>
constexpr std::array<PreferenceKey, sizeof...(I)>
joined(const std::array<PreferenceKey, A> &a, const std::array<PreferenceKey, B> &b,
       std::index_sequence<I...>)
{
    return {{(I < A ? a[I] : b[I - A])...}};
}

template <std::size_t A, std::size_t B>
constexpr std::array<PreferenceKey, A + B> joined(const std::array<PreferenceKey, A> &a,
                                                  const std::array<PreferenceKey, B> &b)
{
    return joined(a, b, std::make_index_sequence<A + B>());
}

} // namespace PreferenceComposition

inline const QString OptionsSection = QStringLiteral("Options");

// The keys of section `Options`, in the order start-up reads them and close
// writes them: the groups' own rows, one after the other.
inline constexpr std::array<PreferenceKey, 20> OptionsKeys = PreferenceComposition::joined(
    PreferenceComposition::joined(
        PreferenceComposition::lift<&ProgramPreferences::recording, RecordingPreferenceRows>(),
        PreferenceComposition::lift<&ProgramPreferences::chart, ChartPreferenceRows>()),
    PreferenceComposition::lift<&ProgramPreferences::general, GeneralPreferenceRows>());

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

// Writes keys 1, 2 and 4 to 20 in order, creating the directory if needed.
// Stops at the first key that cannot be written: the keys before it stay
// written, `failedKey` names it, `reason` says why, and the result is false.
bool writePreferencesAtClose(const QString &path, const ProgramPreferences &preferences,
                             QString *failedKey = nullptr, QString *reason = nullptr);

// FileName, written at once when the user chooses a recording file.
bool writeFileName(const QString &path, const QString &fileName);

// The module chosen in the window, by serial number or identification: a
// key of its own after the 20 above, written at once when the user chooses
// and read at start-up; empty when none was chosen.
inline const QString ChosenModuleKey = QStringLiteral("ChosenModule");
QString readChosenModule(const QString &path);
bool writeChosenModule(const QString &path, const QString &module);

// The error box text when the file cannot be written at close.
QString unableToWriteText(const QString &path);
