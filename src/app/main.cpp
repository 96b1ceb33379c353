// The program entry: creates the device link, the windows in their fixed
// order and the connections between them, runs the event loop, and shuts
// down in reverse order.
#include "application.h"
#include "backendfactory.h"
#include "devicelink.h"
#include "deviceprotocol.h"
#include "fonts.h"
#include "programinfo.h"
#include "programsettings.h"
#include "programwindows.h"
#include "terminationsignals.h"

#include <QCommandLineParser>

#include <cstdio>

#include <exception>

namespace {

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption simulate{QStringLiteral("simulate"),
                                QStringLiteral("Run against a simulated module instead of USB devices.")};
    QCommandLineOption stall{QStringLiteral("simulate-write-stall"),
                             QStringLiteral("With --simulate: every write to the module takes <ms> "
                                            "milliseconds, as on a stalled USB endpoint."),
                             QStringLiteral("ms"), QStringLiteral("0")};

    CommandLine()
    {
        parser.setApplicationDescription(
            QStringLiteral("Configures and reads out the KLV57 measuring module."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(simulate);
        parser.addOption(stall);
    }
};

// --help and --version are answered before any GUI object exists, so they
// work without a display. Other options wait for the application, which
// takes Qt's own (-platform, -style) out of the arguments first.
void answerHelpAndVersion(int argc, char *argv[])
{
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(ProgramInfo::ProductName);
    QCoreApplication::setApplicationVersion(ProgramInfo::VersionText);
    CommandLine commandLine;
    commandLine.parser.parse(QCoreApplication::arguments());
    if (commandLine.parser.isSet(QStringLiteral("help")))
        commandLine.parser.showHelp();
    if (commandLine.parser.isSet(QStringLiteral("version")))
        commandLine.parser.showVersion();
}

} // namespace

int main(int argc, char *argv[])
{
    // 1. The application and its command line.
    answerHelpAndVersion(argc, argv);
    Application app(argc, argv);
    Application::setApplicationName(ProgramInfo::ProductName);
    Application::setApplicationVersion(ProgramInfo::VersionText);
    Application::setDesktopFileName(QStringLiteral(KLV_APP_ID));
    Application::setQuitOnLastWindowClosed(false); // the main window's close ends the program
    registerWindowsFonts();

    CommandLine commandLine;
    commandLine.parser.process(app);
    bool stallValid = false;
    const int stallMs = commandLine.parser.value(commandLine.stall).toInt(&stallValid);
    if (!stallValid || stallMs < 0) {
        std::fprintf(stderr, "klv57-pc: --simulate-write-stall takes a whole number of milliseconds\n");
        return 1;
    }

    try {
        // 2. The device link. Its controller posts the first device change,
        //    handled once the event loop runs, after every window exists.
        std::unique_ptr<HidBackend> backend = makeHidBackend(commandLine.parser.isSet(commandLine.simulate), stallMs);
        DeviceLink link(backend.get());
        DeviceProtocol protocol(&link);

        // 3. The five windows, in their order, wired to each other.
        ProgramWindows windows(link, protocol, settingsFilePath());

        // 4. Stop polling and the read threads before windows are torn down,
        //    so no report is handed to a window that is going away.
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] {
            protocol.setPollEnabled(false);
            link.releaseAll();
        });

        // 5. Shutdown, logout and Ctrl+C close the main window as a close
        //    request does: config.ini written, the recording file closed.
        //    If config.ini cannot be written the error box says so, and the
        //    program ends all the same.
        TerminationSignals terminationSignals;
        QObject::connect(&terminationSignals, &TerminationSignals::received, [&] {
            if (!windows.form1.close())
                QCoreApplication::quit();
        });

        // 6. Run.
        windows.form1.show();
        Application::exec();
    } catch (const std::exception &e) {
        Application::showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Application::showError(QString());
    }
    return 0;
}
