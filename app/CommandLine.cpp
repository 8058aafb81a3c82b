// The configurator's command line.
#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace zeph::app {

namespace {
const QString PortOption = QStringLiteral("port");
const QString DemoOption = QStringLiteral("demo");
} // namespace

void AddCommandLineOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Configuration and monitoring tool for the ZEPH7208 pulse collector."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({PortOption,
                      QStringLiteral("Offer PATH in the port list as well (may be given more than once)."),
                      QStringLiteral("PATH")});
    parser.addOption({DemoOption, QStringLiteral("Work with the simulated device.")});
    parser.addPositionalArgument(
        QStringLiteral("FILE.zsf"),
        QStringLiteral("A settings file to open at start, as \"Open settings file\" does."),
        QStringLiteral("[FILE.zsf]"));
}

void AnswerHelpAndVersion(int argc, char* argv[]) {
    // A core application needs no display. It only looks: options of Qt's own (-platform and the like)
    // are taken off by the QApplication, so errors are reported by the full parse after it.
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    AddCommandLineOptions(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("help-all"))) parser.process(core);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
}

void ProcessCommandLine(QCommandLineParser& parser, const QCoreApplication& application) {
    parser.process(application);
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "%s: give one settings file at most\n",
                     qPrintable(QCoreApplication::applicationName()));
        std::exit(1);
    }
}

StartOptions StartOptionsFrom(const QCommandLineParser& parser) {
    StartOptions options;
    options.ports = parser.values(PortOption);
    options.demo = parser.isSet(DemoOption);
    options.settingsFile = parser.positionalArguments().value(0);
    return options;
}

} // namespace zeph::app
