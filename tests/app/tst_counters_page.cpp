// SPDX-License-Identifier: MIT
// Tests of the counters page against the simulated device: the report on the page, the refreshes,
// the activity highlight, clearing the latched flags and presetting counters. The window is driven
// through its controls, found by name, and watched through its device session.
#include "app/TForm_Main.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TSpeedButton.h"
#include "device/OperationMachine.h"
#include "session/DeviceSession.h"
#include "sim/DeviceModel.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <array>
#include <atomic>
#include <memory>

using namespace zeph;
using app::TColorLabel;
using app::TForm_Main;
using app::TLabeledEdit;
using app::TSpeedButton;
using sim::DeviceModel;
using test::Control;

namespace {
const QColor Orange(254, 101, 35);
const QColor Red(255, 0, 0);
const QString NoAnswer = QStringLiteral("The ZEPH7208 have not responded.");
const QString WrongDevice = QStringLiteral("A #15 This is not a ZEPH7208.");

// The window and a simulated device whose pulses follow the test's clock, so intervals and
// time limits come out exact without waiting for them.
struct ClockedBench {
    QTemporaryDir dir;
    std::shared_ptr<std::atomic<std::uint64_t>> now = std::make_shared<std::atomic<std::uint64_t>>(1000000);
    std::unique_ptr<sim::SimulatedDevice> device;
    std::unique_ptr<TForm_Main> form;
    test::RecordingDialogs dialogs;

    ClockedBench() {
        sim::LineOptions line;
        line.pacing = false;
        auto clock = now;
        device = std::make_unique<sim::SimulatedDevice>(line, [clock] { return clock->load(); });
        QString error;
        if (!device->Start(&error)) qFatal("simulated device: %s", qPrintable(error));
        // No time limits unless a test sets them: the test's clock jumps far ahead.
        device->WithModel([](DeviceModel& m) {
            sim::SettingsRecord settings = m.Settings();
            settings.maxPulseTimeMs.fill(0);
            m.SetSettings(settings);
        });
        form = std::make_unique<TForm_Main>(test::IsolatedOptions(dir, {device->PortPath()}));
        form->SetDialogs(&dialogs);
        ShowTab("TabSheet_Impulzusok");
    }
    ~ClockedBench() {
        form.reset();
        device.reset();
    }
    template <typename F> auto Model(F f) { return device->WithModel(f); }
    void Advance(std::uint64_t ms) { *now += ms; }

    template <typename T = QWidget> T* W(const QString& name) const { return Control<T>(form.get(), name); }
    QPushButton* Button(const QString& name) const { return W<QPushButton>(name); }
    const session::DeviceSession& Session() const { return test::SessionOf(form.get()); }
    // Nothing under way; or an operation asked for or awaiting its answer.
    bool Quiet() const { return Session().IsQuiet(); }
    bool Asked() const { return !Session().IsIdle(); }
    // Brings a page of the window to the front, as a click on its tab does.
    void ShowTab(const QString& page) { W<QTabWidget>("PageControl_ZT7208")->setCurrentWidget(W(page)); }

    // A family of eight controls named prefix + number, the number counting from first (inputs count
    // from 1, error bits from 0).
    template <typename T> std::array<T*, 8> Family(const QString& prefix, int first = 1) const {
        std::array<T*, 8> controls{};
        for (int k = 0; k < 8; ++k)
            controls[std::size_t(k)] = W<T>(prefix + QString::number(k + first));
        return controls;
    }
    std::array<TColorLabel*, 8> Labels(const QString& prefix, int first = 1) const {
        return Family<TColorLabel>(prefix, first);
    }
    // The preset field and Select button of counter k (1..8).
    TLabeledEdit* Field(int k) const {
        return W<TLabeledEdit>(QStringLiteral("LabeledEdit_7208Ertek%1").arg(k));
    }
    TSpeedButton* SelectButton(int k) const {
        return W<TSpeedButton>(QStringLiteral("SpeedButton_7208ErtekBeiras%1").arg(k));
    }
    TSpeedButton* Continuous() const { return W<TSpeedButton>("SpeedButton_7208FolymatosKiolvasas"); }

