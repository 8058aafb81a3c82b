// The configurator's command line.
#include "app/CommandLine.h"

#include <QCommandLineParser>

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
}

StartOptions StartOptionsFrom(const QCommandLineParser& parser) {
    StartOptions options;
    options.ports = parser.values(PortOption);
    options.demo = parser.isSet(DemoOption);
    return options;
}

} // namespace zeph::app
