// Tests of the port probe against a fake sysfs tree whose device nodes are pseudo-terminals.
#include "PortProbeTest.h"
#include "PtyPair.h"

#include "comport/ComPort.h"
#include "comport/PortProbe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

namespace zeph::comport::test {

namespace {

// One tty in the fake sysfs: its name, where its device link points (empty: no link) and its type file.
struct FakeTty {
    QString name;
    QString device;
    QString type;
    bool hasNode;
};

bool MakeFakeTty(const QString& sysfs, const FakeTty& tty) {
    const QString dir = sysfs + QStringLiteral("/class/tty/") + tty.name;
    if (!QDir().mkpath(dir)) return false;
    if (!tty.device.isEmpty()) {
        const QString target = sysfs + QStringLiteral("/devices/") + tty.device;
        if (!QDir().mkpath(target) || !QFile::link(target, dir + QStringLiteral("/device"))) return false;
    }
    if (!tty.type.isEmpty()) {
        QFile type(dir + QStringLiteral("/type"));
        if (!type.open(QIODevice::WriteOnly)) return false;
        type.write(tty.type.toLatin1() + '\n');
    }
    return true;
}

} // namespace

void PortProbeTest::listsOpenableSerialPorts() {
    QTemporaryDir sysfs;
    QTemporaryDir dev;
    QVERIFY(sysfs.isValid() && dev.isValid());

    const QList<FakeTty> ttys = {
        {"ttyS0", "pnp0/00:05", "4", true},
        {"ttyS1", "pnp0/00:06", "0", true},          // no UART behind it
        {"ttyS2", "platform/serial8250", "4", true}, // legacy placeholder
        {"ttyS10", "pci0000:00/0000:00:16.3", "4", true},
        {"ttyUSB0", "pci0000:00/usb1/1-2/1-2:1.0/ttyUSB0", "", true},
        {"ttyUSB1", "pci0000:00/usb1/1-3/1-3:1.0/ttyUSB1", "", false}, // unplugged: no node
        {"ttyACM1", "pci0000:00/usb1/1-4/1-4:1.0", "", true},
        {"ttyAMA0", "platform/fe201000.serial", "", true}, // held by a component below
        {"tty0", "", "", true},                            // a virtual terminal, not a serial port
    };
    std::map<QString, std::unique_ptr<PtyPair>> ptys;
    for (const FakeTty& tty : ttys) {
        QVERIFY(MakeFakeTty(sysfs.path(), tty));
        if (!tty.hasNode) continue;
        ptys[tty.name] = std::make_unique<PtyPair>();
        QVERIFY(ptys[tty.name]->IsValid());
        QVERIFY(QFile::link(ptys[tty.name]->SlavePath(), dev.filePath(tty.name)));
    }
    PtyPair simulator;
    QVERIFY(simulator.IsValid());

    TComPort holder;
    holder.Port = dev.filePath(QStringLiteral("ttyAMA0"));
    holder.Open();

    PortProbeOptions options;
    options.sysfsRoot = sysfs.path();
    options.devRoot = dev.path();
    // A regular file given as a port is no terminal and is never offered.
    QFile notAPort(dev.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notAPort.open(QIODevice::WriteOnly));
    options.extraPaths = {simulator.SlavePath(), dev.filePath(QStringLiteral("ttyS0")), notAPort.fileName()};

    QStringList list{QStringLiteral("already there")};
    ListComPorts(&list, options);
    ListComPorts(nullptr, options);

    QCOMPARE(list.first(), QStringLiteral("already there"));
    QCOMPARE(list.count(simulator.SlavePath()), 1);
    QStringList fromDev = list.filter(dev.path() + QLatin1Char('/'));
    const QStringList expected = {dev.filePath("ttyACM1"), dev.filePath("ttyS0"), dev.filePath("ttyS10"),
                                  dev.filePath("ttyUSB0")};
    QCOMPARE(fromDev, expected);
    QCOMPARE(list.size(), 1 + 1 + expected.size());

    // The probe let go of every port it tried, and the held one becomes listable once released.
    TComPort user;
    user.Port = dev.filePath(QStringLiteral("ttyS10"));
    user.Open();
    QVERIFY(user.IsOpen());
    user.Close();
    holder.Close();
    QStringList later;
    ListComPorts(&later, options);
    QVERIFY(later.contains(dev.filePath(QStringLiteral("ttyAMA0"))));
}

void PortProbeTest::naturalOrder_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("less");

    QTest::newRow("2 < 10") << "/dev/ttyS2"
                            << "/dev/ttyS10" << true;
    QTest::newRow("10 > 2") << "/dev/ttyS10"
                            << "/dev/ttyS2" << false;
    QTest::newRow("pts 3 < 12") << "/dev/pts/3"
                                << "/dev/pts/12" << true;
    QTest::newRow("equal") << "/dev/ttyS1"
                           << "/dev/ttyS1" << false;
    QTest::newRow("prefix first") << "/dev/ttyS"
                                  << "/dev/ttyS0" << true;
    QTest::newRow("text decides before number") << "/dev/ttyACM9"
                                                << "/dev/ttyS0" << true;
    QTest::newRow("more digits than a long holds") << "/dev/x99999999999999999999"
                                                   << "/dev/x100000000000000000000" << true;
    QTest::newRow("leading zeros after the same value") << "/dev/ttyS1"
                                                        << "/dev/ttyS01" << true;
    QTest::newRow("leading zeros do not inflate") << "/dev/ttyS002"
                                                  << "/dev/ttyS10" << true;
    QTest::newRow("second number decides") << "/dev/usb1-2"
                                           << "/dev/usb1-10" << true;
}

void PortProbeTest::naturalOrder() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, less);
    QCOMPARE(NaturalLess(left, right), less);
    if (less) QVERIFY(!NaturalLess(right, left));
}

void PortProbeTest::copyListReversed_data() {
    QTest::addColumn<QStringList>("source");
    QTest::addColumn<bool>("sameList");
    QTest::addColumn<QStringList>("expected");

    const QStringList ports{"/dev/ttyS0", "/dev/ttyS3", "/dev/ttyS12"};
    const QStringList reversed{"/dev/ttyS12", "/dev/ttyS3", "/dev/ttyS0"};
    QTest::newRow("into another list") << ports << false << reversed;
    QTest::newRow("in place") << ports << true << reversed;
    QTest::newRow("odd count in place")
        << QStringList{"a", "b", "c", "d", "e"} << true << QStringList{"e", "d", "c", "b", "a"};
    QTest::newRow("empty") << QStringList{} << false << QStringList{};
}

void PortProbeTest::copyListReversed() {
    QFETCH(QStringList, source);
    QFETCH(bool, sameList);
    QFETCH(QStringList, expected);

    QStringList target{"old entry"};
    if (sameList) {
        CopyListReversed(source, &source);
        QCOMPARE(source, expected);
    } else {
        CopyListReversed(source, &target);
        QCOMPARE(target, expected);
    }
}

} // namespace zeph::comport::test
