// SPDX-License-Identifier: MIT
// zeph7208d through a restless day: two simulated devices, one whose counter wraps and one replaced by a
// device with a lower count; the broker away for a while; the gateway killed and started again. The totals
// it publishes never go backwards and end at the pulses the devices counted; discovery, the Prometheus
// endpoint and systemd's notifications are checked on the way.
#include "common/FreePort.h"
#include "common/Mosquitto.h"
#include "sim/SimulatedDevice.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zeph;
using testing::Mosquitto;
using testing::Subscriber;

namespace {

constexpr quint64 Wrap = quint64(1) << 32;

// The datagram socket systemd would listen on, read as systemd reads it: whenever something came.
class NotifySocket {
public:
    explicit NotifySocket(const QString& path) {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof(address.sun_path) - 1);
        m_bound = ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { Received(); });
    }
    ~NotifySocket() {
        m_notifier.reset();
        ::close(m_fd);
    }
    bool IsBound() const { return m_bound; }
    // Every state told so far, in order.
    QByteArrayList Received() {
        char buffer[256];
        ssize_t n;
        while ((n = ::recv(m_fd, buffer, sizeof(buffer), 0)) > 0)
            m_states << QByteArray(buffer, qsizetype(n));
        return m_states;
    }

private:
    int m_fd = -1;
    bool m_bound = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArrayList m_states;
};

// The latest value of each topic, and whether any total ever went down.
struct Published {
    QHash<QString, QString> latest;
    QStringList decreases;
};

Published Read(const QStringList& messages) {
    Published published;
    for (const QString& message : messages) {
        const QString topic = message.section(' ', 0, 0), payload = message.section(' ', 1);
        if (topic.endsWith("/total") && published.latest.contains(topic) &&
            payload.toULongLong() < published.latest.value(topic).toULongLong())
            published.decreases << message + " after " + published.latest.value(topic);
        published.latest.insert(topic, payload);
    }
    return published;
}

} // namespace

class TestGateway : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_folder;
    QString m_config;
    QProcess m_gateway;

    void StartGateway() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("NOTIFY_SOCKET", m_folder.filePath("notify"));
        environment.insert("WATCHDOG_USEC", "400000");
        m_gateway.setProcessEnvironment(environment);
        m_gateway.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_gateway.start(ZEPH_GATEWAY_PROGRAM, {"--config", m_config});
        QVERIFY(m_gateway.waitForStarted());
    }

