// SPDX-License-Identifier: MIT
// Tests of the port probe against a fake sysfs and /dev tree whose device nodes are pseudo-terminals,
// of the holder and permission rules beneath it (planted lock files too), and of the port watcher.
#include "PortProbeTest.h"
#include "PtyPair.h"

#include "common/HoldingProcess.h"
#include "comport/ComPort.h"
#include "comport/PortHolders.h"
#include "comport/PortProbe.h"
#include "comport/PortWatcher.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zeph::comport::test {

namespace {

// One tty in the fake sysfs: its name, where its device link points (empty: no link), its type file,
// whether it has a node in the fake /dev, and the USB device above it with its attribute files.
struct FakeTty {
    QString name;
    QString device;
    QString type;
    bool hasNode;
    QString usbDevice;
    QStringList usbAttributes; // name=value
};

bool WriteText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8() + '\n') > 0;
}

bool MakeFakeTty(const QString& sysfs, const FakeTty& tty) {
    const QString dir = sysfs + QStringLiteral("/class/tty/") + tty.name;
    if (!QDir().mkpath(dir)) return false;
    if (!tty.device.isEmpty()) {
        const QString target = sysfs + QStringLiteral("/devices/") + tty.device;
        if (!QDir().mkpath(target) || !QFile::link(target, dir + QStringLiteral("/device"))) return false;
    }
    if (!tty.type.isEmpty() && !WriteText(dir + QStringLiteral("/type"), tty.type)) return false;
    for (const QString& attribute : tty.usbAttributes) {
        const QString usb = sysfs + QStringLiteral("/devices/") + tty.usbDevice + QLatin1Char('/');
        if (!WriteText(usb + attribute.section('=', 0, 0), attribute.section('=', 1))) return false;
    }
    return true;
}

// Runs work on a thread of its own and waits a few seconds at most. Work stuck in the open of a FIFO is
// let go by opening the FIFO for writing, so that a regression fails the test instead of hanging it.
bool FinishesPromptly(const std::function<void()>& work, const QString& fifo) {
    std::atomic<bool> done = false;
    std::thread worker([&] {
        work();
        done = true;
    });
    const bool prompt = QTest::qWaitFor([&] { return done.load(); }, 5000);
    while (!done && !fifo.isEmpty()) {
        if (const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
            ::close(fd);
        QTest::qWait(10);
    }
    worker.join();
    return prompt;
}

// Points the whole process at a lock folder of the test's own while it lives.
struct LockFolderOfTest {
    explicit LockFolderOfTest(const QString& folder) { SetLockFolder(folder); }
    ~LockFolderOfTest() { SetLockFolder(before); }
    const QString before = LockFolder();
};

} // namespace

