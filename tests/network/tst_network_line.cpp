// SPDX-License-Identifier: MIT
// The device behind Debian's ser2net on this machine, through the session as the front ends use it: raw
// TCP and RFC 2217, a far port at the wrong speed, a slow link, the server going away, a refused and an
// unanswered connect.
#include "common/DelayRelay.h"
#include "common/Ser2net.h"
#include "common/ServerThread.h"
#include "network/ComPortOption.h"
#include "network/NetworkLine.h"
#include "network/TelnetCodec.h"
#include "session/DeviceSession.h"
#include "sim/SimulatedDevice.h"

#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zeph;
using session::DeviceSession;

namespace {

// Runs one read of the settings and gives its result.
std::optional<device::OperationResult> ReadSettings(DeviceSession& session, int timeoutMs = 15000) {
    std::optional<device::OperationResult> result;
    QEventLoop loop;
    QObject::connect(&session, &DeviceSession::OperationFinished, &loop,
                     [&](const device::OperationResult& finished) {
                         result = finished;
                         loop.quit();
                     });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    session.ReadSettings();
    loop.exec();
    return result;
}

struct Station {
    sim::SimulatedDevice device;
    testing::Ser2net server;

    // The device insists on 19200 8N1 on its line; the server's port starts at `speed`.
    explicit Station(const QString& speed)
        : device(Strict())
        , server(StartDevice(device), speed) {}
    static sim::LineOptions Strict() {
        sim::LineOptions line;
        line.strictLine = true;
        return line;
    }
    static QString StartDevice(sim::SimulatedDevice& device) {
        QString error;
        if (!device.Start(&error)) qFatal("simulated device: %s", qPrintable(error));
        return device.PortPath();
    }
    void Start() {
        QString error;
        if (!server.Start(&error)) qFatal("%s", qPrintable(error));
    }
};

// A serial server of its own mind, in a thread as a real one would be: it agrees to the COM port option,
// sets 9600 baud when asked for 19200, never answers the stop bits, and confirms everything else.
class StubbornServer {
public:
    quint16 Port() const { return m_server.Port(); }

private:
    void Answer(QTcpSocket* client) {
        std::vector<network::TelnetEvent> events;
        m_decoder.Feed(client->readAll(), events);
        for (const network::TelnetEvent& event : events) {
            using Kind = network::TelnetEvent::Kind;
            if (event.kind == Kind::Negotiation && event.command == network::Will &&
                event.option == network::OptionComPort)
                client->write(network::Negotiation(network::Do, network::OptionComPort));
            if (event.kind != Kind::SubNegotiation || event.option != network::OptionComPort ||
                event.payload.isEmpty())
                continue;
            const auto command = network::ComPortCommand(quint8(event.payload[0]));
            if (command == network::ComPortCommand::SetStopSize) continue;
            const QByteArray value = command == network::ComPortCommand::SetBaudRate
                                         ? QByteArray::fromHex("00002580")
                                         : event.payload.mid(1);
            client->write(network::SubNegotiation(network::OptionComPort,
                                                  char(quint8(command) + network::ServerCodeOffset) + value));
        }
        client->flush();
    }

    network::TelnetDecoder m_decoder;
    testing::ServerThread m_server{[this](QTcpSocket* client) {
        QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] { Answer(client); });
    }};
};

} // namespace

class TestNetworkLine : public QObject {
    Q_OBJECT
private slots:
    // With the far port at 9600, only RFC 2217 sets it right; at 19200 both kinds read. A short allowance
    // keeps the unanswered case short.
    void readsThroughTheServer_data() {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<bool>("telnet");
        QTest::addColumn<bool>("answers");
        QTest::newRow("raw, far port at 19200") << "19200n81" << false << true;
        QTest::newRow("RFC 2217, far port at 19200") << "19200n81" << true << true;
        QTest::newRow("raw, far port at 9600") << "9600n81" << false << false;
        QTest::newRow("RFC 2217 sets the far port from 9600") << "9600n81" << true << true;
    }
    void readsThroughTheServer() {
        QFETCH(QString, speed);
        QFETCH(bool, telnet);
        QFETCH(bool, answers);
        Station station(speed);
        station.Start();
        DeviceSession session;
        QStringList notices;
        QObject::connect(&session, &DeviceSession::LineNotice, [&](const QString& text) { notices << text; });
        const QString port = (telnet ? station.server.TelnetPortText() : station.server.RawPortText()) +
                             QStringLiteral("?allowance_ms=60");
        line::LineError error;
        QVERIFY2(session.Open(port, &error), qPrintable(error.text));
        const std::optional<device::OperationResult> result = ReadSettings(session);
        QVERIFY(result);
        QCOMPARE(result->Succeeded(), answers);
        if (answers) QCOMPARE(result->sends, 1);
        QVERIFY2(notices.isEmpty(), qPrintable(notices.join('\n'))); // ser2net takes every setting
    }

