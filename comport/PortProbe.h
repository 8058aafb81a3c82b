// The probe for the names of the serial ports that can be opened now, and the list helpers around it.
#pragma once

#include <QString>
#include <QStringList>

namespace zeph::comport {

struct PortProbeOptions {
    QString sysfsRoot = QStringLiteral("/sys");
    QString devRoot = QStringLiteral("/dev");
    // Ports that sysfs does not know, such as a simulator's pseudo-terminal.
    QStringList extraPaths;
};

// Appends the device paths of all serial ports that can be opened exclusively now, in natural order.
// A null list does nothing.
void ListComPorts(QStringList* list, const PortProbeOptions& options = {});

// Replaces target's entries by source's entries in reverse order; source and target may be the same.
void CopyListReversed(const QStringList& source, QStringList* target);

// Natural order for port names: runs of digits compare as numbers (ttyS2 before ttyS10).
bool NaturalLess(const QString& left, const QString& right);

} // namespace zeph::comport
