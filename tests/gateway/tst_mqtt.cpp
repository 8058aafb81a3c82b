// SPDX-License-Identifier: MIT
// The spool from data, and the MQTT publisher against Debian's mosquitto: order, the retained flag, the
// last will of a killed publisher, its spool taken up by the next, a broker restart, TLS.
#include "common/Mosquitto.h"
#include "gateway/MqttPublisher.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

using zeph::gateway::MqttPublisher;
using zeph::gateway::MqttSpool;
using zeph::testing::Mosquitto;
using zeph::testing::Subscriber;

namespace {

// The retained messages under zeph/ that a subscriber arriving now gets, sorted.
QStringList Retained(quint16 port) {
    QProcess process;
    process.start("mosquitto_sub",
                  {"-p", QString::number(port), "-t", "zeph/#", "-F", "%t %p", "-W", "1", "--retained-only"});
    process.waitForFinished();
    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

MqttPublisher::Settings Local(quint16 port, const QString& spoolFolder) {
    MqttPublisher::Settings settings;
    settings.host = "127.0.0.1";
    settings.port = port;
    settings.spoolFolder = spoolFolder;
    return settings;
}

// This program again as a publisher of its own, for a test to kill (see main): ten messages from `first`
// on, to zeph/child/in0 and (retained) zeph/child/in1, its availability at zeph/child/status. It says
// "spooled" once they are all in its spool.
void StartChild(QProcess& child, quint16 port, const QString& spoolFolder, int first) {
    child.start(QCoreApplication::applicationFilePath(),
                {"--child", QString::number(port), spoolFolder, QString::number(first)});
}

int RunChild(quint16 port, const QString& spoolFolder, int first) {
    MqttPublisher::Settings settings = Local(port, spoolFolder);
    settings.willTopic = "zeph/child/status";
    MqttPublisher publisher(settings);
    publisher.Start();
    for (int i = first; i < first + 10; ++i)
        publisher.Publish(QString("zeph/child/in%1").arg(i % 2), "c" + QByteArray::number(i), i % 2);
    std::puts("spooled");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

QByteArray SpoolPayload(int i) {
    return "m" + QByteArray::number(i).rightJustified(3, '0');
}

// Records are of one size in the spool's cases, so its bound counts records.
struct SpoolCase {
    int maxRecords, appended, popped, cutBytes; // what is done before the spool is reopened
    int first, dropped;                         // the first message left, the number dropped
};

} // namespace

Q_DECLARE_METATYPE(SpoolCase)

class TestMqtt : public QObject {
    Q_OBJECT
private slots:
    void spool_data() {
        QTest::addColumn<SpoolCase>("c");
        QTest::newRow("acknowledged stay off") << SpoolCase{100, 5, 2, 0, 2, 0};
        QTest::newRow("full: oldest dropped") << SpoolCase{3, 5, 0, 0, 2, 2};
        QTest::newRow("rewritten when large") << SpoolCase{100, 200, 90, 0, 190, 100};
        QTest::newRow("broken last record left out") << SpoolCase{100, 5, 1, 3, 1, 0};
    }
    // Reopened, the spool holds the messages from c.first on, in order, less the last when the file was cut.
    void spool() {
        QFETCH(SpoolCase, c);
        QTemporaryDir folder;
        const qint64 maxBytes = c.maxRecords * MqttSpool::EncodeRecord("t", SpoolPayload(0), false).size();
        {
            MqttSpool spool;
            QVERIFY(spool.Open(folder.path(), maxBytes));
            for (int i = 0; i < c.appended; ++i)
                spool.Append("t", SpoolPayload(i), i % 2);
            for (int i = 0; i < c.popped; ++i)
                spool.PopFront();
            QCOMPARE(int(spool.Dropped()), c.dropped);
            QCOMPARE(spool.WriteFailures(), 0u);
            QVERIFY(QFileInfo(spool.FilePath()).size() <= 12 + maxBytes * 3 / 2);
            QVERIFY(QFile::resize(spool.FilePath(), QFileInfo(spool.FilePath()).size() - c.cutBytes));
        }
        MqttSpool reopened;
        QVERIFY(reopened.Open(folder.path(), maxBytes));
        QCOMPARE(reopened.Depth(), c.appended - (c.cutBytes ? 1 : 0) - c.first);
        for (int i = c.first; reopened.Front(); reopened.PopFront(), ++i) {
            QCOMPARE(reopened.Front()->payload, SpoolPayload(i));
            QCOMPARE(reopened.Front()->retained, i % 2 == 1);
        }
    }

    // A publisher killed with its messages spooled; the next on the same spool sends them first, in order,
    // and the broker gives out the will when that one is killed too.
    void killedPublisher() {
        Mosquitto broker;
        QTemporaryDir spool;
        QProcess first, second;
        StartChild(first, broker.Port(), spool.path(), 0);
        QVERIFY(first.waitForReadyRead(10000));
        first.kill();
        QVERIFY(first.waitForFinished());
        QString error;
        QVERIFY2(broker.Start(&error), qPrintable(error));
        Subscriber subscriber(broker.Port(), {"zeph/#"});
        QVERIFY(subscriber.WaitUntilSubscribed());
        StartChild(second, broker.Port(), spool.path(), 10);
        QStringList expected{"zeph/child/status online"};
        for (int i = 0; i < 20; ++i)
            expected << QString("zeph/child/in%1 c%2").arg(i % 2).arg(i);
        QTRY_COMPARE_WITH_TIMEOUT(subscriber.Messages(), expected, 15000);
        second.kill();
        expected << "zeph/child/status offline";
        QTRY_COMPARE_WITH_TIMEOUT(subscriber.Messages(), expected, 15000);
        QCOMPARE(Retained(broker.Port()), QStringList({"zeph/child/in1 c19", "zeph/child/status offline"}));
    }

    void brokerRestart_data() {
        QTest::addColumn<bool>("tls");
        QTest::newRow("plain") << false;
        QTest::newRow("TLS") << true;
    }
    // The broker stopped, 50 messages published meanwhile, the broker started again: all come, in order;
    // the loss is told once, not at every retry.
    void brokerRestart() {
        QFETCH(bool, tls);
        Mosquitto broker(tls);
        QString error;
        QVERIFY2(broker.Start(&error), qPrintable(error));
        Subscriber subscriber(broker.Port(), {"zeph/#"});
        QVERIFY(subscriber.WaitUntilSubscribed());
        QTemporaryDir spool;
        MqttPublisher::Settings settings = Local(tls ? broker.TlsPort() : broker.Port(), spool.path());
        settings.tls = tls;
        settings.caFile = broker.CaFile();
        MqttPublisher publisher(settings);
        QSignalSpy connected(&publisher, &MqttPublisher::Connected);
        QSignalSpy disconnected(&publisher, &MqttPublisher::Disconnected);
        QVERIFY(publisher.Start());
        QTRY_COMPARE_WITH_TIMEOUT(connected.size(), 1, 10000);
        broker.Stop();
        QTRY_COMPARE_WITH_TIMEOUT(disconnected.size(), 1, 10000);
        QStringList expected;
        for (int i = 0; i < 50; ++i) {
            publisher.Publish("zeph/restart", QByteArray::number(i), false);
            expected << QString("zeph/restart %1").arg(i);
        }
        QCOMPARE(publisher.SpoolDepth(), 50);
        QTest::qWait(1500); // a retry fails meanwhile
        QVERIFY2(broker.Start(&error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(subscriber.Messages(), expected, 20000);
        QTRY_COMPARE(publisher.SpoolDepth(), 0);
        QCOMPARE(connected.size(), 2);
        QCOMPARE(disconnected.size(), 1);
    }
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(quint16(atoi(argv[2])), QString::fromLocal8Bit(argv[3]), atoi(argv[4]));
    TestMqtt test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mqtt.moc"
