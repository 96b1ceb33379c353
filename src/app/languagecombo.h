#pragma once

#include <QStyledItemDelegate>

class QComboBox;

// The language selector (siLangCombo1): one entry per language, in language
// order, starting on the active language's entry. Each entry is drawn as its
// flag picture 1 px from the left and 2 px from the top and its name 23 px
// from the left and 1 px from the top, in the language's font; entries are
// at least 16 px high. The closed box draws its entry the same way.
void setUpLanguageSelector(QComboBox *selector);

// Draws the selector's entries in its drop-down list.
class LanguageEntryDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
