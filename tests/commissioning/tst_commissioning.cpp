// SPDX-License-Identifier: MIT
// The commissioning station: the device list and the audit chain from tables, and a plant of twenty
// simulated devices (three of them faulty) commissioned by zeph7208, resumed, reported and audited.
#include "commissioning/AuditLog.h"
#include "commissioning/Batch.h"
#include "commissioning/Csv.h"
#include "commissioning/DeviceList.h"
#include "common/SettingsPages.h"
#include "session/SettingsFileMapping.h"
#include "settingsfile/SettingsFile.h"
#include "sim/SimulatedDevice.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

using namespace zeph;
using namespace zeph::commissioning;

namespace {

struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
};

Ran RunProgram(const QString& program, const QStringList& arguments, int timeoutMs = 120000) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) qWarning() << program << "did not finish";
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

Ran Tool(const QStringList& arguments) {
    return RunProgram(QStringLiteral(ZEPH_TOOL_PROGRAM), arguments);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The summary's rows by tag, each a column name -> cell map.
QHash<QString, QHash<QString, QString>> SummaryRows(const QString& path) {
    const CsvText csv = ParseCsv(ReadFile(path));
    QHash<QString, QHash<QString, QString>> rows;
    for (std::size_t r = 1; r < csv.records.size(); ++r) {
        QHash<QString, QString> row;
        for (std::size_t c = 0; c < csv.records[r].cells.size(); ++c)
            row.insert(csv.records[0].cells[c].text, csv.records[r].cells[c].text);
        rows.insert(row.value("tag"), row);
    }
    return rows;
}

} // namespace

