// SPDX-License-Identifier: MIT
// zeph7208 run as a process against the simulated device, with no display: reading and writing settings
// files with verification, JSON and CSV output, every exit status from the simulator's faults, and ending
// cleanly when interrupted. Then the pieces below the program: its command line, its one-line messages,
// validation that names every faulty key, and the comparison by key.
#include "cli/CommandLine.h"
#include "cli/Output.h"
#include "common/HoldingProcess.h"
#include "common/SettingsPages.h"
#include "counters/CounterCsv.h"
#include "ProductVersion.h"
#include "session/DeviceSession.h"
#include "session/SettingsJson.h"
#include "session/SettingsText.h"
#include "settingsfile/IniFile.h"
#include "sim/SimulatedDevice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>

using namespace zeph;

namespace {

using DeviceSetup = std::function<void(sim::SimulatedDevice&)>;

struct Ran {
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    QString out;
    QString err;
};

// The program's environment: no display, and the port's log when asked for.
QProcessEnvironment ToolEnvironment(bool portLog = false) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "QT_LOGGING_RULES"})
        environment.remove(name);
    if (portLog) environment.insert("QT_LOGGING_RULES", "zeph.comport.debug=true");
    return environment;
}

struct Bench {
    sim::SimulatedDevice device;
    QTemporaryDir folder;
    QString file = folder.filePath("settings.zsf");
    QString out = folder.filePath("out.zsf");
    QProcessEnvironment extra; // added to the program's environment

    Bench()
        : device(Unpaced()) {
        QString error;
        if (!device.Start(&error)) qFatal("simulated device: %s", qPrintable(error));
    }
    static sim::LineOptions Unpaced() {
        sim::LineOptions line;
        line.pacing = false;
        return line;
    }
    QString Port() const { return device.PortPath(); }
    QStringList Filled(QStringList arguments) const {
        for (QString& argument : arguments)
            argument.replace("%port", Port()).replace("%file", file).replace("%out", out);
        return arguments;
    }
    void Start(QProcess& program, const QStringList& arguments, bool portLog = false) const {
        QProcessEnvironment environment = ToolEnvironment(portLog);
        environment.insert(extra);
        program.setProcessEnvironment(environment);
        program.start(ZEPH_TOOL_PROGRAM, Filled(arguments));
    }
    Ran Run(const QStringList& arguments) const {
        QProcess program;
        Start(program, arguments);
        if (!program.waitForFinished(30000)) qWarning("zeph7208 did not finish");
        return {program.exitCode(), program.exitStatus(), QString::fromUtf8(program.readAllStandardOutput()),
                QString::fromUtf8(program.readAllStandardError())};
    }
    device::SettingsPageState DevicePage() {
        return device.WithModel([](sim::DeviceModel& model) {
            const sim::Bytes block = model.Settings().Encode();
            return device::DecodeSettingsBlock(std::span<const std::uint8_t, 47>(block.data(), 47));
        });
    }
};

QByteArray FileOf(const device::SettingsPageState& page) {
    QString error;
    return session::SettingsFileText(page, &error).value_or(QByteArray());
}

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Stored as it is, without the check a write request gets.
void SetDeviceAddress(sim::SimulatedDevice& device, std::uint8_t address) {
    device.WithModel([address](sim::DeviceModel& model) {
        sim::SettingsRecord settings = model.Settings();
        settings.address = address;
        model.SetSettings(settings);
    });
}

QStringList Lines(const QString& text) {
    return text.split('\n', Qt::SkipEmptyParts);
}

} // namespace

Q_DECLARE_METATYPE(DeviceSetup)

class TestTool : public QObject {
    Q_OBJECT
private slots:
    // ---- the program against the simulated device