private slots:
    void restlessDay() {
        Mosquitto broker;
        QString error;
        QVERIFY2(broker.Start(&error), qPrintable(error));
        Subscriber subscriber(broker.Port(), {"zeph7208/#", "homeassistant/#"});
        QVERIFY(subscriber.WaitUntilSubscribed());

        // A: input 1 wraps past 4294967295 soon. B: input 2 counts, and its device is replaced later.
        auto a = std::make_unique<sim::SimulatedDevice>();
        auto b = std::make_unique<sim::SimulatedDevice>();
        QVERIFY(a->Start(&error) && b->Start(&error));
        a->WithModel([](sim::DeviceModel& model) {
            model.SetCounter(0, 4294967295u - 250);
            model.SetPulseRate(0, 200);
        });
        b->WithModel([](sim::DeviceModel& model) { model.SetPulseRate(1, 50); });
        const QString linkA = m_folder.filePath("dev-a"), linkB = m_folder.filePath("dev-b");
        QVERIFY(QFile::link(a->PortPath(), linkA) && QFile::link(b->PortPath(), linkB));
        const quint16 metricsPort = testing::FreeLoopbackPort();
        m_config = m_folder.filePath("gateway.conf");
        QFile config(m_config);
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(
            QString("[gateway]\nstate_dir = %1\n[mqtt]\nhost = 127.0.0.1\nport = %2\n"
                    "[prometheus]\nlisten = 127.0.0.1:%3\n"
                    "[device a]\nport = %4\ninterval_s = 0.2\n[device b]\nport = %5\ninterval_s = 0.2\n")
                .arg(m_folder.filePath("state"))
                .arg(broker.Port())
                .arg(metricsPort)
                .arg(linkA, linkB)
                .toUtf8());
        config.close();
        NotifySocket systemd(m_folder.filePath("notify"));
        QVERIFY(systemd.IsBound());
        StartGateway();
        QTRY_VERIFY_WITH_TIMEOUT(systemd.Received().contains("READY=1"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(systemd.Received().count("WATCHDOG=1") >= 3, 10000);
        const auto total = [&](const QString& device, int input) {
            return Read(subscriber.Messages())
                .latest.value(QString("zeph7208/%1/in%2/total").arg(device).arg(input));
        };
        // A's counter wraps.
        QTRY_VERIFY_WITH_TIMEOUT(total("a", 1).toULongLong() > Wrap, 15000);

        // B's device replaced by one whose counter stands lower, found again by its link.
        b->WithModel([](sim::DeviceModel& model) { model.SetPulseRate(1, 0); });
        const quint32 firstB = b->WithModel([](sim::DeviceModel& model) { return model.Counter(1); });
        QTRY_COMPARE_WITH_TIMEOUT(total("b", 2), QString::number(firstB), 5000);
        auto replacement = std::make_unique<sim::SimulatedDevice>();
        QVERIFY(replacement->Start(&error));
        replacement->WithModel([](sim::DeviceModel& model) { model.SetCounter(1, 7); });
        QVERIFY(QFile::remove(linkB) && QFile::link(replacement->PortPath(), linkB));
        b.reset();
        QTRY_VERIFY_WITH_TIMEOUT(replacement->RequestCount() > 2, 15000);
        replacement->WithModel([](sim::DeviceModel& model) { model.SetPulseRate(1, 50); });

        // The broker away for a while, then the gateway killed and started again.
        broker.Stop();
        QTest::qWait(2000);
        QVERIFY2(broker.Start(&error), qPrintable(error));
        QTest::qWait(2500);
        ::kill(pid_t(m_gateway.processId()), SIGKILL);
        QVERIFY(m_gateway.waitForFinished());
        QTest::qWait(500);
        StartGateway();

        // Everything at rest: the totals settle at the pulses counted.
        QTest::qWait(2000);
        a->WithModel([](sim::DeviceModel& model) { model.SetPulseRate(0, 0); });
        replacement->WithModel([](sim::DeviceModel& model) { model.SetPulseRate(1, 0); });
        const quint64 expectedA =
            Wrap + a->WithModel([](sim::DeviceModel& model) { return model.Counter(0); });
        const quint64 expectedB =
            firstB + replacement->WithModel([](sim::DeviceModel& model) { return model.Counter(1); }) - 7;
        QTRY_COMPARE_WITH_TIMEOUT(total("a", 1), QString::number(expectedA), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(total("b", 2), QString::number(expectedB), 20000);
        const Published published = Read(subscriber.Messages());
        QVERIFY2(published.decreases.isEmpty(), qPrintable(published.decreases.join('\n')));

        // Discovery: what Home Assistant needs to take each total as an ever-growing sensor.
        const QJsonObject discovery =
            QJsonDocument::fromJson(
                published.latest.value("homeassistant/sensor/zeph7208_a_in1_total/config").toUtf8())
                .object();
        QCOMPARE(discovery["state_topic"].toString(), QString("zeph7208/a/in1/total"));
        QCOMPARE(discovery["state_class"].toString(), QString("total_increasing"));
        QCOMPARE(discovery["availability_topic"].toString(), QString("zeph7208/a/availability"));
        QVERIFY(!discovery["name"].toString().isEmpty() && !discovery["unique_id"].toString().isEmpty());
        QCOMPARE(discovery["device"].toObject()["model"].toString(), QString("ZEPH7208"));
        QVERIFY(!discovery["device"].toObject()["identifiers"].toArray().isEmpty());
        QCOMPARE(published.latest.value("zeph7208/a/availability"), QString("online"));

        // Prometheus' own parser reads the endpoint, and it agrees with the broker.
        QProcess parser;
        parser.start("/usr/bin/python3",
                     {"-c",
                      "import sys, urllib.request\n"
                      "from prometheus_client.parser import text_string_to_metric_families\n"
                      "text = urllib.request.urlopen(sys.argv[1]).read().decode()\n"
                      "for family in text_string_to_metric_families(text):\n"
                      "    for s in family.samples:\n"
                      "        if s.name == 'zeph7208_pulses_total':\n"
                      "            print(s.labels['device'], s.labels['input'], int(s.value))\n",
                      QString("http://127.0.0.1:%1/metrics").arg(metricsPort)});
        QVERIFY(parser.waitForFinished(20000));
        const QString scraped = QString::fromUtf8(parser.readAllStandardOutput());
        QVERIFY2(parser.exitCode() == 0, qPrintable(QString::fromUtf8(parser.readAllStandardError())));
        QVERIFY2(scraped.contains(QString("a 1 %1\n").arg(expectedA)), qPrintable(scraped));
        QVERIFY2(scraped.contains(QString("b 2 %1\n").arg(expectedB)), qPrintable(scraped));

        ::kill(pid_t(m_gateway.processId()), SIGTERM);
        QVERIFY(m_gateway.waitForFinished(10000));
        QCOMPARE(m_gateway.exitCode(), 0);
        QVERIFY(systemd.Received().contains("STOPPING=1"));
    }
};

QTEST_GUILESS_MAIN(TestGateway)
#include "tst_gateway.moc"
