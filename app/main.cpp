// Entry of the ZEPH7208 configurator: the application object, the command line and the main window.
#include "app/CommandLine.h"
#include "app/TForm_Main.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zeph7208-configurator"));
    QApplication::setApplicationVersion(QStringLiteral("08-12-2014"));

    QCommandLineParser parser;
    zeph::app::AddCommandLineOptions(parser);
    parser.process(application);

    zeph::app::TForm_Main window(zeph::app::StartOptionsFrom(parser));
    window.show();
    return QApplication::exec();
}