void PortProbeTest::scansAFakeTree() {
    QTemporaryDir sysfs;
    QTemporaryDir dev;
    QTemporaryDir locks;
    QVERIFY(sysfs.isValid() && dev.isValid() && locks.isValid());

    const QString ftdi = "pci0000:00/usb1/1-2";
    const QString arduino = "pci0000:00/usb1/1-4";
    const QList<FakeTty> ttys = {
        {"ttyS0", "pnp0/00:05/00:05:0/00:05:0.0", "4", true, {}, {}}, // behind the serial-base layer
        {"ttyS1", "pnp0/00:06", "0", true, {}, {}},                   // no UART behind it
        {"ttyS2", "platform/serial8250", "4", true, {}, {}},          // legacy placeholder
        {"ttyS10", "pci0000:00/0000:00:16.3", "4", true, {}, {}},
        {"ttyUSB0",
         ftdi + "/1-2:1.0/ttyUSB0",
         "",
         true,
         ftdi,
         {"idVendor=0403", "idProduct=6001", "manufacturer=FTDI", "product=FT232R USB UART",
          "serial=A1B2C3"}},
        {"ttyUSB1", "pci0000:00/usb1/1-3/1-3:1.0/ttyUSB1", "", false, {}, {}}, // unplugged: no node
        {"ttyUSB2", "pci0000:00/usb1/1-5/1-5:1.0/ttyUSB2", "", true, {}, {}},  // a terminal program has it
        {"ttyACM1", arduino + "/1-4:1.0", "", true, arduino, {"idVendor=2341", "idProduct=0043"}},
        {"ttyAMA0", "platform/fe201000.serial", "", true, {}, {}}, // held by a component below
        {"tty0", "", "", true, {}, {}},                            // a virtual terminal, not a serial port
    };
    std::map<QString, std::unique_ptr<PtyPair>> ptys;
    for (const FakeTty& tty : ttys) {
        QVERIFY(MakeFakeTty(sysfs.path(), tty));
        if (!tty.hasNode) continue;
        ptys[tty.name] = std::make_unique<PtyPair>();
        QVERIFY(ptys[tty.name]->IsValid());
        QVERIFY(QFile::link(ptys[tty.name]->SlavePath(), dev.filePath(tty.name)));
    }
    // The serial-base layer's own "port" driver is not the one worth naming; the UART's is.
    for (const char* driver : {"bus/serial-base/drivers/port", "bus/pnp/drivers/serial"})
        QVERIFY(QDir().mkpath(sysfs.filePath(driver)));
    QVERIFY(QFile::link(sysfs.filePath("bus/serial-base/drivers/port"),
                        sysfs.filePath("devices/pnp0/00:05/00:05:0/00:05:0.0/driver")));
    QVERIFY(
        QFile::link(sysfs.filePath("bus/pnp/drivers/serial"), sysfs.filePath("devices/pnp0/00:05/driver")));
    QVERIFY(QDir().mkpath(dev.filePath("serial/by-id")));
    const QString byId = dev.filePath("serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
    QVERIFY(QFile::link("../../ttyUSB0", byId));
    PtyPair simulator;
    QVERIFY(simulator.IsValid());
    const QString simulatorLink = dev.filePath("zeph7208");
    QVERIFY(QFile::link(simulator.SlavePath(), simulatorLink));

    TComPort component;
    component.Port = dev.filePath("ttyAMA0");
    component.Open();
    zeph::test::HoldingProcess terminalProgram(dev.filePath("ttyUSB2"));
    QVERIFY(terminalProgram.WaitUntilHolding());
    // A live program's UUCP lock hides a port; a lock left by a program that has ended does not.
    QVERIFY(WriteText(locks.filePath("LCK..ttyS10"), QString("%1").arg(terminalProgram.Pid(), 10)));
    QProcess ended;
    ended.start("true");
    QVERIFY(ended.waitForFinished(5000));
    QVERIFY(WriteText(locks.filePath("LCK..ttyS0"), QString("%1").arg(ended.processId(), 10)));

    PortProbeOptions options;
    options.sysfsRoot = sysfs.path();
    options.devRoot = dev.path();
    options.lockDir = locks.path();
    const QString notAPort = dev.filePath("notes.txt");
    QVERIFY(WriteText(notAPort, "precious"));
    const QString missing = dev.filePath("later");
    // The by-id link and the simulator's second name lead to nodes already listed: one entry each.
    options.extraPaths = {simulatorLink, simulator.SlavePath(), byId,   dev.filePath("ttyS0"),
                          notAPort,      "/dev/ptmx",           missing};

    const PortScan scan = ScanPorts(options);
    QStringList expected = {dev.filePath("ttyACM1"), dev.filePath("ttyS0"), dev.filePath("ttyUSB0"),
                            simulatorLink};
    std::sort(expected.begin(), expected.end(), NaturalLess);
    QCOMPARE(scan.Paths(), expected);

    auto port = [&](const QString& name) {
        for (const PortInfo& info : scan.ports)
            if (info.path == dev.filePath(name)) return info;
        return PortInfo{};
    };
    const PortInfo usb = port("ttyUSB0");
    QCOMPARE((QStringList{usb.kind, usb.maker, usb.product, usb.serial, usb.byId}),
             (QStringList{"USB serial adapter", "FTDI", "FT232R USB UART", "A1B2C3", byId}));
    QVERIFY2(usb.Details().contains("\nSerial number: A1B2C3\n"), qPrintable(usb.Details()));
    // Without the adapter's texts, its numbers say what it is.
    QCOMPARE((QStringList{port("ttyACM1").maker, port("ttyACM1").product}), (QStringList{"2341", "0043"}));
    QCOMPARE(port("ttyS0").kind, QString("Serial port, driver serial"));
    const PortInfo sim = port("zeph7208");
    QCOMPARE((QStringList{sim.kind, sim.target, sim.deviceEnd}),
             (QStringList{"Pseudo-terminal", simulator.SlavePath(), "this program"}));

    QStringList hidden;
    for (const HiddenPort& port : scan.hidden)
        hidden << port.path + " | " + port.detail;
    QCOMPARE(hidden,
             (QStringList{dev.filePath("ttyAMA0") + " | this program", dev.filePath("ttyS10") + " | sleep",
                          dev.filePath("ttyUSB2") + " | sleep", notAPort + " | ",
                          "/dev/ptmx | it makes a new pseudo-terminal at every open", missing + " | "}));
    QCOMPARE(scan.HintLine(), "6 ports hidden: in use by this program; in use by sleep; " + notAPort +
                                  " is not a serial port; /dev/ptmx is not a serial port (it makes a new "
                                  "pseudo-terminal at every open); " +
                                  missing + " not found");
    QVERIFY(scan.HintDetails().startsWith(dev.filePath("ttyAMA0") + ": in use by this program\n"));

    // Released, the component's port is offered again; the probe itself never held anything.
    component.Close();
    QVERIFY(ScanPorts(options).Paths().contains(dev.filePath("ttyAMA0")));
    QStringList list{"already there"};
    ListComPorts(&list, options);
    ListComPorts(nullptr, options);
    QCOMPARE(list.first(), QString("already there"));
    QCOMPARE(list.size(), 1 + expected.size() + 1);
    QCOMPARE(PortScan{}.HintLine(), QString());
}

void PortProbeTest::heldPorts_data() {
    // "named" with --port, found by "sysfs", or "both" (named by another of its names)
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("lockFile");  // planted in the lock folder: "fifo", "link", "lock" or none
    QTest::addColumn<bool>("otherProgram"); // another process holds the port open
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("holders");
    QTest::addColumn<QString>("refusal"); // of the open, and the listed port's mark; %1: the other's PID
    const QString other = "In use by another program: sleep (PID %1).";
    QTest::newRow("FIFO as lock file") << "named"
                                       << "fifo" << false << true << ""
                                       << "";
    // The link leads to a lock of this very process: followed, it would count.
    QTest::newRow("link as lock file") << "named"
                                       << "link" << false << true << ""
                                       << "";
    QTest::newRow("lock file of a live program") << "named"
                                                 << "lock" << false << false << "this program"
                                                 << "In use by this program.";
    QTest::newRow("named, held by another program") << "named"
                                                    << "" << true << true << "sleep" << other;
    QTest::newRow("found by sysfs, held by another program") << "sysfs"
                                                             << "" << true << false << "sleep" << other;
    QTest::newRow("found by sysfs, named by another name, held by another program")
        << "both"
        << "" << true << true << "sleep" << other;
}

void PortProbeTest::heldPorts() {
    QFETCH(QString, source);
    QFETCH(QString, lockFile);
    QFETCH(bool, otherProgram);
    QFETCH(bool, listed);
    QFETCH(QString, holders);
    QFETCH(QString, refusal);
    QTemporaryDir sysfs;
    QTemporaryDir dev;
    QTemporaryDir locks;
    PtyPair pty;
    QVERIFY(sysfs.isValid() && dev.isValid() && locks.isValid() && pty.IsValid());
    // Read by the probe's default and by the open's checks alike.
    const LockFolderOfTest lockFolder(locks.path());

    QString path = pty.SlavePath();
    PortProbeOptions options;
    options.sysfsRoot = sysfs.path();
    options.devRoot = dev.path();
    if (source != "named") {
        path = dev.filePath("ttyUSB9");
        QVERIFY(QFile::link(pty.SlavePath(), path));
        QVERIFY(MakeFakeTty(sysfs.path(), {"ttyUSB9", "pci0000:00/usb1/1-9/1-9:1.0", "", true, {}, {}}));
    }
    if (source != "sysfs") options.extraPaths = {pty.SlavePath()};

    const QString lockPath = locks.filePath("LCK.." + pty.SlavePath().mid(5).replace('/', '_'));
    const QString ownLock = QString("%1").arg(::getpid(), 10);
    QString fifo;
    if (lockFile == "fifo") {
        fifo = lockPath;
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    } else if (lockFile == "link") {
        QVERIFY(WriteText(locks.filePath("elsewhere"), ownLock));
        QVERIFY(QFile::link(locks.filePath("elsewhere"), lockPath));
    } else if (lockFile == "lock") {
        QVERIFY(WriteText(lockPath, ownLock));
    }
    std::optional<zeph::test::HoldingProcess> process;
    if (otherProgram) {
        process.emplace(pty.SlavePath());
        QVERIFY(process->WaitUntilHolding());
        refusal = refusal.arg(process->Pid());
    }

    PortScan scan;
    QString refused;
    QString found;
    const bool prompt = FinishesPromptly(
        [&] {
            scan = ScanPorts(options);
            refused = RefusalBeforeOpen(path);
            found = HolderNames(HolderIndex::Scan().HoldersOf(InspectNode(path)));
        },
        fifo);
    QVERIFY2(prompt, "blocked on the lock folder");

    QCOMPARE(found, holders);
    QCOMPARE(refused, refusal);
    QCOMPARE(scan.Paths().contains(path), listed);
    if (listed) {
        QCOMPARE(scan.ports.first().inUse, refusal);
        QCOMPARE(scan.ports.first().Details().section('\n', 0, 0),
                 refusal.isEmpty() ? "Pseudo-terminal" : refusal);
    } else {
        QCOMPARE(scan.hidden, (QList<HiddenPort>{{path, HiddenReason::InUse, holders}}));
    }
}

void PortProbeTest::permissionAdvice_data() {
    QTest::addColumn<bool>("groupMayUse");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<bool>("inProcess");
    QTest::addColumn<QString>("advice");
    QTest::newRow("not in the group")
        << true << false << false << "add your user to the group dialout, then log in again";
    QTest::newRow("added, not logged in again")
        << true << true << false << "log in again to use the group dialout";
    QTest::newRow("in the group, still refused")
        << true << true << true << "ask the administrator for access";
    QTest::newRow("the group may not use it")
        << false << false << false << "only its owner root may open it; ask the administrator for access";
}

void PortProbeTest::permissionAdvice() {
    QFETCH(bool, groupMayUse);
    QFETCH(bool, listed);
    QFETCH(bool, inProcess);
    QFETCH(QString, advice);
    QCOMPARE(PermissionAdviceText({"root", "dialout", groupMayUse, listed, inProcess}), advice);
}

void PortProbeTest::procLocks_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<qint64>>("pids");
    QTest::addColumn<QList<quint64>>("inodes");
    QTest::newRow("flock and posix")
        << QByteArray(
               "1: FLOCK  ADVISORY  WRITE 4242 00:19:7 0 EOF\n2: POSIX  ADVISORY  WRITE 17 fd:01:123 0 EOF\n")
        << QList<qint64>{4242, 17} << QList<quint64>{7, 123};
    QTest::newRow("a waiter holds nothing")
        << QByteArray(
               "3: FLOCK  ADVISORY  WRITE 5 00:19:8 0 EOF\n3: -> FLOCK  ADVISORY  WRITE 6 00:19:8 0 EOF\n")
        << QList<qint64>{5} << QList<quint64>{8};
    QTest::newRow("open file description lock")
        << QByteArray("4: OFDLCK ADVISORY  READ  -1 00:06:9 0 EOF") << QList<qint64>{-1} << QList<quint64>{9};
    QTest::newRow("garbage") << QByteArray("nothing here\n\n1: FLOCK x y z") << QList<qint64>{}
                             << QList<quint64>{};
}

