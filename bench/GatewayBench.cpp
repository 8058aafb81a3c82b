// SPDX-License-Identifier: MIT
// zeph7208d's work in this process: every device polled at 1 s, then back to back, each stretch measured
// after the devices have settled.
#include "bench/GatewayBench.h"

#include "bench/EventLoop.h"
#include "bench/Figures.h"
#include "bench/ProcessStats.h"
#include "bench/SimulatedDevices.h"
#include "common/Mosquitto.h"
#include "gateway/GatewayDevice.h"
#include "gateway/GatewayService.h"
#include "sim/SimulatedDevice.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace zeph::bench {

void RunGatewayBench(int count, int seconds, int baud) {
    const bool broker = QFile::exists(QStringLiteral("/usr/sbin/mosquitto"));
    PrintHeading(QStringLiteral("The gateway polling %1 devices simulated in this process%2")
                     .arg(count)
                     .arg(broker ? QStringLiteral(", publishing to a mosquitto of its own")
                                 : QStringLiteral(" (no mosquitto installed: nothing published)")));
    testing::Mosquitto mosquitto;
    if (QString error; broker && !mosquitto.Start(&error)) {
        PrintFigure(QStringLiteral("mosquitto"), error);
        return;
    }
    std::optional<SimulatedDevices> simulated = StartSimulatedDevices(count, baud);
    if (!simulated) return;
    const auto& devices = simulated->devices;
    const QSet<int>& deviceThreads = simulated->threads;
    const double lineLimit = 1000.0 / LineMs(ExchangeCharacters(2, 73), baud);

    for (const double interval : {1.0, 0.0}) {
        QTemporaryDir state;
        gateway::GatewayConfig config;
        config.stateDir = state.path();
        if (broker) {
            gateway::MqttConfig mqtt;
            mqtt.host = QStringLiteral("127.0.0.1");
            mqtt.port = mosquitto.Port();
            config.mqtt = mqtt;
        }
        for (int i = 0; i < count; ++i)
            config.devices.push_back(
                {QStringLiteral("d%1").arg(i + 1), devices[std::size_t(i)]->PortPath(), interval, 0});
        const double residentBefore = ResidentMiB();
        gateway::GatewayService service(config);
        QString error;
        if (!service.Start(&error)) {
            PrintFigure(QStringLiteral("gateway"), error);
            return;
        }
        RunFor(2000); // every device past its first reads
        const double perDeviceMiB = (ResidentMiB() - residentBefore) / count;
        std::vector<int> pollsBefore;
        for (const gateway::GatewayDevice* device : service.Devices())
            pollsBefore.push_back(device->Polls() - device->Failures());
        const ProcessSnapshot start = ProcessSnapshot::Take();
        RunFor(seconds * 1000);
        const ProcessSnapshot spent = ProcessSnapshot::Take().Since(start);
        int reports = 0;
        QList<double> perDevice;
        for (std::size_t i = 0; i < service.Devices().size(); ++i) {
            const int n = service.Devices()[i]->Polls() - service.Devices()[i]->Failures() - pollsBefore[i];
            reports += n;
            perDevice.append(double(n) / seconds);
        }
        const QString pace = interval > 0 ? QStringLiteral("every 1 s") : QStringLiteral("back to back");
        PrintFigure(QStringLiteral("%1: reports per second per device (line limit %2)")
                        .arg(pace)
                        .arg(lineLimit, 0, 'f', 2),
                    QStringLiteral("mean %1, least %2")
                        .arg(Summarise(perDevice).mean, 0, 'f', 2)
                        .arg(*std::min_element(perDevice.begin(), perDevice.end()), 0, 'f', 2));
        const double gatewayCpu = spent.TotalCpuMs() - spent.CpuMsOf(deviceThreads);
        if (reports > 0)
            PrintFigure(QStringLiteral("%1: gateway CPU per report; % of a core").arg(pace),
                        Ms(gatewayCpu / reports, 2) + QStringLiteral("; ") +
                            QString::number(gatewayCpu / (10 * seconds), 'f', 1) + QStringLiteral(" %"));
        PrintFigure(QStringLiteral("%1: memory per device").arg(pace),
                    QStringLiteral("%1 MiB").arg(perDeviceMiB, 0, 'f', 2));
        service.Stop();
        RunFor(300);
    }
}

} // namespace zeph::bench
