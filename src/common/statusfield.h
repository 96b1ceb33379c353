#pragma once

#include <QString>

class QColor;
class QLineEdit;

// A status field shows the active text on the active colour or the inactive
// text on the inactive colour; text and colour always change together.
void setStatusField(QLineEdit *field, bool active, const QString &activeText,
                    const QString &inactiveText);

// Paints an edit box's background; used by status fields and setting checks.
void setFieldColour(QLineEdit *field, const QColor &colour);
// Back to the normal edit box colour.
void resetFieldColour(QLineEdit *field);
