#pragma once

#include "recordingsession.h"

#include <QString>

#include <array>
#include <chrono>
#include <optional>

// The names --columns takes, in the columns' order (RecordColumn).
inline constexpr std::array<const char *, RecordColumnCount> RecordColumnOptionNames{
    "date", "time", "number", "sum", "sensor1", "sensor2", "sensor3", "sensor4"};

// The longest --duration: its milliseconds fit a timer.
inline constexpr int MaxRecordSeconds = 2'000'000;

// What the command line gave `--record`; an option left out is empty.
struct RecordArguments {
    QString file;
    std::optional<QString> rate;
    std::optional<QString> columns;
    std::optional<QString> duration;
    bool withoutFile = false; // --publish alone: the records go to the broker only
};

// What `--record` runs with.
struct RecordOptions {
    RecordingChoices choices;
    std::optional<std::chrono::milliseconds> duration; // none: until a termination signal
    QString device; // --device; empty: the first module no other program holds
};

// Why the arguments are refused, for the command line to word.
struct RecordOptionsProblem {
    enum class Code {
        None,
        NoFileName,
        UnknownRate,     // given: the --rate text
        EmptyColumnName, // given: the --columns text
        UnknownColumn,   // given: the name
        NoColumn,        // neither --columns nor the settings file ticks one
        BadDuration,     // given: the --duration text
    };
    Code code = Code::None;
    QString given;

    explicit operator bool() const { return code != Code::None; }
};

struct ParsedRecordOptions {
    RecordOptions options;
    RecordOptionsProblem problem; // none when the arguments are valid
};

// `stored` holds what the settings file says (columns, rate, decimal
// places); --rate and --columns replace its choices. A rate is an item
// index 0..4 or the item's text, blanks, "~" and a final "." optional
// ("10/min"); columns are names of RecordColumnOptionNames, comma-separated,
// in any letter case and order; a duration is a positive number of seconds.
ParsedRecordOptions parseRecordOptions(const RecordArguments &arguments,
                                       const RecordingChoices &stored);

// For the help text: `0 "~ 80 / s.", 1 ...` and `date, time, ...`.
QString rateItemList();
QString columnNameList();
