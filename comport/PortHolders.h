// SPDX-License-Identifier: MIT
// Who else holds a port, found without opening it: descriptors in /proc/*/fd, file locks in /proc/locks
// and UUCP lock files. A process that holds the device end of a pseudo-terminal (its master side, as
// a simulator does) is that terminal's device, not a competing user.
#pragma once

#include "comport/PortNode.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace zeph::comport {

struct PortHolder {
    qint64 pid = 0;
    QString program;   // from /proc/PID/comm
    bool self = false; // this very process
    bool operator==(const PortHolder&) const = default;
};

// One lock of /proc/locks that is held (not waited for), with the file system and inode it is on.
struct LockEntry {
    qint64 pid = 0;
    uint major = 0;
    uint minor = 0;
    quint64 inode = 0;
};

QList<LockEntry> ParseProcLocks(const QByteArray& text);
// The PID in a UUCP lock file: ten ASCII digits and a line feed, or (old style) a binary int; 0 if none.
qint64 ParseUucpLock(const QByteArray& content);

// The folder where programs leave UUCP lock files, for the whole process: /run/lock unless set (a test
// points it at a folder of its own). The port probe's default and the open's checks read it.
QString LockFolder();
void SetLockFolder(const QString& folder);

class HolderIndex {
public:
    // Reads /proc once. A user who is not root sees only the descriptors of their own processes; file
    // locks and lock files are seen for everybody.
    static HolderIndex Scan(const QString& lockDir = LockFolder());

    // Who holds the node: other processes with it open (its device end excepted), and every process,
    // this one included, that locks it. Sorted by PID.
    QList<PortHolder> HoldersOf(const PortNode& node) const;
    // The processes holding the device end of a pseudo-terminal.
    QList<PortHolder> DeviceEndOf(const PortNode& node) const;
    // Whether every process's descriptors could be read.
    bool SawEveryProcess() const { return m_sawEveryProcess; }

private:
    QMultiHash<quint64, qint64> m_openers; // device number -> PID
    QMultiHash<int, qint64> m_masters;     // pseudo-terminal index -> PID holding its master
    QList<LockEntry> m_locks;
    QString m_lockDir;
    bool m_sawEveryProcess = true;
};

// "minicom", "sh, sleep", "this program": the holders' program names, each once.
QString HolderNames(const QList<PortHolder>& holders);
// "In use by another program: minicom (PID 4242).", or "In use by this program." when no other holds it.
QString InUseText(const QList<PortHolder>& holders);

// Why the port must not be opened at all, or empty: the multiplexer and system terminals are no ports,
// and (with checkHolders) a port that another program holds is left alone even when that program took no
// lock.
QString RefusalBeforeOpen(const QString& path, bool checkHolders = true);
// The reason an open failed with errno error, in words a user can act on.
QString OpenFailureReason(const QString& path, int error);

} // namespace zeph::comport
