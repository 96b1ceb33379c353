#pragma once

#include "headlessmodes.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>

// The program's options, those of the window and of the window-less modes;
// --help lists them all.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption simulate{
        QStringLiteral("simulate"),
        QStringLiteral("Run against a simulated module instead of USB devices.")};
    QCommandLineOption stall{QStringLiteral("simulate-write-stall"),
                             QStringLiteral("With --simulate: every write to the module takes <ms> "
                                            "milliseconds, as on a stalled USB endpoint."),
                             QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption exportTranslation{
        QStringLiteral("export-translation"),
        QStringLiteral("Write the built-in texts, Polish and English, to <file> as a starting "
                       "point for a translation file, and end."),
        QStringLiteral("file")};
    HeadlessOptions headless;

    CommandLine();
    // --simulate-write-stall's milliseconds; nothing, after a message on
    // standard error, when it is not a whole number of them.
    std::optional<int> writeStallMs() const;
};

// --help, --version, --export-translation and the window-less modes
// (--list, --record), run
// here with a QCoreApplication only, before any GUI object exists, so they
// work without a display. Gives their exit status; nothing when the
// program goes on to its windows.
std::optional<int> runWithoutWindow(int argc, char *argv[]);
