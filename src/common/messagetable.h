#pragma once

#include <QString>

// The program's run-time texts, looked up by identifier in the active
// language at the moment they are shown. Language 1 is Polish, 2 English,
// then the languages added from files. The table is the stStrings section
// of the program's translation store (TranslationStore::program()).
// Lookups may come from any thread; only the language switch (GUI thread)
// changes the active language.

// Case-insensitive identifier; the Polish text when the language has none;
// the empty text for an unknown identifier.
QString GetTextOrDefault(const QString &id);
QString GetTextOrDefault(const QString &id, int language);

// The number of languages of the program's store.
int languageCount();

// The store's active language. The language switch checks the number and
// applies the store; SetActiveLanguage alone changes only what lookups return.
int ActiveLanguage();
void SetActiveLanguage(int language); // 1..languageCount(), checked by the caller

// A text of this program's own that the store does not hold yet (the
// access-problem hint of the main window), in Polish or, in any other
// language, English.
QString ownText(const QString &polish, const QString &english);
