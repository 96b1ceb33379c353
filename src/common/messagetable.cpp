#include "messagetable.h"

#include "translationstore.h"

#include <QVector>

#include <algorithm>
#include <atomic>

namespace {

using Row = TranslationStore::Row;

// The stStrings section of one store, sorted once by case-insensitive
// identifier, then searched by bisection.
struct Table {
    const TranslationStore *store = nullptr;
    QVector<Row> rows;
};

std::atomic<const Table *> currentTable{nullptr};

const Table &table()
{
    const TranslationStore *store = &TranslationStore::program();
    const Table *table = currentTable.load();
    if (table && table->store == store)
        return *table;
    // Built again only when start-up installs another store; the one it
    // replaces is kept, as another thread may be reading it.
    auto *built = new Table{store, store->section(QStringLiteral("stStrings"))};
    std::sort(built->rows.begin(), built->rows.end(), [](const Row &a, const Row &b) {
        return a.id.compare(b.id, Qt::CaseInsensitive) < 0;
    });
    currentTable.store(built);
    return *built;
}

QString textOf(const Row &row, int language)
{
    const QString text = row.text(language);
    return text.isEmpty() ? row.text(1) : text;
}

std::atomic<int> activeLanguage{1};

} // namespace

QString GetTextOrDefault(const QString &id, int language)
{
    const QVector<Row> &rows = table().rows;
    auto it = std::lower_bound(rows.begin(), rows.end(), id, [](const Row &row, const QString &key) {
        return row.id.compare(key, Qt::CaseInsensitive) < 0;
    });
    if (it == rows.end() || it->id.compare(id, Qt::CaseInsensitive) != 0)
        return QString();
    return textOf(*it, language);
}

QString GetTextOrDefault(const QString &id)
{
    return GetTextOrDefault(id, ActiveLanguage());
}

int languageCount()
{
    return TranslationStore::program().languageCount();
}

int ActiveLanguage()
{
    return activeLanguage.load();
}

void SetActiveLanguage(int language)
{
    activeLanguage.store(language);
}

QString ownText(const QString &polish, const QString &english)
{
    return ActiveLanguage() == 1 ? polish : english;
}
