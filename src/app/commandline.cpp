#include "commandline.h"

#include "backendfactory.h"
#include "displaystate.h"
#include "languagefiles.h"
#include "programinfo.h"
#include "programsettings.h"
#include "recordingsession.h"
#include "simulatedbackend.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// What the recording page would record, from the settings file.
RecordingChoices storedRecording(const QString &settingsPath)
{
    const ProgramPreferences preferences = readPreferences(settingsPath);
    const RecordingPreferences &recording = preferences.recording;
    return {recording.FileName, recording.columns, recording.DataAcquistionSpeed,
            decimalPlacesOf(preferences.general.DecimalPoint)};
}

} // namespace

CommandLine::CommandLine()
{
    parser.setApplicationDescription(
        QStringLiteral("Configures and reads out the KLV57 measuring module.\n\n") +
        HeadlessOptions::exitStatusHelp());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(simulate);
    parser.addOption(stall);
    parser.addOption(modules);
    parser.addOption(exportTranslation);
    headless.addTo(parser);
}

std::optional<BackendOptions> CommandLine::backendOptions() const
{
    BackendOptions options;
    options.simulate = parser.isSet(simulate);
    bool valid = false;
    options.simulatedWriteStallMs = parser.value(stall).toInt(&valid);
    if (!valid || options.simulatedWriteStallMs < 0) {
        std::fprintf(stderr, "klv57-pc: --simulate-write-stall takes a whole number of milliseconds\n");
        return std::nullopt;
    }
    options.simulatedModules = parser.value(modules).toInt(&valid);
    if (!valid || options.simulatedModules < 1 || options.simulatedModules > SimulatedBackend::MaxModules) {
        std::fprintf(stderr, "klv57-pc: --simulate-modules takes a whole number from 1 to %d\n",
                     SimulatedBackend::MaxModules);
        return std::nullopt;
    }
    return options;
}

std::optional<int> runWithoutWindow(int argc, char *argv[])
{
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(ProgramInfo::ProductName);
    QCoreApplication::setApplicationVersion(ProgramInfo::VersionText);
    CommandLine commandLine;
    // Qt's own options (-platform, -style) are no error yet: the window's
    // application takes them out first.
    const bool parsed = commandLine.parser.parse(QCoreApplication::arguments());
    if (commandLine.parser.isSet(QStringLiteral("help")))
        commandLine.parser.showHelp();
    if (commandLine.parser.isSet(QStringLiteral("version")))
        commandLine.parser.showVersion();
    if (parsed && commandLine.parser.isSet(commandLine.exportTranslation)) {
        QString error;
        const QString path = commandLine.parser.value(commandLine.exportTranslation);
        if (exportTranslationFile(path, &error))
            return 0;
        std::fprintf(stderr, "klv57-pc: cannot write %s: %s\n", qUtf8Printable(path), qUtf8Printable(error));
        return 1;
    }
    if (!commandLine.headless.anySet(commandLine.parser))
        return std::nullopt;

    if (!parsed || !commandLine.parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "klv57-pc: %s\n",
                     qUtf8Printable(parsed
                                        ? QStringLiteral("unexpected argument: %1")
                                              .arg(commandLine.parser.positionalArguments().first())
                                        : commandLine.parser.errorText()));
        return InvalidCommandLine;
    }
    const std::optional<BackendOptions> backendOptions = commandLine.backendOptions();
    if (!backendOptions)
        return InvalidCommandLine;
    std::unique_ptr<HidBackend> backend = makeHidBackend(*backendOptions);
    return runHeadlessMode(commandLine.parser, commandLine.headless, *backend,
                           storedRecording(settingsFilePath()));
}
