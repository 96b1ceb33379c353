#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class TranslationStore;

// A language added from a translation file: UTF-8 text, one row a line, in
// the compiled store's sections. A line without a TAB names a section; a row
// is an identifier and TAB-separated texts, of which the LAST is this
// language's text (those before it are the translator's reference, as
// `exportTranslation` writes them). Section `stLanguage` holds `Name` (what
// the selector shows), optionally `Font` and `Flag` (a picture's file name,
// beside the file). Empty lines and lines starting with '#' are ignored.
// Widget-free.
class LanguageFile
{
public:
    enum class Problem {
        None,
        NotUtf8,
        RowBeforeSection,
        UnknownSection,
        SectionTwice,
        NoIdentifier,
        RowTwice,
        NoName, // line 0: the file names no language
    };
    struct Refusal {
        Problem problem = Problem::None;
        int line = 0; // 1-based; 0 for the file as a whole
    };

    // `sections` are the sections a row may be in (the compiled store's).
    // Nothing, and the first problem, for a damaged file.
    static std::optional<LanguageFile> parse(const QByteArray &bytes, const QStringList &sections,
                                             Refusal *refusal = nullptr);

    QString name() const { return m_name; }
    QString fontName() const { return m_font; }
    QString flag() const { return m_flag; } // as the file gives it
    // The file's text for a row; empty when it has none.
    QString text(const QString &section, const QString &id) const;

private:
    QString m_name;
    QString m_font;
    QString m_flag;
    QHash<QString, QHash<QString, QString>> m_texts;
};

// The translation files of a directory list: every "*.txt" of them, in file
// name order; a name found in an earlier directory hides the same name in a
// later one.
struct LanguageFileRefusal {
    QString path;
    LanguageFile::Refusal refusal;
};

// Adds to `store` the language of each readable file in `directories`;
// returns the damaged files, which are skipped.
QVector<LanguageFileRefusal> addLanguageFiles(TranslationStore &store, const QStringList &directories);

// Where translation files are looked for: the user's data directory
// (~/.local/share/KLV57/translations), then the installed program's shared
// directory (<prefix>/share/klv57-pc/translations).
QStringList languageFileDirectories();

// The compiled rows of every section with their Polish and English texts,
// in the file form above, as a translator's starting point.
QByteArray exportTranslation(const TranslationStore &store);
