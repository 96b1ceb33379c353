#include "profilefile.h"

#include <QFile>
#include <QSaveFile>

namespace {

// Where a key sits in the file's bytes.
struct KeyPlace {
    bool sectionFound = false;
    qsizetype lineStart = -1; // the key's line, its line end excluded
    qsizetype lineEnd = -1;
    qsizetype insertAt = -1; // past the section's last non-blank line
    QByteArray value;        // raw, after the '='
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray(); // a missing or unreadable file reads as an empty one
    return file.readAll();
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Only the first section of that name counts, and in it the first line of
// that key, as with the Windows functions.
KeyPlace findKey(const QByteArray &content, const QByteArray &section, const QByteArray &key)
{
    KeyPlace place;
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < content.size()) {
        qsizetype newline = content.indexOf('\n', pos);
        qsizetype end = newline < 0 ? content.size() : newline;
        qsizetype next = newline < 0 ? content.size() : newline + 1;
        if (end > pos && content[end - 1] == '\r')
            --end;
        const QByteArray line = content.mid(pos, end - pos).trimmed();
        if (line.startsWith('[')) {
            if (inSection)
                break;
            qsizetype close = line.indexOf(']');
            inSection = sameName(line.mid(1, close < 0 ? -1 : close - 1).trimmed(), section);
            if (inSection) {
                place.sectionFound = true;
                place.insertAt = next;
            }
        } else if (inSection && !line.isEmpty()) {
            place.insertAt = next;
            qsizetype equals = line.indexOf('=');
            if (equals >= 0 && sameName(line.left(equals).trimmed(), key)) {
                place.lineStart = pos;
                place.lineEnd = end;
                place.value = line.mid(equals + 1);
                return place;
            }
        }
        pos = next;
    }
    return place;
}

QByteArray lineEndOf(const QByteArray &content)
{
    qsizetype newline = content.indexOf('\n');
    return newline == 0 || (newline > 0 && content[newline - 1] != '\r') ? QByteArray("\n")
                                                                         : QByteArray("\r\n");
}

// A value that would lose blanks or quotes on reading goes inside one more
// pair of quotes, which reading takes off again (here and on Windows).
QByteArray quotedIfNeeded(const QString &value)
{
    QByteArray bytes = value.toUtf8();
    if (bytes.isEmpty())
        return bytes;
    // Whatever trimmed() takes off on reading; line breaks never get here.
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    auto quote = [](char c) { return c == '"' || c == '\''; };
    bool enclosed = bytes.size() >= 2 && quote(bytes.front()) && bytes.front() == bytes.back();
    if (blank(bytes.front()) || blank(bytes.back()) || enclosed)
        return '"' + bytes + '"';
    return bytes;
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (base == 16 && u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (base == 16 && u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

QString ProfileFile::readString(const QString &section, const QString &key,
                                const QString &fallback) const
{
    const KeyPlace place = findKey(readAll(m_path), section.toUtf8(), key.toUtf8());
    if (place.lineStart < 0)
        return fallback;
    QByteArray value = place.value.trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return QString::fromUtf8(value).left(MaxValueLength);
}

int ProfileFile::readInteger(const QString &section, const QString &key, int fallback) const
{
    const QString text = readString(section, key);
    return parseInteger(text).value_or(fallback);
}

bool ProfileFile::writeString(const QString &section, const QString &key,
                              const QString &value) const
{
    return write(section, key, value, false);
}

bool ProfileFile::writeStringLast(const QString &section, const QString &key,
                                  const QString &value) const
{
    return write(section, key, value, true);
}

bool ProfileFile::write(const QString &section, const QString &key, const QString &value,
                        bool last) const
{
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        m_errorString = QStringLiteral("the value holds a line break");
        return false; // would split the line, and read back as something else
    }
    QByteArray content = readAll(m_path);
    const QByteArray eol = lineEndOf(content);
    const QByteArray keyLine = key.toUtf8() + '=' + quotedIfNeeded(value);
    KeyPlace place = findKey(content, section.toUtf8(), key.toUtf8());
    if (last && place.lineStart >= 0) {
        const qsizetype newline = content.indexOf('\n', place.lineEnd);
        content.remove(place.lineStart, (newline < 0 ? content.size() : newline + 1) - place.lineStart);
        place = findKey(content, section.toUtf8(), key.toUtf8());
    }
    if (place.lineStart >= 0) {
        content.replace(place.lineStart, place.lineEnd - place.lineStart, keyLine);
    } else {
        qsizetype at = place.sectionFound ? place.insertAt : content.size();
        QByteArray added =
            place.sectionFound ? keyLine + eol : '[' + section.toUtf8() + ']' + eol + keyLine + eol;
        if (at > 0 && content[at - 1] != '\n') // the last line had no line end
            added.prepend(eol);
        content.insert(at, added);
    }

    QSaveFile file(m_path);
    // A directory that is not writable holding a writable config.ini (an
    // installation made so on purpose) can only be written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        m_errorString = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_errorString = file.errorString();
        return false;
    }
    return true;
}

bool ProfileFile::writeInteger(const QString &section, const QString &key, int value) const
{
    return writeString(section, key, QString::number(value));
}

bool ProfileFile::writeBoolean(const QString &section, const QString &key, bool value) const
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

std::optional<int> ProfileFile::parseInteger(const QString &text)
{
    QStringView digits(text);
    bool negative = false;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
        negative = digits.front() == QLatin1Char('-');
        digits = digits.mid(1);
    }
    int base = 10;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits = digits.mid(2);
    } else if (digits.startsWith(QLatin1Char('$'))) {
        base = 16;
        digits = digits.mid(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    // Digit by digit: Qt's own conversions allow blanks and a second prefix.
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : 0x80000000ull;
    quint64 magnitude = 0;
    for (QChar c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    if (base == 10 && !negative && magnitude == limit) // 2147483648 needs its minus sign
        return std::nullopt;
    quint32 bits = quint32(magnitude); // hexadecimal is a 32-bit pattern
    if (negative)
        bits = 0u - bits;
    return qint32(bits);
}
