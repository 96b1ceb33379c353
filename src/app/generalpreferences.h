#pragma once

#include "preferencerows.h"

#include <array>

// The program's own preferences as the settings file keeps them; the
// member initialisers are the file's defaults. An index of -1 is a list
// without a selection.
struct GeneralPreferences {
    int DecimalPoint = 1; // Cb_Decp item: one decimal place
    int Language = 0;     // siLangCombo1 item: Polish
};

// The list size of `Language`: as many as the translation store has languages.
inline constexpr int LanguageList = -1;

// Their rows of config.ini, in the file's order.
inline constexpr std::array<PreferenceRow<GeneralPreferences>, 2> GeneralPreferenceRows{{
    {"DecimalPoint", &PreferenceAccess::member<&GeneralPreferences::DecimalPoint>, 5, true},
    {"Language", &PreferenceAccess::member<&GeneralPreferences::Language>, LanguageList, true},
}};
