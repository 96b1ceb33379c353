#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class LanguageFile;

// A window's translation store: named sections of rows, each row an
// identifier and one text per language (language 1 is Polish, 2 English,
// then the languages added from files). An empty text means the row has no
// translation for that language.
//
// Text form of the compiled store, one row a line (UTF-8, LF or CR LF):
//   a line without a TAB names the section of the rows that follow;
//   a row is the identifier, TAB, the Polish text, TAB, the English text;
//   missing texts at the end of a row are empty;
//   empty lines and lines starting with '#' are ignored.
// Texts are kept exactly, trailing blanks included; there are no escapes.
class TranslationStore
{
public:
    static constexpr int BuiltInLanguages = 2;

    struct Row {
        QString id;
        QStringList texts; // one per language of the store

        // The text for language 1..languageCount(); empty outside that range.
        QString text(int language) const;
    };

    // What the language selector shows for a language.
    struct Language {
        QString name;
        QString fontName;
        QString flagPath; // empty: the program's own picture (built-in languages)
    };

    // Rows of the lines that could be read; each unreadable line adds a
    // message "line N: why" to `errors`.
    static TranslationStore parse(const QString &text, QStringList *errors = nullptr);

    // The main window's store as compiled into the program; read once, on
    // first use, from any thread.
    static const TranslationStore &mainWindow();

    // The store the program runs with: the compiled one, plus the languages
    // that start-up added from files. Any thread.
    static const TranslationStore &program();
    // Start-up only, before the windows are built (GUI thread).
    static void installProgram(const TranslationStore &store);

    int languageCount() const { return m_languages.size(); }
    // 1..languageCount(); a default entry outside.
    Language language(int language) const;

    // Adds the file's language after the others. A row the file leaves out
    // takes the English text; a row the file translates but English leaves
    // empty gets the Polish text in English, so a switch from the file's
    // language back to English restores it.
    // `flagPath` is the file's picture, resolved.
    void addLanguage(const LanguageFile &file, const QString &flagPath = QString());

    QStringList sectionNames() const { return m_order; }
    // The rows of a section in their order; empty for an unknown section.
    const QVector<Row> &section(const QString &name) const;

private:
    QStringList m_order;
    QHash<QString, QVector<Row>> m_sections;
    QVector<Language> m_languages;
};

// The items of a list written as one comma-separated text: split at the
// commas outside double quotes, the quotes removed ("" inside quotes is one
// quote). An empty text has no items.
QStringList splitCommaText(const QString &text);
