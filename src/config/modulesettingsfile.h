#pragma once

#include "deviceinforeport.h"
#include "othersettings.h"
#include "tenssettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Everything the module reported that the settings pages show, and the
// identity it came from.
struct ModuleSettings {
    DeviceInfoReport info;
    TensSettings sensors; // as reported with code 2
    OtherSettings io;     // as reported with code 3
};

// The module settings file: UTF-8 text of "name = value" lines, every field
// named and in the unit the pages show it in, then the three records as the
// module reported them, in hexadecimal. Numbers use the full stop whatever
// the locale and keep every bit of the single-precision value. Widget-free.
namespace ModuleSettingsFile {

inline const QString Filter = QStringLiteral("KLV57 (*.klv57);;TXT (*.txt)");

QByteArray write(const ModuleSettings &settings, const QDateTime &savedAt);

// Why a file is refused, for the page to word: a code and the values the
// wording names, in this order per code.
struct Problem {
    enum class Code {
        None,
        NotSettingsFile,
        NewerFormat,      // format
        BadLine,          // line number
        FieldTwice,       // field
        FieldMissing,     // field
        RecordUnreadable, // field
        FieldDisagrees,   // field
        UnknownField,     // field
        NotANumber,       // field, text
        NotAWholeNumber,  // field, text
        OutsideRange,     // field, text, lowest, highest
        NoneOf,           // field, text, the accepted texts
        FromVoltageModule,
        FromCurrentModule,
    };
    Code code = Code::None;
    QStringList values;

    explicit operator bool() const { return code != Code::None; }
    // The file is damaged (rather than holding a value no page accepts).
    bool isDamage() const;
};

struct ReadResult {
    std::optional<ModuleSettings> settings; // the raw records, when accepted
    Problem problem;                        // the first problem, when refused
};

// Refuses a file that is not one, is damaged (a field missing, unknown,
// twice or unreadable, a raw record malformed or disagreeing with the named
// fields), or holds a value that a page's check refuses when shown with
// `decimals` places (the chosen decimal places).
ReadResult read(const QByteArray &text, int decimals);

// Why a file's settings do not fit the module identified now: another
// analog output variant (voltage or current output). None when they fit.
Problem variantProblem(const DeviceInfoReport &file, quint8 moduleVariant);

} // namespace ModuleSettingsFile
