#pragma once

#include <QString>

// The program's run-time texts, looked up by identifier in the active
// language at the moment they are shown. Language 1 is Polish, 2 English.
// The table is the stStrings section of the main window's translation store.
// Lookups may come from any thread; only the language switch (GUI thread)
// changes the active language.

constexpr int LanguageCount = 2;

// Case-insensitive identifier; the Polish text when the active language has
// none; the empty text for an unknown identifier.
QString GetTextOrDefault(const QString &id);
QString GetTextOrDefault(const QString &id, int language);

// The store's active language. The language switch checks the number and
// applies the store; SetActiveLanguage alone changes only what lookups return.
int ActiveLanguage();
void SetActiveLanguage(int language); // 1..LanguageCount, checked by the caller

// A text of this program's own that the message table does not hold (the
// warnings of the mended faults), in the active language.
QString ownText(const QString &polish, const QString &english);
