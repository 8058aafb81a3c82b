// SPDX-License-Identifier: MIT
// The serial-port group of the window against simulated devices: listing, preselecting, opening and
// closing, the lamps, open failures, the list following ports as they come and go, an unplug, network
// ports beside the serial ones, and the application INI file that remembers the port.
#include "WindowFixture.h"

#include "app/CommandLine.h"
#include "app/DesktopIdentity.h"
#include "app/NetworkPortDialog.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TShape.h"
#include "app/widgets/TSpeedButton.h"
#include "common/HoldingProcess.h"
#include "common/Ser2net.h"
#include "common/SettingsPages.h"
#include "comport/ComPort.h"
#include "comport/PortProbe.h"
#include "comport/PortWatcher.h"
#include "ProductVersion.h"
#include "settingsfile/IniFile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include <csignal>
#include <ctime>
#include <optional>

using namespace zeph;
using zeph::test::Control;
using zeph::test::IsolatedOptions;
using zeph::test::RecordingDialogs;
using zeph::test::SessionOf;

namespace {

const QColor Green(13, 151, 30);

QListWidget* PortList(const QWidget& form) {
    return Control<QListWidget>(&form, "ListBox_ComPortLista");
}

QPushButton* Button(const QWidget& form, const QString& name) {
    return Control<QPushButton>(&form, name);
}

QColor Lamp(const QWidget& form, const QString& name) {
    return Control<app::TShape>(&form, name)->BrushColor();
}

QString Listed(const QWidget& form, int row) {
    return PortList(form)->item(row)->text();
}

QString Selected(const QWidget& form) {
    auto* item = PortList(form)->currentItem();
    return item ? item->text() : QString();
}

settingsfile::IniFile ReadIni(const QString& path) {
    settingsfile::IniFile ini;
    ini.Load(path);
    return ini;
}

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestPortWindow : public QObject {
    Q_OBJECT

    std::vector<std::unique_ptr<sim::SimulatedDevice>> devices;
    QStringList ports; // the devices' paths in the order the list shows them: highest first

private slots:
    void initTestCase() {
        for (int i = 0; i < 2; ++i) {
            devices.push_back(std::make_unique<sim::SimulatedDevice>());
            QString error;
            QVERIFY2(devices.back()->Start(&error), qPrintable(error));
            ports << devices.back()->PortPath();
        }
        std::sort(ports.begin(), ports.end(),
                  [](const QString& a, const QString& b) { return comport::NaturalLess(b, a); });
    }
    void cleanupTestCase() { devices.clear(); }

    void listShowsHighestFirstAndPreselects_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("selectedRow");
        QTest::newRow("no INI file: the top entry") << QByteArray() << 0;
        QTest::newRow("remembered port present") << QByteArray("[Com]\r\nListBox_ComPortlista=%1\r\n") << 1;
        QTest::newRow("remembered port in other letter case")
            << QByteArray("[COM]\r\n listbox_comportlista = %1\r\n") << 1;
        QTest::newRow("remembered port absent") << QByteArray("[Com]\r\nListBox_ComPortlista=COM7\r\n") << 0;
    }
    void listShowsHighestFirstAndPreselects() {
        QFETCH(QByteArray, ini);
        QFETCH(int, selectedRow);
        QTemporaryDir dir;
        // The first port named is not there, so the remembered port or the top entry is chosen.
        const app::StartOptions options = IsolatedOptions(dir, {dir.filePath("gone"), ports[1], ports[0]});
        if (!ini.isEmpty())
            WriteFile(options.iniPath, QString::fromLatin1(ini).replace("%1", ports[1]).toUtf8());
        app::TForm_Main form(options);
        QCOMPARE(PortList(form)->count(), 2);
        QCOMPARE(Listed(form, 0), ports[0]);
        QCOMPARE(Listed(form, 1), ports[1]);
        QCOMPARE(Selected(form), ports[selectedRow]);
        // A refresh keeps the user's own choice.
        PortList(form)->setCurrentRow(1 - selectedRow);
        Button(form, "Button_PortokLekerdezese")->click();
        QCOMPARE(PortList(form)->count(), 2);
        QCOMPARE(Selected(form), ports[1 - selectedRow]);
    }