class TestCommissioning : public QObject {
    Q_OBJECT
private slots:
    void deviceListProblems_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("problem");
        QTest::newRow("unknown column, with the allowed ones")
            << QByteArray("tag,port,modbus.adress\n")
            << "devices.csv:1:10: unknown column \"modbus.adress\"; the columns are: tag, port, "
               "inputs.1.type,";
        QTest::newRow("data source") << QByteArray("tag,port,data_source\n")
                                     << "devices.csv:1:10: data_source cannot be set";
        QTest::newRow("not a number") << QByteArray("tag,port,modbus.address\nA,/dev/x,twelve\n")
                                      << "devices.csv:2:10: modbus.address: \"twelve\" is not a whole number";
        QTest::newRow("not a word")
            << QByteArray("tag,port,inputs.3.type\nA,/dev/x,reed\n")
            << "devices.csv:2:10: inputs.3.type: \"reed\" is not one of namur, contact";
        QTest::newRow("not a baud rate") << QByteArray("tag,port,modbus.baud\nA,/dev/x,19300\n")
                                         << "devices.csv:2:10: modbus.baud: \"19300\" is not one of 300,";
        QTest::newRow("preset too large")
            << QByteArray("tag,port,preset_2\nA,/dev/x,4294967296\n")
            << "devices.csv:2:10: preset_2: \"4294967296\" is not a counter value";
        QTest::newRow("duplicate tag, letter case aside")
            << QByteArray("tag,port\nab,/dev/x\n,,\nAB,/dev/y\n")
            << "devices.csv:4:1: tag \"AB\" is already used on line 2";
        QTest::newRow("same network port")
            << QByteArray("tag,port\nA,tcp://Server:4001\nB,rfc2217://server:4001\n")
            << "devices.csv:3:1: port \"rfc2217://server:4001\" is the same port as on line 2";
        QTest::newRow("quote left open")
            << QByteArray("tag,port\n\"A,/dev/x\n") << "devices.csv:3:1: a quote opened";
        QTest::newRow("no port column") << QByteArray("tag\nA\n") << "devices.csv:1:1: no \"port\" column";
        QTest::newRow("header only") << QByteArray("tag,port\n")
                                     << "devices.csv:1:1: the list has a header but no device";
    }
    void deviceListProblems() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, problem);
        const DeviceList list = ParseDeviceList(csv, "devices.csv");
        QVERIFY2(!list.problems.isEmpty() && list.problems.first().startsWith(problem),
                 qPrintable(list.problems.join('\n')));
        QVERIFY(list.rows.empty());
    }

    void deviceListRows() {
        QTemporaryDir folder;
        const QString node = folder.filePath("ttyUSB0");
        QVERIFY(WriteFile(node, {}));
        QVERIFY(QFile::link(node, folder.filePath("by-id-link")));
        // The same node by a link is the same port.
        const DeviceList twice = ParseDeviceList(
            QStringLiteral("tag,port\nA,%1\nB,%2\n").arg(node, folder.filePath("by-id-link")).toUtf8(),
            "l.csv");
        QVERIFY(twice.problems.value(0).contains("is the same port as on line 2"));

        const QByteArray csv =
            "\xEF\xBB\xBFtag,port,modbus.address,inputs.3.type,modbus.pull_resistors,preset_2\r\n"
            "\"P-1, north\",/dev/a,12,contact,true,500\r\nP-2,/dev/b,,,,\r\n";
        const DeviceList list = ParseDeviceList(csv, "l.csv");
        QVERIFY2(list.problems.isEmpty(), qPrintable(list.problems.join('\n')));
        QCOMPARE(list.rows.size(), std::size_t(2));
        const DeviceRow& first = list.rows[0];
        QCOMPARE(first.tag, QString("P-1, north"));
        QCOMPARE(first.presets[1], std::optional<quint32>(500));
        const device::SettingsPageState target = TargetSettings(test::WorkedExamplePage(), first);
        QCOMPARE(target.addressText, QString("12"));
        QCOMPARE(target.inputType[2], 1);
        QVERIFY(target.pullResistors);
        QCOMPARE(TargetSettings(test::WorkedExamplePage(), list.rows[1]), test::WorkedExamplePage());
        // The digest follows the meaning, not the column order.
        const DeviceList reordered =
            ParseDeviceList("port,tag,preset_2,modbus.pull_resistors,inputs.3.type,modbus.address\n/dev/"
                            "a,\"P-1, north\",500,true,contact,12\n",
                            "l.csv");
        QCOMPARE(reordered.rows.at(0).digest, first.digest);
        QVERIFY(ParseDeviceList("tag,port,modbus.address\n\"P-1, north\",/dev/a,13\n", "l.csv")
                    .rows.at(0)
                    .digest != first.digest);
    }

    void auditChain_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("hashOfLine");  // the record whose hash is given out (1..4); 0: none
        QTest::addColumn<QString>("problem"); // empty: the chain holds
        QTest::newRow("intact") << "none" << 4 << "";
        QTest::newRow("later records after the hash given") << "none" << 2 << "";
        QTest::newRow("a record changed") << "change" << 0 << "line 3: the chain breaks here";
        QTest::newRow("a record removed") << "remove" << 0 << "line 2: the chain breaks here";
        QTest::newRow("two records swapped") << "swap" << 0 << "line 2: the chain breaks here";
        QTest::newRow("the first removed")
            << "remove-first" << 0 << "line 1: the first record does not start";
        QTest::newRow("the last removed, unseen without the hash") << "remove-last" << 0 << "";
        QTest::newRow("the last removed, found with the hash")
            << "remove-last" << 4 << "no record has the hash";
        QTest::newRow("the last cut short") << "cut" << 0 << "line 4: ";
    }
    void auditChain() {
        QFETCH(QString, damage);
        QFETCH(int, hashOfLine);
        QFETCH(QString, problem);
        QTemporaryDir folder;
        AuditLog log(folder.filePath("audit.jsonl"));
        QVERIFY(log.Open(nullptr));
        QByteArrayList hashes;
        for (int i = 0; i < 4; ++i) {
            QVERIFY(log.Append({{"tag", QString("P-%1").arg(i)}, {"value", i}}, nullptr));
            hashes << log.LastHash();
        }
        QList<QByteArray> lines = ReadFile(log.Path()).split('\n');
        lines.removeLast();
        if (damage == "change") lines[1].replace("\"value\":1", "\"value\":7");
        if (damage == "remove") lines.removeAt(1);
        if (damage == "swap") lines.swapItemsAt(1, 2);
        if (damage == "remove-first") lines.removeFirst();
        if (damage == "remove-last") lines.removeLast();
        QByteArray bytes = lines.join('\n') + '\n';
        if (damage == "cut") bytes.chop(5);
        const AuditCheck check = VerifyAuditLog(bytes, hashOfLine ? hashes[hashOfLine - 1] : QByteArray());
        if (problem.isEmpty()) {
            QVERIFY2(check.Holds(), qPrintable(check.problems.join('\n')));
            QCOMPARE(check.recordsAfterExpected, hashOfLine ? 4 - hashOfLine : 0);
        } else {
            QVERIFY2(!check.Holds() && check.problems.first().startsWith(problem),
                     qPrintable(check.problems.join('\n')));
        }
        // A run goes on only after a trail whose chain holds.
        QVERIFY(WriteFile(log.Path(), bytes));
        AuditLog reopened(log.Path());
        QCOMPARE(reopened.Open(nullptr), VerifyAuditLog(bytes).Holds());
        if (damage == "none") QCOMPARE(reopened.LastHash(), hashes.back());
    }

    // Twenty devices, three of them faulty: one silent, one that acknowledges a write and keeps nothing, one
    // whose answers come in bursts of bad CRCs. Then a resumed run, the report and the audit trail.
    void plantOfTwenty() {
        QTemporaryDir folder;
        const QString templatePath = folder.filePath("template.zsf");
        QVERIFY(settingsfile::SaveSettingsFile(
            templatePath, session::SettingsFileValues(test::WorkedExamplePage()), "2026-12-09"));
        std::vector<std::unique_ptr<sim::SimulatedDevice>> devices;
        QByteArray csv = "tag,port,modbus.address,preset_1\n";
        for (int i = 0; i < 20; ++i) {
            auto device = std::make_unique<sim::SimulatedDevice>();
            QString error;
            QVERIFY2(device->Start(&error), qPrintable(error));
            csv += QStringLiteral("P-%1,%2,%3,%4\n")
                       .arg(i + 1)
                       .arg(device->PortPath())
                       .arg(i + 2)
                       .arg(i % 4 == 0 ? QString::number(1000 * i) : QString())
                       .toUtf8();
            devices.push_back(std::move(device));
        }
        devices[4]->InjectFault({sim::FaultKind::Silence});
        devices[9]->WithModel([](sim::DeviceModel& model) { model.SetWritesIgnored(true); });
        devices[14]->InjectFault({sim::FaultKind::BadCrc, -1, 3});
        devices[14]->InjectFault({sim::FaultKind::BadCrc, -1, 4, 6});
        const QString listPath = folder.filePath("devices.csv");
        QVERIFY(WriteFile(listPath, csv));
        const QString out = folder.filePath("out");
        const QStringList arguments{"commission", "--template", templatePath, "--devices", listPath,
                                    "--out",      out,          "--operator", "Tester"};

        const Ran first = Tool(arguments);
        QCOMPARE(first.exitCode, 7);
        QCOMPARE(first.out.count('\n'), 20);
        auto rows = SummaryRows(QDir(out).filePath("summary.csv"));
        QCOMPARE(rows.size(), 20);
        int passed = 0;
        for (const auto& row : rows)
            passed += row.value("verdict") == "passed";
        QCOMPARE(passed, 18);
        QCOMPARE(rows["P-5"].value("failed_step"), QString("read settings"));
        QCOMPARE(rows["P-5"].value("reason"), QString("The ZEPH7208 have not responded."));
        QCOMPARE(rows["P-10"].value("failed_step"), QString("read back"));
        QVERIFY(rows["P-10"].value("reason").endsWith("(written -> read back): modbus.address 11 -> 1"));
        QCOMPARE(rows["P-15"].value("verdict"), QString("passed"));
        QVERIFY(rows["P-15"].value("sends").toInt() > rows["P-16"].value("sends").toInt() + 6);
        QCOMPARE(rows["P-2"].value("changed_settings"), QString("modbus.address 1 -> 3"));
        QVERIFY(QFile::exists(QDir(out).filePath("P-2.zsf")));
        const settingsfile::LoadResult kept = settingsfile::LoadSettingsFile(QDir(out).filePath("P-10.zsf"));
        QCOMPARE(session::SettingsPageFromFile(kept.values).addressText, QString("1")); // what it holds

        // The failed devices mended, a run resumed touches them alone.
        devices[4]->ClearFaults();
        devices[9]->WithModel([](sim::DeviceModel& model) { model.SetWritesIgnored(false); });
        for (auto& device : devices)
            device->ClearRequestLog();
        const Ran resumed = Tool(arguments + QStringList{"--resume"});
        QCOMPARE(resumed.exitCode, 0);
        QVERIFY2(resumed.err.contains("18 of 20 devices passed in an earlier run and are skipped"),
                 qPrintable(resumed.err));
        for (int i = 0; i < 20; ++i)
            QCOMPARE(devices[std::size_t(i)]->RequestCount() > 0, i == 4 || i == 9);
        rows = SummaryRows(QDir(out).filePath("summary.csv"));
        QCOMPARE(rows["P-1"].value("run"), QString("earlier"));
        QCOMPARE(rows["P-10"].value("verdict"), QString("passed"));

        // The audit trail: a write for each of the 20 devices but the silent one in the first run, a preset
        // for each row that has one, the two mended devices again; the chain holds and its end is known.
        const QString audit = QDir(out).filePath("audit.jsonl");
        const QString lastHash = rows["P-1"].value("audit_last_sha256");
        const QString records = rows["P-1"].value("audit_records");
        QCOMPARE(records.toInt(), 19 + 1 + 4 + 3); // P-10's read-back that differs has its record too
        const Ran verified = Tool({"audit", "verify", audit, "--last-hash", lastHash});
        QCOMPARE(verified.exitCode, 0);
        QList<QByteArray> lines = ReadFile(audit).split('\n');
        lines.swapItemsAt(3, 4);
        QVERIFY(WriteFile(audit, lines.join('\n')));
        const Ran broken = Tool({"audit", "verify", audit});
        QCOMPARE(broken.exitCode, 8);
        QVERIFY(broken.err.contains("line 4: the chain breaks here"));

        // The report: a cover page, then a page per device under its tag.
        const Ran text = RunProgram("pdftotext", {QDir(out).filePath("report.pdf"), "-"});
        QCOMPARE(text.exitCode, 0);
        for (int i = 1; i <= 20; ++i)
            QVERIFY2(text.out.contains(QStringLiteral("Device P-%1\n").arg(i)),
                     qPrintable(QString::number(i)));
        QVERIFY(text.out.contains(lastHash));
    }

    // A device that lost its counts fails at the check unless the run may initialize it; a stopped run
    // lets the device under way finish and leaves the rest not run.
    void firstInitializationAndStop() {
        QTemporaryDir folder;
        const QString templatePath = folder.filePath("template.zsf");
        QVERIFY(settingsfile::SaveSettingsFile(
            templatePath, session::SettingsFileValues(test::WorkedExamplePage()), "2026-12-09"));
        sim::SimulatedDevice lost, silent, untouched;
        QVERIFY(lost.Start(nullptr) && silent.Start(nullptr) && untouched.Start(nullptr));
        lost.WithModel(
            [](sim::DeviceModel& model) { model.SetErrorFlags(sim::DeviceModel::ErrorLostCounts); });
        silent.InjectFault({sim::FaultKind::Silence});
        QVERIFY(WriteFile(folder.filePath("one.csv"),
                          QStringLiteral("tag,port\nL,%1\n").arg(lost.PortPath()).toUtf8()));
        const QStringList arguments{
            "commission", "--template",          templatePath, "--devices", folder.filePath("one.csv"),
            "--out",      folder.filePath("one")};
        QCOMPARE(Tool(arguments).exitCode, 7);
        const auto refused = SummaryRows(folder.filePath("one/summary.csv")).value("L");
        QCOMPARE(refused.value("failed_step"), QString("check"));
        QVERIFY(refused.value("reason").contains("Invalid counted values"));
        QVERIFY(Tool(arguments + QStringList{"--init-if-needed"}).err.contains("holds an earlier run"));
        QCOMPARE(Tool(arguments + QStringList{"--init-if-needed", "--resume"}).exitCode, 0);
        QVERIFY(ReadFile(folder.filePath("one/audit.jsonl")).contains("\"action\":\"first initialization\""));

        QVERIFY(WriteFile(
            folder.filePath("three.csv"),
            QStringLiteral("tag,port\nS,%1\nU,%2\n").arg(silent.PortPath(), untouched.PortPath()).toUtf8()));
        QProcess program;
        program.start(ZEPH_TOOL_PROGRAM,
                      {"commission", "--template", templatePath, "--devices", folder.filePath("three.csv"),
                       "--out", folder.filePath("three"), "--jobs", "1"});
        QTRY_VERIFY_WITH_TIMEOUT(silent.RequestCount() > 0, 10000);
        ::kill(pid_t(program.processId()), SIGINT);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit); // ended by the signal, as a shell expects
        const auto rows = SummaryRows(folder.filePath("three/summary.csv"));
        QCOMPARE(rows.value("S").value("reason"), QString("The ZEPH7208 have not responded."));
        QCOMPARE(rows.value("U").value("verdict"), QString("not run"));
        QCOMPARE(untouched.RequestCount(), 0);
        QVERIFY(QFile::exists(folder.filePath("three/report.pdf")));
    }

    void secondRunIntoTheSameFolderIsRefused() {
        QTemporaryDir folder;
        const QString templatePath = folder.filePath("template.zsf");
        QVERIFY(settingsfile::SaveSettingsFile(
            templatePath, session::SettingsFileValues(test::WorkedExamplePage()), "2026-12-09"));
        QVERIFY(WriteFile(folder.filePath("devices.csv"), "tag,port\nA,/dev/null\n"));
        BatchOptions options;
        options.templatePath = templatePath;
        options.devicesPath = folder.filePath("devices.csv");
        options.outDir = folder.filePath("out");
        Batch running;
        QVERIFY(running.Prepare(options, nullptr));
        const Ran second = Tool({"commission", "--template", templatePath, "--devices",
                                 folder.filePath("devices.csv"), "--out", folder.filePath("out")});
        QCOMPARE(second.exitCode, 1);
        QVERIFY(second.err.contains("another commissioning run is writing into this folder"));
    }
};

QTEST_GUILESS_MAIN(TestCommissioning)
#include "tst_commissioning.moc"
