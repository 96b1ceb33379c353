#pragma once

#include <QString>

#include <optional>

// An INI file read and written key by key, as the Windows profile functions
// do, so config.ini can be shared with the Windows program: every call goes
// to the file itself (nothing is cached), lines other than the written key
// stay byte for byte, key order is kept, and section and key names match
// without regard to letter case. A missing file, section or key reads as the
// fallback; writing a key creates whatever is missing (not the directory).
//
// Text is UTF-8: it is the locale's encoding on Debian and the encoding of
// file names there, so a recording path with any letters reads back as it
// was written; Latin-1 would lose Polish letters such as "ś". Lines end in
// CR LF or LF on reading; a new file gets CR LF, an existing one keeps its
// own style. GUI thread only; the file is not locked.
class ProfileFile
{
public:
    static constexpr int MaxValueLength = 2047; // what a 2048-character buffer receives

    explicit ProfileFile(const QString &path) : m_path(path) {}
    const QString &path() const { return m_path; }

    // The raw value, without surrounding blanks and one pair of enclosing
    // quotes, cut to MaxValueLength characters; present but empty reads "".
    QString readString(const QString &section, const QString &key,
                       const QString &fallback = QString()) const;
    // Decimal, or hexadecimal after "0x" or "$"; anything else, and a
    // missing key, gives the fallback. Booleans are read as integers.
    int readInteger(const QString &section, const QString &key, int fallback) const;

    // Replaces the file through a temporary file in its directory, so a crash
    // leaves the old file or the new one, never half of one. False when the
    // file cannot be written or the value holds a line break.
    bool writeString(const QString &section, const QString &key, const QString &value) const;
    // As writeString(), but the key's line goes after every other line of
    // its section, moved there in the same replacement if it stood before.
    bool writeStringLast(const QString &section, const QString &key, const QString &value) const;
    bool writeInteger(const QString &section, const QString &key, int value) const;
    bool writeBoolean(const QString &section, const QString &key, bool value) const; // "1" / "0"
    // Why the last write returned false, in the system's words.
    QString errorString() const { return m_errorString; }

    // Optional sign, then decimal digits, or "0x"/"0X"/"$" and up to 8 hex
    // digits (taken as 32 bits, so 0xFFFFFFFF is -1); nothing around them.
    static std::optional<int> parseInteger(const QString &text);

private:
    bool write(const QString &section, const QString &key, const QString &value, bool last) const;

    QString m_path;
    mutable QString m_errorString;
};
