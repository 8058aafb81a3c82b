// Tests of the settings page against the simulated device: reading, the data-source labels, status and
// failure handling, the first-initialization job, validation and writing.
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"
#include "device/OperationMachine.h"
#include "link/TransactionEngine.h"
#include "common/SettingsPages.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>

#include <functional>

using namespace zeph;
using zeph::device::MessageKind;
using zeph::device::SettingsPageState;
using zeph::test::MarkerPage;
using zeph::test::PageEdit;
using zeph::test::WorkedExamplePage;

Q_DECLARE_METATYPE(sim::LineFault)

namespace {

const QList<int> WorkedExamplePayload = {4,   3,   4, 3, 0,   0,   0, 0, 0, 0,   96, 234, 0,   0,   232, 3, 0,
                                         0,   232, 3, 0, 0,   232, 3, 0, 0, 232, 3,  0,   0,   232, 3,   0, 0,
                                         232, 3,   0, 0, 232, 3,   0, 0, 2, 8,   1,  1,   100, 0,   5};

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
    app::TForm_Main* form = nullptr;
    QLocale startLocale;

    bool Idle() const { return form->OperationStep() == 0 && form->SequenceStep() == 0; }

    void ExpectDataSource(const QString& text, const QColor& colour) {
        for (app::TColorLabel* label : {form->Label_7208ParameterAdatforras, form->Label_7208Adatforras}) {
            QCOMPARE(label->text(), text);
            QCOMPARE(label->Color(), colour);
        }
    }

