#pragma once

#include "translationstore.h"

#include <QString>

#include <stdexcept>

class QWidget;

// Switches the language of one window: makes the number the store's active
// language (the one the message table answers in) and applies the store's
// rows to the window's own controls, found by objectName. Widgets inside
// other windows parented to this one (dialogs that reuse names such as
// Label1) are never touched. GUI thread only.
class LanguageSwitch
{
public:
    // `className` names the window itself in the store's rows and in the
    // refusal message. The store is kept (its data is shared, not copied).
    LanguageSwitch(QWidget &window, const QString &className, const TranslationStore &store);

    // Nothing happens for the active language. A number outside
    // 1..the store's languageCount() throws std::out_of_range and changes
    // nothing.
    void setActiveLanguage(int language);

    // A secondary window's own texts: the rows of its section (named after
    // the window) for `language`, each applied as a caption, its title, or
    // a list's entries (`Name.Items`, the position kept). Empty texts and
    // unknown names are skipped.
    void applyWindowRows(QWidget &window, const QString &section, int language) const;

private:
    QWidget &m_window;
    QString m_className;
    TranslationStore m_store;
};
