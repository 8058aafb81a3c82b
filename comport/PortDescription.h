// What the system tells about the adapter behind a serial port, so that two adapters can be told apart:
// the USB maker, product and serial number, the driver and the stable /dev/serial/by-id name.
#pragma once

#include "comport/PortProbe.h"

#include <QString>

namespace zeph::comport {

struct PortDescription {
    QString manufacturer; // USB strings, empty when the port is no USB adapter
    QString product;
    QString serialNumber;
    QString usbId;  // vendor:product, "0403:6001"
    QString driver; // "ftdi_sio", "cdc_acm", "serial8250"
    QString byId;   // the /dev/serial/by-id link that names this port, if any
    bool pseudoTerminal = false;
};

// Looks the port up in sysfs and under <devRoot>/serial/by-id; never opens it.
PortDescription DescribePort(const QString& path, const PortProbeOptions& options = {});

// One line for people: "FTDI FT232R USB UART, serial A10KZ3Q1, USB 0403:6001, driver ftdi_sio,
// /dev/serial/by-id/usb-FTDI_...", or "pseudo-terminal"; empty when nothing is known.
QString DescriptionText(const PortDescription& description);

} // namespace zeph::comport