void PortProbeTest::procLocks() {
    QFETCH(QByteArray, text);
    QFETCH(QList<qint64>, pids);
    QFETCH(QList<quint64>, inodes);
    QList<qint64> gotPids;
    QList<quint64> gotInodes;
    for (const LockEntry& lock : ParseProcLocks(text)) {
        gotPids << lock.pid;
        gotInodes << lock.inode;
    }
    QCOMPARE(gotPids, pids);
    QCOMPARE(gotInodes, inodes);
    // The file system's numbers are hexadecimal.
    if (text.contains("fd:01")) QCOMPARE(ParseProcLocks(text).at(1).major, 0xfdu);
}

void PortProbeTest::uucpLock_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("pid");
    QTest::newRow("ten digits and a line feed") << QByteArray("      4242\n") << qint64(4242);
    QTest::newRow("binary") << QByteArray("\x92\x10\x00\x00", 4) << qint64(4242);
    QTest::newRow("empty") << QByteArray() << qint64(0);
    QTest::newRow("negative") << QByteArray("-3\n") << qint64(0);
    QTest::newRow("text") << QByteArray("locked by me\n") << qint64(0);
}

void PortProbeTest::uucpLock() {
    QFETCH(QByteArray, content);
    QFETCH(qint64, pid);
    QCOMPARE(ParseUucpLock(content), pid);
}

