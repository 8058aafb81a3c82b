// SPDX-License-Identifier: MIT
// Simulated devices and sessions side by side, polling back to back.
#include "bench/ManyPortsBench.h"

#include "bench/EventLoop.h"
#include "bench/Figures.h"
#include "bench/ProcessStats.h"
#include "bench/SimulatedDevices.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"
#include "sim/SimulatedDevice.h"

#include <memory>
#include <vector>

namespace zeph::bench {

void RunManyPortsBench(int ports, int seconds, int baud) {
    PrintHeading(
        QStringLiteral("%1 ports at once, each polled back to back, devices simulated in this process")
            .arg(ports));
    std::optional<SimulatedDevices> simulated = StartSimulatedDevices(ports, baud);
    if (!simulated) return;
    const auto& devices = simulated->devices;
    const QSet<int>& deviceThreads = simulated->threads;

    std::vector<std::unique_ptr<session::DeviceSession>> sessions;
    std::vector<std::unique_ptr<session::CounterPoller>> pollers;
    std::vector<int> reports(std::size_t(ports), 0);
    for (int i = 0; i < ports; ++i) {
        auto session = std::make_unique<session::DeviceSession>();
        if (!session->Open(devices[std::size_t(i)]->PortPath())) {
            PrintFigure(QStringLiteral("sessions"), QStringLiteral("port %1 did not open").arg(i + 1));
            return;
        }
        auto poller = std::make_unique<session::CounterPoller>(*session);
        poller->SetPace(session::CounterPoller::Pace::BackToBack());
        QObject::connect(poller.get(), &session::CounterPoller::ReadFinished, poller.get(),
                         [&reports, i](const device::OperationResult& result) {
                             if (result.Succeeded()) ++reports[std::size_t(i)];
                         });
        sessions.push_back(std::move(session));
        pollers.push_back(std::move(poller));
    }
    for (auto& poller : pollers)
        poller->Start();
    RunFor(1000); // every port past its first reads
    std::fill(reports.begin(), reports.end(), 0);
    const ProcessSnapshot start = ProcessSnapshot::Take();
    RunFor(seconds * 1000);
    const ProcessSnapshot spent = ProcessSnapshot::Take().Since(start);
    for (auto& poller : pollers)
        poller->Stop();
    RunFor(300);

    int total = 0;
    QList<double> perPort;
    for (const int n : reports) {
        total += n;
        perPort.append(double(n) / seconds);
    }
    const double lineLimit = 1000.0 / LineMs(ExchangeCharacters(2, 73), baud);
    const Summary rates = Summarise(perPort);
    PrintFigure(QStringLiteral("reports per second per port (line limit %1)").arg(lineLimit, 0, 'f', 2),
                QStringLiteral("mean %1, least %2")
                    .arg(rates.mean, 0, 'f', 2)
                    .arg(*std::min_element(perPort.begin(), perPort.end()), 0, 'f', 2));
    const double deviceCpu = spent.CpuMsOf(deviceThreads);
    const double configuratorCpu = spent.TotalCpuMs() - deviceCpu;
    PrintFigure(QStringLiteral("CPU, % of a core: all / the sessions / the simulated devices"),
                QStringLiteral("%1 / %2 / %3")
                    .arg(spent.TotalCpuMs() / (10 * seconds), 0, 'f', 1)
                    .arg(configuratorCpu / (10 * seconds), 0, 'f', 1)
                    .arg(deviceCpu / (10 * seconds), 0, 'f', 1));
    if (total > 0)
        PrintFigure(QStringLiteral("CPU per report, the sessions / the simulated devices"),
                    Ms(configuratorCpu / total) + QStringLiteral(" / ") + Ms(deviceCpu / total));
    PrintFigure(QStringLiteral("peak resident memory"),
                QStringLiteral("%1 MiB").arg(PeakResidentMiB(), 0, 'f', 1));
}

} // namespace zeph::bench