    // Whether the widget with the input focus is the control or one of its own buttons.
    static bool HasFocusWithin(QWidget* control) {
        QWidget* focused = QApplication::focusWidget();
        return focused && (focused == control || control->isAncestorOf(focused));
    }

private slots:
    void initTestCase() {
        bench = std::make_unique<test::SimulatedBench>();
        form = bench->form.get();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form));
    }

    void init() {
        QLocale::setDefault(startLocale);
        if (!form->PortIsOpen) QVERIFY(bench->Open());
        QTRY_VERIFY(Idle());
        bench->device->ClearFaults();
        bench->device->ClearRequestLog();
        bench->Model([](sim::DeviceModel& m) {
            m.SetSettings(sim::SettingsRecord::FactoryDefaults());
            m.SetFactoryDefaults(sim::SettingsRecord::FactoryDefaults());
            m.SetDataSource(sim::DeviceModel::DataSourceEeprom1);
        });
        form->SetSettingsPage({});
        bench->dialogs.messages.clear();
    }

    void cleanupTestCase() {
        QLocale::setDefault(startLocale);
        bench.reset();
    }

    void readingTheWorkedExampleFillsEveryControl() {
        form->Button_ZT7208AktBeallKiolvasas->click();
        QTRY_COMPARE_WITH_TIMEOUT(form->SettingsPage(), WorkedExamplePage(), 5000);
        QTRY_VERIFY(Idle());
        ExpectDataSource("Data source at startup: EEPROM1", app::ButtonFace());
        QCOMPARE(bench->dialogs.Texts(), QStringList());
        // The list's current row is what the user sees chosen, not merely a remembered index.
        QCOMPARE(form->ListBox_7208MbSebesseg->currentItem()->text(), QString("19200 bit/sec."));
    }

    void factoryDefaultsLeaveTheDataSourceAlone() {
        form->ShowDataSource(21);
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
        expected.rFelLe = true;
        expected.rLezaro = false;
        expected.commTimeoutText = "65535";
        expected.maxTimeText[7] = "4294967295";

        form->Button_ZT7208GyariBeall->click();
        QTRY_COMPARE_WITH_TIMEOUT(form->SettingsPage(), expected, 5000);
        QTRY_VERIFY(Idle());
        ExpectDataSource("The settings failed.", QColor(255, 0, 0));
        QCOMPARE(bench->dialogs.Texts(), QStringList());
    }

    void everyDataSourceCodeThroughARead_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("red");
        const QString prefix = "Data source at startup: ";
        QTest::newRow("1") << 1 << prefix + "RAM1" << false;
        QTest::newRow("2") << 2 << prefix + "RAM2" << false;
        QTest::newRow("3") << 3 << prefix + "RAM3" << false;
        QTest::newRow("11") << 11 << prefix + "EEPROM1" << false;
        QTest::newRow("12") << 12 << prefix + "EEPROM2" << false;
        QTest::newRow("13") << 13 << prefix + "EEPROM3" << false;
        QTest::newRow("21") << 21 << "The settings failed." << true;
        // Starting from code 31's own display: a code the table ignores must leave it as it was.
        QTest::newRow("31") << 31 << "EEPROM error." << true;
        QTest::newRow("5 ignored") << 5 << "EEPROM error." << true;
        QTest::newRow("0 ignored") << 0 << "EEPROM error." << true;
    }
    void everyDataSourceCodeThroughARead() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(bool, red);
        form->ShowDataSource(31);
        bench->Model([&](sim::DeviceModel& m) { m.SetDataSource(std::uint8_t(code)); });
        form->Button_ZT7208AktBeallKiolvasas->click();
        QTRY_COMPARE_WITH_TIMEOUT(form->SettingsPage(), WorkedExamplePage(), 5000);
        QTRY_VERIFY(Idle());
        ExpectDataSource(text, red ? QColor(255, 0, 0) : app::ButtonFace());
    }

    // Each row first reads the example, so ResponseData holds a full earlier answer that a faulty one
    // must not bring back onto the page.
    void readFailuresLeaveTheControls_data() {
        QTest::addColumn<sim::LineFault>("fault");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("not this device") << StatusOnly(0x81) << QStringList{"A #15 This is not a ZEPH7208."};
        QTest::newRow("silence") << sim::LineFault{sim::FaultKind::Silence}
                                 << QStringList{"The ZEPH7208 have not responded."};
        QTest::newRow("status 7 ignored") << StatusOnly(7) << QStringList{};
        // A status byte alone leaves the rest of ResponseData from the earlier answer: not a read.
        QTest::newRow("status 0 without the block")
            << StatusOnly(0) << QStringList{"The ZEPH7208 have not responded."};
    }
    void readFailuresLeaveTheControls() {
        QFETCH(sim::LineFault, fault);
        QFETCH(QStringList, messages);
        form->Button_ZT7208AktBeallKiolvasas->click();
        QTRY_COMPARE_WITH_TIMEOUT(form->SettingsPage(), WorkedExamplePage(), 5000);
        QTRY_VERIFY(Idle());
        form->SetSettingsPage(MarkerPage());
        form->ShowDataSource(2);

        bench->device->InjectFault(fault);
        form->Button_ZT7208AktBeallKiolvasas->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() >= 2, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 10000);
        QCOMPARE(bench->dialogs.Texts(), messages);
        for (const auto& shown : bench->dialogs.messages)
            QCOMPARE(shown.kind, MessageKind::Error);
        QCOMPARE(form->SettingsPage(), MarkerPage());
        ExpectDataSource("Data source at startup: RAM2", app::ButtonFace());
    }

    void closingThePortEndsAWaitingReadSilently() {
        bench->device->InjectFault({sim::FaultKind::Silence});
        form->Button_ZT7208AktBeallKiolvasas->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() >= 1, 5000);
        QCOMPARE(form->OperationStep(), int(device::StepReadSettingsWait));
        form->Button_Bezaras->click();
        QVERIFY(!form->PortIsOpen);
        QVERIFY(Idle());
        QCOMPARE(form->Engine->EngineState(), int(link::EngineIdle));
        // Longer than ten attempts would take: no no-answer box may follow the close.
        QTest::qWait(2500);
        QCOMPARE(bench->dialogs.Texts(), QStringList());
        QCOMPARE(bench->device->RequestCount(), 1);
    }

    void firstInitializationRunsItsOperationsInOrder_data() {
        QTest::addColumn<QList<sim::LineFault>>("faults");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("all answered") << QList<sim::LineFault>{} << QList<int>{7, 1, 4} << QStringList{};
        QTest::newRow("ignored status goes on")
            << QList<sim::LineFault>{StatusOnly(7, 1)} << QList<int>{7, 1, 4} << QStringList{};
        QTest::newRow("settings read refused")
            << QList<sim::LineFault>{StatusOnly(0x81, 1, 1)} << QList<int>{7, 1}
            << QStringList{"A #15 This is not a ZEPH7208."};
        QTest::newRow("first request refused") << QList<sim::LineFault>{StatusOnly(0x81, 1)} << QList<int>{7}
                                               << QStringList{"A #15 This is not a ZEPH7208."};
    }
    void firstInitializationRunsItsOperationsInOrder() {
        QFETCH(QList<sim::LineFault>, faults);
        QFETCH(QList<int>, codes);
        QFETCH(QStringList, messages);
        for (const sim::LineFault& fault : faults)
            bench->device->InjectFault(fault);
        form->Button_GyariElsoInicB->click();
        QCOMPARE(form->SequenceStep(), int(device::SequenceFirstInit));
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 10000);
        QCOMPARE(DistinctCodes(bench->device->AnsweredPayloads()), codes);
        QCOMPARE(bench->dialogs.Texts(), messages);
        if (codes.contains(4)) QCOMPARE(form->SettingsPage(), WorkedExamplePage());
    }

    void firstInitializationWaitsForARunningOperation() {
        bench->device->InjectFault({sim::FaultKind::Silence, -1, 1});
        form->Button_7208ImpulzusKiolvasas->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() >= 1, 5000);
        form->Button_GyariElsoInic->click();
        QCOMPARE(form->SequenceStep(), 0);
        // Let the refresh finish by closing, so no no-answer box spills into the next test.
        form->Button_Bezaras->click();
    }

    void readTakesOverAWaitingRefresh() {
        bench->device->InjectFault({sim::FaultKind::Silence, -1, 1});
        form->Button_7208ImpulzusKiolvasas->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->RequestCount() >= 1, 5000);
        form->Button_ZT7208AktBeallKiolvasas->click();
        QTRY_COMPARE_WITH_TIMEOUT(form->SettingsPage(), WorkedExamplePage(), 5000);
        QTRY_VERIFY(Idle());
        QCOMPARE(DistinctCodes(bench->device->AnsweredPayloads()), (QList<int>{4, 1}));
        QCOMPARE(bench->dialogs.Texts(), QStringList());
    }

    // ---- validation: every row starts from the valid example and spoils one control
    void validationStopsAtTheFirstFault_data() {
        QTest::addColumn<PageEdit>("spoil");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("editText");

        QTest::newRow("empty page") << PageEdit([](SettingsPageState& p) { p = {}; }) << "Unchecked\n\rType"
                                    << "RadioGroup_7208BemTip1" << QString();
        QTest::newRow("type 3 after 1 and 2")
            << PageEdit([](SettingsPageState& p) { p.inputType[2] = -1; }) << "Unchecked\n\rType"
            << "RadioGroup_7208BemTip3" << QString();
        QTest::newRow("edge 8") << PageEdit([](SettingsPageState& p) { p.countedEdge[7] = -1; })
                                << "Unchecked\n\rCounted event"
                                << "RadioGroup_7208BemEl8" << QString();
        QTest::newRow("parity") << PageEdit([](SettingsPageState& p) { p.parity = -1; })
                                << "Unchecked\n\rParity"
                                << "RadioGroup_7208MbParitas" << QString();
        QTest::newRow("baud") << PageEdit([](SettingsPageState& p) { p.baudRate = -1; })
                              << "Unselected\n\rBaud rate"
                              << "ListBox_7208MbSebesseg" << QString();
        QTest::newRow("time-out empty") << PageEdit([](SettingsPageState& p) { p.maxTimeText[4] = ""; })
                                        << "Missing or invalid number\n\rMax. time between pulses [ms]:"
                                        << "LabeledEdit_7208BemTimeOut5"
                                        << "0";
        QTest::newRow("time-out one over")
            << PageEdit([](SettingsPageState& p) { p.maxTimeText[0] = "4000000000"; })
            << "Max. time between pulses [ms]:\n\rThe value max. limit is 3999999999"
            << "LabeledEdit_7208BemTimeOut1"
            << "3999999999";
        QTest::newRow("address empty") << PageEdit([](SettingsPageState& p) { p.addressText = ""; })
                                       << "Missing or invalid number\n\rAddress [1-247]:"
                                       << "LabeledEdit_7208MbKeszulekcim"
                                       << "1";
        QTest::newRow("address 248") << PageEdit([](SettingsPageState& p) { p.addressText = "248"; })
                                     << "Address [1-247]:\n\rThe value max. limit is 247"
                                     << "LabeledEdit_7208MbKeszulekcim"
                                     << "247";
        QTest::newRow("address 0.6") << PageEdit([](SettingsPageState& p) { p.addressText = "0.6"; })
                                     << "Address [1-247]:\n\rThe value min. limit is 1"
                                     << "LabeledEdit_7208MbKeszulekcim"
                                     << "1";
        QTest::newRow("comm time-out -1") << PageEdit([](SettingsPageState& p) { p.commTimeoutText = "-1"; })
                                          << "Comm. timeout [10 ms]:\n\rThe value min. limit is 0"
                                          << "LabeledEdit_7208MbIdokorlat"
                                          << "0";
        QTest::newRow("answer delay 256") << PageEdit([](SettingsPageState& p) { p.answerDelayText = "256"; })
                                          << "Answer delay [ms]:\n\rThe value max. limit is 255"
                                          << "LabeledEdit_7208MbValaszKeslIdo"
                                          << "255";
    }
    void validationStopsAtTheFirstFault() {
        QFETCH(PageEdit, spoil);
        QFETCH(QString, message);
        QFETCH(QString, control);
        QFETCH(QString, editText);
        QLocale::setDefault(QLocale::c());
        SettingsPageState page = WorkedExamplePage();
        // Not plain integers: a check that ran would rewrite them, so they show where validation stopped.
        for (QString& text : page.maxTimeText)
            text += ".0";
        page.answerDelayText = "5.0";
        spoil(page);
        form->SetSettingsPage(page);

        form->Button_ZT7208Letoltes->click();
        QCOMPARE(form->OperationStep(), 0);
        QCOMPARE(bench->dialogs.Texts(), QStringList{message});
        QCOMPARE(bench->dialogs.messages.first().kind, MessageKind::Error);
        auto* failing = form->findChild<QWidget*>(control);
        QVERIFY(failing);
        QVERIFY2(HasFocusWithin(failing),
                 qPrintable(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                        : QString("nothing")));
        if (auto* edit = qobject_cast<app::TLabeledEdit*>(failing)) QCOMPARE(edit->text(), editText);
        if (control != "LabeledEdit_7208MbValaszKeslIdo")
            QCOMPARE(form->LabeledEdit_7208MbValaszKeslIdo->text(), page.answerDelayText);
        // A group or list without a choice still has none after taking the focus: the next press stops
        // at it again (an edit, by contrast, now holds its limit and passes).
        if (!qobject_cast<app::TLabeledEdit*>(failing)) {
            form->Button_ZT7208Letoltes->click();
            QCOMPARE(bench->dialogs.Texts(), (QStringList{message, message}));
        }
        QTRY_VERIFY(Idle());
        QCOMPARE(bench->device->RequestCount(), 0);
    }

    // ---- writing: the payload the device receives and what it stores
    void writeSendsTheEncodedPage_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<PageEdit>("edit");
        QTest::addColumn<QList<int>>("payload");
        QList<int> p = WorkedExamplePayload;
        QTest::newRow("worked example") << "C" << PageEdit([](SettingsPageState&) {}) << p;
        p = WorkedExamplePayload;
        p[10] = 255, p[11] = 39, p[12] = 107, p[13] = 238;
        QTest::newRow("largest time-out")
            << "C" << PageEdit([](SettingsPageState& s) { s.maxTimeText[0] = "3999999999"; }) << p;
        p = WorkedExamplePayload;
        p[46] = 255, p[47] = 255;
        QTest::newRow("comm time-out 65535")
            << "C" << PageEdit([](SettingsPageState& s) { s.commTimeoutText = "65535"; }) << p;
        p[46] = 0, p[47] = 1;
        QTest::newRow("comm time-out 256")
            << "C" << PageEdit([](SettingsPageState& s) { s.commTimeoutText = "256"; }) << p;
        p = WorkedExamplePayload;
        p[10] = 2, p[11] = 0, p[14] = 4, p[15] = 0;
        QTest::newRow("halves to even, point") << "C" << PageEdit([](SettingsPageState& s) {
            s.maxTimeText[0] = "2.5", s.maxTimeText[1] = "3.5";
        }) << p;
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
        form->SetSettingsPage(page);
        bench->Model([](sim::DeviceModel& m) {
            sim::SettingsRecord other = sim::SettingsRecord::FactoryDefaults();
            other.address = 200;
            m.SetSettings(other);
        });

        form->Button_ZT7208Letoltes->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->dialogs.messages.size() == 1, 5000);
        QCOMPARE(bench->dialogs.messages.first().kind, MessageKind::Information);
        QCOMPARE(bench->dialogs.Texts(), QStringList{"Ready."});
        QCOMPARE(form->OperationStep(), 0);
        const auto payloads = bench->device->AnsweredPayloads();
        QCOMPARE(payloads.size(), std::size_t(1));
        QCOMPARE(ToList(payloads.front()), payload);
        const sim::SettingsRecord stored = bench->Model([](sim::DeviceModel& m) { return m.Settings(); });
        const link::Bytes block(payload.begin() + 2, payload.end());
        QCOMPARE(ToList(stored.Encode()), ToList(block));
        // Every checked edit now holds the number it sent, in plain integer form.
        const quint32 firstTimeout = quint32(payload[2 + 8]) | quint32(payload[2 + 9]) << 8 |
                                     quint32(payload[2 + 10]) << 16 | quint32(payload[2 + 11]) << 24;
        QCOMPARE(form->LabeledEdit_7208BemTimeOut[0]->text(), QString::number(firstTimeout));
    }

    void writeStatusMessages_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("1") << 1 << QStringList{"Parameters error."};
        QTest::newRow("2") << 2 << QStringList{"EEPROM error."};
        QTest::newRow("0x81") << 0x81 << QStringList{"A #15 This is not a ZEPH7208."};
        QTest::newRow("7 ignored") << 7 << QStringList{};
    }
    void writeStatusMessages() {
        QFETCH(int, status);
        QFETCH(QStringList, messages);
        form->SetSettingsPage(WorkedExamplePage());
        bench->device->InjectFault(StatusOnly(status));
        form->Button_ZT7208Letoltes->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->AnswersSent() >= 1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 5000);
        QCOMPARE(bench->dialogs.Texts(), messages);
        for (const auto& shown : bench->dialogs.messages)
            QCOMPARE(shown.kind, MessageKind::Error);
        QCOMPARE(form->SettingsPage(), WorkedExamplePage());
    }
};

QTEST_MAIN(TestSettingsPage)
#include "tst_settings_page.moc"
