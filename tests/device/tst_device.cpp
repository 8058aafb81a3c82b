// SPDX-License-Identifier: MIT
// Tests of the settings block, its validation, the number checks and the data-source codes; the main of
// tst_device also runs the payload and the operation machine tests.
#include "common/SettingsPages.h"
#include "device/DevicePayloads.h"
#include "device/NumberCheck.h"
#include "device/SettingsBlock.h"
#include "device/SettingsValidation.h"
#include "session/SettingsFileMapping.h"

#include <QtTest>

#include <cmath>
#include <functional>

using namespace zeph::device;

Q_DECLARE_METATYPE(SettingsPageState)

int RunOperationMachineTests(int argc, char** argv);
int RunDevicePayloadsTests(int argc, char** argv);

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

// The current-settings example: input 1 contact and debounced, input 2 NAMUR, not debounced, openings,
// the others NAMUR, debounced, closings; 60000 and seven times 1000 ms; Even, 19200, address 1,
// termination only, comm. time-out 100, answer delay 5.
const QByteArray ExampleBlock = Hex("0403000000000000"
                                    "60ea0000e8030000e8030000e8030000e8030000e8030000e8030000e8030000"
                                    "02080101640005");

QByteArray Patched(QByteArray block, int position, const char* hex) {
    const QByteArray bytes = Hex(hex);
    block.replace(position - 1, bytes.size(), bytes);
    return block;
}

SettingsPageState Changed(const std::function<void(SettingsPageState&)>& change) {
    SettingsPageState s = zeph::test::WorkedExamplePage();
    change(s);
    return s;
}

std::span<const std::uint8_t, SettingsBlockSize> AsBlock(const QByteArray& bytes) {
    Q_ASSERT(bytes.size() == SettingsBlockSize);
    return std::span<const std::uint8_t, SettingsBlockSize>(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), SettingsBlockSize);
}

QByteArray ToBytes(const SettingsBlock& block) {
    return QByteArray(reinterpret_cast<const char*>(block.data()), int(block.size()));
}

const QLocale Point = QLocale::c();
const QLocale Comma = QLocale(QLocale::Hungarian, QLocale::Hungary);

} // namespace

