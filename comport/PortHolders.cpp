// SPDX-License-Identifier: MIT
// Finding the holders of a port on Linux from /proc and the UUCP lock folder, and the reasons an open is
// refused or failed.
#include "comport/PortHolders.h"
#include "comport/PortIo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zeph::comport {

namespace {

const dev_t MultiplexerDevice = makedev(5, 2);

// A lock file is 11 bytes (4 in the old binary form); anything much larger is not one.
constexpr qsizetype LockFileLimit = 128;

// For files of /proc, which nobody else can plant.
QByteArray ReadSmallFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
}

// Any local user may write into the lock folder. A FIFO planted there would block an ordinary open
// (and the port list, the window's start-up and the command-line tool with it) until somebody writes to
// it, and a link could lead anywhere: only a regular file of a lock file's size is read.
QByteArray ReadLockFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {};
    QByteArray content;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= LockFileLimit) {
        content.resize(LockFileLimit);
        ssize_t got;
        do {
            got = ::read(fd, content.data(), size_t(content.size()));
        } while (got < 0 && errno == EINTR);
        content.resize(got > 0 ? qsizetype(got) : 0);
    }
    ::close(fd);
    return content;
}

QMutex lockFolderMutex;
QString lockFolder = QStringLiteral("/run/lock");

QString ProgramOf(qint64 pid) {
    const QByteArray name = ReadSmallFile(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed();
    return name.isEmpty() ? QStringLiteral("PID %1").arg(pid) : QString::fromLocal8Bit(name);
}

bool IsAlive(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// The index of the pseudo-terminal whose master descriptor fd of pid is, from its fdinfo.
int MasterIndex(const QByteArray& procDir, const char* fd) {
    const QByteArray info = ReadSmallFile(QString::fromLocal8Bit(procDir + "/fdinfo/" + fd));
    const qsizetype at = info.indexOf("tty-index:");
    if (at < 0) return -1;
    bool ok = false;
    const int index = info.mid(at + 10, info.indexOf('\n', at) - at - 10).trimmed().toInt(&ok);
    return ok ? index : -1;
}

// The names a UUCP lock for the node may have: LCK..ttyUSB0, and LCK..pts_5 for /dev/pts/5, after the
// name it was given and after the node it leads to.
QStringList UucpLockNames(const PortNode& node) {
    QStringList names;
    for (const QString& path :
         {QFileInfo(node.path).absoluteFilePath(), QFileInfo(node.path).canonicalFilePath()}) {
        if (path.isEmpty()) continue;
        names << QStringLiteral("LCK..") + QFileInfo(path).fileName();
        if (path.startsWith(QStringLiteral("/dev/")) && path.count(QLatin1Char('/')) > 2)
            names << QStringLiteral("LCK..") + path.mid(5).replace(QLatin1Char('/'), QLatin1Char('_'));
    }
    names.removeDuplicates();
    return names;
}

} // namespace

QString InUseText(const QList<PortHolder>& holders) {
    QStringList named;
    bool others = false;
    for (const PortHolder& holder : holders) {
        if (holder.self) continue;
        others = true;
        if (holder.pid > 0) named << QStringLiteral("%1 (PID %2)").arg(holder.program).arg(holder.pid);
    }
    if (!others) return QCoreApplication::translate("Port", "In use by this program.");
    if (named.isEmpty()) return QCoreApplication::translate("Port", "In use by another program.");
    return QCoreApplication::translate("Port", "In use by another program: %1.")
        .arg(named.join(QStringLiteral(", ")));
}

QString LockFolder() {
    const QMutexLocker locker(&lockFolderMutex);
    return lockFolder;
}

void SetLockFolder(const QString& folder) {
    const QMutexLocker locker(&lockFolderMutex);
    lockFolder = folder;
}

QList<LockEntry> ParseProcLocks(const QByteArray& text) {
    QList<LockEntry> locks;
    for (const QByteArray& line : text.split('\n')) {
        // "1: FLOCK  ADVISORY  WRITE 1234 00:19:7 0 EOF"; a line with "->" is a waiter, not a holder.
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.contains("->")) continue;
        const QList<QByteArray> where = fields[5].split(':');
        if (where.size() != 3) continue;
        LockEntry lock;
        bool ok[4] = {};
        lock.pid = fields[4].toLongLong(&ok[0]);
        lock.major = where[0].toUInt(&ok[1], 16);
        lock.minor = where[1].toUInt(&ok[2], 16);
        lock.inode = where[2].toULongLong(&ok[3]);
        // Locks on open file descriptions carry PID -1: nobody to name, but still a holder.
        if (ok[0] && ok[1] && ok[2] && ok[3]) locks.append(lock);
    }
    return locks;
}

qint64 ParseUucpLock(const QByteArray& content) {
    bool ok = false;
    const qint64 pid = content.trimmed().toLongLong(&ok);
    if (ok) return pid > 0 ? pid : 0;
    if (content.size() == 4) {
        qint32 binary = 0;
        std::memcpy(&binary, content.constData(), sizeof binary);
        return binary > 0 ? binary : 0;
    }
    return 0;
}

