// The adapter behind a port, read from a fake sysfs and /dev tree: USB strings, driver, by-id name.
#include "PtyPair.h"

#include "comport/PortDescription.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zeph::comport;

namespace {

struct FakeTree {
    QTemporaryDir sysfs;
    QTemporaryDir dev;

    void Write(const QString& path, const QByteArray& content) {
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content + '\n');
    }
    void Link(const QString& target, const QString& link) {
        QVERIFY(QDir().mkpath(QFileInfo(link).absolutePath()));
        QVERIFY(QFile::link(target, link));
    }
    // A tty whose device sits at devicePath below sysfs/devices, bound to driver, with a node in dev.
    void Tty(const QString& name, const QString& devicePath, const QString& driver) {
        const QString device = sysfs.filePath("devices/" + devicePath);
        QVERIFY(QDir().mkpath(device));
        Link(device, sysfs.filePath("class/tty/" + name + "/device"));
        Link(sysfs.filePath("bus/drivers/" + driver), device + "/driver");
        Write(dev.filePath(name), {});
    }
    void UsbStrings(const QString& usbPath, const QByteArray& vendor, const QByteArray& product,
                    const QByteArray& maker, const QByteArray& name, const QByteArray& serial) {
        const QString usb = sysfs.filePath("devices/" + usbPath);
        Write(usb + "/idVendor", vendor);
        Write(usb + "/idProduct", product);
        Write(usb + "/manufacturer", maker);
        Write(usb + "/product", name);
        if (!serial.isEmpty()) Write(usb + "/serial", serial);
    }
};

} // namespace

class TestPortDescription : public QObject {
    Q_OBJECT
private slots:
    void describesTheAdapter_data() {
        QTest::addColumn<QString>("port"); // below the fake dev root
        QTest::addColumn<QString>("text"); // %1 stands for the fake dev root
        QTest::newRow("USB adapter with its interface between")
            << "ttyUSB0"
            << "FTDI FT232R USB UART, serial A10KZ3Q1, USB 0403:6001, driver ftdi_sio, "
               "%1/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3Q1-if00-port0";
        QTest::newRow("named by its by-id link")
            << "serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3Q1-if00-port0"
            << "FTDI FT232R USB UART, serial A10KZ3Q1, USB 0403:6001, driver ftdi_sio, "
               "%1/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3Q1-if00-port0";
        QTest::newRow("modem class, no serial number") << "ttyACM0"
                                                       << "Acme RS-485 Probe, USB 1234:5678, driver cdc_acm";
        QTest::newRow("on-board UART") << "ttyS4"
                                       << "driver serial";
        QTest::newRow("unknown to sysfs") << "ttyX9"
                                          << "";
    }
    void describesTheAdapter() {
        QFETCH(QString, port);
        QFETCH(QString, text);
        FakeTree tree;
        tree.Tty("ttyUSB0", "pci0000:00/usb1/1-2/1-2:1.0/ttyUSB0", "ftdi_sio");
        tree.UsbStrings("pci0000:00/usb1/1-2", "0403", "6001", "FTDI", "FT232R USB UART", "A10KZ3Q1");
        tree.Link(tree.dev.filePath("ttyUSB0"),
                  tree.dev.filePath("serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3Q1-if00-port0"));
        tree.Tty("ttyACM0", "pci0000:00/usb1/1-3/1-3:1.0", "cdc_acm");
        tree.UsbStrings("pci0000:00/usb1/1-3", "1234", "5678", "Acme", "RS-485 Probe", {});
        tree.Tty("ttyS4", "pnp0/00:05", "serial");
        tree.Write(tree.dev.filePath("ttyX9"), {});

        PortProbeOptions options;
        options.sysfsRoot = tree.sysfs.path();
        options.devRoot = tree.dev.path();
        QCOMPARE(DescriptionText(DescribePort(tree.dev.filePath(port), options)), text.arg(tree.dev.path()));
    }

    void simulatorPortIsAPseudoTerminal() {
        test::PtyPair pty;
        QVERIFY(pty.IsValid());
        QCOMPARE(DescriptionText(DescribePort(pty.SlavePath())), QString("pseudo-terminal"));
    }
};

QTEST_GUILESS_MAIN(TestPortDescription)
#include "tst_port_description.moc"
