// SPDX-License-Identifier: MIT
// Tests of the serial port component over real pseudo-terminal pairs.
#include "ComPortTest.h"
#include "PtyPair.h"

#include "common/HoldingProcess.h"
#include "comport/ComPort.h"
#include "comport/PortIo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <optional>
#include <termios.h>
#include <thread>

namespace zeph::comport::test {

namespace {

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// A raw-mode component on the pair's slave whose deliveries land in received.
void OpenRaw(TComPort& port, const PtyPair& pty, QList<QByteArray>& received) {
    port.Port = pty.SlavePath();
    port.ReceiveMode = rmRAW;
    port.ReceiveCallBack = [&received](const QByteArray& data) { received << data; };
    port.Open();
}

} // namespace

void ComPortTest::openAndWrite() {
    PtyPair pty;
    QVERIFY(pty.IsValid());
    TComPort port;
    port.Port = pty.SlavePath();
    port.Baud = 19200;
    port.Open();
    QVERIFY(port.IsOpen());
    port.SetDTR(true); // a pseudo-terminal has no modem lines; that must not disturb anything
    port.SetRTS(false);

    const QByteArray data("\x00\x4F\x8A\xCF\xFF\r\n", 7);
    port.Write(data);
    QByteArray seen;
    QTRY_COMPARE_WITH_TIMEOUT((seen += pty.Receive()), data, 5000);
}

// A device that sends its answer a few characters at a time, faster than a character time apart, is
// heard as one stretch: the window is not woken for every few characters.
void ComPortTest::stretchIsHandedOverInOnePiece() {
    PtyPair pty;
    TComPort port;
    port.Baud = 19200;
    QList<QByteArray> received;
    OpenRaw(port, pty, received);
    QVERIFY(port.IsOpen());
    const QByteArray stretch = QByteArray(160, char(0x85));
    std::thread device([&pty, &stretch] {
        timespec next{};
        ::clock_gettime(CLOCK_MONOTONIC, &next);
        for (qsizetype at = 0; at < stretch.size(); at += 4) {
            pty.Send(stretch.mid(at, 4));
            next.tv_nsec += 300'000; // 0.3 ms, less than a character time at 19200 baud
            if (next.tv_nsec >= 1'000'000'000) {
                next.tv_nsec -= 1'000'000'000;
                ++next.tv_sec;
            }
            ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
    });
    QTRY_COMPARE_WITH_TIMEOUT(received.join().size(), stretch.size(), 5000);
    device.join();
    // 40 writes over 12 ms: the hold limit cuts them in three; a loaded machine may split them a little
    // more, but never anywhere near one hand-over per write.
    QVERIFY2(received.size() <= 8, qPrintable(QString::number(received.size())));
    QCOMPARE(received.join(), stretch);
}

void ComPortTest::largeWriteDoesNotBlock() {
    PtyPair pty;
    TComPort port;
    port.Port = pty.SlavePath();
    port.Open();

    // Far more than a pseudo-terminal buffers: the rest must follow later, in order, without the
    // caller waiting for the other side to read.
    QByteArray data(512 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char((i * 7 + i / 251) & 0xFF);
    QElapsedTimer timer;
    timer.start();
    port.Write(data.left(300 * 1024));
    port.Write(data.mid(300 * 1024));
    QVERIFY2(timer.elapsed() < 500, "Write waited for the line");

    QByteArray seen;
    QTRY_VERIFY_WITH_TIMEOUT((seen += pty.Receive()).size() >= data.size(), 10000);
    QCOMPARE(seen.size(), data.size());
    QVERIFY(seen == data);
}

void ComPortTest::rawDelivery() {
    PtyPair pty;
    TComPort port;
    QList<QByteArray> received;
    OpenRaw(port, pty, received);

    pty.Send("first\r\nsecond\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(received.join(), QByteArray("first\r\nsecond\r\n"), 5000);
    pty.Send(QByteArray("\x00\xFF", 2));
    QTRY_COMPARE_WITH_TIMEOUT(received.join(), QByteArray("first\r\nsecond\r\n\x00\xFF", 17), 5000);

    // An event with nothing waiting still reaches the callback, as an empty chunk.
    const qsizetype before = received.size();
    port.HandleData(0);
    QCOMPARE(received.size(), before + 1);
    QVERIFY(received.last().isEmpty());
}

void ComPortTest::terminatedDelivery_data() {
    QTest::addColumn<QString>("terminator");
    QTest::addColumn<QList<QByteArray>>("chunks");
    // The messages delivered after each chunk, joined with "|".
    QTest::addColumn<QStringList>("deliveredAfterChunk");

    QTest::newRow("two lines in one chunk wait for the next")
        << "#13#10" << QList<QByteArray>{"A\r\nB\r\n", "C"} << QStringList{"A\r\n", "A\r\n|B\r\n"};
    QTest::newRow("terminator split across chunks") << "#13#10" << QList<QByteArray>{"ab\r", "\ncd", "\r\n"}
                                                    << QStringList{"", "ab\r\n", "ab\r\n|cd\r\n"};
    QTest::newRow("lone CR is not a terminator")
        << "#13#10" << QList<QByteArray>{"x\ry", "\r\n"} << QStringList{"", "x\ry\r\n"};
    QTest::newRow("one-character terminator")
        << "#59" << QList<QByteArray>{"a;b", ";"} << QStringList{"a;", "a;|b;"};
}

void ComPortTest::terminatedDelivery() {
    QFETCH(QString, terminator);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, deliveredAfterChunk);

    PtyPair pty;
    TComPort port;
    port.Port = pty.SlavePath();
    port.SetTerminator(terminator);
    QStringList delivered;
    port.ReceiveCallBack = [&delivered](const QByteArray& data) { delivered << QString::fromLatin1(data); };
    port.Open();

    for (qsizetype i = 0; i < chunks.size(); ++i) {
        pty.Send(chunks[i]);
        QVERIFY(pty.WaitUntilQueued(int(chunks[i].size())));
        // Once the component has read the chunk, its delivery for that chunk is complete.
        QTRY_COMPARE_WITH_TIMEOUT(pty.SlaveQueued(), 0, 5000);
        QCOMPARE(delivered.join(QLatin1Char('|')), deliveredAfterChunk[i]);
    }
}

void ComPortTest::terminatorText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");
    QTest::addColumn<QString>("error");

    const QString illegal = QStringLiteral(
        "Illegal terminator string.\rformat : #<asciicode>#<asciicode>#<...>\rexample: #13#10");
    const QString empty = QStringLiteral("Terminator string cannot be empty!");
    QTest::newRow("CR LF") << "#13#10"
                           << "#13#10"
                           << "";
    QTest::newRow("single") << "#3"
                            << "#3"
                            << "";
    QTest::newRow("first character dropped whatever it is") << "x13#10"
                                                            << "#13#10"
                                                            << "";
    QTest::newRow("code above 255 keeps its low 8 bits") << "#321#256"
                                                         << "#65#0"
                                                         << "";
    QTest::newRow("trailing hash ends the list") << "#13#"
                                                 << "#13"
                                                 << "";
    QTest::newRow("empty part is illegal and leaves CR LF") << "#13##10"
                                                            << "#13#10" << illegal;
    QTest::newRow("not a number") << "#1a"
                                  << "#13#10" << illegal;
    QTest::newRow("hash alone") << "#"
                                << "" << empty;
    QTest::newRow("empty text") << ""
                                << "" << empty;
}

void ComPortTest::terminatorText() {
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    QFETCH(QString, error);

    TComPort port;
    port.SetTerminator(QStringLiteral("#59")); // something other than the results above
    QString raised;
    try {
        port.SetTerminator(text);
    } catch (const EComError& e) {
        raised = e.Message();
        QCOMPARE(QString::fromStdString(e.what()), raised);
    }
    QCOMPARE(raised, error);
    QCOMPARE(port.GetTerminator(), readBack);
}

void ComPortTest::constructorValues() {
    const TComPort port;
    QCOMPARE(port.Port, QStringLiteral("COM1"));
    QCOMPARE(port.Baud, 9600);
    QCOMPARE(int(port.DataBits), 8);
    QCOMPARE(port.Parity, ptNONE);
    QCOMPARE(port.StopBits, sbONE);
    QCOMPARE(port.WinQSizeIn, 8192);
    QCOMPARE(port.WinQSizeOut, 8192);
    QCOMPARE(port.ReceiveMode, rmTERM);
    QCOMPARE(port.GetTerminator(), QStringLiteral("#13#10"));
    QVERIFY(!port.IsOpen());
}

// What the port's own settings say after Open: the speed asked for, raw transfer, no flow control. (A
// pseudo-terminal keeps 8 data bits and no parity whatever is asked, so those are not looked at here.)
void ComPortTest::lineSettings_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("speed");
    QTest::newRow("19200") << 19200 << int(B19200);
    QTest::newRow("9600") << 9600 << int(B9600);
    QTest::newRow("38400") << 38400 << int(B38400);
    QTest::newRow("300") << 300 << int(B300);
}

void ComPortTest::lineSettings() {
    QFETCH(int, baud);
    QFETCH(int, speed);
    PtyPair pty;
    TComPort port;
    port.Port = pty.SlavePath();
    port.Baud = baud;
    port.Open();
    termios settings{};
    QCOMPARE(::tcgetattr(pty.SlaveFd(), &settings), 0);
    QCOMPARE(int(cfgetospeed(&settings)), speed);
    QCOMPARE(int(cfgetispeed(&settings)), speed);
    QVERIFY(!(settings.c_lflag & (ICANON | ECHO | ISIG)));
    QVERIFY(!(settings.c_iflag & (IXON | IXOFF | ICRNL)));
    QVERIFY(!(settings.c_oflag & OPOST));
    QVERIFY(!(settings.c_cflag & CRTSCTS));
    QVERIFY(settings.c_cflag & CREAD);
    QVERIFY(settings.c_cflag & CLOCAL);
    port.Close();
}

void ComPortTest::openFailure_data() {
    QTest::addColumn<QString>("holder"); // "component" of this program, another "process", or none
    QTest::addColumn<QString>("reason"); // %1: the other process's PID
    QTest::addColumn<QString>("path");   // empty: the pseudo-terminal
    QTest::newRow("missing port") << ""
                                  << "No such file or directory"
                                  << "/dev/zeph-no-such-port";
    QTest::newRow("held by another component") << "component"
                                               << "In use by this program." << QString();
    QTest::newRow("held by another program without a lock")
        << "process"
        << "In use by another program: sleep (PID %1)." << QString();
    // A regular file is no port: writing frames into it would damage it.
    QTest::newRow("not a terminal") << ""
                                    << "Inappropriate ioctl for device"
                                    << "regular-file";
    QTest::newRow("the multiplexer")
        << ""
        << "/dev/ptmx is not a port: opening it would make a new pseudo-terminal."
        << "/dev/ptmx";
}

void ComPortTest::openFailure() {
    QFETCH(QString, holder);
    QFETCH(QString, reason);
    QFETCH(QString, path);
    QTemporaryDir dir;
    if (path == QLatin1String("regular-file")) {
        path = dir.filePath(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }

    PtyPair pty;
    TComPort component;
    component.Port = pty.SlavePath();
    if (holder == QLatin1String("component")) component.Open();
    std::optional<zeph::test::HoldingProcess> process;
    if (holder == QLatin1String("process")) {
        process.emplace(pty.SlavePath());
        QVERIFY(process->WaitUntilHolding());
        reason = reason.arg(process->Pid());
    }

    TComPort port;
    port.Port = path.isEmpty() ? pty.SlavePath() : path;
    int opened = 0;
    port.OnPortOpen = [&opened](TComPort*) { ++opened; };
    QString message;
    try {
        port.Open();
    } catch (const EComError& e) {
        message = e.Message();
    }
    QCOMPARE(message, QStringLiteral("TCOMPORT : cannot open ") + port.Port + QLatin1Char('\r') + reason);
    QVERIFY(!port.IsOpen());
    QCOMPARE(opened, 0);

    if (holder == QLatin1String("component")) {
        // The failed attempt took nothing away from the holder, and its close frees the port.
        component.Write("still here");
        QByteArray seen;
        QTRY_COMPARE_WITH_TIMEOUT((seen += pty.Receive()), QByteArray("still here"), 5000);
        component.Close();
    }
    if (!holder.isEmpty()) {
        process.reset();
        port.Open();
        QVERIFY(port.IsOpen());
    }
}

void ComPortTest::closedPortIgnoresCalls() {
    PtyPair pty;
    TComPort port;
    port.Port = pty.SlavePath();
    int opened = 0;
    int closed = 0;
    port.OnPortOpen = [&opened](TComPort*) { ++opened; };
    port.OnPortClose = [&closed](TComPort*) { ++closed; };

    port.Close();
    port.Write("lost");
    port.SetDTR(true);
    port.SetRTS(true);
    QCOMPARE(closed, 0);

    port.Open();
    port.Open(); // a second open of this very port would be refused if it were tried
    QCOMPARE(opened, 1);
    port.Write("kept");
    QByteArray seen;
    QTRY_COMPARE_WITH_TIMEOUT((seen += pty.Receive()), QByteArray("kept"), 5000);

    port.Close();
    port.Close();
    QCOMPARE(closed, 1);
    port.Write("after close");
    port.Open();
    port.Write("!");
    QTRY_COMPARE_WITH_TIMEOUT((seen += pty.Receive()), QByteArray("kept!"), 5000);
}

void ComPortTest::eventsSeeTheNewState() {
    PtyPair pty;
    TComPort port;
    port.Port = pty.SlavePath();
    QList<bool> openSeen;
    QList<bool> closeSeen;
    port.OnPortOpen = [&](TComPort* sender) {
        QCOMPARE(sender, &port);
        openSeen << sender->IsOpen();
        // The main window raises DTR and writes from here, so the port must already work.
        sender->SetDTR(true);
        sender->Write("hello");
    };
    port.OnPortClose = [&](TComPort* sender) { closeSeen << sender->IsOpen(); };
    port.Open();
    QByteArray seen;
    QTRY_COMPARE_WITH_TIMEOUT((seen += pty.Receive()), QByteArray("hello"), 5000);
    port.Close();
    QCOMPARE(openSeen, QList<bool>{true});
    QCOMPARE(closeSeen, QList<bool>{false});
}

void ComPortTest::destructionClosesQuietly() {
    PtyPair pty;
    int closed = 0;
    {
        TComPort doomed;
        doomed.Port = pty.SlavePath();
        doomed.OnPortClose = [&closed](TComPort*) { ++closed; };
        doomed.Open();
    }
    QCOMPARE(closed, 0);
    TComPort next;
    next.Port = pty.SlavePath();
    next.Open();
    QVERIFY(next.IsOpen());
}

void ComPortTest::closeInsideReceiveCallBack() {
    PtyPair pty;
    TComPort port;
    int closed = 0;
    port.OnPortClose = [&closed](TComPort*) { ++closed; };
    QList<QByteArray> received;
    OpenRaw(port, pty, received);
    port.ReceiveCallBack = [&](const QByteArray& data) {
        received << data;
        port.Close();
    };

    pty.Send("bye");
    QTRY_COMPARE_WITH_TIMEOUT(closed, 1, 5000);
    QVERIFY(!port.IsOpen());
    QCOMPARE(received, QList<QByteArray>{"bye"});

    // The port was released, and a fresh receive thread delivers again.
    QList<QByteArray> again;
    OpenRaw(port, pty, again);
    pty.Send("again");
    QTRY_COMPARE_WITH_TIMEOUT(again.join(), QByteArray("again"), 5000);
    QCOMPARE(received.size(), 1);
}

void ComPortTest::hangUpLeavesThreadIdle() {
    PtyPair pty;
    TComPort port;
    int closed = 0;
    port.OnPortClose = [&closed](TComPort*) { ++closed; };
    QList<QByteArray> received;
    OpenRaw(port, pty, received);
    pty.Send("last words");
    QTRY_COMPARE_WITH_TIMEOUT(received.join(), QByteArray("last words"), 5000);

    pty.CloseMaster();
    const double cpuBefore = ProcessCpuSeconds();
    // Idle time is the thing measured here, so this one waits a fixed second.
    QTest::qWait(1000);
    const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
    QVERIFY2(cpuUsed < 0.1, qPrintable(QStringLiteral("%1 s CPU in 1 s after the hang-up").arg(cpuUsed)));

    QVERIFY(port.IsOpen());
    port.Write("into the void");
    port.SetDTR(false);
    port.Close();
    QCOMPARE(closed, 1);
    QVERIFY(!port.IsOpen());
}

void ComPortTest::modemLineStatus_data() {
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<quint32>("status");
    // The calls made, in order, as "name=state"; errors as "error".
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("CTS off before, so now on") << EvCts << 0u << QStringList{"cts=1"};
    QTest::newRow("CTS on before, so now off") << EvCts << MsCtsOn << QStringList{"cts=0"};
    QTest::newRow("each line its own bit") << (EvCts | EvDsr | EvRlsd | EvRing) << (MsDsrOn | MsRingOn)
                                           << QStringList{"cts=1", "dsr=0", "rlsd=1", "ring=0"};
    QTest::newRow("line error after the lines") << (EvErr | EvDsr) << 0u << QStringList{"dsr=1", "error"};
    QTest::newRow("received characters are not a line change") << EvRxChar << 0u << QStringList{};
}

void ComPortTest::modemLineStatus() {
    QFETCH(quint32, mask);
    QFETCH(quint32, status);
    QFETCH(QStringList, calls);

    TComPort port;
    QStringList seen;
    auto record = [&seen](const char* name) {
        return
            [&seen, name](bool on) { seen << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(int(on)); };
    };
    port.OnCTSChanged = record("cts");
    port.OnDSRChanged = record("dsr");
    port.OnRLSDChanged = record("rlsd");
    port.OnRingChanged = record("ring");
    port.OnError = [&](TComPort* sender) {
        QCOMPARE(sender, &port);
        seen << QStringLiteral("error");
    };
    port.HandleStatus(mask, status);
    QCOMPARE(seen, calls);
}

void ComPortTest::modemEvents_data() {
    QTest::addColumn<ModemSample>("before");
    QTest::addColumn<ModemSample>("after");
    QTest::addColumn<quint32>("events");

    const ModemSample still{true, true, MsCtsOn, 4, 2, 0, 1, 0};
    ModemSample ctsDropped = still;
    ctsDropped.status = 0;
    ctsDropped.cts = 5;
    ModemSample dsrBlinked = still; // off and on again between two samples
    dsrBlinked.dsr = 4;
    ModemSample ringAndErrors = still;
    ringAndErrors.ring = 1;
    ringAndErrors.lineErrors = 3;
    ModemSample uncounted{true, false, MsCtsOn | MsRlsdOn, 0, 0, 0, 0, 0};
    ModemSample uncountedLater = uncounted;
    uncountedLater.status = MsRlsdOn;

    QTest::newRow("nothing changed") << still << still << 0u;
    QTest::newRow("state and count changed") << still << ctsDropped << EvCts;
    QTest::newRow("change seen by count alone") << still << dsrBlinked << EvDsr;
    QTest::newRow("ring and line errors") << still << ringAndErrors << (EvRing | EvErr);
    QTest::newRow("no counters: state difference") << uncounted << uncountedLater << EvCts;
    QTest::newRow("no modem lines") << ModemSample{} << ModemSample{} << 0u;
}

void ComPortTest::modemEvents() {
    QFETCH(ModemSample, before);
    QFETCH(ModemSample, after);
    QFETCH(quint32, events);
    QCOMPARE(ModemEvents(before, after), events);
}

} // namespace zeph::comport::test
