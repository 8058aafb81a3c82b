// SPDX-License-Identifier: MIT
// Tests of the main window: widget kinds, design state, captions in both languages, enabling rule, timers and
// size.
#include "app/Language.h"
#include "app/Mnemonics.h"
#include "app/QtUserDialogs.h"
#include "app/widgets/SteadyScrollBar.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"
#include "app/widgets/TShape.h"
#include "app/widgets/TSpeedButton.h"
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace zeph::app;
using zeph::test::Control;
using zeph::test::SessionOf;

// Counts the paint events of the widget it watches.
class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return QObject::eventFilter(watched, event);
    }
};

// A control's texts of one kind as the caption set names them, without their mnemonic markers (tst_access
// checks those). A radio group's items are read by choosing each in turn, so their positions are checked
// too.
QStringList CaptionsOf(TForm_Main* form, const QString& name, const QString& which) {
    auto* widget = Control<QWidget>(form, name);
    QStringList texts;
    if (which == "tab") {
        auto* pages = Control<QTabWidget>(form, "PageControl_ZT7208");
        texts << pages->tabText(pages->indexOf(widget));
    } else if (which == "label") {
        if (auto* edit = qobject_cast<TLabeledEdit*>(widget)) texts << edit->EditLabel()->text();
    } else if (which == "hint") {
        texts << widget->toolTip();
    } else if (which == "items") {
        if (auto* group = qobject_cast<TRadioGroup*>(widget)) {
            for (int i = 0; i < group->Items().size(); ++i) {
                group->SetItemIndex(i);
                auto* item = group->findChild<QRadioButton*>(name + "_Item" + QString::number(i));
                texts << (group->ItemIndex() == i && item && item->isChecked()
                              ? item->text()
                              : QStringLiteral("(not chosen)"));
            }
            group->SetItemIndex(-1);
        } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
            for (int i = 0; i < list->count(); ++i)
                texts << list->item(i)->text();
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        texts << button->text();
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        texts << group->title();
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        texts << label->text();
    }
    for (QString& text : texts)
        text = WithoutMnemonic(text);
    return texts;
}

class TestWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<zeph::sim::SimulatedDevice> device;
    zeph::test::RecordingDialogs dialogs;
    std::unique_ptr<TForm_Main> form;
    QTemporaryDir hungarianDir;
    std::unique_ptr<TForm_Main> hungarianForm; // made by the first caption row

    template <typename T = QWidget> T* W(const QString& name) const { return Control<T>(form.get(), name); }
    // The member of a per-input family for input k (1..8), or of an error-bit family for bit k (0..7).
    template <typename T = QWidget> T* W(const QString& family, int k) const {
        return W<T>(family + QString::number(k));
    }
    bool PortIsOpen() const { return SessionOf(form.get()).PortIsOpen(); }

    // Opens the simulated device's port through the open button, as a user would.
    void OpenPort() {
        W<QPushButton>("Button_Megnyitas")->click();
        QVERIFY2(PortIsOpen(), qPrintable(dialogs.Texts().join('|')));
    }

    void ShowCountersPage() {
        auto* pages = W<QTabWidget>("PageControl_ZT7208");
        pages->setCurrentWidget(W("TabSheet_Impulzusok"));
        form->show();
    }

    // The controls of the enabling rule that follow an open port, by object name.
    static QStringList OpenPortControls() {
        return {"Button_Bezaras",
                "SpeedButton_RecordCounters",
                "Button_7208ImpulzusKiolvasas",
                "SpeedButton_7208FolymatosKiolvasas",
                "Button_GyariElsoInic",
                "Button_GyariElsoInicB",
                "Button_7208HibabitTorles",
                "Button_7208ImpulzusertekBeiras",
                "Button_ZT7208GyariBeall",
                "Button_ZT7208AktBeallKiolvasas",
                "Button_ZT7208Letoltes"};
    }
    static QStringList ClosedPortControls() {
        return {"Button_Megnyitas", "Button_PortokLekerdezese", "Button_AddNetworkPort",
                "ListBox_ComPortLista"};
    }

