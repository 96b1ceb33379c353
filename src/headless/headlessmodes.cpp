#include "headlessmodes.h"

#include "devicelisting.h"
#include "recordingrun.h"

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
           QStringLiteral("With --record: the recording rate, by number or text (e.g. 10/s): "
                          "%1. Default: the recording page's, from config.ini.")
               .arg(rateItemList()),
           QStringLiteral("item")),
      columns(QStringLiteral("columns"),
              QStringLiteral("With --record: the columns, comma-separated, of %1 (the file keeps "
                             "their fixed order). Default: the recording page's, from config.ini.")
                  .arg(columnNameList()),
              QStringLiteral("list")),
      duration(QStringLiteral("duration"),
               QStringLiteral("With --record: stop after this many seconds (a number above 0); "
                              "without it, recording goes on until a signal."),
               QStringLiteral("seconds"))
{
}

void HeadlessOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({list, record, rate, columns, duration});
}

bool HeadlessOptions::anySet(const QCommandLineParser &parser) const
{
    for (const QCommandLineOption *option : {&list, &record, &rate, &columns, &duration})
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
                          "Both exit with 2 on an invalid command line.");
}

int runHeadlessMode(const QCommandLineParser &parser, const HeadlessOptions &options,
                    HidBackend &backend, const RecordingChoices &stored)
{
    if (parser.isSet(options.list) && parser.isSet(options.record))
        return invalidOptions(QStringLiteral("--list and --record go one at a time"));

    const bool recordingOptionGiven = parser.isSet(options.rate) ||
                                      parser.isSet(options.columns) ||
                                      parser.isSet(options.duration);
    if (parser.isSet(options.list) && !recordingOptionGiven) {
        QTextStream out(stdout);
        return int(listDevices(backend, out));
    }
    if (!parser.isSet(options.record))
        return invalidOptions(QStringLiteral("--rate, --columns and --duration go with --record"));
    const ParsedRecordOptions parsed = parseRecordOptions(
        {parser.value(options.record), valueIfSet(parser, options.rate),
         valueIfSet(parser, options.columns), valueIfSet(parser, options.duration)},
        stored);
    if (!parsed.error.isEmpty())
        return invalidOptions(parsed.error);
    QTextStream messages(stderr);
    return int(recordUntilStopped(backend, parsed.options, messages, ::isatty(STDERR_FILENO) != 0));
}