    void readThenWriteTheSameFile() {
        Bench bench;
        // Printed as a file's text, the settings go back into the device as they are.
        const Ran read = bench.Run({"read", "--port", "%port"});
        QCOMPARE(read.exitCode, 0);
        WriteFile(bench.file, read.out.toUtf8());
        SetDeviceAddress(bench.device, 99);
        const Ran written = bench.Run({"write", "--port", "%port", "%file"});
        QCOMPARE(written.exitCode, 0);
        QCOMPARE(written.err, QString());
        QCOMPARE(bench.DevicePage(), test::WorkedExamplePage());
        // Written, then read back: codes 3 and 1 after the first read's 1.
        const std::vector<sim::Bytes> requests = bench.device.AnsweredPayloads();
        QCOMPARE(int(requests.size()), 3);
        QCOMPARE(int(requests[1][1]), 3);
        QCOMPARE(int(requests[2][1]), 1);

        // Saved with -o into an existing file: its keys are replaced, its other sections stay.
        WriteFile(bench.out, "[Notes]\r\nwho=commissioning team\r\n");
        QCOMPARE(bench.Run({"read", "--port", "%port", "-o", "%out"}).exitCode, 0);
        settingsfile::IniFile saved;
        QCOMPARE(saved.Load(bench.out), settingsfile::IniFile::LoadStatus::Loaded);
        QCOMPARE(saved.ReadString("Notes", "who", ""), QString("commissioning team"));
        QCOMPARE(saved.ReadString("Beallitas", "LabeledEdit_7208MbKeszulekcim", ""), QString("1"));
    }

