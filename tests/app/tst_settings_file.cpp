// SPDX-License-Identifier: MIT
// Tests of the settings-file group: saving the page to a ".zsf" file, loading it back, the failures of
// both, and a round trip through the file and the simulated device. The window is driven through its
// controls, found by name.
#include "app/QtUserDialogs.h"
#include "common/SettingsPages.h"
#include "common/WriteFault.h"
#include "settingsfile/IniFile.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <functional>
#include <sys/stat.h>

using namespace zeph;
using zeph::app::MessageKind;
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

// The example file with the lines of some keys replaced: each replacement "KEY=VALUE" takes the place of
// KEY's line.
QByteArray ExampleWith(const QStringList& replacements = {}) {
    QStringList lines = WorkedExampleLines();
    for (const QString& replacement : replacements) {
        const QString key = replacement.section('=', 0, 0);
        for (QString& l : lines)
            if (l.startsWith(key + "=")) l = replacement;
    }
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
// The caption every test starts from: init saves the page to before.zsf.
const QString BeforeCaption = "Settings   Last used file: before.zsf";

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

    std::unique_ptr<test::SimulatedBench> bench;
    QTemporaryDir files;

    QString Caption() const { return bench->W<QGroupBox>("GroupBox_FajlMuveletek")->title(); }
    QString DataSourceText() const { return bench->W<QLabel>("Label_7208ParameterAdatforras")->text(); }
    QString FilePath(const QString& name) const { return files.filePath(name); }
    void Click(const QString& button) { bench->Button(button)->click(); }

    void Save(const QString& answer) {
        bench->dialogs.saveAnswers = {answer};
        Click("Button_FileMentes");
    }
    void Load(const QString& path) {
        bench->dialogs.openAnswers = {path};
        Click("Button_FileMegnyitas");
    }

private slots:
    void initTestCase() {
        QVERIFY(files.isValid());
        bench = std::make_unique<test::SimulatedBench>();
        // The data-source labels show a code of their own, which no file operation may touch.
        QVERIFY(bench->Open());
        bench->Model([](sim::DeviceModel& m) { m.SetDataSource(21); });
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 5000);
        QCOMPARE(DataSourceText(), QString("The settings failed."));
        Click("Button_Bezaras");
        QVERIFY(!bench->Session().PortIsOpen());
        QCOMPARE(bench->dialogs.Texts(), QStringList());
    }

    void init() {
        bench->SetPage(WorkedExamplePage());
        Save(FilePath("before.zsf"));
        QCOMPARE(Caption(), BeforeCaption);
        bench->dialogs.messages.clear();
        bench->dialogs.saveRequests.clear();
        bench->dialogs.openRequests.clear();
        bench->dialogs.saveAnswers.clear();
        bench->dialogs.openAnswers.clear();
    }

    void cleanupTestCase() { bench.reset(); }

    // The real save dialog, answered by typing a name: what it returns is what the window writes.
    void realSaveDialogAddsTheDefaultExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("returned");
        QTest::newRow("bare name gets .zsf") << "plant"
                                             << "plant.zsf";
        QTest::newRow("own extension kept") << "plant.txt"
                                            << "plant.txt";
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
        const QString chosen =
            dialogs.GetSaveFileName({"Save settings to file", "ZEPH7208 Settings File (*.zsf)", "zsf"});
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
        bench->SetPage(page);
        const QStringList before = QDir(files.path()).entryList(QDir::Files);
        const QByteArray earlier = ReadAll(FilePath("before.zsf"));
        Save(QString()); // an empty answer is a cancel
        QCOMPARE(bench->dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(bench->dialogs.saveRequests.size(), dialogs);
        QCOMPARE(QDir(files.path()).entryList(QDir::Files), before);
        QCOMPARE(ReadAll(FilePath("before.zsf")), earlier);
        QCOMPARE(Caption(), BeforeCaption);
    }

    // Why a save fails is told apart by tst_settingsfile (saveFailureNamesTheReason); here one row per
    // message the user can get.
    void failedSaveKeepsTheEarlierFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("write fails part-way") << "injected" << SaveFailedText + "\n\rNo space left on device";
        QTest::newRow("folder missing") << "no folder" << SaveFailedText + "\n\rNo such file or directory";
        QTest::newRow("existing file over 1 MiB")
            << "large"
            << "The save operation is failed.\n\rThe file is larger than 1 MiB: it is not a ZEPH7208 "
               "settings file, and it has been left as it was.";
        QTest::newRow("existing file cannot be read")
            << "fifo"
            << "The save operation is failed.\n\rThe file cannot be read (not a regular file), so what else "
               "it holds could not be kept; it has been left as it was.";
    }
    void failedSaveKeepsTheEarlierFile() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = kind == "no folder" ? FilePath("no-such-folder/kept.zsf") : FilePath("kept.zsf");
        QFile::remove(path);
        if (kind == "injected") {
            Save(path);
            Save(FilePath("before.zsf")); // the caption back on another file
            QCOMPARE(bench->dialogs.Texts(), QStringList());
        }
        if (kind == "large") QVERIFY(WriteAll(path, "[Notes]\r\n" + QByteArray(1024 * 1024, ';')));
        if (kind == "fifo") QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
        const QByteArray earlier = kind == "fifo" ? QByteArray() : ReadAll(path);
        SettingsPageState changed = WorkedExamplePage();
        changed.addressText = "2";
        bench->SetPage(changed);
        {
            const test::WriteFault disk(kind == "injected" ? 100 : -1);
            Save(path);
        }
        QCOMPARE(bench->dialogs.Texts(), QStringList{message});
        QCOMPARE(bench->dialogs.messages.first().kind, MessageKind::Error);
        if (kind != "fifo") QCOMPARE(ReadAll(path), earlier);
        QCOMPARE(QFileInfo::exists(path), kind != "no folder");
        QCOMPARE(Caption(), BeforeCaption);
        QFile::remove(path);
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

    // How the loader reads the header and each value (case, blanks, hex, clamping, unusable values, the
    // size cap) is pinned by tst_settingsfile (settingsHeader, settingsApplyRules); here a file that
    // loads, one with nothing chosen, one value of every kind of control as the loader turns it, and a
    // refused file.
    void loadAppliesTheFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<PageEdit>("expect"); // applied to the example page; unused when refused
        QTest::addColumn<QString>("message");
        const auto same = PageEdit([](SettingsPageState&) {});
        QTest::newRow("worked example") << ExampleWith() << same << QString();
        QTest::newRow("empty settings section")
            << QByteArray("[Fejlec]\r\nZT=ZEPH7208\r\n[Beallitas]\r\n")
            << PageEdit([](SettingsPageState& p) { p = {}; }) << QString();
        QTest::newRow("values as the loader reads them")
            << ExampleWith({"RadioGroup_7208MbParitas=5", "ListBox_7208MbSebesseg=0x3",
                            "CheckBox_7208MbRFelLe=2", "CheckBox_7208MbRLezaro=yes",
                            "LabeledEdit_7208MbKeszulekcim=1000", "LabeledEdit_7208BemTimeOut1=12345678901"})
            << PageEdit([](SettingsPageState& p) {
                   p.parity = 2;
                   p.baudRate = 3;
                   p.pullResistors = true;
                   p.termination = false;
                   p.addressText = "1000";
                   p.maxTimeText[0] = "12345678901";
               })
            << QString();
        QTest::newRow("header in other case") << ExampleWith({"ZT=zeph7208"}) << same << NotSettingsText;
    }
    void loadAppliesTheFile() {
        QFETCH(QByteArray, content);
        QFETCH(PageEdit, expect);
        QFETCH(QString, message);
        const QString path = FilePath("load.zsf");
        QVERIFY(WriteAll(path, content));
        bench->SetPage(MarkerPage());
        const QString dataSource = DataSourceText();

        Load(path);
        QCOMPARE(bench->dialogs.openRequests.size(), 1);
        QCOMPARE(bench->dialogs.openRequests.first().title, QString("Open settings file"));
        QCOMPARE(bench->dialogs.openRequests.first().filter, QString("ZEPH7208 Settings File (*.zsf)"));
        QCOMPARE(bench->dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
        SettingsPageState expected = WorkedExamplePage();
        expect(expected);
        QCOMPARE(bench->Page(), message.isEmpty() ? expected : MarkerPage());
        QCOMPARE(Caption(), BeforeCaption);
        QCOMPARE(DataSourceText(), dataSource);
    }

    void loadOfAMissingFileOrCancel() {
        bench->SetPage(MarkerPage());
        Load(FilePath("never-written.zsf"));
        QCOMPARE(bench->dialogs.Texts(), QStringList{"Cannot read " + FilePath("never-written.zsf") +
                                                     ": No such file or directory."});
        bench->dialogs.messages.clear();
        Load(QString());
        QCOMPARE(bench->dialogs.Texts(), QStringList());
        QCOMPARE(bench->dialogs.openRequests.size(), 2);
        QCOMPARE(bench->Page(), MarkerPage());
    }

    // A file given on the command line is opened once the window runs, without the dialog, as "Open
    // settings file" opens it: one row applies the file, one is refused with Open's box.
    void fileGivenAtStartIsOpened_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("settings file") << ExampleWith() << QString();
        QTest::newRow("not a settings file") << QByteArray("[Fejlec]\r\nZT=ZEPH7209\r\n") << NotSettingsText;
    }
    void fileGivenAtStartIsOpened() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QVERIFY(WriteAll(FilePath("start.zsf"), content));
        QTemporaryDir dir;
        app::StartOptions options = test::IsolatedOptions(dir);
        options.settingsFile = FilePath("start.zsf");
        app::TForm_Main form(options);
        test::RecordingDialogs dialogs;
        form.SetDialogs(&dialogs);
        const SettingsPageState fresh = app::ReadSettingsPage(&form);
        QTRY_VERIFY_WITH_TIMEOUT(!(app::ReadSettingsPage(&form) == fresh) || !dialogs.messages.isEmpty(),
                                 5000);
        QCOMPARE(app::ReadSettingsPage(&form), message.isEmpty() ? WorkedExamplePage() : fresh);
        QCOMPARE(dialogs.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(dialogs.openRequests.isEmpty());
    }

    void loadedOutOfRangeAddressStopsTheNextSave() {
        QVERIFY(WriteAll(FilePath("wide.zsf"), ExampleWith({"LabeledEdit_7208MbKeszulekcim=999"})));
        Load(FilePath("wide.zsf"));
        QCOMPARE(bench->Page().addressText, QString("999"));
        Save(FilePath("never.zsf"));
        QCOMPARE(bench->dialogs.Texts(), QStringList{"Address [1-247]:\n\rThe value max. limit is 247"});
        QCOMPARE(bench->Page().addressText, QString("247"));
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

        bench->SetPage({});
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_VERIFY_WITH_TIMEOUT(bench->Page().answerDelayText == "255", 5000);
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 5000);
        const SettingsPageState read = bench->Page();
        Save(FilePath("trip.zsf"));
        QCOMPARE(bench->dialogs.Texts(), QStringList());

        bench->SetPage(MarkerPage());
        Load(FilePath("trip.zsf"));
        QCOMPARE(bench->Page(), read);
        bench->Model([](sim::DeviceModel& m) { m.SetSettings(sim::SettingsRecord::FactoryDefaults()); });
        Click("Button_ZT7208Letoltes");
        QTRY_COMPARE_WITH_TIMEOUT(bench->dialogs.Texts(), QStringList{"Ready."}, 5000);
        QVERIFY(bench->Model([&](sim::DeviceModel& m) { return m.Settings() == record; }));

        bench->SetPage(MarkerPage());
        Click("Button_ZT7208AktBeallKiolvasas");
        QTRY_COMPARE_WITH_TIMEOUT(bench->Page(), read, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 5000);
        QCOMPARE(bench->dialogs.Texts(), QStringList{"Ready."});
        Click("Button_Bezaras");
        QVERIFY(!bench->Session().PortIsOpen());
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