void PortProbeTest::watcherWakesOnlyForChanges() {
    QTemporaryDir dev;
    QTemporaryDir elsewhere;
    const QString link = elsewhere.filePath("links/zeph7208");
    PortProbeOptions options;
    options.devRoot = dev.path();
    options.extraPaths = {link};
    PortWatcher watcher(options);
    QSignalSpy changed(&watcher, &PortWatcher::PortsMayHaveChanged);
    // The folder of the given link does not exist yet: its parent stands in for it.
    auto sorted = [](QStringList folders) {
        folders.sort();
        return folders;
    };
    QCOMPARE(watcher.WatchedFolders(), sorted({dev.path(), elsewhere.path()}));

    // Idle time is the thing measured here, so this one waits fixed seconds.
    QTest::qWait(2000);
    QCOMPARE(watcher.WakeUps(), 0);

    PtyPair pty;
    QVERIFY(QFile::link(pty.SlavePath(), dev.filePath("ttyUSB0")));
    QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 1, 2000);
    // Folders that appear are watched from then on, and so is the folder a given link leads to.
    QVERIFY(QDir().mkpath(dev.filePath("serial/by-id")));
    QVERIFY(QFile::link("../../ttyUSB0", dev.filePath("serial/by-id/usb-x")));
    QVERIFY(QDir().mkpath(elsewhere.filePath("links")));
    QVERIFY(QFile::link(pty.SlavePath(), link));
    QTRY_VERIFY_WITH_TIMEOUT(changed.size() >= 2, 2000);
    QCOMPARE(watcher.WatchedFolders(),
             sorted({dev.path(), dev.filePath("serial"), dev.filePath("serial/by-id"),
                     elsewhere.filePath("links"), "/dev/pts"}));
    // /dev/pts is shared with every terminal on the machine: count from here on.
    changed.clear();
    QVERIFY(QFile::remove(dev.filePath("serial/by-id/usb-x")));
    QTRY_VERIFY_WITH_TIMEOUT(changed.size() >= 1, 2000);
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