    // Gives input (0..7) an interval of exactly periodMs: two pulses, then the input goes quiet.
    void SetInterval(int input, std::uint32_t periodMs) {
        Model([&](DeviceModel& m) { m.SetPulseRate(input, 1000.0 / periodMs); });
        Advance(std::uint64_t(periodMs) * 5 / 2);
        Model([&](DeviceModel& m) { m.SetPulseRate(input, 0); });
    }
    // One pulse on each input of the mask.
    void Pulse(std::uint8_t inputs) {
        for (int i = 0; i < 8; ++i)
            if (inputs & (1u << i)) Model([&](DeviceModel& m) { m.SetPulseRate(i, 10); });
        Advance(150);
        for (int i = 0; i < 8; ++i)
            if (inputs & (1u << i)) Model([&](DeviceModel& m) { m.SetPulseRate(i, 0); });
    }

    int PayloadCount(std::uint8_t code) const {
        int count = 0;
        for (const link::Bytes& payload : device->AnsweredPayloads())
            count += payload.size() >= 2 && payload[1] == code;
        return count;
    }
};

QByteArray Hex(const link::Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex(' ');
}
} // namespace

class TestCountersPage : public QObject {
    Q_OBJECT

    std::unique_ptr<ClockedBench> bench;

    void OpenPort() {
        bench->Button("Button_Megnyitas")->click();
        QVERIFY2(bench->Session().PortIsOpen(), qPrintable(bench->dialogs.Texts().join('|')));
    }
    // One click on Refresh, back when the machine has handled the answer (or given up).
    void Refresh() {
        const int answers = bench->device->AnswersSent();
        QVERIFY(bench->Quiet());
        bench->Button("Button_7208ImpulzusKiolvasas")->click();
        QVERIFY(bench->Asked());
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->AnswersSent() > answers && bench->Quiet(), 5000);
    }
    // No read is due: the continuous refresh's timer is stopped, and half a second later (more than two
    // of its periods) it still is, so a request it should not start would show.
    void WaitWithoutRefresh() {
        auto* timer = bench->W<QTimer>("Timer_FolyamatosKiolvasas");
        QVERIFY(!timer->isActive());
        QTest::qWait(500);
        QVERIFY(!timer->isActive());
    }
    void VerifyFlagRow(const std::array<TColorLabel*, 8>& labels, int mask) {
        for (int k = 0; k < 8; ++k) {
            const bool set = mask & (1 << k);
            const QString name = labels[k]->objectName();
            QVERIFY2(labels[k]->isEnabled() == set, qPrintable(name));
            QVERIFY2(labels[k]->Color() == (set ? Red : app::ButtonFace()), qPrintable(name));
            QVERIFY2(labels[k]->FontColor() == (set ? QColor(Qt::white) : app::WindowText()),
                     qPrintable(name));
            // A screen reader hears what the colour shows.
            QCOMPARE(labels[k]->accessibleDescription(), QString(set ? "set" : "clear"));
        }
    }
    void VerifyErrorFlags(const std::array<TColorLabel*, 8>& labels, int flags) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool set = flags & (1 << bit);
            QVERIFY2(labels[bit]->isEnabled(), qPrintable(labels[bit]->objectName()));
            QVERIFY2(labels[bit]->Color() == (set ? Red : app::ButtonFace()),
                     qPrintable(labels[bit]->objectName()));
            QVERIFY2(labels[bit]->FontColor() == (set ? QColor(Qt::white) : app::WindowText()),
                     qPrintable(labels[bit]->objectName()));
            QCOMPARE(labels[bit]->accessibleDescription(), QString(set ? "set" : "clear"));
        }
    }
    std::array<TColorLabel*, 8> CurrentErrors() const { return bench->Labels("Label_7208AltHibaBit", 0); }
    std::array<TColorLabel*, 8> LatchedErrors() const {
        return bench->Labels("Label_7208MegorzodoAltHibaBit", 0);
    }
    // Selects counter k (1..8) with the given field text through its Select button.
    void Select(int k, const QString& text) {
        bench->Field(k)->setText(text);
        bench->SelectButton(k)->click();
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init() { bench = std::make_unique<ClockedBench>(); }
    void cleanup() { bench.reset(); }

    // The formatting and font-size rules themselves are pinned by tst_counters; these rows carry a
    // counter and an interval from the device to the labels on each path (no interval, 12 and 8 points,
    // a counter and an interval of different sizes, the last input).
    void valuesAndFontSizes_data() {
        QTest::addColumn<int>("input");
        QTest::addColumn<quint32>("counter");
        QTest::addColumn<quint32>("interval"); // 0: the input has no interval
        QTest::addColumn<QString>("counterText");
        QTest::addColumn<int>("counterPoints");
        QTest::addColumn<QString>("intervalText");
        QTest::addColumn<int>("intervalPoints");
        QTest::newRow("zero, no interval") << 1 << 0u << 0u << "0" << 12 << "-" << 8;
        QTest::newRow("largest in 12 pt") << 3 << 999999u << 999999u << "999 999" << 12 << "999 999" << 12;
        QTest::newRow("high byte only") << 5 << 16777216u << 1u << "16 777 216" << 8 << "1" << 12;
        QTest::newRow("all ones") << 8 << 4294967295u << 4294967294u << "4 294 967 295" << 8
                                  << "4 294 967 294" << 8;
    }
    void valuesAndFontSizes() {
        QFETCH(int, input);
        QFETCH(quint32, counter);
        QFETCH(quint32, interval);
        QFETCH(QString, counterText);
        QFETCH(int, counterPoints);
        QFETCH(QString, intervalText);
        QFETCH(int, intervalPoints);
        const int i = input - 1;
        const auto counters = bench->Labels("Label_7208Szamlalo");
        const auto intervals = bench->Labels("Label_7208Ido");
        QCOMPARE(counters[i]->text(), QStringLiteral("???"));
        if (interval) bench->SetInterval(i, interval);
        bench->Model([&](DeviceModel& m) { m.SetCounter(i, counter); });
        OpenPort();
        Refresh();
        QCOMPARE(counters[i]->text(), counterText);
        QCOMPARE(counters[i]->FontSize(), counterPoints);
        QCOMPARE(intervals[i]->text(), intervalText);
        QCOMPARE(intervals[i]->FontSize(), intervalPoints);
        // Readers hear each reading with what it is (the texts themselves: tst_access).
        QCOMPARE(counters[i]->accessibleName(), QString("IN%1 counter: %2").arg(input).arg(counterText));
        QVERIFY(intervals[i]->accessibleName().startsWith(QString("IN%1 time between").arg(input)));
        // The report's data source reaches the labels of both pages.
        const auto* source = bench->W<TColorLabel>("Label_7208Adatforras");
        QCOMPARE(source->text(), QStringLiteral("Data source at startup: EEPROM1"));
        QCOMPARE(bench->W<TColorLabel>("Label_7208ParameterAdatforras")->text(), source->text());
        // Every other input reports zero pulses and no interval.
        for (int k = 0; k < 8; ++k) {
            if (k == i) continue;
            QCOMPARE(counters[k]->text(), QStringLiteral("0"));
            QCOMPARE(intervals[k]->text(), QStringLiteral("-"));
        }
        QVERIFY(bench->dialogs.messages.isEmpty());
    }

    void inputFlagRows_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("mask");
        QTest::newRow("open circuit on inputs 1 and 8") << "Szakadas" << 0x81;
        QTest::newRow("short circuit on inputs 3 and 6") << "Zarlat" << 0x24;
        QTest::newRow("time limit on input 2") << "TimeOut" << 0x02;
        QTest::newRow("overflow on inputs 4 and 7") << "Overflow" << 0x48;
    }
    void inputFlagRows() {
        QFETCH(QString, row);
        QFETCH(int, mask);
        const auto inMask = [mask](int i) { return (mask >> i) & 1; };
        bench->Model([&](DeviceModel& m) {
            if (row == "Szakadas") m.SetNamurOpenCircuit(std::uint8_t(mask));
            if (row == "Zarlat") m.SetNamurShortCircuit(std::uint8_t(mask));
            if (row == "TimeOut") {
                sim::SettingsRecord settings = m.Settings();
                for (int i = 0; i < 8; ++i)
                    settings.maxPulseTimeMs[std::size_t(i)] = inMask(i) ? 1000 : 0;
                m.SetSettings(settings);
            }
            if (row == "Overflow")
                for (int i = 0; i < 8; ++i)
                    if (inMask(i)) m.SetCounter(i, 0xFFFFFFFFu);
        });
        if (row == "Overflow") bench->Pulse(std::uint8_t(mask));
        bench->Advance(5000);
        OpenPort();
        Refresh();
        const QStringList rows = {"Szakadas", "Zarlat", "TimeOut", "Overflow"};
        for (const QString& name : rows)
            VerifyFlagRow(bench->Labels("Label_7208" + name), name == row ? mask : 0);

        // The next report without the fault greys the row again.
        bench->Model([&](DeviceModel& m) {
            m.SetNamurOpenCircuit(0);
            m.SetNamurShortCircuit(0);
            sim::SettingsRecord settings = m.Settings();
            settings.maxPulseTimeMs.fill(0);
            m.SetSettings(settings);
            for (int i = 0; i < 8; ++i)
                m.SetCounter(i, 0);
        });
        Refresh();
        for (const QString& name : rows)
            VerifyFlagRow(bench->Labels("Label_7208" + name), 0);
    }

    void errorFlagsAndFirstInitialization_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("lost counts, then NAMUR power") << 0x02 << 0x04;
        QTest::newRow("invalid settings, then nothing") << 0x01 << 0x00;
        QTest::newRow("both, then lost counts only") << 0x03 << 0x02;
        QTest::newRow("module errors, then invalid settings") << 0x18 << 0x01;
    }
    void errorFlagsAndFirstInitialization() {
        QFETCH(int, first);
        QFETCH(int, second);
        OpenPort();
        int latched = 0;
        for (int flags : {first, second}) {
            bench->Model([&](DeviceModel& m) { m.SetErrorFlags(std::uint8_t(flags)); });
            latched |= flags;
            Refresh();
            VerifyErrorFlags(CurrentErrors(), flags);
            VerifyErrorFlags(LatchedErrors(), latched);
            const bool offered = flags & 0x03;
            QCOMPARE(!bench->Button("Button_GyariElsoInic")->isHidden(), offered);
            QCOMPARE(!bench->Button("Button_GyariElsoInicB")->isHidden(), offered);
        }
    }

    void clearResetsLatchedFlags() {
        bench->Model([](DeviceModel& m) { m.SetErrorFlags(0x06); });
        OpenPort();
        Refresh();
        VerifyErrorFlags(LatchedErrors(), 0x06);
        bench->Model([](DeviceModel& m) { m.SetErrorFlags(0); });
        // Latched until cleared, although the device no longer reports them as current.
        Refresh();
        VerifyErrorFlags(CurrentErrors(), 0);
        VerifyErrorFlags(LatchedErrors(), 0x06);

        bench->Button("Button_7208HibabitTorles")->click();
        QVERIFY(bench->Asked());
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(5) == 1 && bench->Quiet(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(LatchedErrors()[1]->Color(), app::ButtonFace(), 5000);
        VerifyErrorFlags(LatchedErrors(), 0);
        QCOMPARE(bench->Model([](DeviceModel& m) { return int(m.LatchedErrorFlags()); }), 0);
        QVERIFY(bench->dialogs.messages.isEmpty());
    }

    void continuousRefreshOnlyOnCountersPage() {
        OpenPort();
        TSpeedButton* toggle = bench->Continuous();
        toggle->click();
        QVERIFY(toggle->Down());
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(4) >= 3, 5000);

        bench->ShowTab("TabSheet_BeallithatoLetolthetoPar");
        QTRY_VERIFY_WITH_TIMEOUT(bench->Quiet(), 5000);
        const int reads = bench->device->RequestCount();
        WaitWithoutRefresh();
        QCOMPARE(bench->device->RequestCount(), reads);
        QVERIFY(toggle->Down());

        // Back on the counters page the timer starts a read at once.
        QSignalSpy ticks(bench->W<QTimer>("Timer_FolyamatosKiolvasas"), &QTimer::timeout);
        bench->ShowTab("TabSheet_Impulzusok");
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 1, 1000);
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() > reads, 2000);
    }

    void continuousRefreshStops_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("message");
        QTest::newRow("its toggle") << "toggle"
                                    << "";
        QTest::newRow("Clear") << "clear"
                               << "";
        QTest::newRow("the write button") << "write"
                                          << "";
        QTest::newRow("no answer") << "silence" << NoAnswer;
        QTest::newRow("another device") << "wrong device" << WrongDevice;
    }
    void continuousRefreshStops() {
        QFETCH(QString, cause);
        QFETCH(QString, message);
        OpenPort();
        TSpeedButton* toggle = bench->Continuous();
        bool downAtBox = false;
        bench->dialogs.onMessage = [&](const test::RecordingDialogs::Shown&) { downAtBox = toggle->Down(); };
        toggle->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(4) >= 2, 5000);

        if (cause == "toggle") toggle->click();
        if (cause == "clear") bench->Button("Button_7208HibabitTorles")->click();
        if (cause == "write") bench->Button("Button_7208ImpulzusertekBeiras")->click();
        if (cause == "silence") bench->device->InjectFault({sim::FaultKind::Silence});
        if (cause == "wrong device") bench->device->InjectFault({sim::FaultKind::StatusOnly, 0x81});

        QTRY_VERIFY_WITH_TIMEOUT(!toggle->Down(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(bench->Quiet(), 10000);
        const int requests = bench->device->RequestCount();
        WaitWithoutRefresh();
        QCOMPARE(bench->device->RequestCount(), requests);
        QCOMPARE(bench->dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY2(!downAtBox, "the toggle must be up before the box shows");
    }

    // A box the operations open does not hold their timers: the continuous refresh goes on beneath it,
    // and a second message waits for the first box to close instead of opening over it.
    void refreshRunsOnUnderABox() {
        OpenPort();
        // With the settings page in front the toggle waits, so the read below meets no refresh.
        bench->ShowTab("TabSheet_BeallithatoLetolthetoPar");
        bench->Continuous()->click();
        bench->device->InjectFault({sim::FaultKind::StatusOnly, 0x81, 1});
        int boxes = 0;
        int messagesWhileOpen = 0;
        bench->dialogs.onMessage = [&](const test::RecordingDialogs::Shown&) {
            if (++boxes > 1) return;
            // A user who pressed the read on the counters page has the refresh running behind the box.
            bench->ShowTab("TabSheet_Impulzusok");
            const int reads = bench->PayloadCount(4);
            QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(4) >= reads + 3, 5000);
            bench->device->InjectFault({sim::FaultKind::Silence});
            QTRY_VERIFY_WITH_TIMEOUT(!bench->Continuous()->Down(), 10000);
            WaitWithoutRefresh();
            messagesWhileOpen = int(bench->dialogs.messages.size());
        };
        bench->Button("Button_ZT7208AktBeallKiolvasas")->click();
        QTRY_COMPARE_WITH_TIMEOUT(bench->dialogs.Texts(), (QStringList{WrongDevice, NoAnswer}), 15000);
        QCOMPARE(messagesWhileOpen, 1);
    }

    void answerWithoutReport_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("toggleStaysDown");
        QTest::newRow("status 2 is ignored") << 2 << "" << true;
        QTest::newRow("status 1 is ignored") << 1 << "" << true;
        // A done status alone carries no report: the rest of the answer buffer is an older one.
        QTest::newRow("status 0 alone") << 0 << NoAnswer << false;
    }
    void answerWithoutReport() {
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(bool, toggleStaysDown);
        TColorLabel* counter1 = bench->W<TColorLabel>("Label_7208Szamlalo1");
        bench->Model([](DeviceModel& m) { m.SetCounter(0, 111); });
        OpenPort();
        Refresh();
        QCOMPARE(counter1->text(), QStringLiteral("111"));

        bench->Model([](DeviceModel& m) {
            m.SetCounter(0, 222);
            m.SetNamurOpenCircuit(0x01);
            m.SetErrorFlags(0x02);
        });
        bench->device->InjectFault({sim::FaultKind::StatusOnly, status, 1});
        // With the settings page showing the toggle can stay down without starting reads of its own.
        bench->ShowTab("TabSheet_BeallithatoLetolthetoPar");
        bench->Continuous()->click();
        Refresh();
        QCOMPARE(counter1->text(), QStringLiteral("111"));
        VerifyFlagRow(bench->Labels("Label_7208Szakadas"), 0);
        VerifyErrorFlags(CurrentErrors(), 0);
        QVERIFY(bench->Button("Button_GyariElsoInic")->isHidden());
        QCOMPARE(bench->Continuous()->Down(), toggleStaysDown);
        QCOMPARE(bench->dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    void activityHighlight() {
        OpenPort();
        const auto names = bench->Labels("Label_7208IN");
        const auto timers = bench->Family<QTimer>("Timer_ZT7208Imp");
        QTimer* timer = timers[2];
        bench->Pulse(0x04);
        Refresh();
        QCOMPARE(names[2]->Color(), Orange);
        QVERIFY(timer->isActive());
        QCOMPARE(names[0]->Color(), app::ButtonFace());

        // A second report that flags the input again gives it a fresh 500 ms.
        QTRY_VERIFY_WITH_TIMEOUT(timer->remainingTime() < 250, 2000);
        QCOMPARE(names[2]->Color(), Orange);
        bench->Pulse(0x04);
        Refresh();
        QVERIFY2(timer->remainingTime() > 300, qPrintable(QString::number(timer->remainingTime())));
        QCOMPARE(names[2]->Color(), Orange);

        // A report without activity leaves the name alone; the highlight then runs out by itself.
        Refresh();
        QCOMPARE(names[2]->Color(), Orange);
        QTRY_COMPARE_WITH_TIMEOUT(names[2]->Color(), app::ButtonFace(), 2000);
        QVERIFY(!timer->isActive());
        for (int k = 0; k < 8; ++k)
            if (k != 2) QVERIFY(!timers[k]->isActive());
    }

    void presetSelectedCounters_data() {
        QTest::addColumn<QList<int>>("inputs");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<quint32>>("values");
        QTest::addColumn<QByteArray>("payload");
        const QByteArray zeros4 = "00000000";
        QTest::newRow("counters 2 and 5")
            << QList<int>{2, 5} << QStringList{"1000", "1"} << QList<quint32>{1000, 1}
            << "040612" + zeros4 + "e8030000" + zeros4.repeated(2) + "01000000" + zeros4.repeated(3);
        QTest::newRow("counter 8 at the preset limit")
            << QList<int>{8} << QStringList{"3999999999"} << QList<quint32>{3999999999u}
            << "040680" + zeros4.repeated(7) + "ff276bee";
        QTest::newRow("halves to even")
            << QList<int>{1, 3} << QStringList{"2.5", "3.5"} << QList<quint32>{2, 4}
            << "040605" + QByteArray("02000000") + zeros4 + "04000000" + zeros4.repeated(5);
        QTest::newRow("nothing selected")
            << QList<int>{} << QStringList{} << QList<quint32>{} << "040600" + zeros4.repeated(8);
    }
    void presetSelectedCounters() {
        QFETCH(QList<int>, inputs);
        QFETCH(QStringList, texts);
        QFETCH(QList<quint32>, values);
        QFETCH(QByteArray, payload);
        QPushButton* write = bench->Button("Button_7208ImpulzusertekBeiras");
        OpenPort();
        for (int n = 0; n < inputs.size(); ++n) {
            Select(inputs[n], texts[n]);
            QVERIFY(bench->SelectButton(inputs[n])->Down());
            QVERIFY(!bench->Field(inputs[n])->isEnabled());
        }
        QVERIFY(write->isEnabled());
        write->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(6) == 1 && bench->Quiet(), 5000);

        const link::Bytes sent = bench->device->AnsweredPayloads().back();
        QCOMPARE(Hex(sent), QByteArray::fromHex(payload).toHex(' '));
        for (int k = 1; k <= 8; ++k) {
            QVERIFY(!bench->SelectButton(k)->Down());
            QVERIFY(bench->Field(k)->isEnabled());
        }
        // With nothing selected the port rule's enabling is left as it was.
        QCOMPARE(write->isEnabled(), inputs.isEmpty());
        const auto counters = bench->Labels("Label_7208Szamlalo");
        for (int n = 0; n < inputs.size(); ++n) {
            const int i = inputs[n] - 1;
            QCOMPARE(bench->Field(inputs[n])->text(), QString::number(values[n]));
            QCOMPARE(bench->Model([i](DeviceModel& m) { return m.Counter(i); }), values[n]);
            QCOMPARE(counters[i]->text().remove(' '), QString::number(values[n]));
        }
        QVERIFY(bench->dialogs.messages.isEmpty());
    }

    void refusedPresetValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("replacement");
        QTest::newRow("not a number") << "abc"
                                      << "Missing or invalid number\n\rNew value for IN3:"
                                      << "0";
        QTest::newRow("empty") << ""
                               << "Missing or invalid number\n\rNew value for IN3:"
                               << "0";
        QTest::newRow("above the preset limit") << "4000000000"
                                                << "New value for IN3:\n\rThe value max. limit is 3999999999"
                                                << "3999999999";
        QTest::newRow("below zero before rounding") << "-0.4"
                                                    << "New value for IN3:\n\rThe value min. limit is 0"
                                                    << "0";
    }
    void refusedPresetValue() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, replacement);
        QPushButton* write = bench->Button("Button_7208ImpulzusertekBeiras");
        // Counter 6 stays selected, so the write button follows the remaining selection.
        Select(6, "5");
        Select(3, text);
        QCOMPARE(bench->dialogs.messages.size(), 1);
        QCOMPARE(bench->dialogs.messages[0].kind, app::MessageKind::Error);
        QCOMPARE(bench->dialogs.messages[0].text, message);
        QCOMPARE(bench->Field(3)->text(), replacement);
        QVERIFY(!bench->SelectButton(3)->Down());
        QVERIFY(bench->Field(3)->isEnabled());
        QVERIFY(write->isEnabled());

        // Releasing the other selection leaves nothing to write.
        bench->SelectButton(6)->click();
        QVERIFY(bench->Field(6)->isEnabled());
        QCOMPARE(bench->Field(6)->text(), QStringLiteral("5"));
        QVERIFY(!write->isEnabled());

        // The replacement value is acceptable: selecting again succeeds.
        bench->SelectButton(3)->click();
        QVERIFY(bench->SelectButton(3)->Down());
        QVERIFY(!bench->Field(3)->isEnabled());
        QVERIFY(write->isEnabled());
        QCOMPARE(bench->dialogs.messages.size(), 1);
    }

    void doubleClickSetsZeroOnlyWhenFree() {
        TLabeledEdit* free = bench->Field(1);
        TLabeledEdit* frozen = bench->Field(2);
        free->setText("77");
        Select(2, "88");
        QVERIFY(!frozen->isEnabled());
        QTest::mouseDClick(free, Qt::LeftButton);
        QTest::mouseDClick(frozen, Qt::LeftButton);
        QCOMPARE(free->text(), QStringLiteral("0"));
        QCOMPARE(frozen->text(), QStringLiteral("88"));
        // A disabled edit gets no mouse events; the handler must refuse a double click all the same.
        emit frozen->DoubleClicked();
        QCOMPARE(frozen->text(), QStringLiteral("88"));
    }

    void writeWhileAnotherOperationRuns() {
        OpenPort();
        Select(4, "7");
        QPushButton* write = bench->Button("Button_7208ImpulzusertekBeiras");
        bench->Continuous()->click();
        bench->Button("Button_7208ImpulzusKiolvasas")->click();
        write->click();
        QVERIFY(!bench->Continuous()->Down());
        QVERIFY(bench->Asked());
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(4) == 1 && bench->Quiet(), 5000);
        WaitWithoutRefresh();
        QCOMPARE(bench->PayloadCount(6), 0);
        QCOMPARE(bench->device->RequestCount(), 1);
        QVERIFY(bench->SelectButton(4)->Down());
        QVERIFY(!bench->Field(4)->isEnabled());
        QVERIFY(write->isEnabled());
    }
};

QTEST_MAIN(TestCountersPage)
#include "tst_counters_page.moc"
