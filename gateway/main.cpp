// SPDX-License-Identifier: MIT
// zeph7208d: the gateway service that polls ZEPH7208 pulse collectors and feeds their counts to an MQTT
// broker and a Prometheus endpoint, unattended.
#include "gateway/GatewayConfig.h"
#include "gateway/GatewayService.h"
#include "ProductVersion.h"
#include "session/TerminationSignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zeph7208d"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(zeph::ProductVersion));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Polls ZEPH7208 pulse collectors and publishes their counter totals to MQTT and Prometheus."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({{"config", "The configuration file (default /etc/zeph7208/gateway.conf).", "file",
                        QStringLiteral("/etc/zeph7208/gateway.conf")},
                       {"check", "Check the configuration file and exit."}});
    parser.process(application);

    const QString path = parser.value("config");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "zeph7208d: %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return 2;
    }
    const zeph::gateway::ConfigParse parse = zeph::gateway::ParseGatewayConfig(file.readAll(), path);
    for (const QString& problem : parse.problems)
        std::fprintf(stderr, "zeph7208d: %s\n", qPrintable(problem));
    if (!parse.config) return 2;
    if (parser.isSet("check")) return 0;

    zeph::session::TerminationSignals termination;
    zeph::gateway::GatewayService service(*parse.config);
    QString error;
    if (!service.Start(&error)) {
        std::fprintf(stderr, "zeph7208d: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&termination, &zeph::session::TerminationSignals::Received, &application, [&] {
        service.Stop();
        QCoreApplication::quit();
    });
    return application.exec();
}