    void readAsJson() {
        Bench bench;
        const Ran read = bench.Run({"read", "--port", "%port", "--json"});
        QCOMPARE(read.exitCode, 0);
        QJsonParseError error;
        const QJsonObject settings = QJsonDocument::fromJson(read.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray inputs = settings["inputs"].toArray();
        QCOMPARE(inputs.size(), 8);
        QCOMPARE(inputs[0].toObject(), (QJsonObject{{"input", 1},
                                                    {"type", "contact"},
                                                    {"counted", "close"},
                                                    {"debounced", true},
                                                    {"max_time_ms", 60000}}));
        QCOMPARE(inputs[1].toObject()["counted"].toString(), QString("open"));
        QCOMPARE(inputs[1].toObject()["debounced"].toBool(), false);
        QCOMPARE(settings["modbus"].toObject(), (QJsonObject{{"parity", "even"},
                                                             {"baud", 19200},
                                                             {"address", 1},
                                                             {"comm_timeout_10ms", 100},
                                                             {"answer_delay_ms", 5},
                                                             {"pull_resistors", false},
                                                             {"termination", true}}));
        QCOMPARE(settings["data_source"].toString(), QString("EEPROM1"));
    }

    // Three reports a second apart; from the second on each carries the pulses per second since the one
    // before, which must match the simulated inputs' rates.
    void countersAsCsvWithRates() {
        Bench bench;
        const std::array<double, 8> rates{50, 20, 10, 5, 0, 0, 0, 0};
        bench.device.WithModel([&](sim::DeviceModel& model) {
            for (int input = 0; input < 8; ++input)
                model.SetPulseRate(input, rates[std::size_t(input)]);
        });
        const Ran counted = bench.Run({"counters", "--port", "%port", "--count", "3", "--format", "csv"});
        QCOMPARE(counted.exitCode, 0);
        const QStringList lines = Lines(counted.out);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], counters::CounterCsvHeader());
        for (int row = 1; row <= 3; ++row) {
            const QStringList fields = lines[row].split(',');
            QCOMPARE(fields.size(), 1 + 8 * 3 + 8);
            QVERIFY2(QDateTime::fromString(fields[0], Qt::ISODateWithMs).isValid(), qPrintable(fields[0]));
            for (int input = 0; input < 8; ++input) {
                const QString rate = fields[1 + 3 * input + 2];
                if (row == 1) {
                    QCOMPARE(rate, QString());
                    continue;
                }
                // One pulse more or less in a second, and a few percent of timing between the two reads.
                const double expected = rates[std::size_t(input)];
                QVERIFY2(
                    std::abs(rate.toDouble() - expected) <= 1.5 + expected * 0.05,
                    qPrintable(QString("input %1: %2 instead of %3").arg(input + 1).arg(rate).arg(expected)));
            }
        }
    }

    void exitStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<DeviceSetup>("setup");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // a line of standard error

        const DeviceSetup none = [](sim::SimulatedDevice&) {};
        const auto fault = [](const char* text) {
            return DeviceSetup(
                [text](sim::SimulatedDevice& device) { device.InjectFault(*sim::ParseFault(text)); });
        };
        device::SettingsPageState address999 = test::WorkedExamplePage();
        address999.addressText = "999";
        const QStringList write{"write", "--port", "%port", "%file"};

        QTest::newRow("2: unknown command") << QStringList{"frobnicate"} << QByteArray() << none << 2
                                            << "zeph7208: unknown command 'frobnicate'";
        QTest::newRow("2: settings file missing")
            << write << QByteArray() << none << 2 << "%file: cannot read: No such file or directory";
        QTest::newRow("2: not a settings file") << write << QByteArray("[Fejlec]\nZT=zeph7208\n") << none << 2
                                                << "%file: This file is not a ZEPH7208 settings.";
        QTest::newRow("2: a value the window refuses")
            << write << FileOf(address999) << none << 2
            << "LabeledEdit_7208MbKeszulekcim: Address [1-247]: The value max. limit is 247";
        QTest::newRow("2: the device's values refused for saving")
            << QStringList{"read", "--port", "%port", "-o", "%out"} << QByteArray()
            << DeviceSetup([](sim::SimulatedDevice& device) { SetDeviceAddress(device, 0); }) << 2
            << "LabeledEdit_7208MbKeszulekcim: Address [1-247]: The value min. limit is 1";
        QTest::newRow("3: no such port")
            << QStringList{"read", "--port", "/nonexistent/ttyUSB9"} << QByteArray() << none << 3
            << "cannot open /nonexistent/ttyUSB9: No such file or directory";
        QTest::newRow("2: a network port that names nothing")
            << QStringList{"read", "--port", "tcp://cabinet-7"} << QByteArray() << none << 2
            << "zeph7208: tcp://cabinet-7: no port number after the host; write tcp://HOST:PORT.";
        QTest::newRow("3: a serial server that refuses") // nothing listens on port 1 of this machine
            << QStringList{"read", "--port", "tcp://127.0.0.1:1"} << QByteArray() << none << 3
            << "cannot reach 127.0.0.1:1: Connection refused";
        QTest::newRow("3: the port goes away")
            << QStringList{"counters", "--port", "%port", "--count", "3"} << QByteArray() << fault("hangup:1")
            << 3 << "%port: The serial port was disconnected.";
        QTest::newRow("4: no answer") << QStringList{"counters", "--port", "%port"} << QByteArray()
                                      << fault("silence") << 4 << "%port: The ZEPH7208 have not responded.";
        QTest::newRow("5: not a ZEPH7208")
            << QStringList{"read", "--port", "%port"} << QByteArray() << fault("status:129") << 5
            << "%port: A #15 This is not a ZEPH7208.";
        QTest::newRow("5: write refused")
            << write << FileOf(test::MarkerPage()) << fault("status:1") << 5 << "%port: Parameters error.";
        QTest::newRow("5: preset refused")
            << QStringList{"preset", "--port", "%port", "2=1000"} << QByteArray() << fault("status:1") << 5
            << "%port: The device refused the request with status 1.";
        QTest::newRow("6: read back differs")
            << write << FileOf(test::MarkerPage()) << DeviceSetup([](sim::SimulatedDevice& device) {
                   device.WithModel([](sim::DeviceModel& model) { model.SetWritesIgnored(true); });
               })
            << 6 << "RadioGroup_7208BemTip1: written 0, read back 1";
    }
    void exitStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, file);
        QFETCH(DeviceSetup, setup);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        Bench bench;
        if (!file.isEmpty()) WriteFile(bench.file, file);
        setup(bench.device);
        const Ran ran = bench.Run(arguments);
        QCOMPARE(ran.exitStatus, QProcess::NormalExit);
        QCOMPARE(ran.exitCode, exitCode);
        QVERIFY2(Lines(ran.err).contains(bench.Filled({message}).first()), qPrintable(ran.err));
        // Whatever is refused before the device is asked leaves the device alone.
        if (exitCode == 2 && arguments.first() != "read") QCOMPARE(bench.device.RequestCount(), 0);
        if (arguments.contains("-o")) QVERIFY(!QFile::exists(bench.out));
    }

    // A disk that fills up while -o saves: the old file stays whole and the system's reason is told. The
    // full disk is WriteFault's, preloaded; a sanitized build lets it come before its own runtime.
    void fullDiskKeepsTheOldFile() {
        Bench bench;
        const QByteArray old = "[Notes]\r\nwho=commissioning team\r\n";
        WriteFile(bench.out, old);
        bench.extra.insert("LD_PRELOAD", ZEPH_WRITE_FAULT_LIBRARY);
        bench.extra.insert("ZEPH_FAULT_WRITE_LIMIT", "100");
        const QString sanitizer = qEnvironmentVariable("ASAN_OPTIONS");
        bench.extra.insert("ASAN_OPTIONS",
                           sanitizer + (sanitizer.isEmpty() ? "" : ":") + "verify_asan_link_order=0");
        const Ran ran = bench.Run({"read", "--port", "%port", "-o", "%out"});
        QCOMPARE(ran.exitCode, 1);
        QCOMPARE(ran.err, bench.out + ": The save operation is failed. No space left on device\n");
        QFile saved(bench.out);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), old);
    }

    // The commands whose answer is a counter report, one row each: the requests they send, in order,
    // and a line of the report they print. The inputs' time limits are off, so no flag comes by itself.
    void reportingCommands_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<std::uint8_t>("errorFlags"); // set in the device before
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QString>("line"); // a pattern for a line of the report
        QTest::newRow("clear") << QStringList{"clear", "--port", "%port"} << std::uint8_t(0x04)
                               << QList<int>{5} << "^latched errors +0x00 +none$";
        QTest::newRow("preset") << QStringList{"preset", "--port", "%port", "2=1000"} << std::uint8_t(0)
                                << QList<int>{6} << "^IN2 +1000 ";
        QTest::newRow("first initialization") << QStringList{"init", "--port", "%port"} << std::uint8_t(0x03)
                                              << QList<int>{7, 1, 4} << "^current errors +0x00 +none$";
    }
    void reportingCommands() {
        QFETCH(QStringList, arguments);
        QFETCH(std::uint8_t, errorFlags);
        QFETCH(QList<int>, codes);
        QFETCH(QString, line);
        Bench bench;
        bench.device.WithModel([errorFlags](sim::DeviceModel& model) {
            sim::SettingsRecord settings = model.Settings();
            settings.maxPulseTimeMs.fill(0);
            model.SetSettings(settings);
            model.SetErrorFlags(errorFlags);
            model.CurrentErrorFlags();              // latched from now on
            model.SetErrorFlags(errorFlags & 0x03); // only first initialization clears these
        });
        const Ran ran = bench.Run(arguments);
        QCOMPARE(ran.exitCode, 0);
        QList<int> sent;
        for (const sim::Bytes& payload : bench.device.AnsweredPayloads())
            sent << payload[1];
        QCOMPARE(sent, codes);
        QVERIFY2(!Lines(ran.out).filter(QRegularExpression(line)).isEmpty(), qPrintable(ran.out));
    }

    // Stopped while watching, by a signal or by its reader going away: the port is closed in order (the
    // port's log says so) before the program ends by that signal, as a shell expects, and the next one
    // can open the port.
    void interruptedWatchFreesThePort_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("Ctrl-C") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("reader gone") << int(SIGPIPE);
        QTest::newRow("standard output full") << 0;
    }
    void interruptedWatchFreesThePort() {
        QFETCH(int, signal);
        Bench bench;
        const QStringList watch{"counters", "--port", "%port", "--watch", "0.1", "--format", "csv"};
        QProcess program;
        QByteArray out;
        if (signal == SIGPIPE) {
            // The reader takes three lines and goes; the shell says how the program ended.
            program.setProcessEnvironment(ToolEnvironment(true));
            program.start("bash",
                          QStringList{"-c", "\"$0\" \"$@\" | head -n 3; echo \"status ${PIPESTATUS[0]}\" >&2",
                                      ZEPH_TOOL_PROGRAM} +
                              bench.Filled(watch));
            QVERIFY(program.waitForFinished(20000));
            out = program.readAllStandardOutput();
            QCOMPARE(out.count('\n'), 3);
        } else if (signal == 0) {
            // A full disk under standard output ends the watch with a word, not as a broken pipe.
            program.setStandardOutputFile("/dev/full");
            bench.Start(program, watch, true);
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 1);
        } else {
            bench.Start(program, watch, true);
            QTRY_VERIFY_WITH_TIMEOUT((out += program.readAllStandardOutput()).count('\n') >= 3, 20000);
            QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        }
        const QString log = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(log.contains("closed " + bench.Port()), qPrintable(log));
        if (signal == SIGPIPE)
            QVERIFY2(log.contains(QString("status %1").arg(128 + SIGPIPE)), qPrintable(log));
        if (signal == 0)
            QVERIFY2(log.contains("zeph7208: cannot write standard output: No space left on device\n"),
                     qPrintable(log));

        session::DeviceSession next;
        line::LineError error;
        QVERIFY2(next.Open(bench.Port(), &error), qPrintable(error.text));
    }

    void listsThePortAndAnswersHelp_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("line"); // the start of a line of standard output
        QTest::newRow("ports") << QStringList{"ports", "--port", "%port"}
                               << "%port\tPseudo-terminal, Device end: ";
        QTest::newRow("version") << QStringList{"--version"} << QString("zeph7208 ") + ProductVersion;
        QTest::newRow("help of a command")
            << QStringList{"write", "--help"} << "Usage: zeph7208 write --port PATH FILE.zsf [--no-verify]";
    }
    void listsThePortAndAnswersHelp() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, line);
        Bench bench;
        const Ran ran = bench.Run(arguments);
        QCOMPARE(ran.exitCode, 0);
        const QString start = bench.Filled({line}).first();
        const QStringList lines = Lines(ran.out);
        QVERIFY2(
            std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(start); }),
            qPrintable(ran.out));
    }

    // A port that another program holds is neither listed as free nor used: both name the holder.
    void busyPortNamesItsHolder_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // a line of standard error; %pid: the holder's PID
        const QString inUse = "In use by another program: sleep (PID %pid).";
        QTest::newRow("ports") << QStringList{"ports", "--port", "%port"} << 0 << "%port: " + inUse;
        QTest::newRow("read") << QStringList{"read", "--port", "%port"} << 3 << "cannot open %port: " + inUse;
    }
    void busyPortNamesItsHolder() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        Bench bench;
        // A locked hold: zeph7208 looks for holders only when its open fails, which a lock makes it do.
        test::HoldingProcess terminal(bench.Port(), test::HoldingProcess::Lock::Flock);
        QVERIFY(terminal.WaitUntilHolding());
        const Ran ran = bench.Run(arguments);
        QCOMPARE(ran.exitCode, exitCode);
        QVERIFY2(!ran.out.contains(bench.Port()), qPrintable(ran.out));
        message = bench.Filled({message}).first().replace("%pid", QString::number(terminal.Pid()));
        QVERIFY2(Lines(ran.err).contains(message), qPrintable(ran.err));
        QCOMPARE(bench.device.RequestCount(), 0);
    }

    // ---- the pieces below the program

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem"); // empty: accepted
        QTest::newRow("watch with a fraction")
            << QStringList{"counters", "--port", "p", "--watch", "0.5"} << "";
        QTest::newRow("preset of two inputs")
            << QStringList{"preset", "--port", "p", "1=0", "8=3999999999"} << "";
        QTest::newRow("no port") << QStringList{"read"} << "give one --port PATH";
        QTest::newRow("negative watch") << QStringList{"counters", "--port", "p", "--watch", "-1"}
                                        << "--watch wants seconds from 0 to 1000000, not '-1'";
        QTest::newRow("no count") << QStringList{"counters", "--port", "p", "--count", "0"}
                                  << "--count wants a whole number from 1, not '0'";
        QTest::newRow("unknown format") << QStringList{"counters", "--port", "p", "--format", "xml"}
                                        << "--format wants text, csv or json, not 'xml'";
        QTest::newRow("input 9") << QStringList{"preset", "--port", "p", "9=1"}
                                 << "9=1: want INPUT=VALUE with INPUT 1..8";
        QTest::newRow("input twice") << QStringList{"preset", "--port", "p", "2=1", "2=5"}
                                     << "2=5: input 2 is given twice";
        QTest::newRow("value too large") << QStringList{"preset", "--port", "p", "3=4000000000"}
                                         << "3=4000000000\n\rThe value max. limit is 3999999999";
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        const cli::ParsedCommandLine parsed = cli::ParseCommandLine(QStringList{"zeph7208"} + arguments);
        QCOMPARE(parsed.text, problem);
        QCOMPARE(parsed.action, problem.isEmpty() ? cli::ParsedCommandLine::Action::Run
                                                  : cli::ParsedCommandLine::Action::UsageError);
    }

    void commandLineValues() {
        const cli::Invocation watch = cli::ParseCommandLine({"zeph7208", "counters", "--port", "/dev/ttyUSB0",
                                                             "--watch", "0.5", "--format=json"})
                                          .invocation;
        QCOMPARE(watch.port, QString("/dev/ttyUSB0"));
        QCOMPARE(watch.watchSeconds, std::optional<double>(0.5));
        QCOMPARE(watch.format, cli::ReportFormat::Json);
        // Values are checked and rounded as the window's preset fields are.
        const cli::Invocation preset =
            cli::ParseCommandLine({"zeph7208", "preset", "--port", "p", "8=2.5", "2=1e3"}).invocation;
        device::PresetSelection expected{};
        expected[1] = 1000;
        expected[7] = 2;
        QCOMPARE(preset.presets, expected);
    }

    void oneLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        QTest::newRow("limit after a label") << "Address [1-247]:\n\rThe value max. limit is 247"
                                             << "Address [1-247]: The value max. limit is 247";
        QTest::newRow("caption after a fault") << "Unchecked\n\rType"
                                               << "Unchecked: Type";
        QTest::newRow("system text after a carriage return") << "TCOMPORT : cannot open x\rPermission denied"
                                                             << "TCOMPORT : cannot open x: Permission denied";
        QTest::newRow("sentences") << "The save operation is failed.\n\rCheck it."
                                   << "The save operation is failed. Check it.";
    }
    void oneLine() {
        QFETCH(QString, text);
        QFETCH(QString, line);
        QCOMPARE(cli::OneLine(text), line);
    }

    // The window stops at the first fault; a file checked here names every faulty key, in the window's
    // order and words.
    void validationNamesEveryFaultyKey() {
        device::SettingsPageState page = test::WorkedExamplePage();
        page.inputType[2] = -1;
        page.maxTimeText[0] = "abc";
        page.addressText = "248";
        page.answerDelayText = "7.5";
        const QStringList messages = session::ValidationMessages(page, QLocale::c());
        QCOMPARE(
            messages,
            (QStringList{"RadioGroup_7208BemTip3: Unchecked\n\rType",
                         "LabeledEdit_7208BemTimeOut1: Missing or invalid number\n\rMax. time between "
                         "pulses [ms]:",
                         "LabeledEdit_7208MbKeszulekcim: Address [1-247]:\n\rThe value max. limit is 247"}));
        // A page with faults is left as it was; a good one is rewritten as validation rewrites the controls.
        QCOMPARE(page.answerDelayText, QString("7.5"));
        device::SettingsPageState good = test::WorkedExamplePage();
        good.answerDelayText = "7.5";
        QVERIFY(session::ValidationMessages(good, QLocale::c()).isEmpty());
        QCOMPARE(good.answerDelayText, QString("8"));
    }

    void differencesByKey() {
        device::SettingsPageState readBack = test::WorkedExamplePage();
        readBack.debounced[7] = false;
        readBack.baudRate = 8;
        readBack.commTimeoutText = "";
        QCOMPARE(session::SettingsDifferences(test::WorkedExamplePage(), readBack),
                 (QStringList{"CheckBox_7208PergMentesites8: written 1, read back 0",
                              "ListBox_7208MbSebesseg: written 7, read back 8",
                              "LabeledEdit_7208MbIdokorlat: written 100, read back (empty)"}));
    }

    void factoryDefaultsHaveNoDataSource() {
        const QJsonObject json = session::SettingsJson({test::WorkedExamplePage(), std::nullopt});
        QVERIFY(json["data_source"].isNull());
        QVERIFY(!json.contains("data_source_code"));
        device::SettingsPageState unusable;
        const QJsonObject modbus = session::SettingsJson({unusable, 21})["modbus"].toObject();
        QVERIFY(modbus["parity"].isNull() && modbus["baud"].isNull() && modbus["address"].isNull());
        QCOMPARE(session::SettingsJson({unusable, 21})["data_source"].toString(),
                 QString("The settings failed."));
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "tst_cli.moc"
