// The text rules of the numeric setting fields and the two value formats.
// Input: byte 0 the locale, byte 1 the decimals (signed), byte 2 the
// significant digits (signed), bytes 3..10 a double, 11..14 and 15..18 the
// field's float bounds, the rest a field's text in UTF-8.
#include "fuzzcheck.h"

#include "settingfieldcheck.h"
#include "valueformat.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

const QLocale &localeFor(std::uint8_t pick)
{
    static const QLocale locales[] = {
        QLocale::c(),
        QLocale(QStringLiteral("pl_PL")),
        QLocale(QStringLiteral("en_US")),
        QLocale(QStringLiteral("de_DE")),
        QLocale(QStringLiteral("fr_FR")), // a narrow no-break space groups
        QLocale(QStringLiteral("sv_SE")), // a minus sign other than '-'
    };
    return locales[pick % (sizeof locales / sizeof locales[0])];
}

template <class T> T take(const std::uint8_t *data, std::size_t size, std::size_t at)
{
    T value{};
    if (at + sizeof value <= size)
        std::memcpy(&value, data + at, sizeof value);
    return value;
}

// The plain number behind a formatted one: the locale's symbols back to
// ASCII, group separators dropped; nothing else may be there.
bool parseFormatted(const QString &text, const QLocale &locale, long double &value)
{
    QString plain = text;
    plain.remove(locale.groupSeparator());
    plain.replace(locale.decimalPoint(), QStringLiteral("."));
    plain.replace(locale.negativeSign(), QStringLiteral("-"));
    plain.replace(locale.positiveSign(), QStringLiteral("+"));
    plain.replace(locale.exponential(), QStringLiteral("e"), Qt::CaseInsensitive);
    plain.replace(u'E', u'e'); // Qt writes 'E' whatever the locale's own symbol
    for (QChar c : plain)
        if (!(c.isDigit() && c.unicode() < 0x80) && c != u'.' && c != u'-' && c != u'+' && c != u'e')
            return false;
    const std::string ascii = plain.toStdString();
    char *end = nullptr;
    value = std::strtold(ascii.c_str(), &end); // "2E+308" is beyond a double
    return !ascii.empty() && end == ascii.c_str() + ascii.size();
}

void checkFormat(double value, int decimals, int significant, const QLocale &locale, bool grouped)
{
    const QString text = grouped ? formatGrouped(value, decimals, locale)
                                 : formatFixed(value, decimals, locale, significant);
    // A crash log shows what was formatted.
    FuzzContext context([&] {
        std::fprintf(stderr, "%s(%.17g, decimals %d, significant %d, %s) = \"%s\"\n",
                     grouped ? "formatGrouped" : "formatFixed", value, decimals, significant,
                     qPrintable(locale.name()), qPrintable(text));
    });
    if (grouped)
        significant = 8;
    if (!std::isfinite(value)) {
        FUZZ_CHECK(text == (std::isnan(value) ? QStringLiteral("NaN")
                                              : value < 0 ? QStringLiteral("-INF")
                                                          : QStringLiteral("INF")));
        return;
    }
    const int places = std::clamp(decimals, 0, 18);
    const int digits = std::max(significant, 1);
    FUZZ_CHECK(text.size() <= 2 * (digits + places) + 16);

    long double back = 0.0;
    FUZZ_CHECK(parseFormatted(text, locale, back));
    const bool exponent = text.contains(locale.exponential(), Qt::CaseInsensitive);
    if (!exponent) {
        // Fixed: exactly the decimals asked for, no more integer digits than significant.
        const qsizetype point = text.indexOf(locale.decimalPoint());
        FUZZ_CHECK(places == 0 ? point < 0 : text.size() - point - 1 == places);
        int integerDigits = 0;
        for (qsizetype i = 0; i < (point < 0 ? text.size() : point); ++i)
            integerDigits += text[i].isDigit() ? 1 : 0;
        FUZZ_CHECK(integerDigits >= 1 && integerDigits <= digits);
    }
    // Off by at most half the last kept digit, with room for strtod's own rounding.
    const long double magnitude = std::fabs(value);
    const long double relative = magnitude * std::pow(10.0L, 1 - digits);
    const long double step = exponent ? relative : std::max(std::pow(10.0L, -places), relative);
    FUZZ_CHECK(std::fabs(back - value) <= 0.5L * step * (1 + 1e-9L) + magnitude * 1e-15L);
    if (back == 0.0)
        FUZZ_CHECK(!text.startsWith(locale.negativeSign())); // no "-0.00"
}

// checkIntText's rule written out plainly.
bool plainInt(const QString &text, float min, float max, qint32 &value)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (i == text.size())
        return false;
    long double magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        magnitude = std::min<long double>(magnitude * 10 + (text[i].unicode() - u'0'), 1e12L);
    }
    const long double number = negative ? -magnitude : magnitude;
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        return false;
    if (number < min || number > max)
        return false;
    value = qint32(number);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QLocale &locale = localeFor(data[0]);
    const int decimals = take<std::int8_t>(data, size, 1);
    const int significant = take<std::int8_t>(data, size, 2);
    const double number = take<double>(data, size, 3);
    const float min = take<float>(data, size, 11);
    const float max = take<float>(data, size, 15);
    const QString text = size > 19 ? QString::fromUtf8(reinterpret_cast<const char *>(data + 19),
                                                       qsizetype(size - 19))
                                   : QString();

    checkFormat(number, decimals, significant, locale, false);
    checkFormat(number, decimals, significant, locale, true);
    checkFormat(double(float(number)), decimals, 8, locale, false);

    FuzzContext context([&] {
        std::fprintf(stderr, "text \"%s\", decimals %d, bounds %g..%g, %s\n", qPrintable(text),
                     decimals, double(min), double(max), qPrintable(locale.name()));
    });
    const FloatFieldCheck check = checkFloatText(text, decimals, min, max, locale);
    FUZZ_CHECK(!check.ok || check.converted);
    if (check.converted) {
        FUZZ_CHECK(std::isfinite(check.value));
        FUZZ_CHECK(check.text == formatFixed(double(check.value), decimals, locale));
        FUZZ_CHECK(check.ok == (check.value >= min && check.value <= max));
        // The rewritten text is a number again, the same once rounded as shown.
        const FloatFieldCheck again = checkFloatText(check.text, decimals, min, max, locale);
        FUZZ_CHECK(again.converted && again.text == check.text);
    } else {
        FUZZ_CHECK(check.text == text);
    }

    // A value the module reported, shown in its field, is a number there.
    const float reported = float(number);
    if (std::isfinite(number) && std::fabs(number) <= std::numeric_limits<float>::max()) {
        const QString shown = formatFixed(double(reported), decimals, locale);
        FuzzContext shownContext([&] { std::fprintf(stderr, "shown \"%s\"\n", qPrintable(shown)); });
        const FloatFieldCheck read = checkFloatText(shown, decimals, min, max, locale);
        FUZZ_CHECK(read.converted);
        FUZZ_CHECK(read.text == shown);
    }

    qint32 expected = 0;
    const IntFieldCheck integer = checkIntText(text, min, max);
    FUZZ_CHECK(integer.ok == plainInt(text, min, max, expected));
    if (integer.ok)
        FUZZ_CHECK(integer.value == expected);
    return 0;
}