    void openAndCloseThroughTheButtons() {
        test::SimulatedBench bench;
        auto& form = *bench.form;
        QCOMPARE(Lamp(form, "Shape_Port"), form.palette().color(QPalette::Button));
        QVERIFY(bench.Open());
        auto* port = Control<comport::TComPort>(&form, "ComPort1");
        QVERIFY(port->IsOpen());
        QCOMPARE(Lamp(form, "Shape_Port"), Green);
        QCOMPARE(Control(&form, "Shape_Port")->accessibleName(), QString("Port open"));
        QVERIFY(!PortList(form)->isEnabled());
        QVERIFY(!bench.Button("Button_Megnyitas")->isEnabled());
        QVERIFY(bench.Button("Button_ZT7208AktBeallKiolvasas")->isEnabled());

        // A request lights TX red and its answer RX green; both go out 500 ms after the last activity.
        bench.Button("Button_ZT7208AktBeallKiolvasas")->click();
        QTRY_COMPARE(Lamp(form, "Shape_TX"), QColor(255, 0, 0));
        QCOMPARE(Control(&form, "Shape_TX")->accessibleName(), QString("TX active"));
        QTRY_COMPARE(Lamp(form, "Shape_RX"), Green);
        QCOMPARE(Control(&form, "Shape_RX")->accessibleName(), QString("RX active"));
        QTRY_COMPARE_WITH_TIMEOUT(Lamp(form, "Shape_TX"), QColor(Qt::white), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(Lamp(form, "Shape_RX"), QColor(Qt::white), 2000);
        QCOMPARE(Control(&form, "Shape_TX")->accessibleName(), QString("TX idle"));

        bench.Button("Button_Bezaras")->click();
        QVERIFY(!bench.Session().PortIsOpen());
        QVERIFY(!port->IsOpen());
        QCOMPARE(Lamp(form, "Shape_Port"), QColor(Qt::white));
        QCOMPARE(Control(&form, "Shape_Port")->accessibleName(), QString("Port closed"));
        QVERIFY(PortList(form)->isEnabled());
        QVERIFY(!bench.Button("Button_ZT7208AktBeallKiolvasas")->isEnabled());
        QVERIFY(bench.dialogs.messages.isEmpty());
    }

    void openFailuresShowABoxAndChangeNothing() {
        test::SimulatedBench bench;
        // Another program holds the port without any lock: the open is refused and names it.
        std::optional<test::HoldingProcess> terminal(bench.device->PortPath());
        QVERIFY(terminal->WaitUntilHolding());
        QVERIFY(!bench.Open());
        QCOMPARE(bench.dialogs.messages.size(), 1);
        QCOMPARE(bench.dialogs.messages[0].kind, app::MessageKind::Error);
        QCOMPARE(bench.dialogs.messages[0].text,
                 QString("TCOMPORT : cannot open %1\rIn use by another program: "
                         "sleep (PID %2).")
                     .arg(bench.device->PortPath())
                     .arg(terminal->Pid()));
        QVERIFY(bench.Button("Button_Megnyitas")->isEnabled());
        QVERIFY(PortList(*bench.form)->isEnabled());
        // Refreshed, the list keeps the port named with --port and marks it; released, the mark goes.
        auto* hint = Control<QLabel>(bench.form.get(), "Label_PortHint");
        const auto marked = [&] { return !PortList(*bench.form)->item(0)->icon().isNull(); };
        bench.Button("Button_PortokLekerdezese")->click();
        QCOMPARE(PortList(*bench.form)->count(), 1);
        QVERIFY(marked());
        QVERIFY(hint->isHidden());
        terminal.reset();
        bench.Button("Button_PortokLekerdezese")->click();
        QCOMPARE(PortList(*bench.form)->count(), 1);
        QVERIFY(!marked());

        // No port found: the list is empty and there is nothing to open.
        QTemporaryDir dir;
        app::TForm_Main form(IsolatedOptions(dir));
        RecordingDialogs dialogs;
        form.SetDialogs(&dialogs);
        QCOMPARE(PortList(form)->count(), 0);
        Button(form, "Button_Megnyitas")->click();
        QVERIFY(!SessionOf(&form).PortIsOpen());
        QCOMPARE(dialogs.Texts(), QStringList{"No serial port is selected in the list."});
        QVERIFY(Button(form, "Button_Megnyitas")->isEnabled());
    }

    // Started with --port naming a port that another program holds: that port is listed, marked and
    // chosen ahead of the remembered one, and its open says who has it; no other port stands in for it.
    void namedBusyPortIsChosenAndRefused() {
        test::HoldingProcess terminal(ports[1]);
        QVERIFY(terminal.WaitUntilHolding());
        QTemporaryDir dir;
        const app::StartOptions options = IsolatedOptions(dir, {ports[1], ports[0]});
        WriteFile(options.iniPath, "[Com]\r\nListBox_ComPortlista=" + ports[0].toUtf8() + "\r\n");
        app::TForm_Main form(options);
        RecordingDialogs dialogs;
        form.SetDialogs(&dialogs);
        QCOMPARE(PortList(form)->count(), 2);
        QCOMPARE(Selected(form), ports[1]);
        const QString inUse = QString("In use by another program: sleep (PID %1).").arg(terminal.Pid());
        const QListWidgetItem* item = PortList(form)->currentItem();
        const QString description = item->data(Qt::AccessibleDescriptionRole).toString();
        QVERIFY2(description.startsWith(inUse + "\n"), qPrintable(description));
        QCOMPARE(item->toolTip(), description);
        QVERIFY(!item->icon().isNull());
        QVERIFY(PortList(form)->item(0)->icon().isNull());

        Button(form, "Button_Megnyitas")->click();
        QVERIFY(!SessionOf(&form).PortIsOpen());
        QCOMPARE(dialogs.Texts(), QStringList{"TCOMPORT : cannot open " + ports[1] + "\r" + inUse});
    }

    void heldPortIsNotListed() {
        comport::TComPort holder;
        holder.Port = ports[0];
        holder.Open();
        QTemporaryDir dir;
        app::TForm_Main form(IsolatedOptions(dir, ports));
        QCOMPARE(PortList(form)->count(), 1);
        QCOMPARE(Listed(form, 0), ports[1]);
        QCOMPARE(Control<QLabel>(&form, "Label_PortHint")->text(),
                 QString("1 port hidden: in use by this program"));
    }

    // The adapter is pulled out during a continuous refresh: one box, the port closed as by its button,
    // the readings kept but marked stale, nothing left running; a good read later clears the mark.
    void unplugDuringContinuousRefresh() {
        QTemporaryDir dir;
        const QString link = dir.filePath("ports/zeph7208");
        QVERIFY(QDir().mkpath(dir.filePath("ports")));
        auto device = std::make_unique<sim::SimulatedDevice>();
        QString error;
        QVERIFY2(device->Start(&error), qPrintable(error));
        QVERIFY(QFile::link(device->PortPath(), link));
        app::TForm_Main form(IsolatedOptions(dir, {link}));
        RecordingDialogs dialogs;
        form.SetDialogs(&dialogs);
        auto& session = SessionOf(&form);
        Button(form, "Button_Megnyitas")->click();
        QVERIFY(session.PortIsOpen());
        Control<QTabWidget>(&form, "PageControl_ZT7208")->setCurrentIndex(1);
        auto* counter = Control<app::TColorLabel>(&form, "Label_7208Szamlalo1");
        Control<app::TSpeedButton>(&form, "SpeedButton_7208FolymatosKiolvasas")->click();
        QTRY_VERIFY_WITH_TIMEOUT(counter->text() != "???", 5000);

        device->HangUpNow();
        const QString gone = QString("The serial port %1 was disconnected.").arg(link);
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.Texts(), QStringList{gone}, 5000);
        QVERIFY(!session.PortIsOpen());
        QVERIFY(!Control<comport::TComPort>(&form, "ComPort1")->IsOpen());
        QCOMPARE(Lamp(form, "Shape_Port"), QColor(Qt::white));
        QVERIFY(Button(form, "Button_Megnyitas")->isEnabled() && PortList(form)->isEnabled());
        QVERIFY(!Control<app::TSpeedButton>(&form, "SpeedButton_7208FolymatosKiolvasas")->Down());
        // The list was refreshed: the pulled port is no longer offered.
        QCOMPARE(PortList(form)->count(), 0);
        const QString reading = counter->text();
        QCOMPARE(reading.isEmpty() || reading == "???", false);
        QVERIFY(!counter->isEnabled());
        auto* banner = Control<QLabel>(&form, "Label_StaleReadings");
        QVERIFY(!banner->isHidden() && banner->text().contains(link));

        const double cpuBefore = ProcessCpuSeconds();
        // Idle time is the thing measured here; long enough for a no-answer box to have come.
        QTest::qWait(2500);
        const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
        QVERIFY2(cpuUsed < 0.5, qPrintable(QString("%1 s CPU in 2.5 s after the unplug").arg(cpuUsed)));
        QCOMPARE(dialogs.Texts(), QStringList{gone});
        QCOMPARE(Lamp(form, "Shape_TX"), QColor(Qt::white));
        QCOMPARE(Lamp(form, "Shape_RX"), QColor(Qt::white));
        QCOMPARE(counter->text(), reading);

        // Plugged in again: offered without a refresh, and the first good read is current again.
        QVERIFY(device->Start(&error));
        QVERIFY(QFile::remove(link) && QFile::link(device->PortPath(), link));
        QTRY_COMPARE_WITH_TIMEOUT(PortList(form)->count(), 1, 3000);
        Button(form, "Button_Megnyitas")->click();
        Button(form, "Button_7208ImpulzusKiolvasas")->click();
        QTRY_VERIFY_WITH_TIMEOUT(counter->isEnabled(), 5000);
        QVERIFY(banner->isHidden());
        QCOMPARE(dialogs.Texts(), QStringList{gone});
    }

