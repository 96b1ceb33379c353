#pragma once

#include "languagefile.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Start-up, before the windows are built: the program's translation store
// becomes the compiled one plus the language of every readable translation
// file in `directories`. Gives the files skipped as damaged. GUI thread.
QVector<LanguageFileRefusal> installLanguageFiles(const QStringList &directories);

// The one message for a skipped file, naming it and the line, in the
// active language.
QString languageFileRefusalText(const LanguageFileRefusal &refused);

// --export-translation: the compiled rows, both languages, as a starting
// point for a translator. False, with the reason, when the file cannot be
// written.
bool exportTranslationFile(const QString &path, QString *error);
