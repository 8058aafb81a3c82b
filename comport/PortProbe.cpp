// SPDX-License-Identifier: MIT
// The port probe on Linux: serial ttys that sysfs knows, plus given extra paths, judged without opening
// them, with the adapter's maker, product, serial number and stable name for each.
#include "comport/PortProbe.h"
#include "comport/PortHolders.h"
#include "comport/PortNode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <sys/sysmacros.h>

namespace zeph::comport {

namespace {

struct Candidate {
    QString path;
    QString ttyDir; // the tty's folder in sysfs, when the candidate came from there
    bool given;     // named on the command line: tell the user when it cannot be offered
};

// A ttyS node may exist with no UART behind it. Opening a real port moves DTR and RTS, so placeholders
// are recognised from sysfs alone.
bool IsPlaceholder(const QString& ttyDir) {
    QFile typeFile(ttyDir + QStringLiteral("/type"));
    if (typeFile.open(QIODevice::ReadOnly) && typeFile.readAll().trimmed() == "0") return true;

    const QFileInfo device(ttyDir + QStringLiteral("/device"));
    QString target = device.canonicalFilePath();
    if (target.isEmpty()) target = device.symLinkTarget();
    return target.split(QLatin1Char('/')).contains(QStringLiteral("serial8250"));
}

QList<Candidate> SysfsCandidates(const PortProbeOptions& options) {
    QList<Candidate> candidates;
    const QDir classDir(options.sysfsRoot + QStringLiteral("/class/tty"));
    QStringList names = classDir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), NaturalLess);
    for (const QString& name : std::as_const(names)) {
        const QString ttyDir = classDir.filePath(name);
        const QFileInfo device(ttyDir + QStringLiteral("/device"));
        // Virtual terminals and the like have no device behind them.
        if (!device.exists() && !device.isSymLink()) continue;
        if (IsPlaceholder(ttyDir)) continue;
        candidates.append({options.devRoot + QLatin1Char('/') + name, ttyDir, false});
    }
    return candidates;
}

QString ReadAttribute(const QString& dir, const char* name) {
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(256)).trimmed() : QString();
}

// The stable names udev gives serial devices, by device number.
QHash<quint64, QString> StableNames(const PortProbeOptions& options) {
    QHash<quint64, QString> names;
    const QDir byId(options.devRoot + QStringLiteral("/serial/by-id"));
    const QStringList links =
        byId.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& link : links) {
        const PortNode node = InspectNode(byId.filePath(link));
        if (node.IsPort() && !names.contains(node.rdev)) names.insert(node.rdev, byId.filePath(link));
    }
    return names;
}

// "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0" reads "FTDI FT232R USB UART A1B2C3".
QString ProductFromStableName(const QString& byId) {
    QString name = QFileInfo(byId).fileName();
    if (name.startsWith(QStringLiteral("usb-"))) name = name.mid(4);
    if (const qsizetype interfacePart = name.lastIndexOf(QStringLiteral("-if")); interfacePart > 0)
        name.truncate(interfacePart);
    return name.replace(QLatin1Char('_'), QLatin1Char(' '));
}

// Fills in what sysfs says of the device behind a tty: the USB device it hangs off, or its driver.
void DescribeFromSysfs(const QString& ttyDir, const QString& sysfsRoot, PortInfo* info) {
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    QString dir = QFileInfo(ttyDir + QStringLiteral("/device")).canonicalFilePath();
    while (!dir.isEmpty() && dir.startsWith(root) && dir.size() > root.size()) {
        if (QFile::exists(dir + QStringLiteral("/idVendor"))) {
            info->kind = QCoreApplication::translate("Port", "USB serial adapter");
            info->maker = ReadAttribute(dir, "manufacturer");
            info->product = ReadAttribute(dir, "product");
            info->serial = ReadAttribute(dir, "serial");
            if (info->maker.isEmpty()) info->maker = ReadAttribute(dir, "idVendor");
            if (info->product.isEmpty()) info->product = ReadAttribute(dir, "idProduct");
            return;
        }
        dir = QFileInfo(dir).path();
    }
    // Newer kernels put a serial-base "port" and "ctrl" device between the tty and its UART: the driver
    // worth naming is the UART's ("serial", "8250_dw", "exar_serial").
    for (QString up = QFileInfo(ttyDir + QStringLiteral("/device")).canonicalFilePath();
         up.startsWith(root) && up.size() > root.size(); up = QFileInfo(up).path()) {
        const QString driver =
            QFileInfo(QFileInfo(up + QStringLiteral("/driver")).canonicalFilePath()).fileName();
        if (driver.isEmpty() || driver == QLatin1String("port") || driver == QLatin1String("ctrl")) continue;
        info->kind = QCoreApplication::translate("Port", "Serial port, driver %1").arg(driver);
        return;
    }
}

