// Entry of the ZEPH7208 configurator: the application object, the command line and the main window.
#include "app/TForm_Main.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zeph7208-configurator"));
    QApplication::setApplicationVersion(QStringLiteral("08-12-2014"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configuration and monitoring tool for the ZEPH7208 pulse collector."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Offer PATH in the port list as well (may be given more than once)."),
        QStringLiteral("PATH"));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Work with the simulated device."));
    parser.addOption(port);
    parser.addOption(demo);
    parser.process(application);

    zeph::app::StartOptions options;
    options.ports = parser.values(port);
    options.demo = parser.isSet(demo);

    zeph::app::TForm_Main window(options);
    window.show();
    return QApplication::exec();
}
