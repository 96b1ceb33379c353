// The program entry: creates the module session, the windows in their
// fixed order and the connections between them, runs the event loop, and
// shuts down in reverse order.
#include "application.h"
#include "backendfactory.h"
#include "commandline.h"
#include "fonts.h"
#include "modulesession.h"
#include "programinfo.h"
#include "programsettings.h"
#include "programwindows.h"
#include "terminationsignals.h"

#include <exception>
#include <optional>

int main(int argc, char *argv[])
{
    // 1. The application and its command line. --help, --version, --list
    //    and --record end before any GUI object exists.
    if (const std::optional<int> status = runWithoutWindow(argc, argv))
        return *status;
    Application app(argc, argv);
    Application::setApplicationName(ProgramInfo::ProductName);
    Application::setApplicationVersion(ProgramInfo::VersionText);
    Application::setDesktopFileName(QStringLiteral(KLV_APP_ID));
    Application::setQuitOnLastWindowClosed(false); // the main window's close ends the program
    registerWindowsFonts();

    CommandLine commandLine;
    commandLine.parser.process(app);
    const std::optional<int> stallMs = commandLine.writeStallMs();
    if (!stallMs)
        return 1;

    try {
        // 2. The module session. Its link posts the first device change,
        //    handled once the event loop runs, after every window exists.
        std::unique_ptr<HidBackend> backend = makeHidBackend(commandLine.parser.isSet(commandLine.simulate), *stallMs);
        std::unique_ptr<ModuleSession> session = makeModuleSession(*backend);

        // 3. The five windows, in their order, wired to each other.
        ProgramWindows windows(*session, settingsFilePath());

        // 4. Stop polling and the read threads before windows are torn down,
        //    so no report is handed to a window that is going away.
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { session->shutDown(); });

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
