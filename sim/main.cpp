// SPDX-License-Identifier: MIT
// zeph7208-sim: runs a simulated ZEPH7208 on a pseudo-terminal (or on TCP) and prints the port to open.
#include "ProductVersion.h"
#include "sim/DemoDevice.h"
#include "sim/SimulatedDevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int signal) {
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

bool InstallSignalPipe() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

struct ProgramOptions {
    zeph::sim::LineOptions line = zeph::sim::DemoLineOptions();
    std::array<double, 8> rates = zeph::sim::DemoPulseRates;
    std::array<std::optional<std::uint32_t>, 8> counters{}; // start values
    std::optional<int> dataSource;
    bool ignoreWrites = false;
    std::vector<zeph::sim::LineFault> faults;
    std::optional<std::uint32_t> seed;
    QString linkPath;
    QString tcpHost;
    int tcpPort = -1; // serving on the pseudo-terminal unless 0..65535
};

bool ParseNonNegative(const QString& text, int* value) {
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value >= 0;
}

// "[HOST:]PORT" of --tcp, the host 127.0.0.1 unless given, an IPv6 host in brackets.
bool ParseTcpAddress(const QString& text, QString* host, int* port) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    *host = colon < 0 ? QStringLiteral("127.0.0.1") : text.left(colon);
    if (host->startsWith(QLatin1Char('[')) && host->endsWith(QLatin1Char(']')))
        *host = host->mid(1, host->size() - 2);
    return !host->isEmpty() && ParseNonNegative(text.mid(colon + 1), port) && *port <= 65535;
}

// "INPUT=VALUE" with INPUT 1..8 as (INPUT, VALUE); INPUT 0 when the text is no such pair.
std::pair<int, double> InputAndValue(const QString& text) {
    bool inputOk = false;
    bool valueOk = false;
    const int input = text.section(QLatin1Char('='), 0, 0).toInt(&inputOk);
    const double value = text.section(QLatin1Char('='), 1).toDouble(&valueOk);
    if (!text.contains(QLatin1Char('=')) || !inputOk || !valueOk || input < 1 || input > 8) return {0, 0};
    return {input, value};
}

// Fills options from the parser; the text of the first bad value otherwise.
std::optional<QString> ReadOptions(const QCommandLineParser& parser, ProgramOptions* options) {
    int value = 0;
    if (parser.isSet("baud")) {
        if (!ParseNonNegative(parser.value("baud"), &value) || value == 0)
            return QStringLiteral("bad --baud: %1").arg(parser.value("baud"));
        options->line.baud = value;
    }
    if (parser.isSet("no-pacing")) options->line.pacing = false;
    if (parser.isSet("pace-per-character")) options->line.pacePerCharacter = true;
    const std::pair<const char*, int*> numbers[] = {{"delay", &options->line.answerDelayMs},
                                                    {"chunk", &options->line.chunkSize},
                                                    {"chunk-gap", &options->line.chunkGapMs}};
    for (const auto& [name, target] : numbers) {
        if (parser.isSet(name) && !ParseNonNegative(parser.value(name), target))
            return QStringLiteral("bad --%1: %2").arg(QLatin1String(name), parser.value(name));
    }
    if (parser.isSet("idle")) options->rates.fill(0);
    for (const QString& rate : parser.values("rate")) {
        const auto [input, perSecond] = InputAndValue(rate);
        if (!input || perSecond < 0 || perSecond > 100000)
            return QStringLiteral("bad --rate: %1 (want INPUT=PULSES_PER_SECOND, input 1..8)").arg(rate);
        options->rates[std::size_t(input - 1)] = perSecond;
    }
    for (const QString& counter : parser.values("counter")) {
        const auto [input, start] = InputAndValue(counter);
        if (!input || start < 0 || start > 0xFFFFFFFF || start != std::floor(start))
            return QStringLiteral("bad --counter: %1 (want INPUT=VALUE, input 1..8, value 0..4294967295)")
                .arg(counter);
        options->counters[std::size_t(input - 1)] = std::uint32_t(start);
    }
    if (parser.isSet("data-source")) {
        if (!ParseNonNegative(parser.value("data-source"), &value) || value > 255)
            return QStringLiteral("bad --data-source: %1").arg(parser.value("data-source"));
        options->dataSource = value;
    }
    for (const QString& text : parser.values("fault")) {
        const auto fault = zeph::sim::ParseFault(text);
        if (!fault) return QStringLiteral("bad --fault: %1").arg(text);
        options->faults.push_back(*fault);
    }
    if (parser.isSet("seed")) {
        bool ok = false;
        options->seed = parser.value("seed").toUInt(&ok);
        if (!ok) return QStringLiteral("bad --seed: %1").arg(parser.value("seed"));
    }
    options->ignoreWrites = parser.isSet("ignore-writes");
    options->linkPath = parser.value("link");
    options->line.strictLine = parser.isSet("strict-line");
    if (parser.isSet("tcp")) {
        if (!ParseTcpAddress(parser.value("tcp"), &options->tcpHost, &options->tcpPort))
            return QStringLiteral("bad --tcp: %1 (want [HOST:]PORT)").arg(parser.value("tcp"));
        // Both are about a terminal, which a device on TCP has not.
        for (const char* terminalOnly : {"link", "strict-line"}) {
            if (parser.isSet(terminalOnly))
                return QStringLiteral("--%1 needs the pseudo-terminal, not --tcp")
                    .arg(QLatin1String(terminalOnly));
        }
    }
    return std::nullopt;
}

