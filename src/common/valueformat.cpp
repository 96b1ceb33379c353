#include "valueformat.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

std::string toChars(double value, std::chars_format format, int precision)
{
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value, format, precision);
    return std::string(buf, result.ptr);
}

QString nonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// to_chars breaks exact ties to even; a value that lies exactly halfway is
// nudged outwards so that it rounds away from zero (12.5 -> 13), as people
// expect. A double's decimal expansion ends within 60 places of a tie.
double breakTieAwayFromZero(double magnitude, int places)
{
    std::string exact = toChars(magnitude, std::chars_format::fixed, places + 60);
    std::size_t point = exact.find('.');
    if (point == std::string::npos || point + 1 + std::size_t(places) >= exact.size())
        return magnitude;
    std::string tail = exact.substr(point + 1 + std::size_t(places));
    bool tie = tail[0] == '5' && tail.find_first_not_of('0', 1) == std::string::npos;
    return tie ? std::nextafter(magnitude, std::numeric_limits<double>::infinity()) : magnitude;
}

// Rounds |value| once, at whichever of the two limits cuts more digits.
// Returns the plain digits with '.' or an empty string when the integer
// part is too long for `significant` digits.
std::string fixedDigits(double magnitude, int decimals, int significant)
{
    if (magnitude == 0.0)
        return decimals > 0 ? "0." + std::string(decimals, '0') : "0";
    std::string sci = toChars(magnitude, std::chars_format::scientific, significant - 1);
    int exponent = std::stoi(sci.substr(sci.find('e') + 1));
    if (exponent >= significant)
        return {};
    int places = exponent >= 0 ? std::min(decimals, significant - 1 - exponent) : decimals;
    std::string text = toChars(breakTieAwayFromZero(magnitude, places), std::chars_format::fixed, places);
    std::size_t point = text.find('.');
    std::size_t integerDigits = point == std::string::npos ? text.size() : point;
    if (integerDigits > std::size_t(significant)) // rounding carried into a new digit
        return {};
    if (places < decimals)
        text += (places == 0 ? "." : "") + std::string(decimals - places, '0');
    return text;
}

QString localise(const std::string &digits, bool negative, const QLocale &locale, bool grouped)
{
    std::size_t point = digits.find('.');
    QString integerPart = QString::fromLatin1(digits.substr(0, point));
    if (grouped) {
        for (int i = integerPart.size() - 3; i > 0; i -= 3)
            integerPart.insert(i, locale.groupSeparator());
    }
    QString text = integerPart;
    if (point != std::string::npos)
        text += locale.decimalPoint() + QString::fromLatin1(digits.substr(point + 1));
    bool allZero = digits.find_first_not_of("0.") == std::string::npos;
    if (negative && !allZero)
        text.prepend(locale.negativeSign());
    return text;
}

QString format(double value, int decimals, const QLocale &locale, int significant, bool grouped)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    decimals = std::clamp(decimals, 0, 18);
    std::string digits = fixedDigits(std::fabs(value), decimals, significant);
    if (digits.empty()) {
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        return plain.toString(value, 'E', significant - 1);
    }
    return localise(digits, std::signbit(value), locale, grouped);
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