class DeviceDataTest : public QObject {
    Q_OBJECT
private slots:
    void decodeSettingsBlock_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<SettingsPageState>("expected");
        QTest::newRow("worked example") << ExampleBlock << zeph::test::WorkedExamplePage();
        QTest::newRow("config 00") << Patched(ExampleBlock, 1, "00")
                                   << Changed([](auto& s) { s.inputType[0] = 0; });
        QTest::newRow("config 07") << Patched(ExampleBlock, 3, "07") << Changed([](auto& s) {
            s.inputType[2] = 1;
            s.debounced[2] = false;
            s.countedEdge[2] = 1;
        });
        QTest::newRow("config F8 ignores bits 3-7")
            << Patched(ExampleBlock, 8, "f8") << zeph::test::WorkedExamplePage();
        QTest::newRow("time-out FFFFFFFF input 8")
            << Patched(ExampleBlock, 37, "ffffffff")
            << Changed([](auto& s) { s.maxTimeText[7] = "4294967295"; });
        QTest::newRow("time-out 0 input 1")
            << Patched(ExampleBlock, 9, "00000000") << Changed([](auto& s) { s.maxTimeText[0] = "0"; });
        QTest::newRow("comm time-out 2C01")
            << Patched(ExampleBlock, 45, "2c01") << Changed([](auto& s) { s.commTimeoutText = "300"; });
        QTest::newRow("comm time-out FFFF")
            << Patched(ExampleBlock, 45, "ffff") << Changed([](auto& s) { s.commTimeoutText = "65535"; });
        QTest::newRow("parity 0") << Patched(ExampleBlock, 41, "00")
                                  << Changed([](auto& s) { s.parity = -1; });
        QTest::newRow("parity 3") << Patched(ExampleBlock, 41, "03")
                                  << Changed([](auto& s) { s.parity = 2; });
        QTest::newRow("parity 4") << Patched(ExampleBlock, 41, "04")
                                  << Changed([](auto& s) { s.parity = -1; });
        QTest::newRow("baud 0") << Patched(ExampleBlock, 42, "00")
                                << Changed([](auto& s) { s.baudRate = -1; });
        QTest::newRow("baud 1") << Patched(ExampleBlock, 42, "01")
                                << Changed([](auto& s) { s.baudRate = 0; });
        QTest::newRow("baud 9") << Patched(ExampleBlock, 42, "09")
                                << Changed([](auto& s) { s.baudRate = 8; });
        QTest::newRow("baud 10") << Patched(ExampleBlock, 42, "0a")
                                 << Changed([](auto& s) { s.baudRate = -1; });
        QTest::newRow("address 255 as it comes")
            << Patched(ExampleBlock, 43, "ff") << Changed([](auto& s) { s.addressText = "255"; });
        QTest::newRow("resistors: pull only, high bits ignored")
            << Patched(ExampleBlock, 44, "fe") << Changed([](auto& s) {
                   s.termination = false;
                   s.pullResistors = true;
               });
        QTest::newRow("answer delay 255")
            << Patched(ExampleBlock, 47, "ff") << Changed([](auto& s) { s.answerDelayText = "255"; });
    }
    void decodeSettingsBlock() {
        QFETCH(QByteArray, block);
        QFETCH(SettingsPageState, expected);
        const SettingsPageState actual = DecodeSettingsBlock(AsBlock(block));
        for (int n = 0; n < InputCount; ++n) {
            QCOMPARE(actual.inputType[n], expected.inputType[n]);
            QCOMPARE(actual.countedEdge[n], expected.countedEdge[n]);
            QCOMPARE(actual.debounced[n], expected.debounced[n]);
            QCOMPARE(actual.maxTimeText[n], expected.maxTimeText[n]);
        }
        QCOMPARE(actual.parity, expected.parity);
        QCOMPARE(actual.baudRate, expected.baudRate);
        QCOMPARE(actual.addressText, expected.addressText);
        QCOMPARE(actual.pullResistors, expected.pullResistors);
        QCOMPARE(actual.termination, expected.termination);
        QCOMPARE(actual.commTimeoutText, expected.commTimeoutText);
        QCOMPARE(actual.answerDelayText, expected.answerDelayText);
    }

    void writePayloadOfWorkedExample() {
        const SettingsBlock block = EncodeSettingsBlock(zeph::test::WorkedExamplePage(), Point);
        const zeph::link::Bytes payload = SettingsWritePayload(block);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(payload.data()), qsizetype(payload.size())),
                 Hex("0403") + ExampleBlock);
    }

    void encodeInvertsDecode_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::newRow("worked example") << ExampleBlock;
        QTest::newRow("largest values")
            << Hex("0707070707070707") + QByteArray(32, char(0xff)) + Hex("0309ff03ffffff");
        QTest::newRow("smallest values") << QByteArray(40, 0) + Hex("01010000000000");
        QTest::newRow("mixed") << Hex("0001020304050607"
                                      "01000000000100000000010000000001efbeaddefeffffff7856341200000080"
                                      "0205f70200ff7f");
    }
    void encodeInvertsDecode() {
        QFETCH(QByteArray, block);
        QCOMPARE(ToBytes(EncodeSettingsBlock(DecodeSettingsBlock(AsBlock(block)), Point)), block);
        // The comma locale reads the integer texts alike.
        QCOMPARE(ToBytes(EncodeSettingsBlock(DecodeSettingsBlock(AsBlock(block)), Comma)), block);
    }

    void encodeNumbers_data() {
        QTest::addColumn<SettingsPageState>("state");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("time-out 3999999999")
            << Changed([](auto& s) { s.maxTimeText[2] = "3999999999"; }) << Point << 17 << Hex("ff276bee");
        QTest::newRow("time-out 2.5 rounds to even")
            << Changed([](auto& s) { s.maxTimeText[0] = "2.5"; }) << Point << 9 << Hex("02000000");
        QTest::newRow("time-out 3,5 in a comma locale")
            << Changed([](auto& s) { s.maxTimeText[7] = "3,5"; }) << Comma << 37 << Hex("04000000");
        QTest::newRow("time-out 1e3")
            << Changed([](auto& s) { s.maxTimeText[1] = "1e3"; }) << Point << 13 << Hex("e8030000");
        QTest::newRow("comm time-out 65535")
            << Changed([](auto& s) { s.commTimeoutText = "65535"; }) << Point << 45 << Hex("ffff");
        QTest::newRow("comm time-out 256")
            << Changed([](auto& s) { s.commTimeoutText = "256"; }) << Point << 45 << Hex("0001");
        QTest::newRow("address 247") << Changed([](auto& s) { s.addressText = "247"; }) << Point << 43
                                     << Hex("f7");
        QTest::newRow("both resistors")
            << Changed([](auto& s) { s.pullResistors = true; }) << Point << 44 << Hex("03");
        QTest::newRow("contact, not debounced, openings") << Changed([](auto& s) {
            s.inputType[3] = 1;
            s.debounced[3] = false;
            s.countedEdge[3] = 1;
        }) << Point << 4 << Hex("07");
        QTest::newRow("odd parity, 38400") << Changed([](auto& s) {
            s.parity = 2;
            s.baudRate = 8;
        }) << Point << 41 << Hex("0309");
    }
    void encodeNumbers() {
        QFETCH(SettingsPageState, state);
        QFETCH(QLocale, locale);
        QFETCH(int, position);
        QFETCH(QByteArray, bytes);
        QCOMPARE(ToBytes(EncodeSettingsBlock(state, locale)).mid(position - 1, bytes.size()), bytes);
    }

    void parseUserNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << Point << false << 0.0;
        QTest::newRow("blanks") << "   " << Point << false << 0.0;
        QTest::newRow("letters") << "abc" << Point << false << 0.0;
        QTest::newRow("trailing garbage") << "12x" << Point << false << 0.0;
        QTest::newRow("group separator") << "1,000" << Point << false << 0.0;
        QTest::newRow("blank group separator") << "1 000" << Point << false << 0.0;
        QTest::newRow("point in comma locale") << "2.5" << Comma << false << 0.0;
        QTest::newRow("sign only") << "-" << Point << false << 0.0;
        QTest::newRow("two signs") << "--1" << Point << false << 0.0;
        QTest::newRow("exponent without digits") << "1e" << Point << false << 0.0;
        QTest::newRow("exponent without mantissa") << "e3" << Point << false << 0.0;
        QTest::newRow("separator alone") << "." << Point << false << 0.0;
        QTest::newRow("integer") << "247" << Point << true << 247.0;
        QTest::newRow("plus sign") << "+5" << Point << true << 5.0;
        QTest::newRow("negative fraction") << "-0.4" << Point << true << -0.4;
        QTest::newRow("surrounding blanks") << " 7 " << Point << true << 7.0;
        QTest::newRow("fraction only") << ".5" << Point << true << 0.5;
        QTest::newRow("trailing separator") << "5." << Point << true << 5.0;
        QTest::newRow("comma locale") << "2,5" << Comma << true << 2.5;
        QTest::newRow("exponent") << "4E9" << Point << true << 4e9;
        QTest::newRow("negative exponent") << "25e-1" << Comma << true << 2.5;
        QTest::newRow("beyond double") << "1e400" << Point << true << HUGE_VAL;
        QTest::newRow("below double") << "1e-400" << Point << true << 0.0;
    }
    void parseUserNumber() {
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QFETCH(bool, valid);
        QFETCH(double, value);
        const std::optional<double> parsed = ParseUserNumber(text, locale);
        QCOMPARE(parsed.has_value(), valid);
        if (valid) QCOMPARE(*parsed, value);
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("1.5") << 1.5 << 2.0;
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("2.5000001") << 2.5000001 << 3.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("-3.5") << -3.5 << -4.0;
        QTest::newRow("-0.4") << -0.4 << 0.0;
        QTest::newRow("3999999998.5") << 3999999998.5 << 3999999998.0;
        QTest::newRow("3999999999.4") << 3999999999.4 << 3999999999.0;
    }
    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(double, rounded);
        const double actual = RoundHalfEven(value);
        QCOMPARE(actual, rounded);
        QVERIFY2(!std::signbit(actual) || actual != 0, "a zero must not carry a sign");
    }

    void checkNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("passed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("editText");
        const QString address = "Address [1-247]:";
        const QString counter = "New value for IN1:";
        const QString missingAddress = "Missing or invalid number\n\rAddress [1-247]:";
        const QString addressMin = "Address [1-247]:\n\rThe value min. limit is 1";
        const QString addressMax = "Address [1-247]:\n\rThe value max. limit is 247";
        const QString counterMin = "New value for IN1:\n\rThe value min. limit is 0";
        const QString counterMax = "New value for IN1:\n\rThe value max. limit is 3999999999";
        const double top = 3999999999.0;
        QTest::newRow("empty") << "" << 1.0 << 247.0 << Point << address << false << missingAddress << "1";
        QTest::newRow("abc") << "abc" << 1.0 << 247.0 << Point << address << false << missingAddress << "1";
        QTest::newRow("abc counter") << "abc" << 0.0 << top << Point << counter << false
                                     << "Missing or invalid number\n\rNew value for IN1:"
                                     << "0";
        QTest::newRow("0.6 below 1") << "0.6" << 1.0 << 247.0 << Point << address << false << addressMin
                                     << "1";
        QTest::newRow("247.2 above 247")
            << "247.2" << 1.0 << 247.0 << Point << address << false << addressMax << "247";
        QTest::newRow("248") << "248" << 1.0 << 247.0 << Point << address << false << addressMax << "247";
        QTest::newRow("246.5") << "246.5" << 1.0 << 247.0 << Point << address << true << ""
                               << "246";
        QTest::newRow("247") << "247" << 1.0 << 247.0 << Point << address << true << ""
                             << "247";
        QTest::newRow("1e3") << "1e3" << 0.0 << top << Point << counter << true << ""
                             << "1000";
        QTest::newRow("2.5") << "2.5" << 0.0 << top << Point << counter << true << ""
                             << "2";
        QTest::newRow("3.5") << "3.5" << 0.0 << top << Point << counter << true << ""
                             << "4";
        QTest::newRow("2,5 comma") << "2,5" << 0.0 << top << Comma << counter << true << ""
                                   << "2";
        QTest::newRow("3,5 comma") << "3,5" << 0.0 << top << Comma << counter << true << ""
                                   << "4";
        QTest::newRow("3.5 in comma locale")
            << "3.5" << 0.0 << 65535.0 << Comma << "Comm. timeout [10 ms]:" << false
            << "Missing or invalid number\n\rComm. timeout [10 ms]:"
            << "0";
        QTest::newRow("-0.4") << "-0.4" << 0.0 << top << Point << counter << false << counterMin << "0";
        QTest::newRow("-0") << "-0" << 0.0 << top << Point << counter << true << ""
                            << "0";
        QTest::newRow("0.4") << "0.4" << 0.0 << top << Point << counter << true << ""
                             << "0";
        QTest::newRow("4000000000") << "4000000000" << 0.0 << top << Point << counter << false << counterMax
                                    << "3999999999";
        QTest::newRow("4e9") << "4e9" << 0.0 << top << Point << counter << false << counterMax
                             << "3999999999";
        QTest::newRow("3999999999.4")
            << "3999999999.4" << 0.0 << top << Point << counter << false << counterMax << "3999999999";
        QTest::newRow("3999999999") << "3999999999" << 0.0 << top << Point << counter << true << ""
                                    << "3999999999";
        QTest::newRow("3999999998.5") << "3999999998.5" << 0.0 << top << Point << counter << true << ""
                                      << "3999999998";
        QTest::newRow("1e400") << "1e400" << 0.0 << top << Point << counter << false << counterMax
                               << "3999999999";
    }
    void checkNumber() {
        QFETCH(QString, text);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(QLocale, locale);
        QFETCH(QString, caption);
        QFETCH(bool, passed);
        QFETCH(QString, message);
        QFETCH(QString, editText);
        const NumberCheckResult result = CheckNumberInRange(text, minimum, maximum, locale, caption);
        QCOMPARE(result.passed, passed);
        QCOMPARE(result.message, message);
        QCOMPARE(result.editText, editText);
        if (passed) QCOMPARE(QString::number(qint64(result.value)), editText);
    }

    void messageTexts() {
        QCOMPARE(UncheckedMessage("Type"), QStringLiteral("Unchecked\n\rType"));
        QCOMPARE(UnselectedMessage("Baud rate"), QStringLiteral("Unselected\n\rBaud rate"));
    }

    // The checks run in their table's order and stop at the first fault; the edits before it come back in
    // integer form, the ones after it untouched, and the failing edit's limit is handed back.
    void validateSettings_data() {
        QTest::addColumn<SettingsPageState>("page");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("editText");
        using P = SettingsPageState&;
        const auto row = [](const char* name, const std::function<void(SettingsPageState&)>& spoil,
                            const char* control, const char* message, const char* editText = "") {
            QTest::newRow(name) << Changed(spoil) << control << message << editText;
        };
        row(
            "all pass", [](P) {}, "", "");
        row(
            "empty page", [](P p) { p = {}; }, "RadioGroup_7208BemTip1", "Unchecked\n\rType");
        row(
            "type 3 after 1 and 2", [](P p) { p.inputType[2] = -1; }, "RadioGroup_7208BemTip3",
            "Unchecked\n\rType");
        row(
            "types before edges", [](P p) { p.inputType[7] = -1, p.countedEdge[0] = -1; },
            "RadioGroup_7208BemTip8", "Unchecked\n\rType");
        row(
            "edge 8", [](P p) { p.countedEdge[7] = -1; }, "RadioGroup_7208BemEl8",
            "Unchecked\n\rCounted event");
        row(
            "parity", [](P p) { p.parity = -1; }, "RadioGroup_7208MbParitas", "Unchecked\n\rParity");
        row(
            "baud", [](P p) { p.baudRate = -1; }, "ListBox_7208MbSebesseg", "Unselected\n\rBaud rate");
        row(
            "baud before the edits", [](P p) { p.baudRate = -1, p.addressText = ""; },
            "ListBox_7208MbSebesseg", "Unselected\n\rBaud rate");
        row(
            "time-out empty", [](P p) { p.maxTimeText[4] = ""; }, "LabeledEdit_7208BemTimeOut5",
            "Missing or invalid number\n\rMax. time between pulses [ms]:", "0");
        row(
            "time-out one over", [](P p) { p.maxTimeText[0] = "4000000000"; }, "LabeledEdit_7208BemTimeOut1",
            "Max. time between pulses [ms]:\n\rThe value max. limit is 3999999999", "3999999999");
        row(
            "address empty", [](P p) { p.addressText = ""; }, "LabeledEdit_7208MbKeszulekcim",
            "Missing or invalid number\n\rAddress [1-247]:", "1");
        row(
            "address 248", [](P p) { p.addressText = "248"; }, "LabeledEdit_7208MbKeszulekcim",
            "Address [1-247]:\n\rThe value max. limit is 247", "247");
        row(
            "address 0.6", [](P p) { p.addressText = "0.6"; }, "LabeledEdit_7208MbKeszulekcim",
            "Address [1-247]:\n\rThe value min. limit is 1", "1");
        row(
            "comm time-out -1", [](P p) { p.commTimeoutText = "-1"; }, "LabeledEdit_7208MbIdokorlat",
            "Comm. timeout [10 ms]:\n\rThe value min. limit is 0", "0");
        row(
            "answer delay 256", [](P p) { p.answerDelayText = "256"; }, "LabeledEdit_7208MbValaszKeslIdo",
            "Answer delay [ms]:\n\rThe value max. limit is 255", "255");
    }
    void validateSettings() {
        QFETCH(SettingsPageState, page);
        QFETCH(QString, control);
        QFETCH(QString, message);
        QFETCH(QString, editText);
        // Not plain integers: a check that ran rewrites them, so they show where validation stopped.
        for (QString& text : page.maxTimeText)
            if (!text.isEmpty() && !text.startsWith('4')) text += ".0";
        page.commTimeoutText += ".0";
        const SettingsPageState before = page;
        const auto failure = ValidateSettings(page, QLocale::c(), zeph::session::EnglishCaption);
        QCOMPARE(failure ? zeph::session::FileKey(failure->field) : QString(), control);
        QCOMPARE(failure ? failure->message : QString(), message);
        QCOMPARE(failure && failure->editText ? *failure->editText : QString(), editText);
        const auto& rules = SettingsValidationRules();
        bool reached = true;
        for (const ValidationRule& rule : rules) {
            const QString ruleControl = zeph::session::FileKey(rule.field);
            if (ruleControl == control) reached = false;
            SettingsPageState copy = before;
            const QString* was = NumberField(copy, rule.field);
            if (!was) continue;
            const QString now = *NumberField(page, rule.field);
            // Checked before the fault: integer form. The failing one and those after: as they were.
            QCOMPARE(now, reached && ruleControl != control
                              ? IntegerText(ParseUserNumber(*was, QLocale::c()).value())
                              : *was);
        }
    }

    void captionsNameTheControls() {
        // The window passes its own captions; without one, the English caption set's texts.
        SettingsPageState page = Changed([](SettingsPageState& p) { p.countedEdge[1] = -1; });
        const auto english = ValidateSettings(page, QLocale::c(), zeph::session::EnglishCaption);
        QCOMPARE(english->message, QStringLiteral("Unchecked\n\rCounted event"));
        const auto own = ValidateSettings(
            page, QLocale::c(), [](FieldRef field) { return "<" + zeph::session::FileKey(field) + ">"; });
        QCOMPARE(own->message, QStringLiteral("Unchecked\n\r<RadioGroup_7208BemEl2>"));
        QCOMPARE(SettingsValidationRules().size(), std::size_t(8 + 8 + 1 + 1 + 8 + 3));
    }

    void settingsAnswer_data() {
        QTest::addColumn<bool>("withDataSource");
        QTest::addColumn<int>("payloadSize");
        QTest::addColumn<int>("dataSource"); // -1: none
        QTest::newRow("current settings") << true << 49 << 11;
        QTest::newRow("factory defaults") << false << 48 << -1;
        QTest::newRow("short payload reads zeros") << true << 10 << 0;
    }
    void settingsAnswer() {
        QFETCH(bool, withDataSource);
        QFETCH(int, payloadSize);
        QFETCH(int, dataSource);
        const QByteArray payload = (QByteArray(1, 0) + ExampleBlock + QByteArray(1, 11)).left(payloadSize);
        const SettingsAnswer answer = DecodeSettingsAnswer(
            {reinterpret_cast<const std::uint8_t*>(payload.data()), std::size_t(payload.size())},
            withDataSource);
        if (payloadSize >= 48) QCOMPARE(answer.page, zeph::test::WorkedExamplePage());
        QCOMPARE(answer.dataSource ? int(*answer.dataSource) : -1, dataSource);
    }

    void dataSource_data() {
        QTest::addColumn<unsigned>("code");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("copy");
        using K = DataSource::Kind;
        for (unsigned copy : {1u, 2u, 3u}) {
            QTest::addRow("%u", copy) << copy << int(K::Ram) << int(copy);
            QTest::addRow("%u", copy + 10) << copy + 10 << int(K::Eeprom) << int(copy);
        }
        QTest::newRow("21") << 21u << int(K::SettingsFailed) << 0;
        QTest::newRow("31") << 31u << int(K::EepromError) << 0;
        for (unsigned ignored : {0u, 4u, 5u, 10u, 14u, 22u, 255u, 257u})
            QTest::addRow("%u", ignored) << ignored << int(K::Unknown) << 0;
    }
    void dataSource() {
        QFETCH(unsigned, code);
        QFETCH(int, kind);
        QFETCH(int, copy);
        QCOMPARE(DataSourceOf(code), (DataSource{DataSource::Kind(kind), copy}));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    DeviceDataTest dataTest;
    int failures = QTest::qExec(&dataTest, argc, argv);
    failures += RunDevicePayloadsTests(argc, argv);
    failures += RunOperationMachineTests(argc, argv);
    return failures;
}

#include "tst_device.moc"
