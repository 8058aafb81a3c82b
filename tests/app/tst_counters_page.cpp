// Tests of the counters page against the simulated device: the report on the page, the refreshes,
// the activity highlight, clearing the latched flags and presetting counters.
#include "app/TForm_Main.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TSpeedButton.h"
#include "device/OperationMachine.h"
#include "sim/DeviceModel.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <memory>

using namespace zeph;
using app::TForm_Main;
using sim::DeviceModel;

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
        form->PageControl_ZT7208->setCurrentWidget(form->TabSheet_Impulzusok);
    }
    ~ClockedBench() {
        form.reset();
        device.reset();
    }
    template <typename F> auto Model(F f) { return device->WithModel(f); }
    void Advance(std::uint64_t ms) { *now += ms; }

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
    TForm_Main* form = nullptr;

    void OpenPort() {
        form->Button_Megnyitas->click();
        QVERIFY2(form->PortIsOpen, qPrintable(bench->dialogs.Texts().join('|')));
    }
    // One click on Refresh, back when the machine has handled the answer (or given up).
    void Refresh() {
        const int answers = bench->device->AnswersSent();
        QCOMPARE(form->OperationStep(), 0);
        form->Button_7208ImpulzusKiolvasas->click();
        QCOMPARE(form->OperationStep(), int(device::StepReadCounters));
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->AnswersSent() > answers && form->OperationStep() == 0, 5000);
    }
    // Lets the continuous-refresh timer tick a few times, so a request it should not start would show.
    void LetRefreshTimerTick() {
        QSignalSpy ticks(form->Timer_FolyamatosKiolvasas, &QTimer::timeout);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 5, 5000);
    }
    void VerifyFlagRow(const std::array<app::TColorLabel*, 8>& labels, int mask) {
        for (int k = 0; k < 8; ++k) {
            const bool set = mask & (1 << k);
            const QString name = labels[k]->objectName();
            QVERIFY2(labels[k]->isEnabled() == set, qPrintable(name));
            QVERIFY2(labels[k]->Color() == (set ? Red : app::ButtonFace()), qPrintable(name));
            QVERIFY2(labels[k]->FontColor() == (set ? QColor(Qt::white) : app::WindowText()),
                     qPrintable(name));
        }
    }
    void VerifyErrorFlags(const std::array<app::TColorLabel*, 8>& labels, int flags) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool set = flags & (1 << bit);
            QVERIFY2(labels[bit]->isEnabled(), qPrintable(labels[bit]->objectName()));
            QVERIFY2(labels[bit]->Color() == (set ? Red : app::ButtonFace()),
                     qPrintable(labels[bit]->objectName()));
            QVERIFY2(labels[bit]->FontColor() == (set ? QColor(Qt::white) : app::WindowText()),
                     qPrintable(labels[bit]->objectName()));
        }
    }
    // Selects counter k (1..8) with the given field text through its Select button.
    void Select(int k, const QString& text) {
        form->LabeledEdit_7208Ertek[k - 1]->setText(text);
        form->SpeedButton_7208ErtekBeiras[k - 1]->click();
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init() {
        bench = std::make_unique<ClockedBench>();
        form = bench->form.get();
    }
    void cleanup() {
        form = nullptr;
        bench.reset();
    }

    void valuesAndFontSizes_data() {
        QTest::addColumn<int>("input");
        QTest::addColumn<quint32>("counter");
        QTest::addColumn<quint32>("interval"); // 0: the input has no interval
        QTest::addColumn<QString>("counterText");
        QTest::addColumn<int>("counterPoints");
        QTest::addColumn<QString>("intervalText");
        QTest::addColumn<int>("intervalPoints");
        QTest::newRow("zero, no interval") << 1 << 0u << 0u << "0" << 12 << "-" << 8;
        QTest::newRow("grouped") << 2 << 1234u << 1234u << "1 234" << 12 << "1 234" << 12;
        QTest::newRow("largest in 12 pt") << 3 << 999999u << 999999u << "999 999" << 12 << "999 999" << 12;
        QTest::newRow("smallest in 8 pt")
            << 4 << 1000000u << 1000000u << "1 000 000" << 8 << "1 000 000" << 8;
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
        QCOMPARE(form->Label_7208Szamlalo[i]->text(), QStringLiteral("???"));
        if (interval) bench->SetInterval(i, interval);
        bench->Model([&](DeviceModel& m) { m.SetCounter(i, counter); });
        OpenPort();
        Refresh();
        QCOMPARE(form->Label_7208Szamlalo[i]->text(), counterText);
        QCOMPARE(form->Label_7208Szamlalo[i]->FontSize(), counterPoints);
        QCOMPARE(form->Label_7208Ido[i]->text(), intervalText);
        QCOMPARE(form->Label_7208Ido[i]->FontSize(), intervalPoints);
        // The report's data source reaches the labels of both pages.
        QCOMPARE(form->Label_7208Adatforras->text(), QStringLiteral("Data source at startup: EEPROM1"));
        QCOMPARE(form->Label_7208ParameterAdatforras->text(), form->Label_7208Adatforras->text());
        // Every other input reports zero pulses and no interval.
        for (int k = 0; k < 8; ++k) {
            if (k == i) continue;
            QCOMPARE(form->Label_7208Szamlalo[k]->text(), QStringLiteral("0"));
            QCOMPARE(form->Label_7208Ido[k]->text(), QStringLiteral("-"));
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
        VerifyFlagRow(form->Label_7208Szakadas, row == "Szakadas" ? mask : 0);
        VerifyFlagRow(form->Label_7208Zarlat, row == "Zarlat" ? mask : 0);
        VerifyFlagRow(form->Label_7208TimeOut, row == "TimeOut" ? mask : 0);
        VerifyFlagRow(form->Label_7208Overflow, row == "Overflow" ? mask : 0);

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
        for (const auto* labels : {&form->Label_7208Szakadas, &form->Label_7208Zarlat,
                                   &form->Label_7208TimeOut, &form->Label_7208Overflow})
            VerifyFlagRow(*labels, 0);
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
            VerifyErrorFlags(form->Label_7208AltHibaBit, flags);
            VerifyErrorFlags(form->Label_7208MegorzodoAltHibaBit, latched);
            const bool offered = flags & 0x03;
            QCOMPARE(!form->Button_GyariElsoInic->isHidden(), offered);
            QCOMPARE(!form->Button_GyariElsoInicB->isHidden(), offered);
        }
    }

    void clearResetsLatchedFlags() {
        bench->Model([](DeviceModel& m) { m.SetErrorFlags(0x06); });
        OpenPort();
        Refresh();
        VerifyErrorFlags(form->Label_7208MegorzodoAltHibaBit, 0x06);
        bench->Model([](DeviceModel& m) { m.SetErrorFlags(0); });
        // Latched until cleared, although the device no longer reports them as current.
        Refresh();
        VerifyErrorFlags(form->Label_7208AltHibaBit, 0);
        VerifyErrorFlags(form->Label_7208MegorzodoAltHibaBit, 0x06);

        form->Button_7208HibabitTorles->click();
        QCOMPARE(form->OperationStep(), int(device::StepClearErrors));
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(5) == 1 && form->OperationStep() == 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(form->Label_7208MegorzodoAltHibaBit[1]->Color(), app::ButtonFace(), 5000);
        VerifyErrorFlags(form->Label_7208MegorzodoAltHibaBit, 0);
        QCOMPARE(bench->Model([](DeviceModel& m) { return int(m.LatchedErrorFlags()); }), 0);
        QVERIFY(bench->dialogs.messages.isEmpty());
    }

    void continuousRefreshOnlyOnCountersPage() {
        OpenPort();
        form->SpeedButton_7208FolymatosKiolvasas->click();
        QVERIFY(form->SpeedButton_7208FolymatosKiolvasas->Down());
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(4) >= 3, 5000);

        form->PageControl_ZT7208->setCurrentWidget(form->TabSheet_BeallithatoLetolthetoPar);
        QTRY_COMPARE_WITH_TIMEOUT(form->OperationStep(), 0, 5000);
        const int reads = bench->device->RequestCount();
        LetRefreshTimerTick();
        QCOMPARE(bench->device->RequestCount(), reads);
        QVERIFY(form->SpeedButton_7208FolymatosKiolvasas->Down());

        // Back on the counters page the next tick of the 100 ms timer starts a read.
        QSignalSpy ticks(form->Timer_FolyamatosKiolvasas, &QTimer::timeout);
        form->PageControl_ZT7208->setCurrentWidget(form->TabSheet_Impulzusok);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 1, 1000);
        QVERIFY(form->OperationStep() == device::StepReadCounters ||
                form->OperationStep() == device::StepCountersWait);
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
        bool downAtBox = false;
        bench->dialogs.onMessage = [&](const test::RecordingDialogs::Shown&) {
            downAtBox = form->SpeedButton_7208FolymatosKiolvasas->Down();
        };
        form->SpeedButton_7208FolymatosKiolvasas->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(4) >= 2, 5000);

        if (cause == "toggle") form->SpeedButton_7208FolymatosKiolvasas->click();
        if (cause == "clear") form->Button_7208HibabitTorles->click();
        if (cause == "write") form->Button_7208ImpulzusertekBeiras->click();
        if (cause == "silence") bench->device->InjectFault({sim::FaultKind::Silence});
        if (cause == "wrong device") bench->device->InjectFault({sim::FaultKind::StatusOnly, 0x81});

        QTRY_VERIFY_WITH_TIMEOUT(!form->SpeedButton_7208FolymatosKiolvasas->Down(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(form->OperationStep(), 0, 10000);
        const int requests = bench->device->RequestCount();
        LetRefreshTimerTick();
        QCOMPARE(bench->device->RequestCount(), requests);
        QCOMPARE(bench->dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY2(!downAtBox, "the toggle must be up before the box shows");
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
        bench->Model([](DeviceModel& m) { m.SetCounter(0, 111); });
        OpenPort();
        Refresh();
        QCOMPARE(form->Label_7208Szamlalo[0]->text(), QStringLiteral("111"));

        bench->Model([](DeviceModel& m) {
            m.SetCounter(0, 222);
            m.SetNamurOpenCircuit(0x01);
            m.SetErrorFlags(0x02);
        });
        bench->device->InjectFault({sim::FaultKind::StatusOnly, status, 1});
        // With the settings page showing the toggle can stay down without starting reads of its own.
        form->PageControl_ZT7208->setCurrentWidget(form->TabSheet_BeallithatoLetolthetoPar);
        form->SpeedButton_7208FolymatosKiolvasas->click();
        Refresh();
        QCOMPARE(form->Label_7208Szamlalo[0]->text(), QStringLiteral("111"));
        VerifyFlagRow(form->Label_7208Szakadas, 0);
        VerifyErrorFlags(form->Label_7208AltHibaBit, 0);
        QVERIFY(form->Button_GyariElsoInic->isHidden());
        QCOMPARE(form->SpeedButton_7208FolymatosKiolvasas->Down(), toggleStaysDown);
        QCOMPARE(bench->dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    void activityHighlight() {
        OpenPort();
        QTimer* timer = form->Timer_ZT7208Imp[2];
        bench->Pulse(0x04);
        Refresh();
        QCOMPARE(form->Label_7208IN[2]->Color(), Orange);
        QVERIFY(timer->isActive());
        QCOMPARE(form->Label_7208IN[0]->Color(), app::ButtonFace());

        // A second report that flags the input again gives it a fresh 500 ms.
        QTRY_VERIFY_WITH_TIMEOUT(timer->remainingTime() < 250, 2000);
        QCOMPARE(form->Label_7208IN[2]->Color(), Orange);
        bench->Pulse(0x04);
        Refresh();
        QVERIFY2(timer->remainingTime() > 300, qPrintable(QString::number(timer->remainingTime())));
        QCOMPARE(form->Label_7208IN[2]->Color(), Orange);

        // A report without activity leaves the name alone; the highlight then runs out by itself.
        Refresh();
        QCOMPARE(form->Label_7208IN[2]->Color(), Orange);
        QTRY_COMPARE_WITH_TIMEOUT(form->Label_7208IN[2]->Color(), app::ButtonFace(), 2000);
        QVERIFY(!timer->isActive());
        for (int k = 0; k < 8; ++k)
            if (k != 2) QVERIFY(!form->Timer_ZT7208Imp[k]->isActive());
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
        OpenPort();
        for (int n = 0; n < inputs.size(); ++n) {
            Select(inputs[n], texts[n]);
            QVERIFY(form->SpeedButton_7208ErtekBeiras[inputs[n] - 1]->Down());
            QVERIFY(!form->LabeledEdit_7208Ertek[inputs[n] - 1]->isEnabled());
        }
        QVERIFY(form->Button_7208ImpulzusertekBeiras->isEnabled());
        form->Button_7208ImpulzusertekBeiras->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(6) == 1 && form->OperationStep() == 0, 5000);

        const link::Bytes sent = bench->device->AnsweredPayloads().back();
        QCOMPARE(Hex(sent), QByteArray::fromHex(payload).toHex(' '));
        for (int k = 0; k < 8; ++k) {
            QVERIFY(!form->SpeedButton_7208ErtekBeiras[k]->Down());
            QVERIFY(form->LabeledEdit_7208Ertek[k]->isEnabled());
        }
        // With nothing selected the port rule's enabling is left as it was.
        QCOMPARE(form->Button_7208ImpulzusertekBeiras->isEnabled(), inputs.isEmpty());
        for (int n = 0; n < inputs.size(); ++n) {
            const int i = inputs[n] - 1;
            QCOMPARE(form->LabeledEdit_7208Ertek[i]->text(), QString::number(values[n]));
            QCOMPARE(bench->Model([i](DeviceModel& m) { return m.Counter(i); }), values[n]);
            QCOMPARE(form->Label_7208Szamlalo[i]->text().remove(' '), QString::number(values[n]));
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
        // Counter 6 stays selected, so the write button follows the remaining selection.
        Select(6, "5");
        Select(3, text);
        QCOMPARE(bench->dialogs.messages.size(), 1);
        QCOMPARE(bench->dialogs.messages[0].kind, device::MessageKind::Error);
        QCOMPARE(bench->dialogs.messages[0].text, message);
        QCOMPARE(form->LabeledEdit_7208Ertek[2]->text(), replacement);
        QVERIFY(!form->SpeedButton_7208ErtekBeiras[2]->Down());
        QVERIFY(form->LabeledEdit_7208Ertek[2]->isEnabled());
        QVERIFY(form->Button_7208ImpulzusertekBeiras->isEnabled());

        // Releasing the other selection leaves nothing to write.
        form->SpeedButton_7208ErtekBeiras[5]->click();
        QVERIFY(form->LabeledEdit_7208Ertek[5]->isEnabled());
        QCOMPARE(form->LabeledEdit_7208Ertek[5]->text(), QStringLiteral("5"));
        QVERIFY(!form->Button_7208ImpulzusertekBeiras->isEnabled());

        // The replacement value is acceptable: selecting again succeeds.
        form->SpeedButton_7208ErtekBeiras[2]->click();
        QVERIFY(form->SpeedButton_7208ErtekBeiras[2]->Down());
        QVERIFY(!form->LabeledEdit_7208Ertek[2]->isEnabled());
        QVERIFY(form->Button_7208ImpulzusertekBeiras->isEnabled());
        QCOMPARE(bench->dialogs.messages.size(), 1);
    }

    void doubleClickSetsZeroOnlyWhenFree() {
        app::TLabeledEdit* free = form->LabeledEdit_7208Ertek[0];
        app::TLabeledEdit* frozen = form->LabeledEdit_7208Ertek[1];
        free->setText("77");
        Select(2, "88");
        QVERIFY(!frozen->isEnabled());
        QTest::mouseDClick(free, Qt::LeftButton);
        QTest::mouseDClick(frozen, Qt::LeftButton);
        QCOMPARE(free->text(), QStringLiteral("0"));
        QCOMPARE(frozen->text(), QStringLiteral("88"));
        form->LabeledEdit_7208Ertek1DblClick(frozen);
        QCOMPARE(frozen->text(), QStringLiteral("88"));
    }

    void writeWhileAnotherOperationRuns() {
        OpenPort();
        Select(4, "7");
        form->SpeedButton_7208FolymatosKiolvasas->click();
        form->Button_7208ImpulzusKiolvasas->click();
        form->Button_7208ImpulzusertekBeiras->click();
        QVERIFY(!form->SpeedButton_7208FolymatosKiolvasas->Down());
        QCOMPARE(form->OperationStep(), int(device::StepReadCounters));
        QTRY_VERIFY_WITH_TIMEOUT(bench->PayloadCount(4) == 1 && form->OperationStep() == 0, 5000);
        LetRefreshTimerTick();
        QCOMPARE(bench->PayloadCount(6), 0);
        QCOMPARE(bench->device->RequestCount(), 1);
        QVERIFY(form->SpeedButton_7208ErtekBeiras[3]->Down());
        QVERIFY(!form->LabeledEdit_7208Ertek[3]->isEnabled());
        QVERIFY(form->Button_7208ImpulzusertekBeiras->isEnabled());
    }
};

QTEST_MAIN(TestCountersPage)
#include "tst_counters_page.moc"
