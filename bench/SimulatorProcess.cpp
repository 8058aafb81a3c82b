// SPDX-License-Identifier: MIT
// Starts zeph7208-sim and reads the port it prints.
#include "bench/SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>

namespace zeph::bench {

QString SimulatorProcess::Start(int baud) {
    const QDir here(QCoreApplication::applicationDirPath());
    const QString program = here.filePath(QStringLiteral("../sim/zeph7208-sim"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, {QStringLiteral("--baud"), QString::number(baud)});
    if (!m_process.waitForStarted(5000)) return {};
    while (!m_process.canReadLine())
        if (!m_process.waitForReadyRead(5000)) return {};
    return QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

SimulatorProcess::~SimulatorProcess() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) m_process.kill();
    m_process.waitForFinished(1000);
}

} // namespace zeph::bench
