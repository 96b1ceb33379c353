// The program entry: creates the module session, the windows in their
// fixed order and the connections between them, runs the event loop, and
// shuts down in reverse order.
#include "application.h"
#include "backendfactory.h"
#include "commandline.h"
#include "dialogs.h"
#include "fonts.h"
#include "languagefiles.h"
#include "messageids.h"
#include "messagetable.h"
#include "modulesession.h"
#include "programinfo.h"
#include "programsettings.h"
#include "programwindows.h"
#include "terminationsignals.h"

#include <QTimer>

#include <chrono>
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
    const std::optional<BackendOptions> backendOptions = commandLine.backendOptions();
    if (!backendOptions)
        return 1;

    int status = 0;
    // 2. Languages from translation files, before any window reads the store.
    const QVector<LanguageFileRefusal> skippedLanguages = installLanguageFiles(languageFileDirectories());

    try {
        // 3. The module session. Its link posts the first device change,
        //    handled once the event loop runs, after every window exists.
        std::unique_ptr<HidBackend> backend = makeHidBackend(*backendOptions);
        std::unique_ptr<ModuleSession> session = makeModuleSession(*backend);
        // --device before the remembered choice: the window takes it as given.
        const QString device = commandLine.parser.value(commandLine.headless.device);
        if (!device.isEmpty())
            session->chooseModule({device, true});

        // 4. The five windows, in their order, wired to each other.
        ProgramWindows windows(*session, settingsFilePath());

        // 5. Stop polling and the read threads before windows are torn down,
        //    so no report is handed to a window that is going away.
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { session->shutDown(); });

        // 6. Shutdown, logout and Ctrl+C end the program within two seconds
        //    whatever is open: config.ini written and the recording file
        //    closed, failures on standard error, no box anybody must answer;
        //    exit status 1 when config.ini could not be written. A close
        //    request from the window keeps its box and stays open instead.
        TerminationSignals terminationSignals;
        QObject::connect(&terminationSignals, &TerminationSignals::received, [&] {
            const int code = windows.form1.saveForSignal() ? 0 : 1;
            TerminationSignals::endProcessWithin(std::chrono::seconds(2), code);
            QCoreApplication::exit(code); // not quit(): that asks the windows, which may refuse
        });

        // 7. Run; each damaged translation file is told once, in the
        //    chosen language.
        windows.form1.show();
        QTimer::singleShot(0, &windows.form1, [&] {
            for (const LanguageFileRefusal &skipped : skippedLanguages)
                Dialogs::show(&windows.form1, {QMessageBox::Warning, GetTextOrDefault(Msg::IDS_68),
                                               languageFileRefusalText(skipped), QMessageBox::Ok});
        });
        status = Application::exec();
    } catch (const std::exception &e) {
        Application::showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Application::showError(QString());
    }
    return status;
}
