// SPDX-License-Identifier: MIT
// Entry of the ZEPH7208 configurator: the application object, the command line and the main window.
#include "app/CommandLine.h"
#include "app/DesktopIdentity.h"
#include "app/TForm_Main.h"
#include "ProductVersion.h"
#include "session/TerminationSignals.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("zeph7208-configurator"));
    QApplication::setApplicationVersion(QString::fromLatin1(zeph::ProductVersion));
    zeph::app::CheckBeforeDisplay(argc, argv);
    QApplication application(argc, argv);

    QCommandLineParser parser;
    zeph::app::AddCommandLineOptions(parser);
    zeph::app::ProcessCommandLine(parser, application);
    zeph::app::ApplyDesktopIdentity();

    const zeph::app::StartOptions options = zeph::app::StartOptionsFrom(parser);
    // The translators must be in place before the window builds its texts. The number format is left to
    // the system locale whatever the language.
    zeph::app::SetUpLanguage(options, QLocale::system().language());
    zeph::app::TForm_Main window(options);
    // SIGTERM, SIGINT and SIGHUP close the window as its close button does (port closed, INI file
    // written); then the program ends with 0, also from under a message box.
    zeph::session::TerminationSignals termination;
    QObject::connect(&termination, &zeph::session::TerminationSignals::Received, &window, [&window] {
        window.close();
        QCoreApplication::exit(0);
    });
    window.show();
    return QApplication::exec();
}
