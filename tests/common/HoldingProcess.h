// SPDX-License-Identifier: MIT
// A second process that holds a port open, as a terminal program or `cat` on the port does: a shell opens
// the port on descriptor 3, locks it with flock(1) when asked, and becomes `sleep`, which keeps both.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace zeph::test {

class HoldingProcess {
public:
    enum class Lock { None, Flock };
    explicit HoldingProcess(const QString& path, Lock lock = Lock::None) {
        const QString script = lock == Lock::Flock
                                   ? QStringLiteral("exec 3<>\"$0\"; flock -n 3; exec sleep 60")
                                   : QStringLiteral("exec 3<>\"$0\"; exec sleep 60");
        m_process.start(QStringLiteral("sh"), {QStringLiteral("-c"), script, path});
    }
    ~HoldingProcess() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    HoldingProcess(const HoldingProcess&) = delete;
    HoldingProcess& operator=(const HoldingProcess&) = delete;

    // Waits until the port is open in the process and the process is `sleep`.
    bool WaitUntilHolding() {
        const QString proc = QStringLiteral("/proc/%1/").arg(Pid());
        return QTest::qWaitFor(
            [&] {
                QFile comm(proc + QStringLiteral("comm"));
                return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "sleep" &&
                       QFile::exists(proc + QStringLiteral("fd/3"));
            },
            10000);
    }
    qint64 Pid() const { return m_process.processId(); }

private:
    QProcess m_process;
};

} // namespace zeph::test
