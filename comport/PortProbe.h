// SPDX-License-Identifier: MIT
// The probe for the serial ports that can be opened now, and the list helpers around it. It never
// opens a port: an open of a real UART pulses DTR and RTS, which resets some adapters.
#pragma once

#include "comport/PortHolders.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zeph::comport {

struct PortProbeOptions {
    QString sysfsRoot = QStringLiteral("/sys");
    QString devRoot = QStringLiteral("/dev");
    // Ports the user named (--port), also ones that sysfs does not know, such as a simulator's
    // pseudo-terminal.
    QStringList extraPaths;
    // Where programs leave UUCP lock files (LCK..ttyUSB0).
    QString lockDir = LockFolder();
};

// A port that can be opened now (or one the user named that another program holds), with what tells it
// apart from the others.
struct PortInfo {
    QString path;  // the name the port is opened and remembered by
    QString byId;  // its stable name under /dev/serial/by-id, if udev gave it one
    QString kind;  // "USB serial adapter", "Serial port", "Pseudo-terminal"
    QString maker; // the USB maker, product and serial number as the adapter reports them
    QString product;
    QString serial;
    QString target;    // where path leads when it is a link
    QString deviceEnd; // for a pseudo-terminal, the program at its device end
    // Who holds a port the user named, such as "In use by another program: minicom (PID 812).": it stays
    // listed so that the user is told, rather than given another port. Empty when free.
    QString inUse;
    // Lines for a tooltip and a screen reader's description, the use first.
    QString Details() const;
    bool operator==(const PortInfo&) const = default;
};

enum class HiddenReason { NoPermission, InUse, NotAPort, NotPresent };

// A port that was left out of the list, and why.
struct HiddenPort {
    QString path;
    HiddenReason reason = HiddenReason::NotPresent;
    QString detail; // what would help (permission), who holds it (in use), what it is (not a port)
    // "no permission — add your user to the group dialout, then log in again", "in use by minicom".
    QString Text() const;
    bool operator==(const HiddenPort&) const = default;
};

struct PortScan {
    QList<PortInfo> ports; // in natural order, lowest first
    QList<HiddenPort> hidden;
    QStringList Paths() const;
    // One line of what was left out and what to do, such as "1 port hidden: in use by minicom"; empty
    // when nothing was.
    QString HintLine() const;
    // Each hidden port with its reason, one a line.
    QString HintDetails() const;
    bool operator==(const PortScan&) const = default;
};

// The serial devices sysfs shows with a device behind them (placeholder ttyS nodes skipped) and the
// extra paths; each name of a node once; judged by permission, presence and holders without opening.
// A port held by another program is hidden, unless one of the extra paths leads to it.
PortScan ScanPorts(const PortProbeOptions& options = {});

// Appends the paths ScanPorts lists. A null list does nothing.
void ListComPorts(QStringList* list, const PortProbeOptions& options = {});

// Replaces target's entries by source's entries in reverse order; source and target may be the same.
void CopyListReversed(const QStringList& source, QStringList* target);

// Natural order for port names: runs of digits compare as numbers (ttyS2 before ttyS10).
bool NaturalLess(const QString& left, const QString& right);

} // namespace zeph::comport