HolderIndex HolderIndex::Scan(const QString& lockDir) {
    HolderIndex index;
    index.m_lockDir = lockDir;
    index.m_locks = ParseProcLocks(ReadSmallFile(QStringLiteral("/proc/locks")));
    const qint64 self = ::getpid();

    DIR* proc = ::opendir("/proc");
    if (!proc) {
        index.m_sawEveryProcess = false;
        return index;
    }
    while (const dirent* process = ::readdir(proc)) {
        char* end = nullptr;
        const qint64 pid = std::strtoll(process->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        const QByteArray procDir = QByteArray("/proc/") + process->d_name;
        DIR* fds = ::opendir(procDir + "/fd");
        if (!fds) {
            // Another user's process; one that has just ended is no loss.
            if (errno == EACCES) index.m_sawEveryProcess = false;
            continue;
        }
        while (const dirent* fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.') continue;
            struct stat status {};
            if (::stat(procDir + "/fd/" + fd->d_name, &status) != 0 || !S_ISCHR(status.st_mode)) continue;
            if (status.st_rdev == MultiplexerDevice) {
                if (const int pty = MasterIndex(procDir, fd->d_name); pty >= 0)
                    index.m_masters.insert(pty, pid);
            } else if (pid != self) {
                // Our own descriptors are our own business (the simulated device, a test's fixtures); an
                // open port of ours carries its lock and is found by that.
                index.m_openers.insert(status.st_rdev, pid);
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return index;
}

QList<PortHolder> HolderIndex::HoldersOf(const PortNode& node) const {
    QList<qint64> pids;
    const QList<qint64> deviceEnd = node.ptyIndex >= 0 ? m_masters.values(node.ptyIndex) : QList<qint64>{};
    for (const qint64 pid : m_openers.values(node.rdev))
        if (!deviceEnd.contains(pid)) pids << pid;
    // A lock outlives the process that took it while another keeps the descriptor (flock(1) in a shell
    // script): that one is found by its descriptor, and the one that has gone is nobody to name.
    for (const LockEntry& lock : m_locks)
        if (makedev(lock.major, lock.minor) == node.fsDev && lock.inode == node.inode &&
            (lock.pid <= 0 || IsAlive(lock.pid)))
            pids << lock.pid;
    for (const QString& name : UucpLockNames(node)) {
        const qint64 pid = ParseUucpLock(ReadLockFile(QDir(m_lockDir).filePath(name)));
        // A lock left behind by a program that has ended is stale and holds nothing.
        if (IsAlive(pid)) pids << pid;
    }
    std::sort(pids.begin(), pids.end());
    pids.erase(std::unique(pids.begin(), pids.end()), pids.end());

    QList<PortHolder> holders;
    const qint64 self = ::getpid();
    for (const qint64 pid : std::as_const(pids))
        holders.append({pid,
                        pid > 0 ? ProgramOf(pid) : QCoreApplication::translate("Port", "another program"),
                        pid == self});
    return holders;
}

QList<PortHolder> HolderIndex::DeviceEndOf(const PortNode& node) const {
    QList<qint64> pids = node.ptyIndex >= 0 ? m_masters.values(node.ptyIndex) : QList<qint64>{};
    std::sort(pids.begin(), pids.end());
    QList<PortHolder> holders;
    const qint64 self = ::getpid();
    for (const qint64 pid : std::as_const(pids))
        holders.append({pid, ProgramOf(pid), pid == self});
    return holders;
}

QString HolderNames(const QList<PortHolder>& holders) {
    QStringList names;
    for (const PortHolder& holder : holders) {
        const QString name =
            holder.self ? QCoreApplication::translate("Port", "this program") : holder.program;
        if (!names.contains(name)) names << name;
    }
    return names.join(QStringLiteral(", "));
}

QString RefusalBeforeOpen(const QString& path, bool checkHolders) {
    const PortNode node = InspectNode(path);
    if (node.kind == NodeKind::Multiplexer)
        return QCoreApplication::translate("Port",
                                           "%1 is not a port: opening it would make a new pseudo-terminal.")
            .arg(path);
    if (node.kind == NodeKind::SystemTerminal)
        return QCoreApplication::translate("Port", "%1 is not a serial port.").arg(path);
    if (!node.IsPort() || !checkHolders) return {}; // the open says what is wrong with it
    const QList<PortHolder> holders = HolderIndex::Scan().HoldersOf(node);
    return holders.isEmpty() ? QString() : InUseText(holders);
}

QString OpenFailureReason(const QString& path, int error) {
    const PortNode node = InspectNode(path);
    if (error == EBUSY) {
        const QList<PortHolder> holders = HolderIndex::Scan().HoldersOf(node);
        // An exclusive tty of another user's program shows no lock and no descriptor we may read.
        return holders.isEmpty() ? QCoreApplication::translate("Port", "In use by another program.")
                                 : InUseText(holders);
    }
    if (error == EACCES || error == EPERM)
        return SystemErrorText(error) + QStringLiteral(": ") + PermissionAdviceText(PermissionFactsOf(node)) +
               QLatin1Char('.');
    return SystemErrorText(error);
}

} // namespace zeph::comport