    // A port appears and goes without "Refresh list"; while nothing changes, the watcher sleeps.
    void listFollowsPortsWithoutRefresh() {
        QTemporaryDir dir;
        const QString link = dir.filePath("ports/zeph7208");
        app::TForm_Main form(IsolatedOptions(dir, {link}));
        auto* hint = Control<QLabel>(&form, "Label_PortHint");
        QCOMPARE(PortList(form)->count(), 0);
        QCOMPARE(hint->text(), QString("1 port hidden: %1 not found").arg(link));
        const auto* watcher = form.findChild<const comport::PortWatcher*>("PortWatcher");
        QVERIFY(watcher);
        // Idle time is the thing measured here, so this one waits fixed seconds.
        QTest::qWait(3000);
        QVERIFY2(watcher->WakeUps() <= 3, qPrintable(QString("%1 wake-ups in 3 s").arg(watcher->WakeUps())));

        QVERIFY(QDir().mkpath(dir.filePath("ports")));
        QVERIFY(QFile::link(ports[0], link));
        QTRY_COMPARE_WITH_TIMEOUT(PortList(form)->count(), 1, 2000);
        QCOMPARE(Listed(form, 0), link);
        QVERIFY(hint->isHidden());
        QVERIFY(QFile::remove(link));
        QTRY_COMPARE_WITH_TIMEOUT(PortList(form)->count(), 0, 2000);
        QVERIFY(!hint->isHidden());
    }

