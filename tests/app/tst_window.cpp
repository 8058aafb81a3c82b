// Tests of the main window: widget kinds, design state, English captions, enabling rule, timers and size.
#include "app/TForm_Main.h"
#include "WindowFixture.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"
#include "app/widgets/TShape.h"
#include "app/widgets/TSpeedButton.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace zeph::app;

class TestWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<zeph::sim::SimulatedDevice> device;
    zeph::test::RecordingDialogs dialogs;
    std::unique_ptr<TForm_Main> form;

    // Opens the simulated device's port through the open button, as a user would.
    void OpenPort() {
        form->Button_MegnyitasClick();
        QVERIFY2(form->PortIsOpen, qPrintable(dialogs.Texts().join('|')));
    }

    template <typename T> T* find(const QString& name) {
        auto* widget = form->findChild<T*>(name);
        if (!widget) qWarning("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
        return widget;
    }

    // The controls of the enabling rule that follow an open port, by object name.
    static QStringList OpenPortControls() {
        return {"Button_Bezaras",
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
        return {"Button_Megnyitas", "Button_PortokLekerdezese", "ListBox_ComPortLista"};
    }

private slots:
    void initTestCase() {
        device = std::make_unique<zeph::sim::SimulatedDevice>();
        QString error;
        QVERIFY2(device->Start(&error), qPrintable(error));
    }
    void cleanupTestCase() { device.reset(); }
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

    void messageTextsAndStartValues() {
        QCOMPARE(form->NoAnswerText, QString("The ZEPH7208 have not responded."));
        QCOMPARE(form->WrongDeviceText, QString(" This is not a ZEPH7208."));
        QCOMPARE(form->VersionText, QString("08-12-2014"));
        QCOMPARE(form->PeripheralAddress, 15);
        QCOMPARE(form->RetryLimit, 10);
        QVERIFY(!form->PortIsOpen);
    }

    void captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("which");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const QString& name, const char* which, const QStringList& expected) {
            QTest::addRow("%s %s", qPrintable(name), which) << name << QString(which) << expected;
        };
        row("TabSheet_BeallithatoLetolthetoPar", "tab", {"General settings"});
        row("TabSheet_Impulzusok", "tab", {"Counted pulses, Error messages"});
        const char* inputGroups[] = {"GroupBox8",  "GroupBox22", "GroupBox18", "GroupBox19",
                                     "GroupBox20", "GroupBox21", "GroupBox40", "GroupBox41"};
        const char* debounceLabels[] = {"Label4",  "Label9",  "Label10", "Label13",
                                        "Label14", "Label15", "Label17", "Label16"};
        for (int n = 1; n <= 8; ++n) {
            const QString k = QString::number(n);
            row(inputGroups[n - 1], "caption", {"Input " + k});
            row("RadioGroup_7208BemTip" + k, "caption", {"Type"});
            row("RadioGroup_7208BemTip" + k, "items", {"NAMUR", "Contact"});
            row("CheckBox_7208PergMentesites" + k, "caption", {"Debounced"});
            row(debounceLabels[n - 1], "caption", {"input"});
            row("RadioGroup_7208BemEl" + k, "caption", {"Counted event"});
            row("RadioGroup_7208BemEl" + k, "items", {"Close", "Open"});
            row("LabeledEdit_7208BemTimeOut" + k, "label", {"Max. time between pulses [ms]:"});
            row("Label_7208Overflow" + k, "caption", {"+ 4 billions"});
            row("Label_7208TimeOut" + k, "caption", {"> max. time"});
            row("LabeledEdit_7208Ertek" + k, "label", {"New value for IN" + k + ":"});
            row("LabeledEdit_7208Ertek" + k, "hint", {"Double click: set value to zero"});
            row("SpeedButton_7208ErtekBeiras" + k, "caption", {"Select"});
            row("Label_7208Szakadas" + k, "caption", {"Open"});
            row("Label_7208Zarlat" + k, "caption", {"Shorted"});
            row("Label_7208IN" + k, "caption", {"IN" + k});
        }
        row("RadioGroup_7208MbParitas", "caption", {"Parity"});
        row("RadioGroup_7208MbParitas", "items", {"None", "Even", "Odd"});
        row("Label5", "caption", {"Baud rate"});
        row("ListBox_7208MbSebesseg", "items",
            {"300 bit/sec.", "600 bit/sec.", "1200 bit/sec.", "2400 bit/sec.", "4800 bit/sec.",
             "9600 bit/sec.", "14400 bit/sec.", "19200 bit/sec.", "38400 bit/sec."});
        row("LabeledEdit_7208MbKeszulekcim", "label", {"Address [1-247]:"});
        row("CheckBox_7208MbRFelLe", "caption", {"Pull up and pull down R"});
        row("CheckBox_7208MbRLezaro", "caption", {"Termination resistor"});
        row("LabeledEdit_7208MbIdokorlat", "label", {"Comm. timeout [10 ms]:"});
        row("LabeledEdit_7208MbValaszKeslIdo", "label", {"Answer delay [ms]:"});
        row("Label_7208ParameterAdatforras", "caption", {"Data source at startup:"});
        row("Label_7208Adatforras", "caption", {"Data source at startup:"});
        row("Label_Portok", "caption", {"List of serial ports"});
        row("Button_PortokLekerdezese", "caption", {"Refresh list"});
        row("Button_Megnyitas", "caption", {"Open serial port"});
        row("Button_Bezaras", "caption", {"Close serial port"});
        row("Button_FileMegnyitas", "caption", {"Open settings file"});
        row("Button_FileMentes", "caption", {"Save settings to file"});
        row("Button_ZT7208GyariBeall", "caption", {"Read factory defaults from instrument"});
        row("Button_ZT7208AktBeallKiolvasas", "caption", {"Read settings from instrument"});
        row("Button_ZT7208Letoltes", "caption", {"Write settings to instrument"});
        row("GroupBox25", "caption",
            {"Counted pulses, time between last two pulses, modify the value of counters"});
        row("Button_7208ImpulzusertekBeiras", "caption", {"Write selected values to instrument"});
        row("GroupBox23", "caption", {"NAMUR errors (The red background color inicates the error state.)"});
        row("GroupBox26", "caption", {"Current error states"});
        row("GroupBox27", "caption", {"Error states until cleared"});
        const char* flags[] = {"Invalid settings",     "Invalid counted values", "8.2 V NAMUR power error",
                               "MODBUS module error",  "Not MODBUS module",      "NAMUR input error",
                               "Counter > 4 billions", "Time > max. enabled"};
        for (int bit = 0; bit < 8; ++bit) {
            row("Label_7208AltHibaBit" + QString::number(bit), "caption", {flags[bit]});
            row("Label_7208MegorzodoAltHibaBit" + QString::number(bit), "caption", {flags[bit]});
        }
        row("Button_GyariElsoInicB", "caption", {"First initialization"});
        row("Button_GyariElsoInic", "caption", {"First initialization"});
        row("Button_7208HibabitTorles", "caption", {"Clear"});
        row("Button_7208ImpulzusKiolvasas", "caption", {"Refresh"});
        row("SpeedButton_7208FolymatosKiolvasas", "caption", {"Continuous refresh"});
        row("Panel4", "caption", {"ZEPH7208 Pulse Collector"});
        row("GroupBox_7208MODBUS", "caption", {"MODBUS RS-485"});
        row("Label_TX", "caption", {"TX"});
        row("Label_RX", "caption", {"RX"});
    }
    void captions() {
        QFETCH(QString, name);
        QFETCH(QString, which);
        QFETCH(QStringList, expected);
        auto* widget = find<QWidget>(name);
        QVERIFY(widget);
        QStringList actual;
        if (which == "tab") {
            actual << form->PageControl_ZT7208->tabText(form->PageControl_ZT7208->indexOf(widget));
        } else if (which == "label") {
            auto* edit = qobject_cast<TLabeledEdit*>(widget);
            QVERIFY(edit);
            actual << edit->EditLabel()->text();
        } else if (which == "hint") {
            actual << widget->toolTip();
        } else if (which == "items") {
            if (auto* group = qobject_cast<TRadioGroup*>(widget)) {
                actual = group->Items();
                // Positions hold: choosing item i shows the i-th English text.
                for (int i = 0; i < expected.size(); ++i) {
                    group->SetItemIndex(i);
                    QCOMPARE(group->ItemIndex(), i);
                    QCOMPARE(group->findChild<QRadioButton*>(name + "_Item" + QString::number(i))->text(),
                             expected[i]);
                    QVERIFY(
                        group->findChild<QRadioButton*>(name + "_Item" + QString::number(i))->isChecked());
                }
            } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
                for (int i = 0; i < list->count(); ++i)
                    actual << list->item(i)->text();
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            actual << button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            actual << group->title();
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            actual << label->text();
        }
        QCOMPARE(actual, expected);
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
        auto* box = find<QGroupBox>(group);
        QVERIFY(box);
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
        QStringList texts{form->windowTitle(), form->NoAnswerText, form->WrongDeviceText};
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
        QCOMPARE(form->PageControl_ZT7208->currentWidget(), form->TabSheet_BeallithatoLetolthetoPar);
        for (const QString& name : OpenPortControls())
            QVERIFY2(!find<QWidget>(name)->isEnabled(), qPrintable(name));
        for (const QString& name : ClosedPortControls())
            QVERIFY2(find<QWidget>(name)->isEnabled(), qPrintable(name));
        QVERIFY(form->Button_FileMegnyitas->isEnabled());
        QVERIFY(form->Button_FileMentes->isEnabled());
        QVERIFY(form->GroupBox_FajlMuveletek->title().isEmpty());
        for (QWidget* init : {form->Button_GyariElsoInic, form->Button_GyariElsoInicB}) {
            QVERIFY(init->isHidden());
            QVERIFY(!init->isEnabled());
        }
        QCOMPARE(form->Shape_Port->BrushColor(), ButtonFace());
        for (int k = 0; k < 8; ++k) {
            QCOMPARE(form->Label_7208Szamlalo[k]->text(), QString("???"));
            QCOMPARE(form->Label_7208Ido[k]->text(), QString("???"));
            QCOMPARE(form->LabeledEdit_7208Ertek[k]->text(), QString("0"));
            QCOMPARE(form->LabeledEdit_7208Ertek[k]->MaxLength(), 10);
            QVERIFY(form->LabeledEdit_7208Ertek[k]->isEnabled());
            QVERIFY(form->SpeedButton_7208ErtekBeiras[k]->isEnabled());
            QVERIFY(!form->SpeedButton_7208ErtekBeiras[k]->Down());
            for (TColorLabel* flag : {form->Label_7208Overflow[k], form->Label_7208TimeOut[k],
                                      form->Label_7208Szakadas[k], form->Label_7208Zarlat[k]})
                QVERIFY2(!flag->isEnabled(), qPrintable(flag->objectName()));
            QVERIFY(form->Label_7208AltHibaBit[k]->isEnabled());
            // The settings page starts empty.
            QCOMPARE(form->RadioGroup_7208BemTip[k]->ItemIndex(), -1);
            QCOMPARE(form->RadioGroup_7208BemEl[k]->ItemIndex(), -1);
            QVERIFY(!form->CheckBox_7208PergMentesites[k]->isChecked());
            QVERIFY(form->LabeledEdit_7208BemTimeOut[k]->text().isEmpty());
            QCOMPARE(form->LabeledEdit_7208BemTimeOut[k]->MaxLength(), 10);
        }
        QCOMPARE(form->RadioGroup_7208MbParitas->ItemIndex(), -1);
        QCOMPARE(form->ListBox_7208MbSebesseg->currentRow(), -1);
        QVERIFY(form->ListBox_7208MbSebesseg->selectedItems().isEmpty());
        QVERIFY(!form->CheckBox_7208MbRFelLe->isChecked());
        QVERIFY(!form->CheckBox_7208MbRLezaro->isChecked());
        QCOMPARE(form->LabeledEdit_7208MbKeszulekcim->MaxLength(), 3);
        QCOMPARE(form->LabeledEdit_7208MbIdokorlat->MaxLength(), 5);
        QCOMPARE(form->LabeledEdit_7208MbValaszKeslIdo->MaxLength(), 3);
        for (TLabeledEdit* edit : {form->LabeledEdit_7208MbKeszulekcim, form->LabeledEdit_7208MbIdokorlat,
                                   form->LabeledEdit_7208MbValaszKeslIdo})
            QVERIFY(edit->text().isEmpty());
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
        if (!open) form->Button_BezarasClick();
        QCOMPARE(form->PortIsOpen, open);
        for (const QString& name : OpenPortControls())
            QVERIFY2(find<QWidget>(name)->isEnabled() == open, qPrintable(name));
        for (const QString& name : ClosedPortControls())
            QVERIFY2(find<QWidget>(name)->isEnabled() == !open, qPrintable(name));
        QVERIFY(form->Button_FileMegnyitas->isEnabled());
        QVERIFY(form->Button_FileMentes->isEnabled());
        // Enabling never shows the first-initialization buttons; only a report does.
        QVERIFY(form->Button_GyariElsoInic->isHidden());
        QCOMPARE(form->Shape_Port->BrushColor(), open ? QColor(13, 151, 30) : QColor(Qt::white));
    }

    void closingThePortReleasesContinuousRefresh() {
        OpenPort();
        form->PageControl_ZT7208->setCurrentWidget(form->TabSheet_Impulzusok);
        form->show();
        QTest::mouseClick(form->SpeedButton_7208FolymatosKiolvasas, Qt::LeftButton);
        QVERIFY(form->SpeedButton_7208FolymatosKiolvasas->Down());
        form->Button_BezarasClick();
        QVERIFY(!form->SpeedButton_7208FolymatosKiolvasas->Down());
        QVERIFY(!form->SpeedButton_7208FolymatosKiolvasas->isEnabled());
    }

    void clearAndWriteReleaseContinuousRefresh_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("clear") << "Button_7208HibabitTorles";
        QTest::newRow("write selected values") << "Button_7208ImpulzusertekBeiras";
    }
    void clearAndWriteReleaseContinuousRefresh() {
        QFETCH(QString, button);
        OpenPort();
        form->PageControl_ZT7208->setCurrentWidget(form->TabSheet_Impulzusok);
        form->show();
        form->SpeedButton_7208FolymatosKiolvasas->SetDown(true);
        QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
        QVERIFY(!form->SpeedButton_7208FolymatosKiolvasas->Down());
        QVERIFY(form->SpeedButton_7208FolymatosKiolvasas->isEnabled());
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
        QVERIFY(!form->PortIsOpen);
        // The lamp turns white only when a port was really closed.
        QCOMPARE(form->Shape_Port->BrushColor(), open ? QColor(Qt::white) : ButtonFace());
        QVERIFY(!form->Button_Bezaras->isEnabled());
    }

    // ---- counters page handlers of the window

    void selectButtonsSetTheWriteButton() {
        form->PageControl_ZT7208->setCurrentWidget(form->TabSheet_Impulzusok);
        form->show();
        auto* two = form->SpeedButton_7208ErtekBeiras[1];
        auto* five = form->SpeedButton_7208ErtekBeiras[4];
        QTest::mouseClick(two, Qt::LeftButton);
        QVERIFY(form->Button_7208ImpulzusertekBeiras->isEnabled());
        QTest::mouseClick(five, Qt::LeftButton);
        QTest::mouseClick(two, Qt::LeftButton);
        QVERIFY(form->Button_7208ImpulzusertekBeiras->isEnabled());
        QTest::mouseClick(five, Qt::LeftButton);
        QVERIFY(!form->Button_7208ImpulzusertekBeiras->isEnabled());
        QVERIFY(form->LabeledEdit_7208Ertek[1]->isEnabled());
        QVERIFY(form->LabeledEdit_7208Ertek[4]->isEnabled());
    }

    void doubleClickZeroesOnlyAnEnabledField() {
        form->PageControl_ZT7208->setCurrentWidget(form->TabSheet_Impulzusok);
        form->show();
        auto* three = form->LabeledEdit_7208Ertek[2];
        auto* four = form->LabeledEdit_7208Ertek[3];
        three->setText("1234");
        four->setText("99");
        four->setEnabled(false);
        QTest::mouseDClick(three, Qt::LeftButton);
        QTest::mouseDClick(four, Qt::LeftButton);
        QCOMPARE(three->text(), QString("0"));
        QCOMPARE(four->text(), QString("99"));
        QCOMPARE(form->LabeledEdit_7208Ertek[0]->text(), QString("0"));
    }

    void highlightTimerEndsOnlyItsInput() {
        const QColor orange(254, 101, 35);
        form->Label_7208IN[2]->SetColor(orange);
        form->Label_7208IN[4]->SetColor(orange);
        form->Timer_ZT7208Imp[2]->start();
        QTRY_COMPARE_WITH_TIMEOUT(form->Label_7208IN[2]->Color(), ButtonFace(), 5000);
        QVERIFY(!form->Timer_ZT7208Imp[2]->isActive());
        QCOMPARE(form->Label_7208IN[4]->Color(), orange);
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
        auto* shape = find<TShape>(lamp);
        auto* clock = form->findChild<QTimer*>(timer);
        QVERIFY(shape && clock);
        shape->SetBrushColor(Qt::red);
        clock->start();
        QTRY_COMPARE_WITH_TIMEOUT(shape->BrushColor(), QColor(Qt::white), 5000);
        QVERIFY(!clock->isActive());
    }

    // ---- timers and size

    void timers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("running");
        QTest::newRow("TX") << "Timer_TX" << 500 << false;
        QTest::newRow("RX") << "Timer_RX" << 500 << false;
        QTest::newRow("continuous refresh") << "Timer_FolyamatosKiolvasas" << 100 << true;
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

    void fitsALaptopScreen_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("settings page") << 0;
        QTest::newRow("counters page") << 1;
    }
    void fitsALaptopScreen() {
        QFETCH(int, page);
        form->PageControl_ZT7208->setCurrentIndex(page);
        form->show();
        const QSize hint = form->sizeHint();
        QVERIFY2(hint.width() <= 1340 && hint.height() <= 700,
                 qPrintable(QString("%1x%2").arg(hint.width()).arg(hint.height())));
        QVERIFY(form->width() <= 1340 && form->height() <= 700);
        QVERIFY(form->minimumSizeHint().width() <= hint.width());
    }

    void opensAtTheCentreOfTheDesktop() {
        const QPoint desktopCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        const QPoint windowCentre = form->frameGeometry().center();
        QVERIFY2((windowCentre - desktopCentre).manhattanLength() <= 2,
                 qPrintable(QString("window centre %1,%2, desktop centre %3,%4")
                                .arg(windowCentre.x()).arg(windowCentre.y())
                                .arg(desktopCentre.x()).arg(desktopCentre.y())));
    }

    void anEmptyChunkLightsTheRxLampAndAddsNothing() {
        form->ComPort1ReceiveCallBack(QByteArray());
        QCOMPARE(form->Shape_RX->BrushColor(), QColor(13, 151, 30));
        QVERIFY(form->Timer_RX->isActive());
        QCOMPARE(form->Engine->ReceivedBytes().size(), std::size_t(0));
        form->ComPort1ReceiveCallBack(QByteArray("\x01\x88", 2));
        QCOMPARE(form->Engine->ReceivedBytes(), zeph::link::Bytes{0x81});
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
