#include "settingfield.h"

#include "colours.h"
#include "settingfieldcheck.h"
#include "statusfield.h"

#include <QLineEdit>

bool CheckFloatEdit(QLineEdit *edit, int decimals, float min, float max, float &value)
{
    resetFieldColour(edit);
    const FloatFieldCheck check = checkFloatText(edit->text(), decimals, min, max);
    if (check.converted && edit->text() != check.text)
        edit->setText(check.text);
    if (!check.ok) {
        setFieldColour(edit, Colours::Inactive);
        return false;
    }
    value = check.value;
    return true;
}

bool CheckIntEdit(QLineEdit *edit, float min, float max, qint32 &value)
{
    resetFieldColour(edit);
    const IntFieldCheck check = checkIntText(edit->text(), min, max);
    if (!check.ok) {
        setFieldColour(edit, Colours::Inactive);
        return false;
    }
    value = check.value;
    return true;
}