// Puts a symbolic link to the port at path; an old link there (from a run that was killed) is replaced,
// anything else is left alone.
bool PlaceLink(const QString& path, const QString& target, QString* error) {
    const QFileInfo existing(path);
    if (existing.isSymLink())
        QFile::remove(path);
    else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(path);
        return false;
    }
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) != 0) {
        *error = QStringLiteral("cannot place link %1").arg(path);
        return false;
    }
    return true;
}

// "zeph7208-sim: requests 5000, answers spoiled: bad-crc 51, noise 48, ..." on stderr, for a soak run to
// tell the faults it was given from any others.
void PrintSpoiledAnswers(const zeph::sim::SimulatedDevice& device) {
    QStringList spoiled;
    const auto counts = device.SpoiledAnswers();
    for (int kind = 0; kind < zeph::sim::FaultKindCount; ++kind) {
        if (counts[std::size_t(kind)] > 0)
            spoiled << QStringLiteral("%1 %2")
                           .arg(zeph::sim::FaultName(zeph::sim::FaultKind(kind)))
                           .arg(counts[std::size_t(kind)]);
    }
    std::fprintf(stderr, "zeph7208-sim: requests %d, answers spoiled: %s\n", device.RequestCount(),
                 spoiled.isEmpty() ? "none" : qPrintable(spoiled.join(QStringLiteral(", "))));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zeph7208-sim");
    QCoreApplication::setApplicationVersion(QString::fromLatin1(zeph::ProductVersion));

    QCommandLineParser parser;
    // One line a fault kind, so that no kind borrows another's argument.
    parser.setApplicationDescription(
        "Simulated ZEPH7208 pulse collector on a pseudo-terminal, or with --tcp on a TCP port. Prints the "
        "port to open (tcp://HOST:PORT for TCP) and answers the configurator until SIGTERM or SIGINT.\n\n"
        "Faults for --fault KIND[:ARG], from the next answer on; ANSWERS is how many answers to spoil\n"
        "(default: every one):\n"
        "  silence[:ANSWERS]        no answer at all\n"
        "  bad-crc[:ANSWERS]        the answer's CRC is wrong\n"
        "  wrong-address[:ANSWERS]  the answer comes as from address 14 (first byte 0x8E, CRC to match)\n"
        "  wrong-length[:ANSWERS]   the length byte is one more than the payload (CRC to match)\n"
        "  drop[:ANSWERS]           one character of the answer is lost\n"
        "  extra[:ANSWERS]          one character too many in the middle of the answer\n"
        "  status:VALUE             every answer is the status byte VALUE (0..255) alone, e.g. status:129\n"
        "  noise[:CHARS]            CHARS characters of line noise before every answer (default 7)\n"
        "  late[:MS]                every answer comes MS milliseconds late (default 1500)\n"
        "  hangup[:AFTER_REQUESTS]  the device hangs up instead of answering, after answering\n"
        "                           AFTER_REQUESTS requests (default 0)\n\n"
        "Every kind but hangup can strike at random instead: put :RATE% last, e.g. noise:1%,\n"
        "bad-crc:0.5%, status:129:1%, late:3000:2%. Such a fault spoils each answer with that chance\n"
        "until the program ends (a kind whose ARG counts answers then takes no ARG); on exit the program\n"
        "tells on stderr how many answers each kind spoiled.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"link", "Place a symbolic link to the port at <path> (removed on exit).", "path"},
        {"tcp",
         "Serve on TCP at <address>, [HOST:]PORT, instead of a pseudo-terminal; HOST 127.0.0.1 unless "
         "given, PORT 0 for a free one. One client at a time: another is closed at once.",
         "address"},
        {"strict-line", "Answer only while the terminal is set to 19200 baud 8N1, as a real device would "
                        "(whatever --baud says)."},
        {"baud", "Pace answers at <baud> (default 19200, 10 bits a character).", "baud"},
        {"no-pacing", "Send every answer at once."},
        {"pace-per-character",
         "Write a paced answer one character at a time, not in slices of 8 ms of the line."},
        {"delay", "Wait <ms> before answering.", "ms"},
        {"chunk", "Write answers in chunks of <n> characters.", "n"},
        {"chunk-gap", "Pause <ms> between chunks.", "ms"},
        {"rate", "Pulses per second on an input, e.g. 3=2.5 (repeatable).", "input=rate"},
        {"idle", "All inputs idle unless given a --rate."},
        {"counter", "Start an input's counter at a value, e.g. 2=4294967000 (repeatable).", "input=value"},
        {"data-source", "Data-source code the device reports (default 11, EEPROM1).", "code"},
        {"fault", "Inject a fault, KIND[:ARG][:RATE%] (repeatable).", "fault"},
        {"seed", "Seed the draws of the faults at a rate, to repeat a run (default: random).", "n"},
        {"ignore-writes", "Acknowledge settings writes without keeping them (a read-back shows it)."},
    });
    const auto usageError = [&](const QString& message) {
        std::fprintf(stderr, "zeph7208-sim: %s\n\n%s", qPrintable(message), qPrintable(parser.helpText()));
        return 2;
    };
    if (!parser.parse(QCoreApplication::arguments())) return usageError(parser.errorText());
    if (parser.isSet("help")) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet("version")) {
        std::printf("zeph7208-sim %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first()));
    ProgramOptions options;
    if (const auto bad = ReadOptions(parser, &options)) return usageError(*bad);

    if (!InstallSignalPipe()) {
        std::fprintf(stderr, "zeph7208-sim: cannot install signal handlers\n");
        return 1;
    }
    zeph::sim::SimulatedDevice device(options.line);
    device.WithModel([&](zeph::sim::DeviceModel& model) {
        for (int input = 0; input < zeph::sim::DeviceModel::InputCount; ++input)
            model.SetPulseRate(input, options.rates[std::size_t(input)]);
        for (int input = 0; input < zeph::sim::DeviceModel::InputCount; ++input)
            if (const auto start = options.counters[std::size_t(input)]) model.SetCounter(input, *start);
        if (options.dataSource) model.SetDataSource(std::uint8_t(*options.dataSource));
        model.SetWritesIgnored(options.ignoreWrites);
    });
    for (const auto& fault : options.faults)
        device.InjectFault(fault);
    if (options.seed) device.SetRandomSeed(*options.seed);
    QString error;
    const bool started = options.tcpPort >= 0
                             ? device.StartOnTcp(options.tcpHost, std::uint16_t(options.tcpPort), &error)
                             : device.Start(&error);
    if (!started) {
        std::fprintf(stderr, "zeph7208-sim: %s\n", qPrintable(error));
        return 1;
    }
    if (!options.linkPath.isEmpty() && !PlaceLink(options.linkPath, device.PortPath(), &error)) {
        std::fprintf(stderr, "zeph7208-sim: %s\n", qPrintable(error));
        return 1;
    }
    // A script reads the one line to know what to open.
    std::printf("%s\n", options.tcpPort >= 0 ? qPrintable(QStringLiteral("tcp://") + device.TcpAddress())
                                             : qPrintable(device.PortPath()));
    std::fflush(stdout);

    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    const int result = app.exec();

    device.Stop();
    if (!options.faults.empty()) PrintSpoiledAnswers(device);
    if (!options.linkPath.isEmpty() &&
        QFileInfo(options.linkPath).symLinkTarget() == QFileInfo(device.PortPath()).absoluteFilePath())
        QFile::remove(options.linkPath);
    return result;
}
