// SPDX-License-Identifier: MIT
// zeph7208-bench [--seconds N] [--repeats N] [--baud B]: starts the simulated device paced at 19200
// baud (zeph7208-sim from the build tree), drives the session without a window and the window headless,
// and prints what the line allows, what the original's timers allow, and what the program achieves and
// costs: reports per second and cycle times, click-to-shown, CPU per report by thread, idle wake-ups and
// CPU, start-up to the first drawn window, peak memory, the command-line tool's run, 32 ports at once,
// 20 devices commissioned at once, 32 devices through the gateway, the window through Debian's ser2net
// beside the direct line; last, the figures the project holds against targets, each beside its target.
#include "bench/CommissioningBench.h"
#include "bench/Figures.h"
#include "bench/GatewayBench.h"
#include "bench/HistoryBench.h"
#include "bench/ManyPortsBench.h"
#include "bench/SessionBench.h"
#include "bench/SessionWatch.h"
#include "bench/SimulatorProcess.h"
#include "bench/WindowBench.h"
#include "tests/common/Ser2net.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>

int main(int argc, char** argv) {
    zeph::bench::WindowBenchOptions options;
    options.sinceStart.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The gateway says what its devices do, as a service should; here it would bury the figures.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules("zeph.*.info=false");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints what the configurator costs and achieves."));
    parser.addHelpOption();
    parser.addOptions({{"seconds", "Length of each continuous stretch (default 15).", "n", "15"},
                       {"repeats", "Clicks per operation (default 10).", "n", "10"},
                       {"baud", "The simulated line's pace (default 19200).", "baud", "19200"},
                       {"only",
                        "Run only these parts, comma-separated: window, session, tool, ports, commissioning, "
                        "gateway, history, ser2net.",
                        "parts"}});
    parser.process(application);
    options.seconds = std::max(1, parser.value("seconds").toInt());
    options.repeats = std::max(1, parser.value("repeats").toInt());
    const int baud = std::max(300, parser.value("baud").toInt());

    using namespace zeph::bench;
    PrintHeading(
        QStringLiteral("The line at %1 baud (request and answer; the simulator paces only its answers, "
                       "the pseudo-terminal takes a request at once), and the original's timers")
            .arg(baud));
    struct Exchange {
        const char* name;
        int payload;
        int answer;
    };
    for (const Exchange& exchange : {Exchange{"read settings", 2, 49}, Exchange{"write settings", 50, 1},
                                     Exchange{"read counters", 2, 73}}) {
        const double line = LineMs(ExchangeCharacters(exchange.payload, exchange.answer), baud);
        PrintFigure(QStringLiteral("%1: line / answer alone / timer bound").arg(QLatin1String(exchange.name)),
                    QStringLiteral("%1 / %2 / %3")
                        .arg(Ms(line), Ms(LineMs(ExchangeCharacters(0, exchange.answer) - 12, baud)),
                             Ms(TimerBoundMs(line))));
    }
    const double countersLine = LineMs(ExchangeCharacters(2, 73), baud);
    PrintFigure(QStringLiteral("counter reports per second: line limit / original pace"),
                QString::number(1000.0 / countersLine, 'f', 2) + QStringLiteral(" / 5.00"));

    SimulatorProcess simulator;
    const QString port = simulator.Start(baud);
    if (port.isEmpty()) {
        std::fprintf(stderr, "zeph7208-bench: the simulator did not start\n");
        return 1;
    }
    options.port = port;
    const QStringList only = parser.value("only").split(',', Qt::SkipEmptyParts);
    const auto wanted = [&](const char* part) {
        return only.isEmpty() || only.contains(QLatin1String(part));
    };
    SessionWatch::SetSimulatorPid(simulator.Pid());
    if (wanted("window")) RunWindowBench(options);
    if (wanted("session")) RunSessionBench(port, options.repeats, options.seconds);
    if (wanted("tool")) RunCommandLineBench(port, options.repeats, ExchangeCharacters(2, 49), baud);
    SessionWatch::SetSimulatorPid(0);
    if (wanted("ports")) RunManyPortsBench(32, options.seconds, baud);
    if (wanted("commissioning")) RunCommissioningBench(20, baud);
    if (wanted("gateway")) RunGatewayBench(32, options.seconds, baud);
    if (wanted("history")) RunHistoryBench();
    // The same device behind Debian's serial server on this machine, when it is installed.
    zeph::testing::Ser2net server(port, QStringLiteral("%1n81").arg(baud));
    if (!wanted("ser2net"))
        ;
    else if (QString error; server.Start(&error))
        RunLineComparison(port, server.TelnetPortText(), QStringLiteral("ser2net, RFC 2217"), options.repeats,
                          options.seconds);
    else
        PrintFigure(QStringLiteral("ser2net"), error);
    PrintGoals();
    return 0;
}