private slots:
    void initTestCase() {
        device = std::make_unique<zeph::sim::SimulatedDevice>();
        QString error;
        QVERIFY2(device->Start(&error), qPrintable(error));
    }
    void cleanupTestCase() {
        hungarianForm.reset();
        device.reset();
    }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        form = std::make_unique<TForm_Main>(zeph::test::IsolatedOptions(*dir, {device->PortPath()}));
        form->SetDialogs(&dialogs);
        dialogs.messages.clear();
    }
    void cleanup() {
        form.reset();
        dir.reset();
    }

    // ---- widget kinds

    // A lamp lit by every chunk of an answer, a flag set by every report and the scroll bar of a long list
    // that grows are drawn again only when what they show changes: a repaint also redraws the group and
    // the window behind them.
    void unchangedLookIsNotRepainted_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("lamp colour") << "lamp";
        QTest::newRow("label colour") << "colour";
        QTest::newRow("label text colour") << "text colour";
        QTest::newRow("label font size") << "font size";
        QTest::newRow("scroll bar handle") << "handle";
    }
    void unchangedLookIsNotRepainted() {
        QFETCH(QString, change);
        QWidget host;
        auto* layout = new QHBoxLayout(&host);
        auto* lamp = new TShape("lamp", &host);
        auto* label = new TColorLabel("label", "1 234", &host);
        auto* bar = new SteadyScrollBar(Qt::Vertical, &host);
        bar->setFixedHeight(200);
        bar->setRange(0, 10);
        auto* marker = new QLabel("marker", &host); // repainted on demand, to know a paint pass is over
        for (QWidget* widget : {static_cast<QWidget*>(lamp), static_cast<QWidget*>(label),
                                static_cast<QWidget*>(bar), static_cast<QWidget*>(marker)})
            layout->addWidget(widget);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QWidget* watched = change == "lamp"     ? static_cast<QWidget*>(lamp)
                           : change == "handle" ? static_cast<QWidget*>(bar)
                                                : label;
        PaintCounter paints, markerPaints;
        watched->installEventFilter(&paints);
        marker->installEventFilter(&markerPaints);
        const auto show = [&] {
            if (change == "lamp") lamp->SetBrushColor(Qt::red);
            if (change == "colour") label->SetColor(Qt::red);
            if (change == "text colour") label->SetFontColor(Qt::white);
            if (change == "font size") label->SetFontSize(14);
            if (change == "handle") {
                // First to the end of a long list, then two rows more: the handle stays where it is.
                const int end = bar->maximum() < 100000 ? 100000 : bar->maximum() + 2;
                bar->setRange(0, end);
                bar->setValue(end);
            }
        };
        show();
        QTRY_VERIFY(paints.count >= 1);
        paints.count = 0;
        show();
        marker->update();
        QTRY_VERIFY(markerPaints.count >= 1);
        QCOMPARE(paints.count, 0);
    }

    void radioGroupItemIndex_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("expected");
        QTest::newRow("choose") << -1 << 1 << 1;
        QTest::newRow("back to no choice") << 2 << -1 << -1;
        QTest::newRow("any negative is no choice") << 0 << -3 << -1;
        QTest::newRow("beyond the last item is the last") << 0 << 5 << 2;
        QTest::newRow("change choice") << 0 << 2 << 2;
    }
    void radioGroupItemIndex() {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, expected);
        TRadioGroup group("RadioGroup_Test", "Parity");
        group.SetItems({"None", "Even", "Odd"});
        QSignalSpy picked(&group, &TRadioGroup::ItemPicked);
        group.SetItemIndex(first);
        group.SetItemIndex(second);
        QCOMPARE(group.ItemIndex(), expected);
        int checked = 0;
        for (auto* button : group.findChildren<QRadioButton*>())
            checked += button->isChecked() ? 1 : 0;
        QCOMPARE(checked, expected < 0 ? 0 : 1);
        QCOMPARE(picked.count(), 0); // only the user picks
    }

    void radioGroupRefillAndUserPick() {
        TRadioGroup group("RadioGroup_Test", "Type");
        group.SetItems({"a", "b", "c"});
        group.SetItemIndex(2);
        group.SetItems({"NAMUR", "Contact"});
        QCOMPARE(group.Items(), QStringList({"NAMUR", "Contact"}));
        QCOMPARE(group.ItemIndex(), -1);
        QCOMPARE(group.findChildren<QRadioButton*>().size(), 2);

        QSignalSpy picked(&group, &TRadioGroup::ItemPicked);
        group.show();
        QTest::mouseClick(group.findChildren<QRadioButton*>().at(1), Qt::LeftButton);
        QCOMPARE(picked.count(), 1);
        QCOMPARE(picked.at(0).at(0).toInt(), 1);
        QCOMPARE(group.ItemIndex(), 1);
    }

    void speedButtonClickRunsAfterStateChangeAndSetDownStaysSilent() {
        TSpeedButton button("SpeedButton_Test", "Select");
        QList<bool> seenInHandler;
        connect(&button, &TSpeedButton::clicked, [&] { seenInHandler << button.Down(); });
        button.SetDown(true);
        button.SetDown(false);
        QVERIFY(seenInHandler.isEmpty());
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(seenInHandler, QList<bool>({true, false}));
        QVERIFY(!button.Down());
    }

    void labeledEditLabelDoubleClickAndLength() {
        QWidget parent;
        auto* edit = new TLabeledEdit("LabeledEdit_Test", "Address [1-247]:", 3, &parent);
        QCOMPARE(edit->EditLabel()->buddy(), edit);
        QCOMPARE(edit->EditLabel()->parentWidget(), &parent);
        // Typing stops at the limit; text set by the program (a loaded file) stays whole, so the next check
        // reports it instead of a shortened value slipping through.
        parent.show();
        QTest::keyClicks(edit, "12345");
        QCOMPARE(edit->text(), QString("123"));
        edit->setText("1000");
        QCOMPARE(edit->text(), QString("1000"));

        QSignalSpy doubleClicked(edit, &TLabeledEdit::DoubleClicked);
        QTest::mouseDClick(edit, Qt::LeftButton);
        QCOMPARE(doubleClicked.count(), 1);
        edit->setEnabled(false);
        QVERIFY(!edit->EditLabel()->isEnabled());
        QTest::mouseDClick(edit, Qt::LeftButton);
        QCOMPARE(doubleClicked.count(), 1);
    }

    void colorLabelColoursAndFont() {
        TColorLabel label("Label_Test", "IN1");
        QCOMPARE(label.Color(), ButtonFace());
        label.SetColor(QColor(254, 101, 35));
        label.SetFontColor(Qt::white);
        label.SetFontSize(8);
        QCOMPARE(label.Color(), QColor(254, 101, 35));
        QCOMPARE(label.palette().color(QPalette::Window), QColor(254, 101, 35));
        QCOMPARE(label.FontColor(), QColor(Qt::white));
        QCOMPARE(label.FontSize(), 8);
        label.SetColor(ButtonFace());
        QCOMPARE(label.Color(), ButtonFace());
    }

    // ---- start-up

    void title() {
        QCOMPARE(form->windowTitle(), QString("ZEPH7208 configurator   v08-12-2014   Velmar Kft."));
    }

    // Texts keep the original's line feed + carriage return join through the seam (the tests above see
    // it); only the real box drops the carriage return, which Qt would show as an indent.
    void realMessageBoxShowsLineBreaks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("line feed and carriage return") << "Unchecked\n\rInput 1"
                                                       << "Unchecked\nInput 1";
        QTest::newRow("carriage return and line feed") << "Unchecked\r\nInput 1"
                                                       << "Unchecked\nInput 1";
        QTest::newRow("carriage return alone, as in an open failure")
            << "TCOMPORT : cannot open /dev/ttyS9\rPermission denied"
            << "TCOMPORT : cannot open /dev/ttyS9\nPermission denied";
    }
    void realMessageBoxShowsLineBreaks() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QWidget owner;
        QtUserDialogs dialogs(&owner);
        QString seen;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen = box->text();
            icon = box->icon();
            box->accept();
        });
        dialogs.ShowMessage(zeph::app::MessageKind::Error, text);
        QCOMPARE(seen, shown);
        QCOMPARE(icon, QMessageBox::Critical);
    }

    // The window hands its English texts to the session, which shows them when an operation fails.
    // The caption set's two messages, in both languages.
    void failureMessages_data() {
        QTest::addColumn<bool>("hungarian");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("argument");
        QTest::addColumn<QString>("message");
        QTest::newRow("no answer") << false << int(zeph::sim::FaultKind::Silence) << -1
                                   << "The ZEPH7208 have not responded.";
        QTest::newRow("another device")
            << false << int(zeph::sim::FaultKind::StatusOnly) << 0x81 << "A #15 This is not a ZEPH7208.";
        QTest::newRow("no answer, Hungarian")
            << true << int(zeph::sim::FaultKind::Silence) << -1 << "A ZEPH7208 nem válaszolt.";
        QTest::newRow("another device, Hungarian")
            << true << int(zeph::sim::FaultKind::StatusOnly) << 0x81 << "A #15 című periféria nem ZEPH7208.";
    }
    void failureMessages() {
        QFETCH(bool, hungarian);
        QFETCH(int, fault);
        QFETCH(int, argument);
        QFETCH(QString, message);
        InstallTranslations(hungarian ? Language::Hungarian : Language::English);
        const auto backToEnglish = qScopeGuard([] { InstallTranslations(Language::English); });
        zeph::test::SimulatedBench bench({.pacing = false});
        QVERIFY(bench.Open());
        bench.device->InjectFault({zeph::sim::FaultKind(fault), argument});
        bench.Button("Button_ZT7208AktBeallKiolvasas")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!bench.dialogs.messages.isEmpty(), 10000);
        QCOMPARE(bench.dialogs.Texts(), QStringList{message});
        QCOMPARE(bench.dialogs.messages[0].kind, zeph::app::MessageKind::Error);
    }

    // The caption set: every row in English and in Hungarian, the design's own texts. A row without a
    // Hungarian text reads the same in both.
    void captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("which");
        QTest::addColumn<QStringList>("english");
        QTest::addColumn<QStringList>("hungarian");
        auto row = [](const QString& name, const char* which, const QStringList& english,
                      const QStringList& hungarian = {}) {
            QTest::addRow("%s %s", qPrintable(name), which)
                << name << QString(which) << english << (hungarian.isEmpty() ? english : hungarian);
        };
        row("TabSheet_BeallithatoLetolthetoPar", "tab", {"General settings"}, {"Beállítások"});
        row("TabSheet_Impulzusok", "tab", {"Counted pulses, Error messages"},
            {"Beszámolt impulzusok, hibaüzenetek"});
        const char* inputGroups[] = {"GroupBox8",  "GroupBox22", "GroupBox18", "GroupBox19",
                                     "GroupBox20", "GroupBox21", "GroupBox40", "GroupBox41"};
        const char* debounceLabels[] = {"Label4",  "Label9",  "Label10", "Label13",
                                        "Label14", "Label15", "Label17", "Label16"};
        for (int n = 1; n <= 8; ++n) {
            const QString k = QString::number(n);
            row(inputGroups[n - 1], "caption", {"Input " + k}, {"IN" + k + " (#" + k + " bemenet)"});
            row("RadioGroup_7208BemTip" + k, "caption", {"Type"}, {"Bemenet típus"});
            row("RadioGroup_7208BemTip" + k, "items", {"NAMUR", "Contact"}, {"NAMUR", "Kontaktus"});
            row("CheckBox_7208PergMentesites" + k, "caption", {"Debounced"}, {"Bemenet"});
            row(debounceLabels[n - 1], "caption", {"input"}, {"pergésmentesítés"});
            row("RadioGroup_7208BemEl" + k, "caption", {"Counted event"}, {"Számlálandó"});
            row("RadioGroup_7208BemEl" + k, "items", {"Close", "Open"}, {"Zárások", "Nyitások"});
            row("LabeledEdit_7208BemTimeOut" + k, "label", {"Max. time between pulses [ms]:"},
                {"Max. idő 2 impulzus között [ms]:"});
            row("Label_7208Overflow" + k, "caption", {"+ 4 billions"}, {"+ 4 milliárd"});
            row("Label_7208TimeOut" + k, "caption", {"> max. time"}, {"> max. idő"});
            row("LabeledEdit_7208Ertek" + k, "label", {"New value for IN" + k + ":"},
                {"Kívánt érték " + k + ":"});
            row("LabeledEdit_7208Ertek" + k, "hint", {"Double click: set value to zero"},
                {"Dupla kattintás: kívánt érték = 0"});
            row("SpeedButton_7208ErtekBeiras" + k, "caption", {"Select"}, {"Kijelöl"});
            row("Label_7208Szakadas" + k, "caption", {"Open"}, {"Szakadás"});
            row("Label_7208Zarlat" + k, "caption", {"Shorted"}, {"Zárlat"});
            row("Label_7208IN" + k, "caption", {"IN" + k});
        }
        row("RadioGroup_7208MbParitas", "caption", {"Parity"}, {"Paritás bit"});
        row("RadioGroup_7208MbParitas", "items", {"None", "Even", "Odd"},
            {"Nincs (None)", "Páros (Even)", "Páratlan (Odd)"});
        row("Label5", "caption", {"Baud rate"}, {"Adatátviteli sebesség"});
        row("ListBox_7208MbSebesseg", "items",
            {"300 bit/sec.", "600 bit/sec.", "1200 bit/sec.", "2400 bit/sec.", "4800 bit/sec.",
             "9600 bit/sec.", "14400 bit/sec.", "19200 bit/sec.", "38400 bit/sec."});
        row("LabeledEdit_7208MbKeszulekcim", "label", {"Address [1-247]:"}, {"Készülékcím [1-247]:"});
        row("CheckBox_7208MbRFelLe", "caption", {"Pull up and pull down R"}, {"RS-485 fel-, lehúzó R"});
        row("CheckBox_7208MbRLezaro", "caption", {"Termination resistor"}, {"RS-485 lezáró R"});
        row("LabeledEdit_7208MbIdokorlat", "label", {"Comm. timeout [10 ms]:"}, {"Időkorlát [10 ms]:"});
        row("LabeledEdit_7208MbValaszKeslIdo", "label", {"Answer delay [ms]:"}, {"Válasz késl. [ms]:"});
        // The design's Hungarian ends in a blank, the English does not.
        row("Label_7208ParameterAdatforras", "caption", {"Data source at startup:"},
            {"Indításkori adatforrás: "});
        row("Label_7208Adatforras", "caption", {"Data source at startup:"}, {"Indításkori adatforrás: "});
        row("Label_Portok", "caption", {"List of serial ports"}, {"Soros portok listája"});
        row("Button_PortokLekerdezese", "caption", {"Refresh list"}, {"A lista frissítése"});
        row("Button_Megnyitas", "caption", {"Open serial port"}, {"Soros port megnyitás"});
        row("Button_Bezaras", "caption", {"Close serial port"}, {"Soros port bezárás"});
        row("Button_FileMegnyitas", "caption", {"Open settings file"}, {"Beállítás fájl megnyitása"});
        row("Button_FileMentes", "caption", {"Save settings to file"}, {"Beállítások fájlba mentése"});
        row("Button_ZT7208GyariBeall", "caption", {"Read factory defaults from instrument"},
            {"Gyári alapértékek kiolvasása"});
        row("Button_ZT7208AktBeallKiolvasas", "caption", {"Read settings from instrument"},
            {"Beállítások kiolvasása a készülékből"});
        row("Button_ZT7208Letoltes", "caption", {"Write settings to instrument"},
            {"Beállítások készülékbe írása"});
        row("GroupBox25", "caption",
            {"Counted pulses, time between last two pulses, modify the value of counters"},
            {"Beszámolt impulzusok, utolsó két impulzus között eltelt idő [ms], kívánt számláló érték "
             "megadása"});
        row("Button_7208ImpulzusertekBeiras", "caption", {"Write selected values to instrument"},
            {"Kijelölt számláló értékek készülékbe írása"});
        row("GroupBox23", "caption", {"NAMUR errors (The red background color inicates the error state.)"},
            {"NAMUR hibák (A hibás bemeneteket vörös háttér jelzi az adott hibatípus szövege mögött.)"});
        row("GroupBox26", "caption", {"Current error states"}, {"Jelenlegi hiba jelzések"});
        row("GroupBox27", "caption", {"Error states until cleared"}, {"Törlésig megőrződő hiba jelzések"});
        const char* flags[][2] = {{"Invalid settings", "A beállítások megsérültek"},
                                  {"Invalid counted values", "A mért adatok elvesztek"},
                                  {"8.2 V NAMUR power error", "8,2 V tápfeszültség hiba"},
                                  {"MODBUS module error", "A modul hiányzik v. hibás"},
                                  {"Not MODBUS module", "Inkompatibilis modul"},
                                  {"NAMUR input error", "NAMUR bemeneti hiba"},
                                  {"Counter > 4 billions", "Számláló > 4 milliárd"},
                                  {"Time > max. enabled", "Idő > maximális megengedett"}};
        for (int bit = 0; bit < 8; ++bit) {
            const QString b = QString::number(bit);
            row("Label_7208AltHibaBit" + b, "caption", {flags[bit][0]}, {flags[bit][1]});
            row("Label_7208MegorzodoAltHibaBit" + b, "caption", {flags[bit][0]}, {flags[bit][1]});
        }
        row("Button_GyariElsoInicB", "caption", {"First initialization"}, {"1. inicializálás"});
        row("Button_GyariElsoInic", "caption", {"First initialization"}, {"1. inicializálás"});
        row("Button_7208HibabitTorles", "caption", {"Clear"}, {"Törlés"});
        row("Button_7208ImpulzusKiolvasas", "caption", {"Refresh"}, {"Adatok frissítése"});
        row("SpeedButton_7208FolymatosKiolvasas", "caption", {"Continuous refresh"},
            {"Folyamatos adatfrissítés"});
        row("Panel4", "caption", {"ZEPH7208 Pulse Collector"}, {"ZEPH7208 impulzusgyűjtő"});
        row("GroupBox_7208MODBUS", "caption", {"MODBUS RS-485"});
        row("Label_TX", "caption", {"TX"});
        row("Label_RX", "caption", {"RX"});
    }
    void captions() {
        QFETCH(QString, name);
        QFETCH(QString, which);
        QFETCH(QStringList, english);
        QFETCH(QStringList, hungarian);
        if (!hungarianForm) {
            // Made once: the window takes its texts when it is built, in the language installed then.
            InstallTranslations(Language::Hungarian);
            hungarianForm = std::make_unique<TForm_Main>(zeph::test::IsolatedOptions(hungarianDir));
            InstallTranslations(Language::English);
        }
        QCOMPARE(CaptionsOf(form.get(), name, which), english);
        QCOMPARE(CaptionsOf(hungarianForm.get(), name, which), hungarian);
    }

    void debounceLabelsSitInTheirInputGroup_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("group");
        QTest::newRow("input 1") << "Label4"
                                 << "GroupBox8";
        QTest::newRow("input 7") << "Label17"
                                 << "GroupBox40";
        QTest::newRow("input 8") << "Label16"
                                 << "GroupBox41";
    }
    void debounceLabelsSitInTheirInputGroup() {
        QFETCH(QString, label);
        QFETCH(QString, group);
        auto* box = W<QGroupBox>(group);
        QVERIFY(box->findChild<QLabel*>(label));
        const int input = QString(QTest::currentDataTag()).section(' ', 1).toInt();
        QVERIFY(box->findChild<QCheckBox*>("CheckBox_7208PergMentesites" + QString::number(input)));
        QVERIFY(box->findChild<TLabeledEdit*>("LabeledEdit_7208BemTimeOut" + QString::number(input)));
    }

    void noHungarianTextLeft() {
        const QRegularExpression hungarian(
            "[áéíóöőúüűÁÉÍÓÖŐÚÜŰ]|\\b(bemenet|kontaktus|nincs|soros|portok|lista|hiba|adatok|folyamatos|"
            "dupla|"
            "inkompatibilis|jelenlegi|modul|kijelol|torles|szakadas|zarlat|periferia|nem)\\b",
            QRegularExpression::CaseInsensitiveOption);
        // The texts of the failure messages are compared whole in failureMessages.
        QStringList texts{form->windowTitle()};
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            texts << widget->toolTip() << widget->whatsThis() << widget->accessibleName();
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
            if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
            if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
            if (auto* edit = qobject_cast<QLineEdit*>(widget))
                texts << edit->text() << edit->placeholderText();
            if (auto* list = qobject_cast<QListWidget*>(widget))
                for (int i = 0; i < list->count(); ++i)
                    texts << list->item(i)->text();
            if (auto* tabs = qobject_cast<QTabWidget*>(widget))
                for (int i = 0; i < tabs->count(); ++i)
                    texts << tabs->tabText(i) << tabs->tabToolTip(i);
        }
        QVERIFY(texts.size() > 300);
        QStringList offending;
        for (const QString& text : texts)
            if (hungarian.match(text).hasMatch()) offending << text;
        QVERIFY2(offending.isEmpty(), qPrintable(offending.join(" | ")));
    }

    // ---- design state

    void designState() {
        QVERIFY(!PortIsOpen());
        QVERIFY(SessionOf(form.get()).IsIdle());
        QCOMPARE(W<QTabWidget>("PageControl_ZT7208")->currentWidget(),
                 W("TabSheet_BeallithatoLetolthetoPar"));
        for (const QString& name : OpenPortControls())
            QVERIFY2(!W(name)->isEnabled(), qPrintable(name));
        for (const QString& name : ClosedPortControls())
            QVERIFY2(W(name)->isEnabled(), qPrintable(name));
        QVERIFY(W("Button_FileMegnyitas")->isEnabled());
        QVERIFY(W("Button_FileMentes")->isEnabled());
        QVERIFY(W<QGroupBox>("GroupBox_FajlMuveletek")->title().isEmpty());
        for (QWidget* init : {W("Button_GyariElsoInic"), W("Button_GyariElsoInicB")}) {
            QVERIFY(init->isHidden());
            QVERIFY(!init->isEnabled());
        }
        QCOMPARE(W<TShape>("Shape_Port")->BrushColor(), ButtonFace());
        for (int k = 1; k <= 8; ++k) {
            QCOMPARE(W<TColorLabel>("Label_7208Szamlalo", k)->text(), QString("???"));
            QCOMPARE(W<TColorLabel>("Label_7208Ido", k)->text(), QString("???"));
            auto* value = W<TLabeledEdit>("LabeledEdit_7208Ertek", k);
            QCOMPARE(value->text(), QString("0"));
            QCOMPARE(value->MaxLength(), 10);
            QVERIFY(value->isEnabled());
            auto* select = W<TSpeedButton>("SpeedButton_7208ErtekBeiras", k);
            QVERIFY(select->isEnabled());
            QVERIFY(!select->Down());
            for (const char* family :
                 {"Label_7208Overflow", "Label_7208TimeOut", "Label_7208Szakadas", "Label_7208Zarlat"})
                QVERIFY2(!W(family, k)->isEnabled(), family);
            QVERIFY(W("Label_7208AltHibaBit", k - 1)->isEnabled());
            QCOMPARE(W<TLabeledEdit>("LabeledEdit_7208BemTimeOut", k)->MaxLength(), 10);
        }
        // The settings page starts empty: no choice, no tick, no text.
        QCOMPARE(ReadSettingsPage(form.get()), zeph::device::SettingsPageState{});
        QVERIFY(W<QListWidget>("ListBox_7208MbSebesseg")->selectedItems().isEmpty());
        QCOMPARE(W<TLabeledEdit>("LabeledEdit_7208MbKeszulekcim")->MaxLength(), 3);
        QCOMPARE(W<TLabeledEdit>("LabeledEdit_7208MbIdokorlat")->MaxLength(), 5);
        QCOMPARE(W<TLabeledEdit>("LabeledEdit_7208MbValaszKeslIdo")->MaxLength(), 3);
    }

    // ---- enabling rule

    void enablingFollowsThePort_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("port opened") << true;
        QTest::newRow("port opened and closed again") << false;
    }
    void enablingFollowsThePort() {
        QFETCH(bool, open);
        OpenPort();
        if (!open) W<QPushButton>("Button_Bezaras")->click();
        QCOMPARE(PortIsOpen(), open);
        for (const QString& name : OpenPortControls())
            QVERIFY2(W(name)->isEnabled() == open, qPrintable(name));
        for (const QString& name : ClosedPortControls())
            QVERIFY2(W(name)->isEnabled() == !open, qPrintable(name));
        QVERIFY(W("Button_FileMegnyitas")->isEnabled());
        QVERIFY(W("Button_FileMentes")->isEnabled());
        // Enabling never shows the first-initialization buttons; only a report does.
        QVERIFY(W("Button_GyariElsoInic")->isHidden());
        QCOMPARE(W<TShape>("Shape_Port")->BrushColor(), open ? QColor(13, 151, 30) : QColor(Qt::white));
    }

    // Closing the port, Clear and the write button release a continuous refresh; only the closed port
    // also disables its toggle.
    void continuousRefreshIsReleased_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("toggleEnabled");
        QTest::newRow("close") << "Button_Bezaras" << false;
        QTest::newRow("clear") << "Button_7208HibabitTorles" << true;
        QTest::newRow("write selected values") << "Button_7208ImpulzusertekBeiras" << true;
    }
    void continuousRefreshIsReleased() {
        QFETCH(QString, button);
        QFETCH(bool, toggleEnabled);
        OpenPort();
        ShowCountersPage();
        auto* toggle = W<TSpeedButton>("SpeedButton_7208FolymatosKiolvasas");
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->Down());
        QTest::mouseClick(W(button), Qt::LeftButton);
        QVERIFY(!toggle->Down());
        QCOMPARE(toggle->isEnabled(), toggleEnabled);
    }

    void closingTheWindow_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("port open") << true;
        QTest::newRow("port closed") << false;
    }
    void closingTheWindow() {
        QFETCH(bool, open);
        form->show();
        if (open) OpenPort();
        QVERIFY(form->close());
        QVERIFY(!PortIsOpen());
        // The lamp turns white only when a port was really closed.
        QCOMPARE(W<TShape>("Shape_Port")->BrushColor(), open ? QColor(Qt::white) : ButtonFace());
        QVERIFY(!W("Button_Bezaras")->isEnabled());
    }

    // ---- counters page handlers of the window

    void selectButtonsSetTheWriteButton() {
        ShowCountersPage();
        auto* write = W("Button_7208ImpulzusertekBeiras");
        auto* two = W<TSpeedButton>("SpeedButton_7208ErtekBeiras", 2);
        auto* five = W<TSpeedButton>("SpeedButton_7208ErtekBeiras", 5);
        QTest::mouseClick(two, Qt::LeftButton);
        QVERIFY(write->isEnabled());
        QTest::mouseClick(five, Qt::LeftButton);
        QTest::mouseClick(two, Qt::LeftButton);
        QVERIFY(write->isEnabled());
        QTest::mouseClick(five, Qt::LeftButton);
        QVERIFY(!write->isEnabled());
        QVERIFY(W("LabeledEdit_7208Ertek", 2)->isEnabled());
        QVERIFY(W("LabeledEdit_7208Ertek", 5)->isEnabled());
        QVERIFY(dialogs.messages.isEmpty());
    }

    void highlightTimerEndsOnlyItsInput() {
        const QColor orange(254, 101, 35);
        auto* three = W<TColorLabel>("Label_7208IN", 3);
        auto* five = W<TColorLabel>("Label_7208IN", 5);
        auto* timer = Control<QTimer>(form.get(), "Timer_ZT7208Imp3");
        three->SetColor(orange);
        five->SetColor(orange);
        timer->start();
        QTRY_COMPARE_WITH_TIMEOUT(three->Color(), ButtonFace(), 5000);
        QVERIFY(!timer->isActive());
        QCOMPARE(five->Color(), orange);
    }

    void lampTimersPutTheLampsOut_data() {
        QTest::addColumn<QString>("lamp");
        QTest::addColumn<QString>("timer");
        QTest::newRow("TX") << "Shape_TX"
                            << "Timer_TX";
        QTest::newRow("RX") << "Shape_RX"
                            << "Timer_RX";
    }
    void lampTimersPutTheLampsOut() {
        QFETCH(QString, lamp);
        QFETCH(QString, timer);
        auto* shape = W<TShape>(lamp);
        auto* clock = Control<QTimer>(form.get(), timer);
        shape->SetBrushColor(Qt::red);
        clock->start();
        QTRY_COMPARE_WITH_TIMEOUT(shape->BrushColor(), QColor(Qt::white), 5000);
        QVERIFY(!clock->isActive());
    }

    // ---- timers and size

    // Nothing wakes the program while there is nothing to do: with the port closed, or open without an
    // operation under way, no timer of the window, the session, the engine or the machine runs.
    void noTimerRunsWhenIdle_data() { closingTheWindow_data(); }
    void noTimerRunsWhenIdle() {
        QFETCH(bool, open);
        form->show();
        if (open) OpenPort();
        const auto running = [this] {
            QStringList names;
            for (const QTimer* timer : form->findChildren<QTimer*>())
                if (timer->isActive()) names << timer->objectName();
            return names;
        };
        QTRY_COMPARE_WITH_TIMEOUT(running(), QStringList(), 5000);
    }

    void timers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("running");
        QTest::newRow("TX") << "Timer_TX" << 500 << false;
        QTest::newRow("RX") << "Timer_RX" << 500 << false;
        QTest::newRow("continuous refresh") << "Timer_FolyamatosKiolvasas" << 200 << false;
        for (int k = 1; k <= 8; ++k)
            QTest::addRow("highlight %d", k) << QString("Timer_ZT7208Imp%1").arg(k) << 500 << false;
    }
    void timers() {
        QFETCH(QString, name);
        QFETCH(int, interval);
        QFETCH(bool, running);
        const auto found = form->findChildren<QTimer*>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0]->interval(), interval);
        QCOMPARE(found[0]->isActive(), running);
    }

    void opensAtTheCentreOfTheDesktop() {
        const QPoint desktopCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        const QPoint windowCentre = form->frameGeometry().center();
        QVERIFY2((windowCentre - desktopCentre).manhattanLength() <= 2,
                 qPrintable(QString("window centre %1,%2, desktop centre %3,%4")
                                .arg(windowCentre.x())
                                .arg(windowCentre.y())
                                .arg(desktopCentre.x())
                                .arg(desktopCentre.y())));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
