// SPDX-License-Identifier: MIT
// Device nodes on Linux: their status, the kernel's table of tty drivers, and the advice for a user who
// may not open one.
#include "comport/PortNode.h"

#include <QCoreApplication>
#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <vector>

namespace zeph::comport {

namespace {

// The multiplexer's fixed number, also when the driver table cannot be read.
constexpr unsigned MultiplexerMajor = 5;
constexpr unsigned MultiplexerMinor = 2;

// Drivers register at boot or when their module loads (a USB serial adapter's, at its first plug-in),
// so the table is read each time; it is one small file.
QList<TtyDriver> KernelTtyDrivers() {
    QFile file(QStringLiteral("/proc/tty/drivers"));
    return file.open(QIODevice::ReadOnly) ? ParseTtyDrivers(file.readAll()) : QList<TtyDriver>{};
}

NodeKind KindOf(quint64 rdev, int* ptyIndex) {
    const unsigned major = ::major(rdev);
    const unsigned minor = ::minor(rdev);
    if (major == MultiplexerMajor && minor == MultiplexerMinor) return NodeKind::Multiplexer;
    const QList<TtyDriver> drivers = KernelTtyDrivers();
    if (drivers.isEmpty()) return NodeKind::SerialPort; // no table: let the open judge it
    for (const TtyDriver& driver : drivers) {
        if (driver.major != int(major) || minor < driver.firstMinor || minor > driver.lastMinor) continue;
        if (driver.type == QLatin1String("serial")) return NodeKind::SerialPort;
        if (driver.type == QLatin1String("pty:slave")) {
            *ptyIndex = int(minor - driver.firstMinor);
            return NodeKind::PseudoTerminal;
        }
        return NodeKind::SystemTerminal;
    }
    return NodeKind::OtherDevice;
}

QString UserName(uid_t uid) {
    const passwd* entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

} // namespace

QList<TtyDriver> ParseTtyDrivers(const QByteArray& text) {
    QList<TtyDriver> drivers;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 5) continue;
        TtyDriver driver;
        bool majorOk = false;
        driver.name = QString::fromLocal8Bit(fields[0]);
        driver.major = fields[2].toInt(&majorOk);
        const QList<QByteArray> range = fields[3].split('-');
        bool firstOk = false;
        bool lastOk = true;
        driver.firstMinor = range[0].toUInt(&firstOk);
        driver.lastMinor = range.size() > 1 ? range[1].toUInt(&lastOk) : driver.firstMinor;
        driver.type = QString::fromLocal8Bit(fields[4]);
        if (majorOk && firstOk && lastOk) drivers.append(driver);
    }
    return drivers;
}

PortNode InspectNode(const QString& path) {
    PortNode node;
    node.path = path;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) return node;
    node.fsDev = status.st_dev;
    node.inode = status.st_ino;
    node.owner = status.st_uid;
    node.group = status.st_gid;
    node.mode = status.st_mode;
    if (!S_ISCHR(status.st_mode)) {
        node.kind = NodeKind::NotCharDevice;
        return node;
    }
    node.rdev = status.st_rdev;
    node.kind = KindOf(status.st_rdev, &node.ptyIndex);
    return node;
}

bool MayOpen(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

PermissionFacts PermissionFactsOf(const PortNode& node) {
    PermissionFacts facts;
    facts.ownerName = UserName(node.owner);
    const group* entry = ::getgrgid(node.group);
    facts.groupName = entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(node.group);
    // Joining root's group is no advice to give; a group without read and write does not help either.
    facts.groupMayUse = node.group != 0 && (node.mode & S_IRGRP) && (node.mode & S_IWGRP);

    const passwd* user = ::getpwuid(::getuid());
    if (user && entry) {
        facts.userListedInGroup = user->pw_gid == node.group;
        for (char** member = entry->gr_mem; member && *member; ++member)
            facts.userListedInGroup = facts.userListedInGroup || qstrcmp(*member, user->pw_name) == 0;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(std::size_t(count > 0 ? count : 0));
    // Only the groups actually filled in count: the rest of the vector reads as group 0.
    const int filled = count > 0 ? ::getgroups(count, groups.data()) : 0;
    groups.resize(std::size_t(filled > 0 ? filled : 0));
    facts.processHasGroup = ::getegid() == node.group;
    for (const gid_t gid : groups)
        facts.processHasGroup = facts.processHasGroup || gid == node.group;
    return facts;
}

QString PermissionAdviceText(const PermissionFacts& facts) {
    if (!facts.groupMayUse)
        return QCoreApplication::translate("Port",
                                           "only its owner %1 may open it; ask the administrator for access")
            .arg(facts.ownerName);
    if (!facts.userListedInGroup)
        return QCoreApplication::translate("Port", "add your user to the group %1, then log in again")
            .arg(facts.groupName);
    // The group database has the user, but this login started before that: a new login carries it.
    if (!facts.processHasGroup)
        return QCoreApplication::translate("Port", "log in again to use the group %1").arg(facts.groupName);
    return QCoreApplication::translate("Port", "ask the administrator for access");
}

} // namespace zeph::comport
