// SPDX-License-Identifier: MIT
// Port texts: paths, network ports, and the message for a text that names nothing.
#include "line/PortText.h"

#include <QtTest>

using namespace zeph::line;

class TestPortText : public QObject {
    Q_OBJECT
private slots:
    void namesAPort_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("allowanceMs"); // -1: none given
        QTest::addColumn<QString>("canonical");
        const int serial = int(PortKind::Serial), raw = int(PortKind::RawTcp),
                  telnet = int(PortKind::Rfc2217);
        QTest::newRow("serial path") << "/dev/ttyUSB0" << serial << "" << 0 << -1 << "/dev/ttyUSB0";
        QTest::newRow("raw, name") << "tcp://cabinet-7.plant:4001" << raw << "cabinet-7.plant" << 4001 << -1
                                   << "tcp://cabinet-7.plant:4001";
        QTest::newRow("rfc2217, IPv4") << "rfc2217://192.168.1.20:2000" << telnet << "192.168.1.20" << 2000
                                       << -1 << "rfc2217://192.168.1.20:2000";
        QTest::newRow("IPv6 in brackets")
            << "tcp://[::1]:4001" << raw << "::1" << 4001 << -1 << "tcp://[::1]:4001";
        QTest::newRow("scheme in capitals, blanks around")
            << "  RFC2217://host:1  " << telnet << "host" << 1 << -1 << "rfc2217://host:1";
        QTest::newRow("allowance") << "rfc2217://host:65535?allowance_ms=800" << telnet << "host" << 65535
                                   << 800 << "rfc2217://host:65535?allowance_ms=800";
        QTest::newRow("allowance 0, trailing slash")
            << "tcp://host:7/?allowance_ms=0" << raw << "host" << 7 << 0 << "tcp://host:7?allowance_ms=0";
    }
    void namesAPort() {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(int, allowanceMs);
        QFETCH(QString, canonical);
        QString error;
        const std::optional<PortAddress> address = ParsePortText(text, &error);
        QVERIFY2(address, qPrintable(error));
        QCOMPARE(int(address->kind), kind);
        QCOMPARE(address->host, host);
        QCOMPARE(int(address->port), port);
        QCOMPARE(address->allowanceMs.value_or(-1), allowanceMs);
        QCOMPARE(PortTextOf(*address), canonical);
        QCOMPARE(LooksLikeNetworkPort(text), kind != int(PortKind::Serial));
    }

    // Each message names the part that is wrong.
    void refusesWithTheReason_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown scheme") << "udp://host:1"
                                        << "unknown kind of port \"udp://\"";
        QTest::newRow("no port") << "tcp://host"
                                 << "no port number after the host";
        QTest::newRow("empty port") << "tcp://host:"
                                    << "\"\" is not a port number";
        QTest::newRow("port not a number") << "tcp://host:http"
                                           << "\"http\" is not a port number";
        QTest::newRow("port 0") << "tcp://host:0"
                                << "not between 1 and 65535";
        QTest::newRow("port too large") << "rfc2217://host:65536"
                                        << "not between 1 and 65535";
        QTest::newRow("no host") << "tcp://:4001"
                                 << "no host";
        QTest::newRow("IPv6 without brackets") << "tcp://::1:4001"
                                               << "stands in brackets";
        QTest::newRow("bracket not closed") << "tcp://[::1:4001"
                                            << "no closing \"]\"";
        QTest::newRow("not IPv6 in brackets") << "tcp://[host]:4001"
                                              << "\"host\" is not an IPv6 address";
        QTest::newRow("bad IPv4") << "tcp://300.1.1.1:4001"
                                  << "\"300.1.1.1\" is not a host name";
        QTest::newRow("bad name") << "tcp://bad_name:4001"
                                  << "\"bad_name\" is not a host name";
        QTest::newRow("path") << "tcp://host:4001/dev"
                              << "without a path";
        QTest::newRow("user") << "tcp://me@host:4001"
                              << "without a path or a user";
        QTest::newRow("unknown option") << "tcp://host:1?timeout=5"
                                        << "unknown option \"timeout\"";
        QTest::newRow("allowance not a number") << "tcp://host:1?allowance_ms=fast"
                                                << "allowance_ms must be";
        QTest::newRow("allowance too long") << "tcp://host:1?allowance_ms=60001"
                                            << "from 0 to 60000";
        QTest::newRow("allowance negative") << "tcp://host:1?allowance_ms=-1"
                                            << "allowance_ms must be";
    }
    void refusesWithTheReason() {
        QFETCH(QString, text);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!ParsePortText(text, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY2(error.startsWith(text), qPrintable(error)); // the text as given, so the user sees which
        QVERIFY(LooksLikeNetworkPort(text));
    }
};

QTEST_GUILESS_MAIN(TestPortText)
#include "tst_port_text.moc"
