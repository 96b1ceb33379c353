#include "languagecombo.h"

#include "messagetable.h"
#include "translationstore.h"

#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

constexpr int FlagLeft = 1;
constexpr int FlagTop = 2;
constexpr int NameLeft = 23;
constexpr int NameTop = 1;
constexpr int EntryHeight = 16;

// The built-in languages' flags; a language from a file brings its own.
const char *const BuiltInFlags[TranslationStore::BuiltInLanguages] = {":/pictures/flag-pl.png",
                                                                       ":/pictures/flag-en.png"};

QFont entryFont(const QModelIndex &index, const QFont &selectorFont)
{
    QFont font = selectorFont;
    const QVariant own = index.data(Qt::FontRole);
    if (own.canConvert<QFont>())
        font.setFamily(own.value<QFont>().family());
    return font;
}

void drawEntry(QPainter *painter, const QRect &rect, const QModelIndex &index,
               const QFont &selectorFont, const QPalette &palette, bool highlighted)
{
    painter->save();
    painter->fillRect(rect, highlighted ? palette.highlight() : palette.base());
    const QPixmap flag = index.data(Qt::DecorationRole).value<QPixmap>();
    painter->drawPixmap(rect.left() + FlagLeft, rect.top() + FlagTop, flag);
    painter->setFont(entryFont(index, selectorFont));
    painter->setPen(palette.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(rect.adjusted(NameLeft, NameTop, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

// The closed box: the frame and arrow from the style, the entry as in the list.
class ClosedBoxPainter : public QObject
{
public:
    explicit ClosedBoxPainter(QComboBox *selector) : QObject(selector), m_selector(selector) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_selector || event->type() != QEvent::Paint)
            return false;
        QStylePainter painter(m_selector);
        QStyleOptionComboBox option;
        option.initFrom(m_selector);
        option.editable = false;
        option.frame = true;
        option.subControls = QStyle::SC_All;
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const int current = m_selector->currentIndex();
        if (current >= 0) {
            const QRect field = m_selector->style()->subControlRect(
                QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, m_selector);
            drawEntry(&painter, field, m_selector->model()->index(current, 0), m_selector->font(),
                      m_selector->palette(), m_selector->hasFocus());
        }
        return true;
    }

private:
    QComboBox *m_selector;
};

} // namespace

void setUpLanguageSelector(QComboBox *selector)
{
    selector->clear();
    const TranslationStore &store = TranslationStore::program();
    for (int i = 0; i < store.languageCount(); ++i) {
        const TranslationStore::Language language = store.language(i + 1);
        const QString flag = i < TranslationStore::BuiltInLanguages ? QString::fromLatin1(BuiltInFlags[i])
                                                                    : language.flagPath;
        selector->addItem(language.name);
        // A file's picture is drawn at the built-in flags' size.
        QPixmap picture(flag);
        if (!picture.isNull() && i >= TranslationStore::BuiltInLanguages)
            picture = picture.scaled(QPixmap(QString::fromLatin1(BuiltInFlags[0])).size(),
                                     Qt::KeepAspectRatio, Qt::SmoothTransformation);
        selector->setItemData(i, picture, Qt::DecorationRole);
        QFont font = selector->font();
        font.setFamily(language.fontName);
        selector->setItemData(i, font, Qt::FontRole);
    }
    selector->setItemDelegate(new LanguageEntryDelegate(selector));
    selector->installEventFilter(new ClosedBoxPainter(selector));
    selector->setCurrentIndex(ActiveLanguage() - 1);
}

void LanguageEntryDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const bool highlighted = option.state & (QStyle::State_Selected | QStyle::State_HasFocus);
    drawEntry(painter, option.rect, index, option.font, option.palette, highlighted);
}

QSize LanguageEntryDelegate::sizeHint(const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    const QFontMetrics metrics(entryFont(index, option.font));
    const int height = qMax(EntryHeight, metrics.height() + 3); // the letter H plus 3 px
    const int width =
        NameLeft + metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 2;
    return QSize(width, height);
}