QString HolderList(const QList<PortHolder>& holders) {
    QStringList parts;
    for (const PortHolder& holder : holders)
        parts << (holder.self ? QCoreApplication::translate("Port", "this program")
                              : QStringLiteral("%1 (PID %2)").arg(holder.program).arg(holder.pid));
    return parts.join(QStringLiteral(", "));
}

PortInfo Describe(const Candidate& candidate, const PortNode& node, const PortProbeOptions& options,
                  const QHash<quint64, QString>& stableNames, const HolderIndex& holders) {
    PortInfo info;
    info.path = candidate.path;
    info.byId = stableNames.value(node.rdev);
    const bool pseudoTerminal = candidate.ttyDir.isEmpty() && node.kind == NodeKind::PseudoTerminal;
    info.kind = pseudoTerminal ? QCoreApplication::translate("Port", "Pseudo-terminal")
                               : QCoreApplication::translate("Port", "Serial port");
    QString ttyDir = candidate.ttyDir;
    if (ttyDir.isEmpty()) {
        const QString byNumber = QStringLiteral("%1/dev/char/%2:%3")
                                     .arg(options.sysfsRoot)
                                     .arg(::major(node.rdev))
                                     .arg(::minor(node.rdev));
        if (QFileInfo::exists(byNumber)) ttyDir = byNumber;
    }
    if (!ttyDir.isEmpty()) DescribeFromSysfs(ttyDir, options.sysfsRoot, &info);
    if (info.maker.isEmpty() && info.product.isEmpty() && !info.byId.isEmpty()) {
        info.kind = QCoreApplication::translate("Port", "USB serial adapter");
        info.product = ProductFromStableName(info.byId);
    }
    const QString real = QFileInfo(candidate.path).canonicalFilePath();
    if (real != QFileInfo(candidate.path).absoluteFilePath()) info.target = real;
    if (pseudoTerminal) info.deviceEnd = HolderList(holders.DeviceEndOf(node));
    return info;
}

// One run of digits or of other characters, starting at position.
QStringView NextRun(const QString& text, qsizetype position) {
    const bool digits = text.at(position).isDigit();
    qsizetype end = position;
    while (end < text.size() && text.at(end).isDigit() == digits)
        ++end;
    return QStringView(text).mid(position, end - position);
}

// Compares two digit runs by value, any length; equal values with more leading zeros come later.
int CompareNumbers(QStringView left, QStringView right) {
    auto stripped = [](QStringView run) {
        while (run.size() > 1 && run.front() == QLatin1Char('0'))
            run = run.mid(1);
        return run;
    };
    const QStringView a = stripped(left);
    const QStringView b = stripped(right);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    if (const int byDigits = a.compare(b); byDigits != 0) return byDigits;
    return int(left.size() - right.size());
}

} // namespace

bool NaturalLess(const QString& left, const QString& right) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < left.size() && j < right.size()) {
        const QStringView a = NextRun(left, i);
        const QStringView b = NextRun(right, j);
        const bool aDigits = a.front().isDigit();
        const bool bDigits = b.front().isDigit();
        int order;
        if (aDigits && bDigits)
            order = CompareNumbers(a, b);
        else if (aDigits != bDigits)
            order = aDigits ? -1 : 1;
        else
            order = a.compare(b);
        if (order != 0) return order < 0;
        i += a.size();
        j += b.size();
    }
    return (left.size() - i) < (right.size() - j);
}

