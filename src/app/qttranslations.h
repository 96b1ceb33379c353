#pragma once

#include <QString>
#include <QTranslator>

// Qt's own texts (the file choosers, the print set-up, buttons such as Yes
// and Cancel, messages such as the one about a missing printer) in the
// program's language. Debian's qt6-translations-l10n holds them; English
// needs none. GUI thread only.
class QtTranslations
{
public:
    QtTranslations() = default;
    ~QtTranslations();
    QtTranslations(const QtTranslations &) = delete;
    QtTranslations &operator=(const QtTranslations &) = delete;

    // The store's language number (1 Polish, 2 English). False when Qt's
    // file for it is missing: Qt's texts are then English.
    bool setLanguage(int language);

    // Qt's file base name for a language; empty for English and unknown ones.
    static QString fileFor(int language);

private:
    QTranslator m_translator;
    bool m_installed = false;
};
