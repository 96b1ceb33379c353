#include "headlessmodes.h"

#include "devicelisting.h"
#include "publishingrun.h"
#include "recordingrun.h"
#include "recordoptions.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

std::optional<QString> valueIfSet(const QCommandLineParser &parser,
                                  const QCommandLineOption &option)
{
    return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
}

int invalidOptions(const QString &message)
{
    QTextStream(stderr) << "klv57-pc: " << message << Qt::endl;
    return InvalidCommandLine;
}

} // namespace

HeadlessOptions::HeadlessOptions()
    : list(QStringLiteral("list"),
           QStringLiteral("Without a window: list the HID devices with their node, product, "
                          "whether each is the KLV57 module and whether it opens for reading and "
                          "writing; for a module that does not open, its node's permissions and "
                          "the udev rule that grants access.")),
      record(
          QStringLiteral("record"),
          QStringLiteral("Without a window: record the live values to <file> in the recording "
                         "page's format (columns, rate and decimal places from config.ini unless "
                         "given), until --duration ends or SIGINT/SIGTERM/SIGHUP; progress on "
                         "standard error. Recording goes on after the module is unplugged and "
                         "plugged in again."),
          QStringLiteral("file")),
      rate(QStringLiteral("rate"),
           QStringLiteral("With --record or --publish: the recording rate, by number or text "
                          "(e.g. 10/s): %1. Default: the recording page's, from config.ini.")
               .arg(rateItemList()),
           QStringLiteral("item")),
      columns(QStringLiteral("columns"),
              QStringLiteral("With --record or --publish: the columns, comma-separated, of %1 (the "
                             "file keeps their fixed order). Default: the recording page's, from "
                             "config.ini.")
                  .arg(columnNameList()),
              QStringLiteral("list")),
      duration(QStringLiteral("duration"),
               QStringLiteral("With --record or --publish: stop after this many seconds (a number "
                              "above 0); without it, recording goes on until a signal."),
               QStringLiteral("seconds")),
      publish(QStringLiteral("publish"),
              QStringLiteral("Without a window: publish every record as a JSON message to the "
                             "MQTT broker at <url>, mqtt://[user@]host[:port]/PREFIX (mqtts:// for "
                             "TLS), on PREFIX/values (QoS 1), with a retained PREFIX/status. Takes "
                             "--rate, --columns and --duration, and --record for a file with the "
                             "same records. While the broker is "
                             "away the records wait in a queue on disk ($XDG_STATE_HOME or "
                             "~/.local/state/KLV57/queue), kept for the next run with the same "
                             "prefix. A password comes from --password-file or %1.")
                  .arg(PasswordVariable),
              QStringLiteral("url")),
      queueLimit(QStringLiteral("queue-limit"),
                 QStringLiteral("With --publish: the queue's largest size on disk in bytes, k, M "
                                "or G (default 100M); past it the oldest records are dropped."),
                 QStringLiteral("size")),
      passwordFile(QStringLiteral("password-file"),
                   QStringLiteral("With --publish: the broker's password is the first line of "
                                  "<file>."),
                   QStringLiteral("file")),
      caFile(QStringLiteral("cafile"),
             QStringLiteral("With an mqtts:// URL: trust the certificates in <file> (PEM) instead "
                            "of the system's store."),
             QStringLiteral("file")),
      device(QStringLiteral("device"),
             QStringLiteral("With several modules plugged in: drive (or with --list, list) the "
                            "one at this node (/dev/hidraw3), with this USB serial number, or "
                            "answering with this identification. Without it the program takes "
                            "the first module no other program holds; the window remembers the "
                            "module chosen in it."),
             QStringLiteral("node|serial|name"))
{
}

void HeadlessOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({list, record, rate, columns, duration, publish, queueLimit, passwordFile,
                       caFile, device});
}

bool HeadlessOptions::anySet(const QCommandLineParser &parser) const
{
    for (const QCommandLineOption *option : {&list, &record, &rate, &columns, &duration, &publish,
                                             &queueLimit, &passwordFile, &caFile})
        if (parser.isSet(*option))
            return true;
    return false;
}

