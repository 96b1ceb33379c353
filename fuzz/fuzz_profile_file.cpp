// The config.ini reader and writer. An input is a value on its first line,
// then the file: the file is read key by key, the value is written to one
// key and must read back as it was, and every other key must read as before.
#include "fuzzcheck.h"

#include "profilefile.h"
#include "programsettings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <optional>
#include <vector>

namespace {

QTemporaryDir *tempDir = nullptr;

// Decimal, or hexadecimal after 0x/0X/$, after an optional sign; the
// magnitude limits of the header, worked out on the digits left after any
// leading zeros so that no sum can overflow.
std::optional<int> plainInteger(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int base = 10;
    if (n - i >= 2 && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    } else if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    }
    if (i == n)
        return std::nullopt;
    std::uint64_t magnitude = 0;
    int significant = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        if (significant > 0 || digit > 0)
            ++significant;
        if (significant <= 11)
            magnitude = magnitude * std::uint64_t(base) + std::uint64_t(digit);
    }
    if (significant > 11)
        return std::nullopt;
    if (base == 16 && magnitude > 0xFFFFFFFFull)
        return std::nullopt;
    if (base == 10 && magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return std::nullopt;
    const std::uint32_t bits = negative ? 0u - std::uint32_t(magnitude) : std::uint32_t(magnitude);
    return std::int32_t(bits);
}

// A name that a file line can hold and give back: no brackets, no '=', no
// line break, nothing that reading trims.
bool plainName(const QByteArray &name)
{
    if (name.isEmpty() || name.trimmed() != name)
        return false;
    for (char c : name)
        if (c == '[' || c == ']' || c == '=' || quint8(c) < 0x20 || quint8(c) >= 0x7F)
            return false;
    return true;
}

// The first section of the file and the first key line after it, if any.
void namesIn(const QByteArray &file, QByteArray &section, QByteArray &key)
{
    for (const QByteArray &raw : file.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (section.isEmpty() && line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            section = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
        } else if (!section.isEmpty() && line.contains('=') && !line.startsWith('[')) {
            key = line.left(line.indexOf('=')).trimmed();
            return;
        }
    }
}

struct Name {
    QString section;
    QString key;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Memory-backed when there is one: every write ends in an fsync.
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    tempDir = shm.isDir() && shm.isWritable()
                  ? new QTemporaryDir(QStringLiteral("/dev/shm/klv57-fuzz-XXXXXX"))
                  : new QTemporaryDir;
    FUZZ_CHECK(tempDir->isValid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype newline = input.indexOf('\n');
    const QString value = QString::fromUtf8(newline < 0 ? input : input.left(newline));
    const QByteArray content = newline < 0 ? QByteArray() : input.mid(newline + 1);

    // Integers first: the value's own text, then numbers both ways.
    FUZZ_CHECK(ProfileFile::parseInteger(value) == plainInteger(value));
    std::int32_t number = 0;
    std::memcpy(&number, input.constData(), std::min<std::size_t>(size, sizeof number));
    FUZZ_CHECK(ProfileFile::parseInteger(QString::number(number)) == number);
    FUZZ_CHECK(ProfileFile::parseInteger(QStringLiteral("0x") +
                                         QString::number(std::uint32_t(number), 16)) == number);

    const QString path = tempDir->filePath(QStringLiteral("config.ini"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(content) == content.size());
    }
    const ProfileFile profile(path);

    // Every file access opens the file anew, so only a few keys per input:
    // three of the program's, picked by the input, and the file's own.
    std::vector<Name> names;
    for (std::size_t n = 0; n < 3; ++n) {
        const std::size_t pick = n < size ? data[size - 1 - n] : n;
        names.push_back({OptionsSection, QString::fromLatin1(OptionsKeys[pick % OptionsKeys.size()].name)});
    }
    QByteArray fileSection, fileKey;
    namesIn(content, fileSection, fileKey);
    names.push_back({QString::fromUtf8(fileSection), QString::fromUtf8(fileKey)});

    std::vector<QString> before;
    for (const Name &name : names) {
        const QString text = profile.readString(name.section, name.key, QStringLiteral("\x01"));
        FUZZ_CHECK(text.size() <= ProfileFile::MaxValueLength);
        const int fallback = int(text.size()) - 7;
        FUZZ_CHECK(profile.readInteger(name.section, name.key, fallback) ==
                   ProfileFile::parseInteger(text).value_or(fallback));
        before.push_back(text);
    }

    const ProgramPreferences preferences = readPreferences(path);
    for (const PreferenceKey &key : OptionsKeys) {
        if (key.listSize == 0)
            continue;
        const int index = std::get<int>(preferenceValue(key, preferences));
        FUZZ_CHECK(index >= -1 && index < key.listSize);
    }

    // The write: to a key of the program, or to the file's own when plain.
    std::size_t target = 0;
    if (plainName(fileSection) && plainName(fileKey) && (size & 1))
        target = names.size() - 1;
    const Name &written = names[target];
    FuzzContext context([&] {
        std::fprintf(stderr, "value \"%s\" written to [%s] %s\n", value.toUtf8().constData(),
                     qPrintable(written.section), qPrintable(written.key));
    });
    const bool lineBreak = value.contains(u'\r') || value.contains(u'\n');
    const bool ok = profile.writeString(written.section, written.key, value);
    if (lineBreak) {
        FUZZ_CHECK(!ok);
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::ReadOnly) && file.readAll() == content);
        return 0;
    }
    FUZZ_CHECK(ok);
    const QString back = profile.readString(written.section, written.key, QStringLiteral("\x01"));
    FUZZ_CHECK(back == value.left(ProfileFile::MaxValueLength));
    for (std::size_t n = 0; n < names.size(); ++n) {
        if (!plainName(names[n].section.toUtf8()) || !plainName(names[n].key.toUtf8()))
            continue; // byte-wise and QString case folding part ways outside ASCII
        const bool same = QString::compare(names[n].section, written.section, Qt::CaseInsensitive) == 0 &&
                          QString::compare(names[n].key, written.key, Qt::CaseInsensitive) == 0;
        if (!same)
            FUZZ_CHECK(profile.readString(names[n].section, names[n].key, QStringLiteral("\x01")) ==
                       before[n]);
    }
    return 0;
}
