// SPDX-License-Identifier: MIT
// What a device node is, judged without opening it: a serial port, a pseudo-terminal, the terminal
// multiplexer or something else, and whether this user may open it (and if not, what would help).
#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace zeph::comport {

enum class NodeKind {
    Missing,        // nothing at the path (or a dangling link)
    NotCharDevice,  // a regular file, a folder, a pipe
    Multiplexer,    // /dev/ptmx: every open makes a new pseudo-terminal
    SystemTerminal, // /dev/tty, /dev/console, virtual terminals
    SerialPort,     // a UART or a USB serial adapter
    PseudoTerminal, // the far end of a pseudo-terminal (/dev/pts/N)
    OtherDevice,    // a character device that is no terminal (/dev/null)
};

// One line of /proc/tty/drivers: which device numbers a tty driver owns and what kind they are.
struct TtyDriver {
    QString name;
    int major = 0;
    quint32 firstMinor = 0;
    quint32 lastMinor = 0;
    QString type; // "serial", "pty:slave", "pty:master", "system", "console", ...
};

QList<TtyDriver> ParseTtyDrivers(const QByteArray& text);

struct PortNode {
    QString path;
    NodeKind kind = NodeKind::Missing;
    quint64 rdev = 0;  // the device number, the same for every name of the node
    quint64 fsDev = 0; // the file system the node lives on, and its inode: how /proc/locks names it
    quint64 inode = 0;
    uint owner = 0;
    uint group = 0;
    uint mode = 0;
    int ptyIndex = -1; // N of /dev/pts/N
    // Whether the node is a port at all, and so worth judging further.
    bool IsPort() const { return kind == NodeKind::SerialPort || kind == NodeKind::PseudoTerminal; }
};

// Follows links; reads only the node's status and the kernel's tty driver table.
PortNode InspectNode(const QString& path);

// Whether this process may open the node for reading and writing (access(2): no open, no DTR pulse).
bool MayOpen(const QString& path);

// What decides the advice for a node this user may not open.
struct PermissionFacts {
    QString ownerName;
    QString groupName;
    bool groupMayUse = false;       // the group has read and write permission
    bool userListedInGroup = false; // the group database lists the user
    bool processHasGroup = false;   // this login already carries the group
};

// What would let the user open the node, for example "add your user to the group dialout, then log in
// again"; no leading capital, so it reads after a dash or a colon.
QString PermissionAdviceText(const PermissionFacts& facts);
PermissionFacts PermissionFactsOf(const PortNode& node);

} // namespace zeph::comport