    // Two adapters swapped their numbers since the last run: the remembered one is found by its stable
    // name, each entry tells its adapter, and the stable name is kept on close.
    void rememberedAdapterFoundByItsStableName() {
        QTemporaryDir dir;
        app::StartOptions options = IsolatedOptions(dir);
        QVERIFY(QDir().mkpath(options.devRoot + "/serial/by-id"));
        for (int i = 0; i < 2; ++i) {
            const QString tty = QString("ttyUSB%1").arg(i);
            const QString sysfsTty = options.sysfsRoot + "/class/tty/" + tty;
            QVERIFY(QDir().mkpath(sysfsTty) && QDir().mkpath(options.sysfsRoot + "/devices/usb/" + tty));
            QVERIFY(QFile::link(options.sysfsRoot + "/devices/usb/" + tty, sysfsTty + "/device"));
            QVERIFY(QFile::link(ports[1 - i], options.devRoot + "/" + tty));
        }
        const QString adapterB = options.devRoot + "/serial/by-id/usb-Maker_B_0002-if00-port0";
        QVERIFY(QFile::link("../../ttyUSB0", options.devRoot + "/serial/by-id/usb-Maker_A_0001-if00-port0"));
        QVERIFY(QFile::link("../../ttyUSB1", adapterB));
        WriteFile(options.iniPath, "[Com]\r\nListBox_ComPortlista=" + options.devRoot.toUtf8() +
                                       "/ttyUSB0\r\n[Configurator]\r\nPortById=" + adapterB.toUtf8() +
                                       "\r\n");
        {
            app::TForm_Main form(options);
            QCOMPARE(Selected(form), options.devRoot + "/ttyUSB1");
            const QString details = PortList(form)->item(0)->toolTip();
            QVERIFY2(details.contains("Product: Maker B 0002\nStable name: " + adapterB),
                     qPrintable(details));
            QCOMPARE(PortList(form)->item(0)->data(Qt::AccessibleDescriptionRole).toString(), details);
            form.close();
        }
        const settingsfile::IniFile ini = ReadIni(options.iniPath);
        QCOMPARE(ini.ReadString("Com", "ListBox_ComPortlista", ""), options.devRoot + "/ttyUSB1");
        QCOMPARE(ini.ReadString("Configurator", "PortById", ""), adapterB);
    }

