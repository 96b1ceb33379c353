#include "languageswitch.h"

#include "messagetable.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>

#include <functional>

namespace {

using Row = TranslationStore::Row;

// A text a row can set: how to read it and how to write it.
struct TextProperty {
    std::function<QString()> get;
    std::function<void(const QString &)> set;
    explicit operator bool() const { return bool(get); }
};

template <typename W, typename Get, typename Set> TextProperty textProperty(W *w, Get get, Set set)
{
    return {[w, get] { return (w->*get)(); }, [w, set](const QString &text) { (w->*set)(text); }};
}

// The window's controls by name: every descendant except windows parented
// to it and what they hold, so a dialog that reuses a name such as Label1
// keeps its own texts.
void collectOwn(QObject *parent, QHash<QString, QObject *> &byName)
{
    for (QObject *child : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && widget->isWindow())
            continue;
        if (!child->objectName().isEmpty() && !byName.contains(child->objectName()))
            byName.insert(child->objectName(), child);
        collectOwn(child, byName);
    }
}

// A page of a tab widget has its caption on its tab.
TextProperty tabCaption(QWidget *page)
{
    auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget());
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    if (!tabs || tabs->indexOf(page) < 0)
        return {};
    return {[tabs, page] { return tabs->tabText(tabs->indexOf(page)); },
            [tabs, page](const QString &text) { tabs->setTabText(tabs->indexOf(page), text); }};
}

TextProperty caption(QObject *control)
{
    if (auto *label = qobject_cast<QLabel *>(control))
        return textProperty(label, &QLabel::text, &QLabel::setText);
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        return textProperty(button, &QAbstractButton::text, &QAbstractButton::setText);
    if (auto *group = qobject_cast<QGroupBox *>(control))
        return textProperty(group, &QGroupBox::title, &QGroupBox::setTitle);
    if (auto *widget = qobject_cast<QWidget *>(control))
        return tabCaption(widget);
    return {};
}

// A declared QString property of that exact name (the chart's series carry
// their legend texts so); never a dynamic one, which would be created.
TextProperty declaredProperty(QObject *object, const QString &name)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    if (index < 0)
        return {};
    const QMetaProperty property = meta->property(index);
    if (!property.isWritable() || property.metaType().id() != QMetaType::QString)
        return {};
    return {[object, property] { return property.read(object).toString(); },
            [object, property](const QString &text) { property.write(object, text); }};
}

TextProperty namedText(QObject *object, const QString &name)
{
    if (name == QLatin1String("Text")) {
        if (auto *edit = qobject_cast<QLineEdit *>(object))
            return textProperty(edit, &QLineEdit::text, &QLineEdit::setText);
        if (auto *combo = qobject_cast<QComboBox *>(object)) {
            // A pick-only list always shows its selected entry: no text to set.
            if (!combo->isEditable())
                return {};
            return textProperty(combo, &QComboBox::currentText, &QComboBox::setEditText);
        }
        if (object->metaObject()->indexOfProperty(name.toLatin1().constData()) < 0)
            return caption(object);
    }
    return declaredProperty(object, name);
}

void applyText(const TextProperty &property, const QString &text)
{
    if (property && property.get() != text)
        property.set(text);
}

// Replaces a list's items when they differ; the selected position stays.
void applyItems(QObject *control, const QStringList &items)
{
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        QStringList current;
        for (int i = 0; i < combo->count(); ++i)
            current << combo->itemText(i);
        if (current == items)
            return;
        if (current.size() == items.size()) {
            for (int i = 0; i < items.size(); ++i)
                combo->setItemText(i, items[i]);
            return;
        }
        const int selected = combo->currentIndex();
        const QSignalBlocker quiet(combo); // the position does not change: no change handler
        combo->clear();
        combo->addItems(items);
        combo->setCurrentIndex(selected < items.size() ? selected : -1);
    } else if (auto *list = qobject_cast<QListWidget *>(control)) {
        QStringList current;
        for (int i = 0; i < list->count(); ++i)
            current << list->item(i)->text();
        if (current == items)
            return;
        const int selected = list->currentRow();
        const QSignalBlocker quiet(list);
        list->clear();
        list->addItems(items);
        list->setCurrentRow(selected < items.size() ? selected : -1);
    }
}

// Header bands and value labels name their font family in their style
// sheet, which wins over setFont; the family is changed there instead.
const QRegularExpression StyleSheetFamily(QStringLiteral("(font-family\\s*:\\s*)([^;}]*)"));

QString styleSheetFamily(const QWidget *widget)
{
    const QRegularExpressionMatch match = StyleSheetFamily.match(widget->styleSheet());
    if (!match.hasMatch())
        return QString();
    QString family = match.captured(2).trimmed();
    if (family.size() >= 2 &&
        (family.startsWith(QLatin1Char('"')) || family.startsWith(QLatin1Char('\''))))
        family = family.mid(1, family.size() - 2);
    return family;
}

// Qt's fonts are Unicode throughout: the character set that stCharSets
// names for the control has nothing to select, so only the name is set.
void applyFontName(QWidget *widget, const QString &family)
{
    const QString styled = styleSheetFamily(widget);
    if (!styled.isEmpty()) {
        if (styled == family)
            return;
        QString sheet = widget->styleSheet();
        sheet.replace(StyleSheetFamily, QStringLiteral("\\1\"%1\"").arg(family));
        widget->setStyleSheet(sheet);
        return;
    }
    if (!widget->testAttribute(Qt::WA_SetFont)) // takes its parent's font
        return;
    if (widget->font().family() == family)
        return;
    QFont font = widget->font();
    font.setFamily(family);
    widget->setFont(font);
}

