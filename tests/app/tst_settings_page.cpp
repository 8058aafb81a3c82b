// SPDX-License-Identifier: MIT
// Tests of the settings page against the simulated device: reading, the data-source labels, status and
// failure handling, the first-initialization job, validation and writing. The window is driven through
// its controls, found by name, and watched through its device session.
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "common/SettingsPages.h"
#include "session/DeviceSession.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace zeph;
using zeph::app::MessageKind;
using zeph::device::SettingsPageState;
using zeph::test::MarkerPage;
using zeph::test::PageEdit;
using zeph::test::WorkedExamplePage;

Q_DECLARE_METATYPE(sim::LineFault)

namespace {

const QList<int> WorkedExamplePayload = {4,   3,   4, 3, 0,   0,   0, 0, 0, 0,   96, 234, 0,   0,   232, 3, 0,
                                         0,   232, 3, 0, 0,   232, 3, 0, 0, 232, 3,  0,   0,   232, 3,   0, 0,
                                         232, 3,   0, 0, 232, 3,   0, 0, 2, 8,   1,  1,   100, 0,   5};

const QColor SignalRed(255, 0, 0);

sim::LineFault StatusOnly(int status, int count = -1, int skip = 0) {
    return {sim::FaultKind::StatusOnly, status, count, skip};
}

QList<int> ToList(const link::Bytes& bytes) {
    QList<int> list;
    for (auto byte : bytes)
        list << int(byte);
    return list;
}

// Operation codes of the requests the device answered, a retried request counted once.
QList<int> DistinctCodes(const std::vector<link::Bytes>& payloads) {
    QList<int> codes;
    for (const link::Bytes& payload : payloads) {
        const int code = payload.size() >= 2 ? int(payload[1]) : -1;
        if (codes.isEmpty() || codes.last() != code) codes << code;
    }
    return codes;
}

} // namespace

class TestSettingsPage : public QObject {
    Q_OBJECT

    std::unique_ptr<test::SimulatedBench> bench;
    QLocale startLocale;

    void Click(const QString& button) { bench->Button(button)->click(); }

    void ExpectDataSource(const QString& text, const QColor& colour) {
        for (const char* name : {"Label_7208ParameterAdatforras", "Label_7208Adatforras"}) {
            auto* label = bench->W<app::TColorLabel>(name);
            QCOMPARE(label->text(), text);
            QCOMPARE(label->Color(), colour);
        }
    }

    // The labels show what the device reports for code, the way they come to: a read of the settings,
    // which also puts the device's settings on the page.
    void ShowDataSourceByRead(int code) {
        bench->Model([&](sim::DeviceModel& m) { m.SetDataSource(std::uint8_t(code)); });
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 5000);
        QCOMPARE(bench->dialogs.Texts(), QStringList());
        bench->device->ClearRequestLog();
    }

    // Whether the widget with the input focus is the control or one of its own buttons.
    static bool HasFocusWithin(QWidget* control) {
        QWidget* focused = QApplication::focusWidget();
        return focused && (focused == control || control->isAncestorOf(focused));
    }

