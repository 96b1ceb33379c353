// The program entry: creates the device link, the windows in their fixed
// order and the connections between them, runs the event loop, and shuts
// down in reverse order.
#include "aboutdialog.h"
#include "analogcalibrationdialog.h"
#include "application.h"
#include "backendfactory.h"
#include "bigdisplaywindow.h"
#include "devicelink.h"
#include "deviceprotocol.h"
#include "fonts.h"
#include "mainwindow.h"
#include "programinfo.h"
#include "sensorcalibrationwindow.h"

#include <QCommandLineParser>

#include <exception>

int main(int argc, char *argv[])
{
    // 1. The application and its command line.
    Application app(argc, argv);
    Application::setApplicationName(ProgramInfo::ProductName);
    Application::setApplicationVersion(ProgramInfo::VersionText);
    Application::setQuitOnLastWindowClosed(false); // the main window's close ends the program
    registerWindowsFonts();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configures and reads out the KLV57 measuring module."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Run against a simulated module instead of USB devices."));
    parser.addOption(simulate);
    parser.process(app);

    try {
        // 2. The device link. Its controller posts the first device change,
        //    handled once the event loop runs, after every window exists.
        std::unique_ptr<HidBackend> backend = makeHidBackend(parser.isSet(simulate));
        DeviceLink link(backend.get());
        DeviceProtocol protocol(&link);

        // 3. The five windows, in this order.
        MainWindow form1(&link, &protocol);
        AboutDialog form2(&form1);
        SensorCalibrationWindow formCalib;
        AnalogCalibrationDialog formAnCalib(&protocol, &form1);
        BigDisplayWindow formBigDisplay;
        form1.setWindows(&form2, &formAnCalib, &formBigDisplay);

        // 4. Stop polling and the read threads before windows are torn down,
        //    so no report is handed to a window that is going away.
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] {
            protocol.setPollEnabled(false);
            link.releaseAll();
        });

        // 5. Run.
        form1.show();
        Application::exec();
    } catch (const std::exception &e) {
        Application::showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Application::showError(QString());
    }
    return 0;
}
