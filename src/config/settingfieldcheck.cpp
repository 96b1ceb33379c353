#include "settingfieldcheck.h"

#include "valueformat.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Both separators are accepted whatever the locale: the one that is not the
// locale's becomes the locale's.
QString normaliseSeparator(const QString &text, const QString &decimalPoint)
{
    QString result = text;
    if (decimalPoint == QLatin1String("."))
        result.replace(u',', u'.');
    else
        result.replace(QStringLiteral("."), decimalPoint);
    return result;
}

// The locale's own signs and exponent, as formatFixed() writes them (sv_SE:
// "−2,5×10^+29"), become the plain ones.
QString plainSymbols(const QString &text, const QLocale &locale)
{
    QString result = text;
    result.replace(locale.exponential(), QStringLiteral("e"));
    result.replace(locale.negativeSign(), QStringLiteral("-"));
    result.replace(locale.positiveSign(), QStringLiteral("+"));
    return result;
}

// Blanks around, a sign, digits with at most one separator, an exponent.
bool parseLocaleNumber(const QString &text, const QString &decimalPoint, double &value)
{
    static const QString pattern = QStringLiteral(
        "^[ \\t]*([+-]?)([0-9]*)(?:%1([0-9]*))?(?:[eE]([+-]?[0-9]+))?[ \\t]*$");
    const QRegularExpression re(pattern.arg(QRegularExpression::escape(decimalPoint)));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    const QString integerDigits = m.captured(2);
    const QString fraction = m.captured(3);
    if (integerDigits.isEmpty() && fraction.isEmpty())
        return false;
    QString plain = m.captured(1) + (integerDigits.isEmpty() ? QStringLiteral("0") : integerDigits);
    if (!fraction.isEmpty())
        plain += u'.' + fraction;
    if (m.capturedLength(4) > 0)
        plain += u'e' + m.captured(4);
    bool ok = false;
    value = QLocale::c().toDouble(plain, &ok);
    return ok && std::isfinite(value);
}

} // namespace

FloatFieldCheck checkFloatText(const QString &text, int decimals, float min, float max,
                               const QLocale &locale)
{
    FloatFieldCheck result;
    result.text = text;
    const QString decimalPoint = locale.decimalPoint();
    double number = 0.0;
    if (!parseLocaleNumber(normaliseSeparator(plainSymbols(text, locale), decimalPoint), decimalPoint,
                           number))
        return result;
    // A number beyond single precision cannot be held, so it is no number here.
    if (std::fabs(number) > double(std::numeric_limits<float>::max()))
        return result;
    result.converted = true;
    result.value = float(number);
    result.text = formatFixed(double(result.value), decimals, locale);
    result.ok = !std::isnan(result.value) && result.value >= min && result.value <= max;
    return result;
}

IntFieldCheck checkIntText(const QString &text, float min, float max)
{
    IntFieldCheck result;
    int i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return result;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!isAsciiDigit(text[i]))
            return result;
        magnitude = magnitude * 10 + (text[i].unicode() - u'0');
        if (magnitude > qint64(std::numeric_limits<qint32>::max()) + 1)
            return result;
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return result;
    if (double(value) < double(min) || double(value) > double(max))
        return result;
    result.ok = true;
    result.value = qint32(value);
    return result;
}