private slots:
    void initTestCase() {
        bench = std::make_unique<test::SimulatedBench>();
        bench->form->show();
        QVERIFY(QTest::qWaitForWindowActive(bench->form.get()));
    }

    void init() {
        QLocale::setDefault(startLocale);
        if (!bench->Session().PortIsOpen()) QVERIFY(bench->Open());
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 5000);
        bench->device->ClearFaults();
        bench->device->ClearRequestLog();
        bench->Model([](sim::DeviceModel& m) {
            m.SetSettings(sim::SettingsRecord::FactoryDefaults());
            m.SetFactoryDefaults(sim::SettingsRecord::FactoryDefaults());
            m.SetDataSource(sim::DeviceModel::DataSourceEeprom1);
        });
        bench->SetPage({});
        bench->dialogs.messages.clear();
    }

    void cleanupTestCase() {
        QLocale::setDefault(startLocale);
        bench.reset();
    }

    void readingTheWorkedExampleFillsEveryControl() {
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_COMPARE_WITH_TIMEOUT(bench->Page(), WorkedExamplePage(), 5000);
        QTRY_VERIFY(bench->Idle());
        ExpectDataSource("Data source at startup: EEPROM1", app::ButtonFace());
        QCOMPARE(bench->dialogs.Texts(), QStringList());
        // The list's current row is what the user sees chosen, not merely a remembered index.
        QCOMPARE(bench->W<QListWidget>("ListBox_7208MbSebesseg")->currentItem()->text(),
                 QString("19200 bit/sec."));
    }

    void factoryDefaultsLeaveTheDataSourceAlone() {
        ShowDataSourceByRead(21);
        sim::SettingsRecord defaults = sim::SettingsRecord::FactoryDefaults();
        defaults.parity = 3;
        defaults.baudCode = 1;
        defaults.address = 247;
        defaults.resistors = 2;
        defaults.commTimeout = 65535;
        defaults.maxPulseTimeMs[7] = 0xFFFFFFFFu;
        bench->Model([&](sim::DeviceModel& m) {
            m.SetFactoryDefaults(defaults);
            m.SetDataSource(1);
        });
        SettingsPageState expected = WorkedExamplePage();
        expected.parity = 2;
        expected.baudRate = 0;
        expected.addressText = "247";
        expected.pullResistors = true;
        expected.termination = false;
        expected.commTimeoutText = "65535";
        expected.maxTimeText[7] = "4294967295";

        Click("Button_ZT7208GyariBeall");
        QTRY_COMPARE_WITH_TIMEOUT(bench->Page(), expected, 5000);
        QTRY_VERIFY(bench->Idle());
        QCOMPARE(DistinctCodes(bench->device->AnsweredPayloads()), QList<int>{2});
        ExpectDataSource("The settings failed.", SignalRed);
        QCOMPARE(bench->dialogs.Texts(), QStringList());
    }

    // The code-to-text table is pinned by tst_device (dataSource); here one row per way the labels go.
    void everyDataSourceCodeThroughARead_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("red");
        QTest::newRow("12 shown plain") << 12 << "Data source at startup: EEPROM2" << false;
        QTest::newRow("21 shown red") << 21 << "The settings failed." << true;
        // Starting from code 31's own display: a code the table ignores must leave it as it was.
        QTest::newRow("5 ignored") << 5 << "EEPROM error." << true;
    }
    void everyDataSourceCodeThroughARead() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(bool, red);
        ShowDataSourceByRead(31);
        ExpectDataSource("EEPROM error.", SignalRed);
        bench->SetPage({});
        bench->Model([&](sim::DeviceModel& m) { m.SetDataSource(std::uint8_t(code)); });
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_COMPARE_WITH_TIMEOUT(bench->Page(), WorkedExamplePage(), 5000);
        QTRY_VERIFY(bench->Idle());
        ExpectDataSource(text, red ? SignalRed : app::ButtonFace());
    }

    // Each row first reads the example, so the engine holds a full earlier answer that a faulty one
    // must not bring back onto the page. Every way the machine judges a read is pinned by
    // tst_operation_machine (waitStepJudgesAnswer); here a refusal, an ignored status and the status
    // byte alone after a full answer.
    void readFailuresLeaveTheControls_data() {
        QTest::addColumn<sim::LineFault>("fault");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("not this device") << StatusOnly(0x81) << QStringList{"A #15 This is not a ZEPH7208."};
        QTest::newRow("status 7 ignored") << StatusOnly(7) << QStringList{};
        // A status byte alone leaves the rest of the earlier answer in the engine: not a read.
        QTest::newRow("status 0 without the block")
            << StatusOnly(0) << QStringList{"The ZEPH7208 have not responded."};
    }
    void readFailuresLeaveTheControls() {
        QFETCH(sim::LineFault, fault);
        QFETCH(QStringList, messages);
        bench->Model([](sim::DeviceModel& m) { m.SetDataSource(2); });
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_COMPARE_WITH_TIMEOUT(bench->Page(), WorkedExamplePage(), 5000);
        QTRY_VERIFY(bench->Idle());
        bench->SetPage(MarkerPage());

        bench->device->InjectFault(fault);
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() >= 2, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 10000);
        QCOMPARE(bench->dialogs.Texts(), messages);
        for (const auto& shown : bench->dialogs.messages)
            QCOMPARE(shown.kind, MessageKind::Error);
        QCOMPARE(bench->Page(), MarkerPage());
        ExpectDataSource("Data source at startup: RAM2", app::ButtonFace());
    }

    void closingThePortEndsAWaitingReadSilently() {
        bench->device->InjectFault({sim::FaultKind::Silence});
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() >= 1, 5000);
        QVERIFY(bench->Session().AwaitingAnswer());
        Click("Button_Bezaras");
        QVERIFY(!bench->Session().PortIsOpen());
        QVERIFY(bench->Idle());
        QVERIFY(!bench->Session().AwaitingAnswer());
        // Longer than ten attempts would take: no no-answer box and no further attempt may follow the
        // close (the wait ends early only when one does).
        QVERIFY(!QTest::qWaitFor(
            [&] { return !bench->dialogs.messages.isEmpty() || bench->device->RequestCount() > 1; }, 2500));
        QCOMPARE(bench->dialogs.Texts(), QStringList());
        QCOMPARE(bench->device->RequestCount(), 1);
    }

    // The job's rules (an ignored status goes on, a refusal of any step ends it) are pinned by
    // tst_operation_machine (firstInitializationJob); here the job on the line, whole and cut short.
    void firstInitializationRunsItsOperationsInOrder_data() {
        QTest::addColumn<QList<sim::LineFault>>("faults");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("all answered") << QList<sim::LineFault>{} << QList<int>{7, 1, 4} << QStringList{};
        QTest::newRow("settings read refused")
            << QList<sim::LineFault>{StatusOnly(0x81, 1, 1)} << QList<int>{7, 1}
            << QStringList{"A #15 This is not a ZEPH7208."};
    }
    void firstInitializationRunsItsOperationsInOrder() {
        QFETCH(QList<sim::LineFault>, faults);
        QFETCH(QList<int>, codes);
        QFETCH(QStringList, messages);
        for (const sim::LineFault& fault : faults)
            bench->device->InjectFault(fault);
        Click("Button_GyariElsoInicB");
        QVERIFY(!bench->Idle());
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 10000);
        QCOMPARE(DistinctCodes(bench->device->AnsweredPayloads()), codes);
        QCOMPARE(bench->dialogs.Texts(), messages);
        QCOMPARE(bench->Page(), codes.contains(4) ? WorkedExamplePage() : SettingsPageState{});
    }

    void firstInitializationWaitsForARunningOperation() {
        bench->device->InjectFault({sim::FaultKind::Silence, -1, 1});
        Click("Button_7208ImpulzusKiolvasas");
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() >= 1, 5000);
        QVERIFY(bench->Session().AwaitingAnswer());
        // Refused while the read waits: a job that had started would end, abandoned, with the close.
        QSignalSpy jobs(&bench->Session(), &session::DeviceSession::JobFinished);
        Click("Button_GyariElsoInic");
        // Let the refresh finish by closing, so no no-answer box spills into the next test.
        Click("Button_Bezaras");
        QVERIFY(bench->Idle());
        QCOMPARE(jobs.count(), 0);
    }

    void readTakesOverAWaitingRefresh() {
        bench->device->InjectFault({sim::FaultKind::Silence, -1, 1});
        Click("Button_7208ImpulzusKiolvasas");
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() >= 1, 5000);
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_COMPARE_WITH_TIMEOUT(bench->Page(), WorkedExamplePage(), 5000);
        QTRY_VERIFY(bench->Idle());
        QCOMPARE(DistinctCodes(bench->device->AnsweredPayloads()), (QList<int>{4, 1}));
        QCOMPARE(bench->dialogs.Texts(), QStringList());
    }

    // ---- validation: every row starts from the valid example and spoils one control
    // The checks, their order and their texts are pinned by tst_device (validateSettings); here one row
    // per kind of control: the box, the focus, the limit written into an edit, nothing sent.
    void validationStopsAtTheFirstFault_data() {
        QTest::addColumn<PageEdit>("spoil");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("editText");

        QTest::newRow("type 3 after 1 and 2")
            << PageEdit([](SettingsPageState& p) { p.inputType[2] = -1; }) << "Unchecked\n\rType"
            << "RadioGroup_7208BemTip3" << QString();
        QTest::newRow("baud") << PageEdit([](SettingsPageState& p) { p.baudRate = -1; })
                              << "Unselected\n\rBaud rate"
                              << "ListBox_7208MbSebesseg" << QString();
        QTest::newRow("address 248") << PageEdit([](SettingsPageState& p) { p.addressText = "248"; })
                                     << "Address [1-247]:\n\rThe value max. limit is 247"
                                     << "LabeledEdit_7208MbKeszulekcim"
                                     << "247";
    }
    void validationStopsAtTheFirstFault() {
        QFETCH(PageEdit, spoil);
        QFETCH(QString, message);
        QFETCH(QString, control);
        QFETCH(QString, editText);
        QLocale::setDefault(QLocale::c());
        SettingsPageState page = WorkedExamplePage();
        // Rewritten in integer form only when the checks got as far as the time-outs.
        page.maxTimeText[0] = "60000.0";
        spoil(page);
        bench->SetPage(page);

        Click("Button_ZT7208Letoltes");
        QVERIFY(bench->Idle());
        QCOMPARE(bench->dialogs.Texts(), QStringList{message});
        QCOMPARE(bench->dialogs.messages.first().kind, MessageKind::Error);
        auto* failing = bench->W(control);
        QVERIFY2(HasFocusWithin(failing),
                 qPrintable(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                        : QString("nothing")));
        if (auto* edit = qobject_cast<app::TLabeledEdit*>(failing)) QCOMPARE(edit->text(), editText);
        const bool timeOutsChecked = control.startsWith("Label");
        QCOMPARE(bench->Page().maxTimeText[0], QString(timeOutsChecked ? "60000" : "60000.0"));
        // A group or list without a choice still has none after taking the focus: the next press stops
        // at it again (an edit, by contrast, now holds its limit and passes).
        if (!qobject_cast<app::TLabeledEdit*>(failing)) {
            Click("Button_ZT7208Letoltes");
            QCOMPARE(bench->dialogs.Texts(), (QStringList{message, message}));
        }
        QTRY_VERIFY(bench->Idle());
        QCOMPARE(bench->device->RequestCount(), 0);
    }

    // ---- writing: the payload the device receives and what it stores. The encoding of each number
    // (limits, rounding, separators) is pinned by tst_device (encodeNumbers); here the page as it stands
    // and the page read in the user's locale.
    void writeSendsTheEncodedPage_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<PageEdit>("edit");
        QTest::addColumn<QList<int>>("payload");
        QList<int> p = WorkedExamplePayload;
        QTest::newRow("worked example") << "C" << PageEdit([](SettingsPageState&) {}) << p;
        p[10] = 2, p[11] = 0, p[14] = 4, p[15] = 0;
        QTest::newRow("halves to even, comma") << "de_DE" << PageEdit([](SettingsPageState& s) {
            s.maxTimeText[0] = "2,5", s.maxTimeText[1] = "3,5";
        }) << p;
    }
    void writeSendsTheEncodedPage() {
        QFETCH(QString, locale);
        QFETCH(PageEdit, edit);
        QFETCH(QList<int>, payload);
        QLocale::setDefault(QLocale(locale));
        SettingsPageState page = WorkedExamplePage();
        edit(page);
        bench->SetPage(page);
        bench->Model([](sim::DeviceModel& m) {
            sim::SettingsRecord other = sim::SettingsRecord::FactoryDefaults();
            other.address = 200;
            m.SetSettings(other);
        });

        Click("Button_ZT7208Letoltes");
        QTRY_VERIFY_WITH_TIMEOUT(bench->dialogs.messages.size() == 1, 5000);
        QCOMPARE(bench->dialogs.messages.first().kind, MessageKind::Information);
        QCOMPARE(bench->dialogs.Texts(), QStringList{"Ready."});
        QVERIFY(bench->Idle());
        const auto payloads = bench->device->AnsweredPayloads();
        QCOMPARE(payloads.size(), std::size_t(1));
        QCOMPARE(ToList(payloads.front()), payload);
        const sim::SettingsRecord stored = bench->Model([](sim::DeviceModel& m) { return m.Settings(); });
        const link::Bytes block(payload.begin() + 2, payload.end());
        QCOMPARE(ToList(stored.Encode()), ToList(block));
        // Every checked edit now holds the number it sent, in plain integer form.
        const quint32 firstTimeout = quint32(payload[2 + 8]) | quint32(payload[2 + 9]) << 8 |
                                     quint32(payload[2 + 10]) << 16 | quint32(payload[2 + 11]) << 24;
        const quint32 secondTimeout = quint32(payload[2 + 12]) | quint32(payload[2 + 13]) << 8 |
                                      quint32(payload[2 + 14]) << 16 | quint32(payload[2 + 15]) << 24;
        QCOMPARE(bench->Page().maxTimeText[0], QString::number(firstTimeout));
        QCOMPARE(bench->Page().maxTimeText[1], QString::number(secondTimeout));
    }

    // Every status of a write is judged in tst_operation_machine (waitStepJudgesAnswer); here one that
    // fails with a box and one that is ignored.
    void writeStatusMessages_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("1") << 1 << QStringList{"Parameters error."};
        QTest::newRow("7 ignored") << 7 << QStringList{};
    }
    void writeStatusMessages() {
        QFETCH(int, status);
        QFETCH(QStringList, messages);
        bench->SetPage(WorkedExamplePage());
        bench->device->InjectFault(StatusOnly(status));
        Click("Button_ZT7208Letoltes");
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->AnswersSent() >= 1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 5000);
        QCOMPARE(bench->dialogs.Texts(), messages);
        for (const auto& shown : bench->dialogs.messages)
            QCOMPARE(shown.kind, MessageKind::Error);
        QCOMPARE(DistinctCodes(bench->device->AnsweredPayloads()), QList<int>{3});
        QCOMPARE(bench->Page(), WorkedExamplePage());
    }
};

QTEST_MAIN(TestSettingsPage)
#include "tst_settings_page.moc"
