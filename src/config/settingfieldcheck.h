#pragma once

#include <QLocale>
#include <QString>

// The text rules of the numeric setting fields, without widgets. The edit
// box side (colours, rewriting) is in settingfield.h.

struct FloatFieldCheck {
    bool converted = false; // the text is a number; otherwise it stays as typed
    bool ok = false;        // converted and within the bounds
    float value = 0.0f;     // single precision; meaningful when ok
    QString text;           // what the field shows afterwards
};

struct IntFieldCheck {
    bool ok = false;
    qint32 value = 0;
};

// Accepts both '.' and ',' as the decimal separator, blanks around, a sign
// and an exponent, also in the locale's own symbols; no thousands separator. The value is rounded to single
// precision and, once converted, rewritten in the fixed format with
// `decimals` places whether or not it is within [min, max].
FloatFieldCheck checkFloatText(const QString &text, int decimals, float min, float max,
                               const QLocale &locale = QLocale());

// A signed 32-bit decimal integer: leading blanks, a sign, digits, nothing
// after. The bounds are compared exactly (not after rounding to a float).
IntFieldCheck checkIntText(const QString &text, float min, float max);
