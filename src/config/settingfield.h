#pragma once

#include <QtGlobal>

class QLineEdit;

// The checks of the numeric setting fields, run only when a save button is
// pressed. Each paints its field in the normal colour first and in the
// inactive colour when it fails; neither shows a message. GUI thread only.

// On success `value` holds the single-precision value. A convertible text is
// rewritten in the fixed format with `decimals` places even when out of range.
bool CheckFloatEdit(QLineEdit *edit, int decimals, float min, float max, float &value);

// On success `value` holds the integer; the text is never rewritten.
bool CheckIntEdit(QLineEdit *edit, float min, float max, qint32 &value);