// "Control.Collection[index].Property": for a combo box the collection's
// items are its entries, the language selector's LanguageInfos among them.
void applyCollectionItem(QObject *control, int index, const QString &property, const QString &text)
{
    auto *combo = qobject_cast<QComboBox *>(control);
    if (!combo || index >= combo->count())
        return;
    if (property == QLatin1String("LanguageName")) {
        if (combo->itemText(index) != text)
            combo->setItemText(index, text);
    } else if (property == QLatin1String("FontName")) {
        QFont font = combo->itemData(index, Qt::FontRole).value<QFont>();
        if (font.family() != text) {
            font.setFamily(text);
            combo->setItemData(index, font, Qt::FontRole);
        }
    }
}

} // namespace

LanguageSwitch::LanguageSwitch(QWidget &window, const QString &className,
                               const TranslationStore &store)
    : m_window(window), m_className(className), m_store(store)
{
}

void LanguageSwitch::setActiveLanguage(int language)
{
    if (language == ActiveLanguage())
        return;
    if (language < 1 || language > m_store.languageCount())
        throw std::out_of_range(
            QString::asprintf(
                "%s: %d - is not a valid property value!\rValue must be within [1..%d]!",
                qPrintable(m_className), language, m_store.languageCount())
                .toStdString());
    SetActiveLanguage(language);

    QHash<QString, QObject *> controls;
    collectOwn(&m_window, controls);
    auto isWindow = [this](const QString &id) {
        return id == m_className || id == m_window.objectName();
    };
    auto control = [&](const QString &id) -> QObject * {
        return isWindow(id) ? &m_window : controls.value(id);
    };
    // Each row on its own: no text for this language or no such control skips it.
    auto rows = [&](const char *section, auto apply) {
        for (const Row &row : m_store.section(QLatin1String(section))) {
            const QString text = row.text(language);
            if (!text.isEmpty())
                apply(row.id, text);
        }
    };
    // "Control.Property.Sub": the object the last name belongs to.
    auto owner = [&](const QStringList &path) -> QObject * {
        QObject *object = control(path.first());
        for (int i = 1; object && i + 1 < path.size(); ++i)
            object = object->property(path[i].toLatin1().constData()).value<QObject *>();
        return object;
    };

    rows("stCaptions", [&](const QString &id, const QString &text) {
        if (!isWindow(id)) // the window's own title is composed at start-up
            if (QObject *target = controls.value(id))
                applyText(caption(target), text);
    });
    rows("stHints", [&](const QString &id, const QString &text) {
        auto *widget = qobject_cast<QWidget *>(control(id));
        // A control the layout gives no tooltip shows no hints; a row must
        // not make one appear.
        if (widget && !widget->toolTip().isEmpty() && widget->toolTip() != text)
            widget->setToolTip(text);
    });
    rows("stFonts", [&](const QString &id, const QString &text) {
        if (auto *widget = qobject_cast<QWidget *>(controls.value(id)); widget && !isWindow(id))
            applyFontName(widget, text);
    });
    rows("stFonts", [&](const QString &id, const QString &text) {
        if (isWindow(id)) // the window's own font last, as its children inherit it
            applyFontName(&m_window, text);
    });
    rows("stMultiLines", [&](const QString &id, const QString &text) {
        const QStringList path = id.split(QLatin1Char('.'));
        if (path.size() == 2 && path[1] == QLatin1String("Items"))
            if (QObject *target = control(path[0]))
                applyItems(target, splitCommaText(text));
    });
    rows("stOtherStrings", [&](const QString &id, const QString &text) {
        const QStringList path = id.split(QLatin1Char('.'));
        if (path.size() < 2)
            return;
        if (QObject *target = owner(path))
            applyText(namedText(target, path.last()), text);
    });
    static const QRegularExpression collectionItem(
        QStringLiteral("^([^.]+)\\.[^.]+\\[(\\d+)\\]\\.([^.]+)$"));
    rows("stCollections", [&](const QString &id, const QString &text) {
        const QRegularExpressionMatch match = collectionItem.match(id);
        if (!match.hasMatch())
            return;
        if (QObject *target = control(match.captured(1)))
            applyCollectionItem(target, match.captured(2).toInt(), match.captured(3), text);
    });
}

void LanguageSwitch::applyWindowRows(QWidget &window, const QString &section, int language) const
{
    QHash<QString, QObject *> controls;
    collectOwn(&window, controls);
    for (const Row &row : m_store.section(section)) {
        const QString text = row.text(language);
        if (text.isEmpty())
            continue;
        if (row.id == window.objectName()) {
            if (window.windowTitle() != text)
                window.setWindowTitle(text);
        } else if (row.id.endsWith(QLatin1String(".Items"))) {
            if (QObject *target = controls.value(row.id.chopped(6)))
                applyItems(target, splitCommaText(text));
        } else if (QObject *target = controls.value(row.id)) {
            applyText(caption(target), text);
        }
    }
}