    // A link of 150 ms each way that hands every byte over on its own: the settings come at the first send.
    void slowLinkReadsAtTheFirstSend() {
        Station station(QStringLiteral("9600n81"));
        station.Start();
        testing::DelayRelay relay(station.server.TelnetPort(), 150);
        DeviceSession session;
        line::LineError error;
        QVERIFY2(session.Open(QStringLiteral("rfc2217://127.0.0.1:%1").arg(relay.Port()), &error),
                 qPrintable(error.text));
        const std::optional<device::OperationResult> result = ReadSettings(session);
        QVERIFY(result);
        QVERIFY(result->Succeeded());
        QCOMPARE(result->sends, 1);
        QVERIFY(result->elapsedMs >= 300); // the link's round trip was there
    }

    // The server going away is a lost port, reported once; once it is back, the port opens again.
    void serverGoneAndBack() {
        Station station(QStringLiteral("19200n81"));
        station.Start();
        DeviceSession session;
        int lost = 0;
        QObject::connect(&session, &DeviceSession::PortLost, [&] { ++lost; });
        line::LineError error;
        QVERIFY2(session.Open(station.server.TelnetPortText(), &error), qPrintable(error.text));
        station.server.Stop();
        QTRY_COMPARE_WITH_TIMEOUT(lost, 1, 5000);
        QVERIFY(!session.PortIsOpen());
        QVERIFY(!session.Open(station.server.TelnetPortText(), &error));
        QVERIFY2(error.text.contains(QStringLiteral("Connection refused")), qPrintable(error.text));
        station.Start();
        QVERIFY2(session.Open(station.server.TelnetPortText(), &error), qPrintable(error.text));
        QVERIFY(ReadSettings(session)->Succeeded());
        QCOMPARE(lost, 1);
    }

    // A setting the server does not take leaves the line open and is told once, naming each such setting.
    void settingNotTakenIsTold() {
        StubbornServer server;
        DeviceSession session;
        QStringList notices;
        QObject::connect(&session, &DeviceSession::LineNotice, [&](const QString& text) { notices << text; });
        line::LineError error;
        QVERIFY2(session.Open(QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.Port()), &error),
                 qPrintable(error.text));
        QTRY_COMPARE(notices.size(), 1);
        QCOMPARE(
            notices.first(),
            QStringLiteral("The serial server at 127.0.0.1:%1 did not take: baud rate 19200 (it set 9600), "
                           "1 stop bit (no answer). The line stays open; the device answers only if its "
                           "port runs at 19200 8N1.")
                .arg(server.Port()));
        QTest::qWait(100);
        QCOMPARE(notices.size(), 1);
        QVERIFY(session.PortIsOpen());
    }

    // A server whose queue of connections is full never answers the connect: the time-out ends the wait.
    void unansweredConnectTimesOut() {
        const int listening = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(::listen(listening, 0), 0);
        socklen_t length = sizeof address;
        ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length);
        const quint16 port = ntohs(address.sin_port);
        // The one place in the queue taken, by connections nobody accepts.
        std::vector<std::unique_ptr<QTcpSocket>> fillers;
        for (int i = 0; i < 3; ++i) {
            fillers.push_back(std::make_unique<QTcpSocket>());
            fillers.back()->connectToHost(QHostAddress::LocalHost, port);
            fillers.back()->waitForConnected(300);
        }
        network::NetworkLine::SetConnectTimeoutMs(300);
        DeviceSession session;
        line::LineError error;
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!session.Open(QStringLiteral("tcp://127.0.0.1:%1").arg(port), &error));
        network::NetworkLine::SetConnectTimeoutMs(network::NetworkLine::DefaultConnectTimeoutMs);
        QVERIFY(waited.elapsed() < 3000);
        QCOMPARE(error.text,
                 QStringLiteral("cannot reach 127.0.0.1:%1: no connection within 0.3 s").arg(port));
        ::close(listening);
    }
};

QTEST_GUILESS_MAIN(TestNetworkLine)
#include "tst_network_line.moc"
