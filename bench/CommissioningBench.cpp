// SPDX-License-Identifier: MIT
// Commissioning devices simulated in this process: every device gets a new address (a write and a read
// back) and a preset; first all at once, then one after another, each device put back to its factory
// record in between.
#include "bench/CommissioningBench.h"

#include "bench/EventLoop.h"
#include "bench/Figures.h"
#include "bench/ProcessStats.h"
#include "bench/SimulatedDevices.h"
#include "commissioning/Batch.h"
#include "session/SettingsFileMapping.h"
#include "settingsfile/SettingsFile.h"
#include "sim/SimulatedDevice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace zeph::bench {

namespace {

struct BatchFigures {
    bool finished = false;
    int passed = 0;
    qint64 wallMs = 0;
    qint64 slowestDeviceMs = 0;
};

BatchFigures RunBatch(const commissioning::BatchOptions& options) {
    commissioning::Batch batch;
    BatchFigures figures;
    if (!batch.Prepare(options, nullptr)) return figures;
    bool done = false;
    QObject::connect(&batch, &commissioning::Batch::Finished, [&] { done = true; });
    QElapsedTimer wall;
    wall.start();
    batch.Start();
    figures.finished = RunUntil([&] { return done; }, 300000);
    figures.wallMs = wall.elapsed();
    for (const commissioning::DeviceOutcome& device : batch.Outcome().devices) {
        figures.passed += device.verdict == commissioning::Verdict::Passed;
        figures.slowestDeviceMs = std::max(figures.slowestDeviceMs, device.elapsedMs);
    }
    return figures;
}

} // namespace

void RunCommissioningBench(int count, int baud) {
    PrintHeading(
        QStringLiteral("Commissioning %1 devices simulated in this process at %2 baud (a write, a read "
                       "back and a preset each)")
            .arg(count)
            .arg(baud));
    QTemporaryDir folder;
    const QString templatePath = folder.filePath(QStringLiteral("template.zsf"));
    std::optional<SimulatedDevices> simulated = StartSimulatedDevices(count, baud);
    if (!simulated) return;
    const auto& devices = simulated->devices;
    const QSet<int>& deviceThreads = simulated->threads;
    QByteArray list = "tag,port,modbus.address,preset_1\n";
    for (int i = 0; i < count; ++i)
        list += QStringLiteral("D-%1,%2,%3,%4\n")
                    .arg(i + 1)
                    .arg(devices[std::size_t(i)]->PortPath())
                    .arg(i + 2)
                    .arg(100 * i)
                    .toUtf8();
    // The template is the devices' own factory record: only the address differs, device by device.
    const sim::Bytes record = sim::SettingsRecord::FactoryDefaults().Encode();
    const device::SettingsPageState factory = device::DecodeSettingsBlock(
        std::span<const std::uint8_t, device::SettingsBlockSize>(record.data(), record.size()));
    QFile listFile(folder.filePath(QStringLiteral("devices.csv")));
    if (!settingsfile::SaveSettingsFile(templatePath, session::SettingsFileValues(factory),
                                        QStringLiteral("bench")) ||
        !listFile.open(QIODevice::WriteOnly) || listFile.write(list) != list.size()) {
        PrintFigure(QStringLiteral("commissioning"),
                    QStringLiteral("the template or the list cannot be written"));
        return;
    }
    listFile.close();
    auto reset = [&] {
        for (auto& device : devices)
            device->WithModel([](sim::DeviceModel& model) { model.SetSettings(model.FactoryDefaults()); });
    };
    commissioning::BatchOptions options{templatePath, listFile.fileName(),
                                        folder.filePath(QStringLiteral("at-once")), QStringLiteral("bench"),
                                        count};

    const ProcessSnapshot start = ProcessSnapshot::Take();
    const BatchFigures together = RunBatch(options);
    const ProcessSnapshot spent = ProcessSnapshot::Take().Since(start);
    reset();
    options.outDir = folder.filePath(QStringLiteral("one-by-one"));
    options.jobs = 1;
    const BatchFigures alone = RunBatch(options);
    if (!together.finished || !alone.finished || together.passed != count || alone.passed != count) {
        PrintFigure(QStringLiteral("commissioning"), QStringLiteral("did not pass: %1 and %2 of %3")
                                                         .arg(together.passed)
                                                         .arg(alone.passed)
                                                         .arg(count));
        return;
    }
    const double ratio = double(together.wallMs) / double(alone.slowestDeviceMs);
    PrintFigure(QStringLiteral("all at once / the slowest device alone / one after another"),
                QStringLiteral("%1 / %2 / %3")
                    .arg(Ms(together.wallMs, 0), Ms(alone.slowestDeviceMs, 0), Ms(alone.wallMs, 0)));
    PrintFigure(QStringLiteral("all at once against the slowest alone"),
                QStringLiteral("%1 ×").arg(ratio, 0, 'f', 2));
    const double deviceCpu = spent.CpuMsOf(deviceThreads);
    PrintFigure(QStringLiteral("CPU per device: the configurator / the simulated device"),
                Ms((spent.TotalCpuMs() - deviceCpu) / count) + QStringLiteral(" / ") + Ms(deviceCpu / count));
    NoteGoal(QStringLiteral("commissioning %1 devices at once, against the slowest alone").arg(count), ratio,
             2.0, QStringLiteral("×"));
}

} // namespace zeph::bench