    void iniFileOnClose_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("withPorts");
        QTest::addColumn<QString>("expectedCom");
        QTest::addColumn<QStringList>("expectedP2");
        const QStringList defaults{"0", "65535", "0", "65535"};
        QTest::newRow("first run") << QByteArray() << true << "%0" << defaults;
        QTest::newRow("values carried through")
            << QByteArray(
                   "[P2]\r\niP2_PWMCopyed4mA1=7\r\niP2_PWMCopyed20mA1=0x10\r\niP2_PWMCopyed4mA2=-3\r\n")
            << true << "%0" << QStringList{"7", "16", "-3", "65535"};
        QTest::newRow("P2 letters give the default")
            << QByteArray("[P2]\r\niP2_PWMCopyed4mA1=abc\r\n") << true << "%0" << defaults;
        QTest::newRow("empty list keeps the earlier port")
            << QByteArray("[Com]\r\nListBox_ComPortlista=COM4\r\n[P2]\r\niP2_PWMCopyed4mA1=9\r\n") << false
            << "COM4" << QStringList{"9", "", "", ""};
    }
    void iniFileOnClose() {
        QFETCH(QByteArray, before);
        QFETCH(bool, withPorts);
        QFETCH(QString, expectedCom);
        QFETCH(QStringList, expectedP2);
        QTemporaryDir dir;
        const app::StartOptions options =
            IsolatedOptions(dir, withPorts ? QStringList{ports[0]} : QStringList{});
        if (!before.isEmpty()) WriteFile(options.iniPath, before);
        {
            app::TForm_Main form(options);
            RecordingDialogs dialogs;
            form.SetDialogs(&dialogs);
            form.close();
            QVERIFY(dialogs.messages.isEmpty());
        }
        const settingsfile::IniFile ini = ReadIni(options.iniPath);
        QVERIFY(!ini.ReadString("Date", "Date", "").isEmpty());
        QCOMPARE(ini.ReadString("Com", "ListBox_ComPortlista", "-"), expectedCom.replace("%0", ports[0]));
        const QStringList keys{"iP2_PWMCopyed4mA1", "iP2_PWMCopyed20mA1", "iP2_PWMCopyed4mA2",
                               "iP2_PWMCopyed20mA2"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(ini.ReadString("P2", keys[i], ""), expectedP2[i]);
    }

    void rememberedPortRoundTrip() {
        QTemporaryDir dir;
        // The first port named is not there, so it does not stand in for the remembered one.
        const app::StartOptions options = IsolatedOptions(dir, QStringList{dir.filePath("gone")} + ports);
        {
            app::TForm_Main form(options);
            form.show();
            QCOMPARE(Selected(form), ports[0]);
            // The user picks the second port with the arrow key.
            QTest::keyClick(PortList(form), Qt::Key_Down);
            QCOMPARE(Selected(form), ports[1]);
            form.close();
        }
        app::TForm_Main again(options);
        QCOMPARE(Selected(again), ports[1]);
    }

    void closingWithThePortOpenClosesItFirst() {
        test::SimulatedBench bench;
        const QString iniPath = IsolatedOptions(bench.dir).iniPath;
        QVERIFY(bench.Open());
        // The port closes before the INI file is written.
        int closes = 0;
        bool iniWrittenBeforeClose = true;
        connect(&bench.Session(), &session::DeviceSession::PortClosed, this, [&] {
            ++closes;
            iniWrittenBeforeClose = QFile::exists(iniPath);
        });
        bench.form->close();
        QCOMPARE(closes, 1);
        QVERIFY(!iniWrittenBeforeClose);
        QVERIFY(!Control<comport::TComPort>(bench.form.get(), "ComPort1")->IsOpen());
        QCOMPARE(Lamp(*bench.form, "Shape_Port"), QColor(Qt::white));
        QCOMPARE(ReadIni(iniPath).ReadString("Com", "ListBox_ComPortlista", ""), bench.device->PortPath());
    }

    void demoModeListsAndPreselectsItsDevice() {
        QTemporaryDir dir;
        app::StartOptions options = IsolatedOptions(dir, {ports[0]});
        options.demo = true;
        WriteFile(options.iniPath, "[Com]\r\nListBox_ComPortlista=" + ports[0].toUtf8() + "\r\n");
        {
            app::TForm_Main form(options);
            RecordingDialogs dialogs;
            form.SetDialogs(&dialogs);
            auto& session = SessionOf(&form);
            // The demo's own device is listed beside the user's port, and preselected over it.
            QCOMPARE(PortList(form)->count(), 2);
            const QString demoPort = Selected(form);
            QVERIFY(!demoPort.isEmpty() && demoPort != ports[0]);
            QVERIFY(QFile::exists(demoPort));
            Button(form, "Button_Megnyitas")->click();
            QVERIFY(session.PortIsOpen());
            QCOMPARE(session.PortName(), demoPort);
            // It answers a read with its factory settings.
            Button(form, "Button_ZT7208AktBeallKiolvasas")->click();
            QTRY_VERIFY_WITH_TIMEOUT(app::ReadSettingsPage(&form) == test::WorkedExamplePage(), 3000);
            QTRY_VERIFY_WITH_TIMEOUT(session.IsQuiet(), 3000);
            QVERIFY(dialogs.messages.isEmpty());

            // The demo's counters move: input 6 counts 20 pulses a second.
            const auto counterOfInput6 = [&] {
                Button(form, "Button_7208ImpulzusKiolvasas")->click();
                if (!QTest::qWaitFor([&] { return session.IsQuiet(); }, 3000)) return -1;
                return Control<app::TColorLabel>(&form, "Label_7208Szamlalo6")->text().remove(' ').toInt();
            };
            const int before = counterOfInput6();
            QTest::qWait(600);
            const int after = counterOfInput6();
            QVERIFY2(before >= 0 && after > before, qPrintable(QString("%1 then %2").arg(before).arg(after)));
            QVERIFY(dialogs.messages.isEmpty());
            form.close();
        }
        // The demo's throw-away port does not replace the user's own in the INI file.
        QCOMPARE(ReadIni(options.iniPath).ReadString("Com", "ListBox_ComPortlista", ""), ports[0]);
    }

    // One row per path: added through the dialog after the serial port, marked and chosen; a malformed
    // answer refused; removed by the button and by Delete; named with --port. Each then survives a restart
    // through the INI file, whose serial port stays as it was.
    void networkPorts_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("messages");
        const QString a = "tcp://a:1", b = "rfc2217://[::1]:2";
        QTest::newRow("added") << "add"
                               << "TCP://plc.local:4001" << QStringList{a, b, "tcp://plc.local:4001"}
                               << "tcp://plc.local:4001" << QStringList{};
        QTest::newRow("malformed refused")
            << "add"
            << "tcp://plc" << QStringList{a, b} << b
            << QStringList{"tcp://plc: no port number after the host; write tcp://HOST:PORT."};
        QTest::newRow("removed by the button") << "button"
                                               << "" << QStringList{a} << a << QStringList{};
        QTest::newRow("removed by Delete") << "delete"
                                           << "" << QStringList{a} << a << QStringList{};
        QTest::newRow("named on the command line")
            << "named"
            << "TCP://plc:4001" << QStringList{a, b, "tcp://plc:4001"} << "tcp://plc:4001" << QStringList{};
    }
    void networkPorts() {
        QFETCH(QString, action);
        QFETCH(QString, answer);
        QFETCH(QStringList, listed);
        QFETCH(QString, chosen);
        QFETCH(QStringList, messages);
        QTemporaryDir dir;
        // The first serial port named is not there, so the remembered network port is chosen, unless a
        // network port is named first.
        const QStringList named = action == "named" ? QStringList{answer} : QStringList{};
        const app::StartOptions options =
            IsolatedOptions(dir, named + QStringList{dir.filePath("gone"), ports[0]});
        WriteFile(options.iniPath,
                  "[Com]\r\nListBox_ComPortlista=COM4\r\n[Configurator]\r\n"
                  "NetworkPorts=tcp://a:1 rfc2217://[::1]:2\r\nNetworkPort=rfc2217://[::1]:2\r\n");
        const auto shows = [&](const QWidget& form) {
            QCOMPARE(PortList(form)->count(), 1 + listed.size());
            QCOMPARE(Listed(form, 0), ports[0]);
            for (int row = 1; row <= listed.size(); ++row) {
                QCOMPARE(Listed(form, row), listed[row - 1]);
                const QListWidgetItem* item = PortList(form)->item(row);
                QVERIFY(!item->icon().isNull());
                QCOMPARE(item->toolTip(), listed[row - 1].startsWith("tcp")
                                              ? QString("Network port (raw TCP)")
                                              : QString("Network port (RFC 2217)"));
            }
            QCOMPARE(Selected(form), chosen);
            QVERIFY(Button(form, "Button_RemoveNetworkPort")->isEnabled());
        };
        {
            app::TForm_Main form(options);
            RecordingDialogs dialogs;
            form.SetDialogs(&dialogs);
            dialogs.networkPortAnswers << answer;
            if (action == "add") Button(form, "Button_AddNetworkPort")->click();
            if (action == "button") Button(form, "Button_RemoveNetworkPort")->click();
            if (action == "delete") {
                form.show();
                QVERIFY(QTest::qWaitForWindowActive(&form));
                PortList(form)->setFocus();
                QTest::keyClick(PortList(form), Qt::Key_Delete);
            }
            QCOMPARE(dialogs.Texts(), messages);
            Button(form, "Button_PortokLekerdezese")->click();
            shows(form);
            form.close();
        }
        const settingsfile::IniFile ini = ReadIni(options.iniPath);
        QCOMPARE(ini.ReadString("Configurator", "NetworkPorts", ""), listed.join(' '));
        QCOMPARE(ini.ReadString("Configurator", "NetworkPort", ""), chosen);
        QCOMPARE(ini.ReadString("Com", "ListBox_ComPortlista", ""), QString("COM4"));
        app::TForm_Main again(options);
        shows(again);
    }

    // The simulator serving on TCP, opened from the list as a serial port is: a read over raw TCP, then
    // the server gone, told by its host and port; RFC 2217 at a server that does not speak it, one
    // warning with the line left open; nobody listening, the line's own reason.
    void networkPortOnTheLine_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("read, then lost") << "lost";
        QTest::newRow("setting not taken") << "notice";
        QTest::newRow("nobody listening") << "refused";
    }
    void networkPortOnTheLine() {
        QFETCH(QString, path);
        sim::SimulatedDevice device;
        QString error;
        QVERIFY2(device.StartOnTcp("127.0.0.1", 0, &error), qPrintable(error));
        const QString endpoint = device.TcpAddress();
        const QString text = (path == "notice" ? "rfc2217://" : "tcp://") + endpoint;
        QTemporaryDir dir;
        app::TForm_Main form(IsolatedOptions(dir, {text}));
        RecordingDialogs dialogs;
        form.SetDialogs(&dialogs);
        auto& session = SessionOf(&form);
        if (path == "refused") {
            device.Stop();
            line::LineError reason;
            QVERIFY(!session::DeviceSession().Open(text, &reason));
            Button(form, "Button_Megnyitas")->click();
            QCOMPARE(dialogs.Texts(), QStringList{reason.text});
            return;
        }
        Button(form, "Button_Megnyitas")->click();
        QVERIFY(session.PortIsOpen());
        QCOMPARE(Lamp(form, "Shape_Port"), Green);
        QVERIFY(!PortList(form)->isEnabled() && !Button(form, "Button_RemoveNetworkPort")->isEnabled());
        if (path == "notice") {
            QTRY_COMPARE(dialogs.messages.size(), 1);
            QCOMPARE(dialogs.messages[0].kind, app::MessageKind::Warning);
            QVERIFY(dialogs.messages[0].text.startsWith("The serial server at " + endpoint));
            QVERIFY(session.PortIsOpen());
            return;
        }
        Button(form, "Button_ZT7208AktBeallKiolvasas")->click();
        QTRY_VERIFY_WITH_TIMEOUT(app::ReadSettingsPage(&form) == test::WorkedExamplePage(), 3000);
        device.HangUpNow();
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.Texts(),
                                  QStringList{"The connection to " + endpoint + " was lost."}, 5000);
        QVERIFY(!session.PortIsOpen() && PortList(form)->isEnabled());
        QCOMPARE(Selected(form), text);
    }

    // Debian's ser2net in front of the simulator: the window reads through it, tells the loss when the
    // server stops, and opens again once it is back.
    void serialServerGoneAndBack() {
        sim::SimulatedDevice device;
        QString error;
        QVERIFY2(device.Start(&error), qPrintable(error));
        testing::Ser2net server(device.PortPath(), "19200n81");
        QVERIFY2(server.Start(&error), qPrintable(error));
        QTemporaryDir dir;
        app::TForm_Main form(IsolatedOptions(dir, {server.TelnetPortText()}));
        RecordingDialogs dialogs;
        form.SetDialogs(&dialogs);
        const auto readSettings = [&] {
            app::ShowSettingsPage(&form, test::MarkerPage());
            Button(form, "Button_ZT7208AktBeallKiolvasas")->click();
            QTRY_VERIFY_WITH_TIMEOUT(app::ReadSettingsPage(&form) == test::WorkedExamplePage(), 3000);
        };
        Button(form, "Button_Megnyitas")->click();
        QVERIFY(SessionOf(&form).PortIsOpen());
        readSettings();
        server.Stop();
        QTRY_COMPARE_WITH_TIMEOUT(
            dialogs.Texts(),
            QStringList{QString("The connection to 127.0.0.1:%1 was lost.").arg(server.TelnetPort())}, 5000);
        QVERIFY2(server.Start(&error), qPrintable(error));
        Button(form, "Button_Megnyitas")->click();
        QVERIFY(SessionOf(&form).PortIsOpen());
        readSettings();
        QCOMPARE(dialogs.Texts().size(), 1);
    }

    // The dialog puts its entries together and lets the port text parser judge them: a refusal stays in
    // the dialog with the parser's words and the focus on the field at fault.
    void networkPortDialog_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<QString>("allowance");
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("atFault");
        QTest::newRow("raw TCP") << " plc.local " << false << ""
                                 << "tcp://plc.local:4001"
                                 << ""
                                 << "";
        QTest::newRow("RFC 2217, IPv6, allowance") << "::1" << true << "800"
                                                   << "rfc2217://[::1]:4001?allowance_ms=800"
                                                   << ""
                                                   << "";
        QTest::newRow("no host") << "" << false << ""
                                 << ""
                                 << "tcp://:4001: no host before the port number."
                                 << "LineEdit_Host";
        QTest::newRow("allowance not a number") << "plc" << false << "soon"
                                                << ""
                                                << "tcp://plc:4001?allowance_ms=soon: allowance_ms must be a "
                                                   "whole number of milliseconds from 0 to "
                                                   "60000."
                                                << "LineEdit_Allowance";
    }
    void networkPortDialog() {
        QFETCH(QString, host);
        QFETCH(bool, rfc2217);
        QFETCH(QString, allowance);
        QFETCH(QString, portText);
        QFETCH(QString, refusal);
        QFETCH(QString, atFault);
        app::NetworkPortDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        Control<QLineEdit>(&dialog, "LineEdit_Host")->setText(host);
        Control<QRadioButton>(&dialog, rfc2217 ? "RadioButton_Rfc2217" : "RadioButton_RawTcp")
            ->setChecked(true);
        Control<QLineEdit>(&dialog, "LineEdit_Allowance")->setText(allowance);
        // Enter in the host field is OK.
        QTest::keyClick(Control<QLineEdit>(&dialog, "LineEdit_Host"), Qt::Key_Return);
        QCOMPARE(dialog.result() == QDialog::Accepted, refusal.isEmpty());
        QCOMPARE(dialog.PortText(), portText);
        auto* shown = Control<QLabel>(&dialog, "Label_NetworkPortError");
        QCOMPARE(shown->isVisible(), !refusal.isEmpty());
        if (refusal.isEmpty()) return;
        QCOMPARE(shown->text(), refusal);
        QCOMPARE(QApplication::focusWidget()->objectName(), atFault);
    }

    void commandLineOffersPortsAndDemoMode() {
        QCommandLineParser parser;
        app::AddCommandLineOptions(parser);
        QVERIFY(parser.parse({"zeph7208-configurator", "--port", "/dev/ttyX1", "--port", "/tmp/sim", "--demo",
                              "--language", "HU", "plant.zsf"}));
        const app::StartOptions options = app::StartOptionsFrom(parser);
        QCOMPARE(options.ports, (QStringList{"/dev/ttyX1", "/tmp/sim"}));
        QVERIFY(options.demo);
        QCOMPARE(options.settingsFile, QString("plant.zsf"));
        QVERIFY(options.languageChoice == app::Language::Hungarian);
    }

    // The icon of every window comes built in, at the sizes installed for the menu entry; the desktop
    // entry's name ties the windows to that entry.
    void desktopIdentity() {
        app::ApplyDesktopIdentity();
        QCOMPARE(QGuiApplication::desktopFileName(), QString("org.zeph7208.Configurator"));
        QList<QSize> sizes;
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            sizes << QSize(size, size);
        QCOMPARE(QGuiApplication::windowIcon().availableSizes(), sizes);
    }

    // --help, --version and every option error also over SSH, with no display and no platform chosen;
    // without them, the lack of a display in one line instead of Qt's abort.
    void programAnswersVersionAndHelpAndRefusesStrangers_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QString("zeph7208-configurator ") + ProductVersion;
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--port <PATH>";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 1 << "Unknown option 'bogus'";
        QTest::newRow("unknown language")
            << QStringList{"--language", "fr"} << 1 << "unknown language 'fr': give hu or en";
        QTest::newRow("malformed network port")
            << QStringList{"--port", "tcp://plc"} << 1
            << "tcp://plc: no port number after the host; write tcp://HOST:PORT.";
        // Qt's own options are no settings files.
        QTest::newRow("two settings files") << QStringList{"-platform", "xcb", "-reverse", "a.zsf", "b.zsf"}
                                            << 1 << "give one settings file at most";
        QTest::newRow("no display") << QStringList{"--demo"} << 1
                                    << "zeph7208-configurator: no display: the window needs X11 or Wayland";
    }
    void programAnswersVersionAndHelpAndRefusesStrangers() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(name);
        program.setProcessEnvironment(environment);
        program.start(ZEPH_CONFIGURATOR_PROGRAM, arguments);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), exitCode);
        const QString printed =
            QString::fromLocal8Bit(program.readAllStandardOutput() + program.readAllStandardError());
        QVERIFY2(printed.contains(output), qPrintable(printed));
    }

    // A termination signal closes the window as its close button does, which writes the INI file, and
    // the program ends normally. The program is copied into a folder of its own, which it may write but
    // has no INI file in: the file goes into the user's configuration folder, made here too.
    void terminationSignalClosesTheWindow_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void terminationSignalClosesTheWindow() {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString program = dir.filePath("zeph7208-configurator");
        QVERIFY(QFile::copy(ZEPH_CONFIGURATOR_PROGRAM, program));
        QProcess configurator;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QT_LOGGING_RULES", "zeph.session.debug=true");
        environment.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        configurator.setProcessEnvironment(environment);
        configurator.start(program, {"--port", ports[0]});
        QVERIFY(configurator.waitForStarted(10000));
        // The signal must not come before the program catches it.
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += configurator.readAllStandardError()).contains("catching SIGTERM"),
                                 20000);
        QCOMPARE(::kill(pid_t(configurator.processId()), signal), 0);
        QVERIFY(configurator.waitForFinished(20000));
        QCOMPARE(configurator.exitStatus(), QProcess::NormalExit);
        QCOMPARE(configurator.exitCode(), 0);
        QVERIFY(!ReadIni(dir.filePath("config/zeph7208-configurator/zeph7208-configurator.ini"))
                     .ReadString("Com", "ListBox_ComPortlista", "")
                     .isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("zeph7208-configurator.ini")));
    }

    void unwritableIniEndsQuietly() {
        QTemporaryDir dir;
        app::StartOptions options = IsolatedOptions(dir, {ports[0]});
        options.iniPath = "/proc/zeph7208-configurator.ini"; // nobody, root included, creates files here
        app::TForm_Main form(options);
        RecordingDialogs dialogs;
        form.SetDialogs(&dialogs);
        QVERIFY(form.close());
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(!QFile::exists(options.iniPath));
    }
};

QTEST_MAIN(TestPortWindow)
#include "tst_port_window.moc"
