#include "statusfield.h"

#include "colours.h"

#include <QApplication>
#include <QLineEdit>

void setFieldColour(QLineEdit *field, const QColor &colour)
{
    QPalette palette = field->palette();
    if (palette.color(QPalette::Base) == colour)
        return;
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

void resetFieldColour(QLineEdit *field)
{
    setFieldColour(field, QApplication::palette(field).color(QPalette::Base));
}

void setStatusField(QLineEdit *field, bool active, const QString &activeText,
                    const QString &inactiveText)
{
    const QString &text = active ? activeText : inactiveText;
    if (field->text() != text)
        field->setText(text);
    setFieldColour(field, active ? Colours::Active : Colours::Inactive);
}
