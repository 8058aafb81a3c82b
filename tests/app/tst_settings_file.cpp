// Tests of the settings-file group: saving the page to a ".zsf" file, loading it back, the failures of
// both, and a round trip through the file and the simulated device.
#include "app/QtUserDialogs.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "settingsfile/IniFile.h"
#include "common/SettingsPages.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QDate>
#include <QFileDialog>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QTest>

#include <functional>

using namespace zeph;
using zeph::device::MessageKind;
using zeph::device::SettingsPageState;
using zeph::test::MarkerPage;
using zeph::test::PageEdit;
using zeph::test::WorkedExamplePage;


namespace {

// The worked example as another program might have written it, one key a line.
QStringList WorkedExampleLines() {
    QStringList lines{"[Fejlec]", "ZT=ZEPH7208", "[Beallitas]"};
    for (int n = 1; n <= 8; ++n)
        lines << QString("RadioGroup_7208BemTip%1=%2").arg(n).arg(n == 1 ? 1 : 0);
    for (int n = 1; n <= 8; ++n)
        lines << QString("CheckBox_7208PergMentesites%1=%2").arg(n).arg(n == 2 ? 0 : 1);
    for (int n = 1; n <= 8; ++n)
        lines << QString("RadioGroup_7208BemEl%1=%2").arg(n).arg(n == 2 ? 1 : 0);
    for (int n = 1; n <= 8; ++n)
        lines << QString("LabeledEdit_7208BemTimeOut%1=%2").arg(n).arg(n == 1 ? 60000 : 1000);
    lines << "RadioGroup_7208MbParitas=1"
          << "ListBox_7208MbSebesseg=7"
          << "CheckBox_7208MbRFelLe=0"
          << "CheckBox_7208MbRLezaro=1"
          << "LabeledEdit_7208MbKeszulekcim=1"
          << "LabeledEdit_7208MbIdokorlat=100"
          << "LabeledEdit_7208MbValaszKeslIdo=5"
          << "[Date]"
          << "Date=2014-12-08";
    return lines;
}

// The example file with the line of one key replaced (or removed with an empty replacement).
QByteArray ExampleWith(const QString& key, const QString& line) {
    QStringList lines = WorkedExampleLines();
    for (QString& l : lines)
        if (l.startsWith(key + "=")) l = line;
    lines.removeAll(QString());
    return lines.join("\r\n").toUtf8() + "\r\n";
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

const QString SaveFailedText =
    "The save operation is failed.\n\rCheck the write-protected mode in storage and "
    "there is enough free space on it.";
const QString NotSettingsText = "This file is not a ZEPH7208 settings.";

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

    std::unique_ptr<test::SimulatedBench> bench;
    app::TForm_Main* form = nullptr;
    QTemporaryDir files;

    QString Caption() const { return form->GroupBox_FajlMuveletek->title(); }
    QString FilePath(const QString& name) const { return files.filePath(name); }

    void Save(const QString& answer) {
        bench->dialogs.saveAnswers = {answer};
        form->Button_FileMentes->click();
    }
    void Load(const QString& path) {
        bench->dialogs.openAnswers = {path};
        form->Button_FileMegnyitas->click();
    }

private slots:
    void initTestCase() {
        QVERIFY(files.isValid());
        bench = std::make_unique<test::SimulatedBench>();
        form = bench->form.get();
    }

    void init() {
        settingsfile::IniFile::SetSimulatedWriteFailure(false);
        form->SetSettingsPage(WorkedExamplePage());
        form->GroupBox_FajlMuveletek->setTitle(QString());
        bench->dialogs.messages.clear();
        bench->dialogs.saveRequests.clear();
        bench->dialogs.openRequests.clear();
        bench->dialogs.saveAnswers.clear();
        bench->dialogs.openAnswers.clear();
    }

    void cleanupTestCase() {
        settingsfile::IniFile::SetSimulatedWriteFailure(false);
        bench.reset();
    }

    // The real save dialog, answered by typing a name: what it returns is what the window writes.
    void realSaveDialogAddsTheDefaultExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("returned");
        QTest::newRow("bare name gets .zsf") << "plant" << "plant.zsf";
        QTest::newRow("own extension kept") << "plant.txt" << "plant.txt";
    }
    void realSaveDialogAddsTheDefaultExtension() {
        QFETCH(QString, typed);
        QFETCH(QString, returned);
        QWidget owner;
        app::QtUserDialogs dialogs(&owner);
        QString title, filter, suffix;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            filter = dialog->nameFilters().join(';');
            suffix = dialog->defaultSuffix();
            QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite) == false);
            dialog->selectFile(FilePath(typed));
            QMetaObject::invokeMethod(dialog, "accept"); // the button a user presses
        });
        const QString chosen = dialogs.GetSaveFileName(
            {"Save settings to file", "ZEPH7208 Settings File (*.zsf)", "zsf"});
        QCOMPARE(chosen, FilePath(returned));
        QCOMPARE(title, QString("Save settings to file"));
        QCOMPARE(filter, QString("ZEPH7208 Settings File (*.zsf)"));
        QCOMPARE(suffix, QString("zsf"));
    }

    void saveWritesEveryControlUnderItsName_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        // The file written is the one the dialog returns; the dialog itself adds the default extension
        // (see realSaveDialogAddsTheDefaultExtension).
        QTest::newRow("settings file") << "plant.zsf"
                                       << "plant.zsf";
        QTest::newRow("own extension kept") << "plant.txt"
                                            << "plant.txt";
    }
    void saveWritesEveryControlUnderItsName() {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFile::remove(FilePath(written));
        Save(FilePath(typed));

        QCOMPARE(bench->dialogs.Texts(), QStringList());
        QCOMPARE(bench->dialogs.saveRequests.size(), 1);
        const app::FileDialogRequest request = bench->dialogs.saveRequests.first();
        QCOMPARE(request.title, QString("Save settings to file"));
        QCOMPARE(request.filter, QString("ZEPH7208 Settings File (*.zsf)"));
        QCOMPARE(request.defaultSuffix, QString("zsf"));
        QVERIFY(QFile::exists(FilePath(written)));
        if (typed != written) QVERIFY(!QFile::exists(FilePath(typed)));
        QCOMPARE(Caption(), "Settings   Last used file: " + written);

        // Keys read back one by one, so a control saved under another control's name shows.
        const QByteArray bytes = ReadAll(FilePath(written));
        const auto ini = settingsfile::IniFile::FromBytes(bytes);
        QCOMPARE(ini.ReadString("Fejlec", "ZT", {}), QString("ZEPH7208"));
        QCOMPARE(ini.ReadString("Date", "Date", {}),
                 QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
        const QStringList lines = WorkedExampleLines();
        for (const QString& line : lines.mid(3, 39)) {
            const QString key = line.section('=', 0, 0);
            QCOMPARE(key + "=" + ini.ReadString("Beallitas", key, "absent"), line);
        }
        QVERIFY(bytes.contains("\r\n"));
    }

    void saveStopsBeforeTheDialog_data() {
        QTest::addColumn<PageEdit>("edit");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("type of input 3 unchosen")
            << PageEdit([](SettingsPageState& p) { p.inputType[2] = -1; }) << "Unchecked\n\rType" << 0;
        QTest::newRow("address 999") << PageEdit([](SettingsPageState& p) { p.addressText = "999"; })
                                     << "Address [1-247]:\n\rThe value max. limit is 247" << 0;
        QTest::newRow("dialog cancelled") << PageEdit([](SettingsPageState&) {}) << QString() << 1;
    }
    void saveStopsBeforeTheDialog() {
        QFETCH(PageEdit, edit);
        QFETCH(QString, message);
        QFETCH(int, dialogs);
        SettingsPageState page = WorkedExamplePage();
        edit(page);
        form->SetSettingsPage(page);
        const QStringList before = QDir(files.path()).entryList(QDir::Files);
        Save(QString()); // an empty answer is a cancel
        QCOMPARE(bench->dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(bench->dialogs.saveRequests.size(), dialogs);
        QCOMPARE(QDir(files.path()).entryList(QDir::Files), before);
        QCOMPARE(Caption(), QString());
    }

    void failedSaveKeepsTheEarlierFile_data() {
        QTest::addColumn<bool>("injected");
        QTest::newRow("write fails part-way") << true;
        QTest::newRow("folder missing") << false;
    }
    void failedSaveKeepsTheEarlierFile() {
        QFETCH(bool, injected);
        const QString path = injected ? FilePath("kept.zsf") : FilePath("no-such-folder/kept.zsf");
        if (injected) {
            Save(path);
            QCOMPARE(bench->dialogs.Texts(), QStringList());
        }
        const QByteArray earlier = ReadAll(path);
        form->GroupBox_FajlMuveletek->setTitle("Settings   Last used file: before.zsf");
        form->LabeledEdit_7208MbKeszulekcim->setText("2");
        settingsfile::IniFile::SetSimulatedWriteFailure(injected);
        Save(path);
        QCOMPARE(bench->dialogs.Texts(), QStringList{SaveFailedText});
        QCOMPARE(bench->dialogs.messages.first().kind, MessageKind::Error);
        QCOMPARE(ReadAll(path), earlier);
        QCOMPARE(QFile::exists(path), injected);
        QCOMPARE(Caption(), QString("Settings   Last used file: before.zsf"));
    }

    void saveKeepsOtherSections() {
        const QString path = FilePath("shared.zsf");
        QVERIFY(WriteAll(
            path,
            "[Notes]\r\nowner=plant 4\r\n[Beallitas]\r\nExtra=1\r\nLabeledEdit_7208MbKeszulekcim=9\r\n"));
        Save(path);
        QCOMPARE(bench->dialogs.Texts(), QStringList());
        const auto ini = settingsfile::IniFile::FromBytes(ReadAll(path));
        QCOMPARE(ini.ReadString("Notes", "owner", {}), QString("plant 4"));
        QCOMPARE(ini.ReadString("Beallitas", "Extra", {}), QString("1"));
        QCOMPARE(ini.ReadString("Beallitas", "LabeledEdit_7208MbKeszulekcim", {}), QString("1"));
    }

    void loadAppliesTheFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<PageEdit>("expect"); // applied to the example page; unused when refused
        QTest::addColumn<QString>("message");
        const auto same = PageEdit([](SettingsPageState&) {});
        QTest::newRow("worked example") << ExampleWith("", "") << same << QString();
        QTest::newRow("names case-blind, blanks around")
            << ExampleWith("ZT", " zt = ZEPH7208 ").replace("[Fejlec]", "[ fejlec ]") << same << QString();
        QTest::newRow("header in other case") << ExampleWith("ZT", "ZT=zeph7208") << same << NotSettingsText;
        QTest::newRow("no header") << ExampleWith("ZT", "") << same << NotSettingsText;
        QTest::newRow("empty settings section")
            << QByteArray("[Fejlec]\r\nZT=ZEPH7208\r\n[Beallitas]\r\n")
            << PageEdit([](SettingsPageState& p) { p = {}; }) << QString();
        QTest::newRow("parity 5 is the last item")
            << ExampleWith("RadioGroup_7208MbParitas", "RadioGroup_7208MbParitas=5")
            << PageEdit([](SettingsPageState& p) { p.parity = 2; }) << QString();
        QTest::newRow("parity -3 is no choice")
            << ExampleWith("RadioGroup_7208MbParitas", "RadioGroup_7208MbParitas=-3")
            << PageEdit([](SettingsPageState& p) { p.parity = -1; }) << QString();
        QTest::newRow("baud 9 is no choice")
            << ExampleWith("ListBox_7208MbSebesseg", "ListBox_7208MbSebesseg=9")
            << PageEdit([](SettingsPageState& p) { p.baudRate = -1; }) << QString();
        QTest::newRow("baud in hex") << ExampleWith("ListBox_7208MbSebesseg", "ListBox_7208MbSebesseg=0x3")
                                     << PageEdit([](SettingsPageState& p) { p.baudRate = 3; }) << QString();
        QTest::newRow("pull resistors 2 sets")
            << ExampleWith("CheckBox_7208MbRFelLe", "CheckBox_7208MbRFelLe=2")
            << PageEdit([](SettingsPageState& p) { p.rFelLe = true; }) << QString();
        QTest::newRow("termination yes clears")
            << ExampleWith("CheckBox_7208MbRLezaro", "CheckBox_7208MbRLezaro=yes")
            << PageEdit([](SettingsPageState& p) { p.rLezaro = false; }) << QString();
        QTest::newRow("address 1000 kept whole")
            << ExampleWith("LabeledEdit_7208MbKeszulekcim", "LabeledEdit_7208MbKeszulekcim=1000")
            << PageEdit([](SettingsPageState& p) { p.addressText = "1000"; }) << QString();
        QTest::newRow("time-out of 11 digits kept whole")
            << ExampleWith("LabeledEdit_7208BemTimeOut1", "LabeledEdit_7208BemTimeOut1=12345678901")
            << PageEdit([](SettingsPageState& p) { p.maxTimeText[0] = "12345678901"; }) << QString();
        QTest::newRow("address 999 unchecked")
            << ExampleWith("LabeledEdit_7208MbKeszulekcim", "LabeledEdit_7208MbKeszulekcim=999")
            << PageEdit([](SettingsPageState& p) { p.addressText = "999"; }) << QString();
        QTest::newRow("garbage") << QByteArray("\x00\xff\x13garbage\n[[[\n=\n", 16) << same
                                 << NotSettingsText;
        QByteArray huge = ExampleWith("", "");
        huge += QByteArray(2 * 1024 * 1024, 'x');
        QTest::newRow("huge") << huge << same << NotSettingsText;
    }
    void loadAppliesTheFile() {
        QFETCH(QByteArray, content);
        QFETCH(PageEdit, expect);
        QFETCH(QString, message);
        const QString path = FilePath("load.zsf");
        QVERIFY(WriteAll(path, content));
        form->SetSettingsPage(MarkerPage());
        form->ShowDataSource(21);
        form->GroupBox_FajlMuveletek->setTitle("Settings   Last used file: before.zsf");

        Load(path);
        QCOMPARE(bench->dialogs.openRequests.size(), 1);
        QCOMPARE(bench->dialogs.openRequests.first().title, QString("Open settings file"));
        QCOMPARE(bench->dialogs.openRequests.first().filter, QString("ZEPH7208 Settings File (*.zsf)"));
        QCOMPARE(bench->dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
        SettingsPageState expected = WorkedExamplePage();
        expect(expected);
        QCOMPARE(form->SettingsPage(), message.isEmpty() ? expected : MarkerPage());
        QCOMPARE(Caption(), QString("Settings   Last used file: before.zsf"));
        QCOMPARE(form->Label_7208ParameterAdatforras->text(), QString("The settings failed."));
    }

    void loadOfAMissingFileOrCancel() {
        form->SetSettingsPage(MarkerPage());
        Load(FilePath("never-written.zsf"));
        QCOMPARE(bench->dialogs.Texts(), QStringList{NotSettingsText});
        bench->dialogs.messages.clear();
        Load(QString());
        QCOMPARE(bench->dialogs.Texts(), QStringList());
        QCOMPARE(form->SettingsPage(), MarkerPage());
    }

    void loadedOutOfRangeAddressStopsTheNextSave() {
        QVERIFY(WriteAll(FilePath("wide.zsf"),
                         ExampleWith("LabeledEdit_7208MbKeszulekcim", "LabeledEdit_7208MbKeszulekcim=999")));
        Load(FilePath("wide.zsf"));
        QCOMPARE(form->LabeledEdit_7208MbKeszulekcim->text(), QString("999"));
        Save(FilePath("never.zsf"));
        QCOMPARE(bench->dialogs.Texts(), QStringList{"Address [1-247]:\n\rThe value max. limit is 247"});
        QCOMPARE(form->LabeledEdit_7208MbKeszulekcim->text(), QString("247"));
        QCOMPARE(bench->dialogs.saveRequests.size(), 0);
        QVERIFY(!QFile::exists(FilePath("never.zsf")));
    }

    // Device to page to file, the page spoiled, file to page to device, and back onto the page.
    void roundTripThroughFileAndDevice() {
        QVERIFY(bench->Open());
        sim::SettingsRecord record = sim::SettingsRecord::FactoryDefaults();
        record.inputConfig = {0, 1, 2, 3, 4, 5, 6, 7};
        record.maxPulseTimeMs = {0, 1, 255, 256, 65536, 16777216, 3999999999u, 123456789};
        record.parity = 3;
        record.baudCode = 9;
        record.address = 247;
        record.resistors = 3;
        record.commTimeout = 65535;
        record.answerDelayMs = 255;
        bench->Model([&](sim::DeviceModel& m) { m.SetSettings(record); });

        form->SetSettingsPage({});
        form->Button_ZT7208AktBeallKiolvasas->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->SettingsPage().answerDelayText == "255", 5000);
        QTRY_COMPARE(form->OperationStep(), 0);
        const SettingsPageState read = form->SettingsPage();
        Save(FilePath("trip.zsf"));
        QCOMPARE(bench->dialogs.Texts(), QStringList());

        form->SetSettingsPage(MarkerPage());
        Load(FilePath("trip.zsf"));
        QCOMPARE(form->SettingsPage(), read);
        bench->Model([](sim::DeviceModel& m) { m.SetSettings(sim::SettingsRecord::FactoryDefaults()); });
        form->Button_ZT7208Letoltes->click();
        QTRY_COMPARE_WITH_TIMEOUT(bench->dialogs.Texts(), QStringList{"Ready."}, 5000);
        QVERIFY(bench->Model([&](sim::DeviceModel& m) { return m.Settings() == record; }));

        form->SetSettingsPage(MarkerPage());
        form->Button_ZT7208AktBeallKiolvasas->click();
        QTRY_COMPARE_WITH_TIMEOUT(form->SettingsPage(), read, 5000);
        QCOMPARE(bench->dialogs.Texts(), QStringList{"Ready."});
        form->Button_Bezaras->click();
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
