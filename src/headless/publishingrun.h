#pragma once

#include "publishoptions.h"
#include "recordingrun.h"

class HidBackend;
class QTextStream;

// --publish's exit status beside RecordingStatus's: the broker refused the
// credentials, its host does not resolve, its TLS certificate is not
// trusted, or the queue cannot be used.
inline constexpr int PublishingFailed = 3;

// The broker's acknowledgements are waited for this long at the end.
inline constexpr std::chrono::milliseconds PublishFinishWait{5000};

// --publish, with or without --record's file: every record the session
// makes goes to the file (when one is given) and, through the on-disk
// queue, to the broker, until the duration ends or a termination signal
// arrives. Progress on `messages` at most once a second: the module, the
// file's records, the broker's connection, records sent and queued. Runs
// an event loop; needs a QCoreApplication only.
int publishUntilStopped(HidBackend &backend, const RecordOptions &record,
                        const PublishOptions &publish, QTextStream &messages,
                        bool messagesOnTerminal);