QString HeadlessOptions::exitStatusHelp()
{
    return QStringLiteral("--list exits with 0 when a usable module is present, 1 when there is\n"
                          "none, 2 when one is present but does not open, 3 when another\n"
                          "program uses it.\n"
                          "--record exits with 0 after the duration or a termination signal, 1\n"
                          "when the file cannot be opened or written, 3 when another program\n"
                          "uses the module.\n"
                          "--publish exits as --record does, and with 3 when the broker refuses\n"
                          "the credentials, its host does not resolve, its TLS certificate is not\n"
                          "trusted or the queue cannot be used.\n"
                          "All exit with 2 on an invalid command line.");
}

int runHeadlessMode(const QCommandLineParser &parser, const HeadlessOptions &options,
                    HidBackend &backend, const RecordingChoices &stored)
{
    if (parser.isSet(options.list) &&
        (parser.isSet(options.record) || parser.isSet(options.publish)))
        return invalidOptions(QStringLiteral("--list goes alone, without --record or --publish"));

    const bool recordingOptionGiven = parser.isSet(options.rate) ||
                                      parser.isSet(options.columns) ||
                                      parser.isSet(options.duration);
    if (parser.isSet(options.list) && !recordingOptionGiven) {
        QTextStream out(stdout);
        return int(listDevices(backend, out, parser.value(options.device)));
    }
    const bool publishing = parser.isSet(options.publish);
    if (!publishing && (parser.isSet(options.queueLimit) || parser.isSet(options.passwordFile) ||
                        parser.isSet(options.caFile)))
        return invalidOptions(
            QStringLiteral("--queue-limit, --password-file and --cafile go with --publish"));
    if (!parser.isSet(options.record) && !publishing)
        return invalidOptions(QStringLiteral("--rate, --columns and --duration go with --record"));
    ParsedRecordOptions parsed = parseRecordOptions(
        {parser.value(options.record), valueIfSet(parser, options.rate),
         valueIfSet(parser, options.columns), valueIfSet(parser, options.duration),
         !parser.isSet(options.record)},
        stored);
    if (parsed.problem)
        return invalidOptions(recordOptionsProblemText(parsed.problem));
    parsed.options.device = parser.value(options.device);
    QTextStream messages(stderr);
    const bool onTerminal = ::isatty(STDERR_FILENO) != 0;
    if (!publishing)
        return int(recordUntilStopped(backend, parsed.options, messages, onTerminal));
    const ParsedPublishOptions publish = parsePublishOptions(
        {parser.value(options.publish), valueIfSet(parser, options.queueLimit),
         valueIfSet(parser, options.passwordFile), valueIfSet(parser, options.caFile)},
        QProcessEnvironment::systemEnvironment());
    if (!publish.error.isEmpty())
        return invalidOptions(publish.error);
    return publishUntilStopped(backend, parsed.options, publish.options, messages, onTerminal);
}

QString recordOptionsProblemText(const RecordOptionsProblem &problem)
{
    using Code = RecordOptionsProblem::Code;
    switch (problem.code) {
    case Code::None:
        return {};
    case Code::NoFileName:
        return QStringLiteral("--record needs a file name");
    case Code::UnknownRate:
        return QStringLiteral("--rate: \"%1\" is no rate item; one of %2").arg(problem.given, rateItemList());
    case Code::EmptyColumnName:
        return QStringLiteral("--columns: an empty column name in \"%1\"; the columns are %2")
            .arg(problem.given, columnNameList());
    case Code::UnknownColumn:
        return QStringLiteral("--columns: no column \"%1\"; the columns are %2").arg(problem.given, columnNameList());
    case Code::NoColumn:
        return QStringLiteral("no column to record; --columns takes %1").arg(columnNameList());
    case Code::BadDuration:
        return QStringLiteral("--duration: \"%1\" is no number of seconds above 0 and up to %2")
            .arg(problem.given, QString::number(MaxRecordSeconds));
    }
    return {};
}
