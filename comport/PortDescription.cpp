// The adapter behind a serial port, from sysfs and /dev/serial/by-id.
#include "comport/PortDescription.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace zeph::comport {

namespace {

QString ReadAttribute(const QString& directory, const char* name) {
    QFile file(directory + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.read(256)).trimmed();
}

// The USB device a tty hangs below: the nearest directory up the tree that carries a vendor id.
QString UsbDeviceDirectory(const QString& deviceDirectory, const QString& sysfsRoot) {
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    for (QDir directory(deviceDirectory); directory.absolutePath().startsWith(root + QLatin1Char('/'));) {
        if (QFileInfo::exists(directory.filePath(QStringLiteral("idVendor"))))
            return directory.absolutePath();
        if (!directory.cdUp()) break;
    }
    return {};
}

QString ByIdLink(const QString& canonicalPort, const QString& devRoot) {
    const QDir byId(devRoot + QStringLiteral("/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (link.isSymLink() && link.canonicalFilePath() == canonicalPort) return link.absoluteFilePath();
    }
    return {};
}

} // namespace

PortDescription DescribePort(const QString& path, const PortProbeOptions& options) {
    PortDescription description;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    QString ttyDirectory = options.sysfsRoot + QStringLiteral("/class/tty/") + QFileInfo(path).fileName();
    if (!QFileInfo::exists(ttyDirectory + QStringLiteral("/device")) && !canonical.isEmpty())
        ttyDirectory = options.sysfsRoot + QStringLiteral("/class/tty/") + QFileInfo(canonical).fileName();
    const QFileInfo device(ttyDirectory + QStringLiteral("/device"));
    if (device.exists()) {
        description.driver =
            QFileInfo(QFileInfo(device.filePath() + QStringLiteral("/driver")).symLinkTarget()).fileName();
        const QString usb = UsbDeviceDirectory(device.canonicalFilePath(), options.sysfsRoot);
        if (!usb.isEmpty()) {
            description.manufacturer = ReadAttribute(usb, "manufacturer");
            description.product = ReadAttribute(usb, "product");
            description.serialNumber = ReadAttribute(usb, "serial");
            const QString vendor = ReadAttribute(usb, "idVendor");
            if (!vendor.isEmpty())
                description.usbId = vendor + QLatin1Char(':') + ReadAttribute(usb, "idProduct");
        }
    } else {
        // A simulator's port, or one behind a driver that sysfs does not show as a serial device.
        description.pseudoTerminal = canonical.startsWith(QStringLiteral("/dev/pts/"));
    }
    if (!canonical.isEmpty()) description.byId = ByIdLink(canonical, options.devRoot);
    return description;
}

QString DescriptionText(const PortDescription& description) {
    QStringList parts;
    const QString name = QStringList({description.manufacturer, description.product}).join(QLatin1Char(' '));
    if (!name.trimmed().isEmpty()) parts << name.trimmed();
    if (!description.serialNumber.isEmpty()) parts << QStringLiteral("serial ") + description.serialNumber;
    if (!description.usbId.isEmpty()) parts << QStringLiteral("USB ") + description.usbId;
    if (!description.driver.isEmpty()) parts << QStringLiteral("driver ") + description.driver;
    if (description.pseudoTerminal) parts << QStringLiteral("pseudo-terminal");
    if (!description.byId.isEmpty()) parts << description.byId;
    return parts.join(QStringLiteral(", "));
}

} // namespace zeph::comport
