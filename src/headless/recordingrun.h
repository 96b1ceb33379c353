#pragma once

#include "recordoptions.h"

class HidBackend;
class QTextStream;

// `--record`: its exit statuses (an invalid command line gives
// InvalidCommandLine, headlessmodes.h).
enum class RecordingStatus {
    Ended = 0,      // the duration ended or a termination signal came; the file is closed
    FileFailed = 1, // the file could not be opened or written
    ModuleInUse = 3, // another program holds the module; nothing was written to it
};

// Records until the duration ends or SIGTERM, SIGINT or SIGHUP arrives,
// then closes the file. Progress goes to `messages` (standard error) at most
// once a second: the connection, the records written and the file's size on
// disk; on a terminal the line is rewritten in place. Runs an event loop;
// needs a QCoreApplication, no QApplication.
RecordingStatus recordUntilStopped(HidBackend &backend, const RecordOptions &options,
                                   QTextStream &messages, bool messagesOnTerminal);
