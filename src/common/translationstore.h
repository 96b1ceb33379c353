#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// A window's translation store: named sections of rows, each row an
// identifier and one text per language (index 0 is language 1, Polish).
// An empty text means the row has no translation for that language.
//
// Text form, one row a line (UTF-8, LF or CR LF):
//   a line without a TAB names the section of the rows that follow;
//   a row is the identifier, TAB, the Polish text, TAB, the English text;
//   missing texts at the end of a row are empty;
//   empty lines and lines starting with '#' are ignored.
// Texts are kept exactly, trailing blanks included; there are no escapes.
class TranslationStore
{
public:
    static constexpr int Languages = 2;

    struct Row {
        QString id;
        QString texts[Languages];

        // The text for language 1..Languages; empty outside that range.
        QString text(int language) const;
    };

    // Rows of the lines that could be read; each unreadable line adds a
    // message "line N: why" to `errors`.
    static TranslationStore parse(const QString &text, QStringList *errors = nullptr);

    // The main window's store, compiled into the program; read once, on
    // first use, from any thread.
    static const TranslationStore &mainWindow();

    QStringList sectionNames() const { return m_order; }
    // The rows of a section in their order; empty for an unknown section.
    const QVector<Row> &section(const QString &name) const;

private:
    QStringList m_order;
    QHash<QString, QVector<Row>> m_sections;
};

// The items of a list written as one comma-separated text: split at the
// commas outside double quotes, the quotes removed ("" inside quotes is one
// quote). An empty text has no items.
QStringList splitCommaText(const QString &text);
