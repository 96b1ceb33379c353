#pragma once

#include "backendfactory.h"
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
    QCommandLineOption modules{QStringLiteral("simulate-modules"),
                               QStringLiteral("With --simulate: <n> simulated modules (1 to 8), "
                                              "each with an identification and loads of its own."),
                               QStringLiteral("n"), QStringLiteral("1")};
    QCommandLineOption exportTranslation{
        QStringLiteral("export-translation"),
        QStringLiteral("Write the built-in texts, Polish and English, to <file> as a starting "
                       "point for a translation file, and end."),
        QStringLiteral("file")};
    HeadlessOptions headless;

    CommandLine();
    // The devices to run against; nothing, after a message on standard
    // error, when --simulate-write-stall or --simulate-modules is not a
    // whole number in range.
    std::optional<BackendOptions> backendOptions() const;
};

// --help, --version, --export-translation and the window-less modes
// (--list, --record), run
// here with a QCoreApplication only, before any GUI object exists, so they
// work without a display. Gives their exit status; nothing when the
// program goes on to its windows.
std::optional<int> runWithoutWindow(int argc, char *argv[]);
