// SPDX-License-Identifier: MIT
// The gateway's configuration file: a whole example read, and each fault told with its file and line.
#include "gateway/GatewayConfig.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zeph::gateway;

class TestGatewayConfig : public QObject {
    Q_OBJECT
private slots:
    void readsEverySection() {
        const ConfigParse parse =
            ParseGatewayConfig("; the plant's gateway\n"
                               "[gateway]\nstate_dir = /var/lib/zeph7208\n"
                               "[mqtt]\nhost = broker.plant\ntls = true\nusername = gw\n"
                               "topic_prefix = site/north\n"
                               "[prometheus]\nlisten = [::1]:9208\n"
                               "[device boiler-1]\nport = /dev/ttyUSB0\ninterval_s = 0.5\n"
                               "[device pump_2]\nport = rfc2217://cabinet:4001\n",
                               "gateway.conf");
        QVERIFY2(parse.config, qPrintable(parse.problems.join('\n')));
        const GatewayConfig& config = *parse.config;
        QCOMPARE(config.mqtt->host, QString("broker.plant"));
        QCOMPARE(config.mqtt->Port(), quint16(8883)); // TLS without a port
        QCOMPARE(config.mqtt->topicPrefix, QString("site/north"));
        QCOMPARE(config.prometheus->host, QString("::1"));
        QCOMPARE(config.prometheus->port, quint16(9208));
        QCOMPARE(config.devices.size(), std::size_t(2));
        QCOMPARE(config.devices[0].intervalS, 0.5);
        QCOMPARE(config.devices[1].intervalS, 1.0);
        QCOMPARE(config.devices[1].port, QString("rfc2217://cabinet:4001"));
    }

    void faultsNameFileAndLine_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem");
        const QByteArray device = "[device a]\nport = /dev/ttyUSB0\n";
        QTest::newRow("unknown key, with the keys")
            << "[mqtt]\nhots = x\n" + device
            << "g.conf:2: unknown key hots in [mqtt]; the keys are: ca_file,";
        QTest::newRow("unknown section") << device + "[modbus]\n"
                                         << "g.conf:3: unknown section [modbus]";
        QTest::newRow("interval not a number") << device + "interval_s = often\n"
                                               << "g.conf:3: interval_s = often: wants seconds from 0";
        QTest::newRow("negative interval") << device + "interval_s = -1\n"
                                           << "g.conf:3: interval_s = -1:";
        QTest::newRow("port beyond 65535") << "[mqtt]\nport = 70000\n" + device << "g.conf:2: port = 70000:";
        QTest::newRow("prefix with a wildcard")
            << "[mqtt]\ntopic_prefix = a/#\n" + device << "g.conf:2: topic_prefix";
        QTest::newRow("listen without a port") << "[prometheus]\nlisten = 127.0.0.1\n" + device
                                               << "g.conf:2: listen = 127.0.0.1: wants HOST:PORT";
        QTest::newRow("a device twice") << device + device << "g.conf:3: [device a] already comes on line 1";
        QTest::newRow("a name with a slash") << QByteArray("[device a/b]\nport = /dev/x\n")
                                             << "g.conf:1: [device a/b]: a device's name may not";
        QTest::newRow("the same port twice") << device + "[device b]\nport = /dev/ttyUSB0\n"
                                             << "g.conf:3: [device b]: port /dev/ttyUSB0 is already";
        QTest::newRow("a device without a port")
            << QByteArray("[device a]\ninterval_s = 1\n") << "g.conf:1: [device a] has no port";
        QTest::newRow("a bad network port") << QByteArray("[device a]\nport = tcp://host\n") << "g.conf:2: ";
        QTest::newRow("a key before any section")
            << "state_dir = /x\n" + device << "g.conf:1: state_dir comes before";
        QTest::newRow("a line that is nothing")
            << device + "just words\n"
            << "g.conf:3: not a [section], a key = value line or a comment";
        QTest::newRow("a key twice") << device + "port = /dev/ttyUSB1\n"
                                     << "g.conf:3: port already comes on line 2";
        QTest::newRow("no device") << QByteArray("[mqtt]\nhost = b\n")
                                   << "g.conf:1: no [device NAME] section";
    }
    void faultsNameFileAndLine() {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        const ConfigParse parse = ParseGatewayConfig(text, "g.conf");
        QVERIFY(!parse.config);
        QVERIFY2(!parse.problems.isEmpty() && parse.problems.first().startsWith(problem),
                 qPrintable(parse.problems.join('\n')));
    }
};

QTEST_GUILESS_MAIN(TestGatewayConfig)
#include "tst_gateway_config.moc"
