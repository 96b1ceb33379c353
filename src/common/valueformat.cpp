#include "valueformat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace {

QString nonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Decimal digits without the point, and how many of them lie before it.
struct Decimal
{
    std::string digits;
    int integerDigits = 0;
};

// The exact decimal expansion of a non-negative double, to at least `places`.
// A double is m * 2^e with m an integer below 2^53, so it has at most -e
// fraction digits: printing that many places involves no rounding at all.
std::optional<Decimal> exactDecimal(double magnitude, int places)
{
    int exactPlaces = magnitude == 0.0 ? 0 : std::clamp(52 - std::ilogb(magnitude), 0, 1074);
    int precision = std::max(exactPlaces, places);
    std::string text(std::size_t(311 + precision), '\0'); // up to 309 integer digits and a point
    auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                      std::chars_format::fixed, precision);
    if (error != std::errc())
        return std::nullopt;
    text.resize(std::size_t(end - text.data()));
    std::size_t point = std::min(text.find('.'), text.size());
    if (point < text.size())
        text.erase(point, 1);
    return Decimal{text, int(point)};
}

// Keeps `places` decimals; a negative count (short of the leading digit)
// rounds left of the point and drops the digits there. The digits are exact,
// so a next digit of 5 or more means the value is at or beyond the half:
// exact halves go away from zero.
Decimal roundAt(Decimal d, int places)
{
    int keep = d.integerDigits + places;
    bool up = std::size_t(keep) < d.digits.size() && d.digits[std::size_t(keep)] >= '5';
    d.digits.resize(std::size_t(keep), '0');
    for (int i = keep - 1; up && i >= 0; --i) {
        char &digit = d.digits[std::size_t(i)];
        up = digit == '9';
        digit = up ? '0' : char(digit + 1);
    }
    if (up) {
        d.digits.insert(0, 1, '1');
        ++d.integerDigits;
    }
    return d;
}

QString localise(const std::string &integerPart, const std::string &fraction, bool negative,
                 const QLocale &locale, bool grouped)
{
    QString text = QString::fromLatin1(integerPart);
    if (grouped) {
        for (int i = text.size() - 3; i > 0; i -= 3)
            text.insert(i, locale.groupSeparator());
    }
    if (!fraction.empty())
        text += locale.decimalPoint() + QString::fromLatin1(fraction);
    bool allZero = (integerPart + fraction).find_first_not_of('0') == std::string::npos;
    if (negative && !allZero)
        text.prepend(locale.negativeSign());
    return text;
}

// Exponent notation keeps Qt's text; it is given the value already rounded
// to `significant` digits, so Qt's own rounding has nothing left to decide.
QString exponentText(double value, const Decimal &rounded, const QLocale &locale, int significant)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    std::string text = rounded.digits + 'e' +
                       std::to_string(rounded.integerDigits - int(rounded.digits.size()));
    double magnitude = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size())
        return plain.toString(value, 'E', significant - 1);
    return plain.toString(std::copysign(magnitude, value), 'E', significant - 1);
}

QString format(double value, int decimals, const QLocale &locale, int significant, bool grouped)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    decimals = std::clamp(decimals, 0, 18);
    significant = std::max(significant, 1);
    std::optional<Decimal> exact = exactDecimal(std::fabs(value), decimals);
    if (!exact) // cannot happen: the buffer fits any double
        return locale.toString(value, 'f', decimals);

    std::size_t first = exact->digits.find_first_not_of('0');
    int exponent = first == std::string::npos ? 0 : exact->integerDigits - 1 - int(first);
    if (exponent >= significant)
        return exponentText(value, roundAt(*exact, significant - 1 - exponent), locale, significant);

    Decimal rounded = roundAt(*exact, std::min(decimals, significant - 1 - exponent));
    if (rounded.integerDigits > significant) // carried into one more digit, as 99999999.6 does
        return exponentText(value, rounded, locale, significant);
    std::string integerPart = rounded.digits.substr(0, std::size_t(rounded.integerDigits));
    std::string fraction = rounded.digits.substr(std::size_t(rounded.integerDigits));
    fraction.resize(std::size_t(decimals), '0');
    return localise(integerPart, fraction, std::signbit(value), locale, grouped);
}

} // namespace

QString formatFixed(double value, int decimals, const QLocale &locale, int significant)
{
    return format(value, decimals, locale, significant, false);
}

QString formatGrouped(double value, int decimals, const QLocale &locale)
{
    return format(value, decimals, locale, 8, true);
}

QString formatVersion(double version, const QLocale &locale)
{
    return formatFixed(version, 2, locale, 3);
}

QString formatShortest(double value, int maxDecimals, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = plain.toString(value, 'f', maxDecimals);
    const QString point = plain.decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(plain.zeroDigit()))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    if (text == plain.negativeSign() + plain.zeroDigit())
        text = plain.zeroDigit();
    return text;
}
