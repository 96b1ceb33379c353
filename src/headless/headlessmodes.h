#pragma once

#include <QCommandLineOption>
#include <QString>

class HidBackend;
class QCommandLineParser;
struct RecordingChoices;
struct RecordOptionsProblem;

// The exit status of a command line the window-less modes refuse.
inline constexpr int InvalidCommandLine = 2;

// The options of the window-less modes, for the program's one parser, so
// that --help shows them with the rest.
struct HeadlessOptions {
    QCommandLineOption list;
    QCommandLineOption record;
    QCommandLineOption rate;
    QCommandLineOption columns;
    QCommandLineOption duration;
    QCommandLineOption publish;
    QCommandLineOption queueLimit;
    QCommandLineOption passwordFile;
    QCommandLineOption caFile;
    // Also the window's: which module to drive or list.
    QCommandLineOption device;

    HeadlessOptions();
    void addTo(QCommandLineParser &parser) const;
    // Any of them but --device given: the program runs without a window.
    bool anySet(const QCommandLineParser &parser) const;
    // The modes' exit statuses, for the help text.
    static QString exitStatusHelp();
};

// Runs --list or --record and gives the exit status; invalid options give 2
// with a message on standard error, before anything is recorded. `stored`
// is the recording the settings file describes. Needs a QCoreApplication
// only.
int runHeadlessMode(const QCommandLineParser &parser, const HeadlessOptions &options,
                    HidBackend &backend, const RecordingChoices &stored);

// The command line's wording of a refused --record option (English, as
// --help is).
QString recordOptionsProblemText(const RecordOptionsProblem &problem);