PortScan ScanPorts(const PortProbeOptions& options) {
    QList<Candidate> candidates = SysfsCandidates(options);
    for (const QString& path : options.extraPaths)
        candidates.append({path, QString(), true});
    const QHash<quint64, QString> stableNames = StableNames(options);
    const HolderIndex holders = HolderIndex::Scan(options.lockDir);
    // The ports the user named, by device, whichever name sysfs or the user gave them.
    QList<quint64> namedDevices;
    for (const QString& path : options.extraPaths)
        if (const PortNode node = InspectNode(path); node.IsPort()) namedDevices << node.rdev;

    PortScan scan;
    QList<quint64> seenDevices;
    QStringList seenPaths;
    for (const Candidate& candidate : std::as_const(candidates)) {
        if (seenPaths.contains(candidate.path)) continue;
        seenPaths << candidate.path;
        const PortNode node = InspectNode(candidate.path);
        if (!node.IsPort()) {
            // A sysfs tty without a node is on its way in or out; only a name the user gave is reported.
            if (!candidate.given) continue;
            if (node.kind == NodeKind::Missing)
                scan.hidden.append({candidate.path, HiddenReason::NotPresent, QString()});
            else if (node.kind == NodeKind::Multiplexer)
                scan.hidden.append(
                    {candidate.path, HiddenReason::NotAPort,
                     QCoreApplication::translate("Port", "it makes a new pseudo-terminal at every open")});
            else
                scan.hidden.append({candidate.path, HiddenReason::NotAPort, QString()});
            continue;
        }
        // Another name of a node already judged (a by-id link, a simulator's link) adds nothing.
        if (seenDevices.contains(node.rdev)) continue;
        seenDevices << node.rdev;
        if (!MayOpen(candidate.path)) {
            scan.hidden.append(
                {candidate.path, HiddenReason::NoPermission, PermissionAdviceText(PermissionFactsOf(node))});
            continue;
        }
        QString inUse;
        if (const QList<PortHolder> users = holders.HoldersOf(node); !users.isEmpty()) {
            // Left out, a port the user named would be quietly replaced by another one in the window's
            // choice, and a write meant for one device would go to another. So it stays, marked, and its
            // open says who has it. One that only this program holds is open here already.
            const bool others =
                std::any_of(users.cbegin(), users.cend(), [](const PortHolder& user) { return !user.self; });
            if (!others || !namedDevices.contains(node.rdev)) {
                scan.hidden.append({candidate.path, HiddenReason::InUse, HolderNames(users)});
                continue;
            }
            inUse = InUseText(users);
        }
        scan.ports.append(Describe(candidate, node, options, stableNames, holders));
        scan.ports.last().inUse = inUse;
    }
    std::sort(scan.ports.begin(), scan.ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return NaturalLess(a.path, b.path); });
    return scan;
}

void ListComPorts(QStringList* list, const PortProbeOptions& options) {
    if (!list) return;
    for (const QString& path : ScanPorts(options).Paths())
        if (!list->contains(path)) list->append(path);
}

QStringList PortScan::Paths() const {
    QStringList paths;
    for (const PortInfo& port : ports)
        paths << port.path;
    return paths;
}

QString PortInfo::Details() const {
    QStringList lines{kind};
    if (!inUse.isEmpty()) lines.prepend(inUse);
    if (!maker.isEmpty()) lines << QCoreApplication::translate("Port", "Maker: %1").arg(maker);
    if (!product.isEmpty()) lines << QCoreApplication::translate("Port", "Product: %1").arg(product);
    if (!serial.isEmpty()) lines << QCoreApplication::translate("Port", "Serial number: %1").arg(serial);
    if (!byId.isEmpty()) lines << QCoreApplication::translate("Port", "Stable name: %1").arg(byId);
    if (!target.isEmpty()) lines << QCoreApplication::translate("Port", "Leads to: %1").arg(target);
    if (!deviceEnd.isEmpty()) lines << QCoreApplication::translate("Port", "Device end: %1").arg(deviceEnd);
    return lines.join(QLatin1Char('\n'));
}

QString HiddenPort::Text() const {
    switch (reason) {
    case HiddenReason::NoPermission:
        return QCoreApplication::translate("Port", "no permission — %1").arg(detail);
    case HiddenReason::InUse:
        return QCoreApplication::translate("Port", "in use by %1").arg(detail);
    case HiddenReason::NotAPort:
        if (detail.isEmpty()) return QCoreApplication::translate("Port", "%1 is not a serial port").arg(path);
        return QCoreApplication::translate("Port", "%1 is not a serial port (%2)").arg(path, detail);
    case HiddenReason::NotPresent:
        break;
    }
    return QCoreApplication::translate("Port", "%1 not found").arg(path);
}

QString PortScan::HintLine() const {
    if (hidden.isEmpty()) return {};
    QStringList reasons;
    for (const HiddenPort& port : hidden)
        if (!reasons.contains(port.Text())) reasons << port.Text();
    const qsizetype count = hidden.size();
    const QString list = reasons.join(QStringLiteral("; "));
    if (count == 1) return QCoreApplication::translate("Port", "1 port hidden: %1").arg(list);
    return QCoreApplication::translate("Port", "%1 ports hidden: %2").arg(count).arg(list);
}

QString PortScan::HintDetails() const {
    QStringList lines;
    for (const HiddenPort& port : hidden) {
        const bool named = port.reason == HiddenReason::NotAPort || port.reason == HiddenReason::NotPresent;
        lines << (named ? port.Text() : port.path + QStringLiteral(": ") + port.Text());
    }
    return lines.join(QLatin1Char('\n'));
}

void CopyListReversed(const QStringList& source, QStringList* target) {
    if (!target) return;
    QStringList reversed(source.crbegin(), source.crend());
    *target = std::move(reversed);
}

} // namespace zeph::comport
