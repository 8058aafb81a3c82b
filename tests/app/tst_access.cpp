// SPDX-License-Identifier: MIT
// Tests of the window for the keyboard and for screen readers: the Tab order of each page, mnemonics and
// shortcuts, accessible names, and the frame monitor's keys.
#include "app/AccessibleNames.h"
#include "app/Language.h"
#include "app/Mnemonics.h"
#include "app/widgets/TRadioGroup.h"
#include "sim/DeviceModel.h"
#include "WindowFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace zeph;
using test::SimulatedBench;

namespace {

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// The caption a widget's mnemonic is marked in, if it has one.
QString MarkedText(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy())
        return label->text();
    return {};
}

// What a screen reader reads when told of a focus change: the name of the innermost focused object.
QString FocusedName(QWidget* window) {
    QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(window);
    // A focused widget may name itself as its focus child.
    for (QAccessibleInterface* child; focused && (child = focused->focusChild()) && child != focused;)
        focused = child;
    return focused ? focused->text(QAccessible::Name) : QString();
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT

    std::unique_ptr<SimulatedBench> bench;

    QTabWidget* Pages() const { return bench->W<QTabWidget>("PageControl_ZT7208"); }
    void ShowActive(int page) {
        Pages()->setCurrentIndex(page);
        bench->form->show();
        bench->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(bench->form.get()));
    }
    // The object names the focus visits from the tab bar on, until it comes back there.
    QStringList Walk(Qt::Key key) const {
        QTabBar* tabs = Pages()->findChild<QTabBar*>();
        tabs->setFocus(Qt::TabFocusReason);
        QStringList visited;
        for (int presses = 0; presses < 200; ++presses) {
            QTest::keyClick(QApplication::focusWidget(), key);
            if (QApplication::focusWidget() == tabs) break;
            visited << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "(none)");
        }
        return visited;
    }

private slots:
    void init() {
        sim::LineOptions line;
        line.pacing = false;
        bench = std::make_unique<SimulatedBench>(line);
    }
    void cleanup() { bench.reset(); }

    void mnemonicTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("marked");
        QTest::newRow("first letter") << "Refresh"
                                      << "R"
                                      << "&Refresh";
        QTest::newRow("start of a later word first") << "Refresh list"
                                                     << "L"
                                                     << "Refresh &list";
        QTest::newRow("inside a word, any case") << "Open settings file"
                                                 << "I"
                                                 << "Open sett&ings file";
        QTest::newRow("an ampersand stays a character") << "A & B"
                                                        << "B"
                                                        << "A && &B";
        QTest::newRow("letter not in the text") << "Clear"
                                                << "Z"
                                                << "Clear";
    }
    void mnemonicTexts() {
        QFETCH(QString, text);
        QFETCH(QString, letter);
        QFETCH(QString, marked);
        QCOMPARE(app::WithMnemonic(text, letter[0]), marked);
        QCOMPARE(app::WithoutMnemonic(marked), text);
        QCOMPARE(app::MnemonicOf(marked), marked == text ? QChar() : letter[0]);
    }

    // Every letter of the table is in its caption, and no two controls shown together share one: the
    // right-hand panel with each page, the frame monitor on its own; in each language.
    void mnemonicsAreUniqueWhereTheyAreShown_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("shown"); // the first-initialization buttons are hidden
        QTest::addColumn<bool>("hungarian");
        QTest::newRow("settings page") << 0 << 13 << false;
        QTest::newRow("counters page") << 1 << 18 << false;
        QTest::newRow("settings page, Hungarian") << 0 << 13 << true;
        QTest::newRow("counters page, Hungarian") << 1 << 18 << true;
    }
    void mnemonicsAreUniqueWhereTheyAreShown() {
        QFETCH(int, page);
        QFETCH(int, shown);
        QFETCH(bool, hungarian);
        const app::Language language = hungarian ? app::Language::Hungarian : app::Language::English;
        // The bench speaks English; Hungarian needs a window of its own, built over the translation.
        QTemporaryDir dir;
        std::unique_ptr<app::TForm_Main> own;
        if (hungarian) {
            app::InstallTranslations(language);
            own = std::make_unique<app::TForm_Main>(test::IsolatedOptions(dir));
            app::InstallTranslations(app::Language::English);
        }
        QWidget* form = own ? own.get() : bench->form.get();
        for (const auto& rows : {app::MainWindowMnemonics(language), app::FrameMonitorMnemonics(language),
                                 app::CommissioningMnemonics(language)})
            for (const app::MnemonicRow& row : rows)
                QCOMPARE(app::MnemonicOf(MarkedText(test::Control<QWidget>(form, row.name))), row.letter);
        if (own)
            test::Control<QTabWidget>(form, "PageControl_ZT7208")->setCurrentIndex(page);
        else
            ShowActive(page);
        QMap<QChar, QString> taken;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            const QChar letter = app::MnemonicOf(MarkedText(widget));
            if (letter.isNull() || !widget->isVisibleTo(form)) continue;
            QVERIFY2(!taken.contains(letter), qPrintable(taken[letter] + " and " + widget->objectName()));
            taken.insert(letter, widget->objectName());
        }
        QCOMPARE(taken.size(), shown);
        // A lower-case g, j, p, q or y hides its underline in its tail: it is marked only when every other
        // plain letter of the caption is taken where the control shows (a panel control shows with either
        // page), the hidden first-initialization buttons counted.
        const auto pageOf = [](QWidget* widget) {
            for (QWidget* up = widget; up; up = up->parentWidget())
                if (up->objectName().startsWith("TabSheet_")) return up->objectName();
            return QString();
        };
        static const QRegularExpression tail("&[gjpqy]");
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            const QString marked = MarkedText(widget);
            if (!tail.match(marked).hasMatch()) continue;
            QString others;
            for (QWidget* other : form->findChildren<QWidget*>())
                if (other != widget &&
                    (pageOf(widget).isEmpty() || pageOf(other).isEmpty() || pageOf(other) == pageOf(widget)))
                    others += app::MnemonicOf(MarkedText(other));
            for (const QChar c : app::WithoutMnemonic(marked))
                if (c.isLetter() && c.unicode() < 128 && !QString("gjpqy").contains(c))
                    QVERIFY2(others.contains(c.toUpper()), qPrintable(marked + ": " + c + " is free"));
        }
    }

    // One row per kind of mnemonic: a button's presses it, a group's enters it, a label's reaches the
    // control it names.
    void mnemonicsAct() {
        ShowActive(0);
        QTest::keyClick(bench->form.get(), Qt::Key_U, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("RadioGroup_7208MbParitas_Item0"));
        QTest::keyClick(bench->form.get(), Qt::Key_L, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("ListBox_ComPortLista"));
        QVERIFY(bench->W("FrameMonitor")->isHidden());
        QTest::keyClick(bench->form.get(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(bench->W("FrameMonitor")->isVisible());
    }

    void tabOrder_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QStringList>("expected");
        QStringList settings;
        for (int k = 1; k <= 8; ++k) {
            const QString n = QString::number(k);
            // Input 1's type is chosen (Contact): Tab lands on the chosen item.
            settings << "RadioGroup_7208BemTip" + n + (k == 1 ? "_Item1" : "_Item0")
                     << "RadioGroup_7208BemEl" + n + "_Item0"
                     << "CheckBox_7208PergMentesites" + n << "LabeledEdit_7208BemTimeOut" + n;
        }
        settings << "RadioGroup_7208MbParitas_Item0"
                 << "ListBox_7208MbSebesseg"
                 << "LabeledEdit_7208MbKeszulekcim"
                 << "LabeledEdit_7208MbIdokorlat"
                 << "LabeledEdit_7208MbValaszKeslIdo"
                 << "CheckBox_7208MbRFelLe"
                 << "CheckBox_7208MbRLezaro"
                 // the right-hand panel with the port closed
                 << "ListBox_ComPortLista"
                 << "Button_PortokLekerdezese"
                 << "Button_AddNetworkPort"
                 << "Button_Megnyitas"
                 << "Button_FileMegnyitas"
                 << "Button_FileMentes"
                 << "Button_FrameMonitor"
                 << "Button_Commissioning"
                 << "ComboBox_Language";
        QStringList counters;
        for (int k = 1; k <= 8; ++k)
            counters << "Label_7208IN" + QString::number(k);
        for (int k = 1; k <= 8; ++k)
            counters << "LabeledEdit_7208Ertek" + QString::number(k)
                     << "SpeedButton_7208ErtekBeiras" + QString::number(k);
        counters << "Button_7208ImpulzusertekBeiras"
                 << "Button_7208ImpulzusKiolvasas"
                 << "SpeedButton_7208FolymatosKiolvasas"
                 << "CheckBox_Gyors"
                 << "SpeedButton_RecordCounters"
                 << "Button_History"
                 << "Button_7208HibabitTorles"
                 // the right-hand panel with the port open
                 << "Button_Bezaras"
                 << "Button_FileMegnyitas"
                 << "Button_FileMentes"
                 << "Button_ZT7208GyariBeall"
                 << "Button_ZT7208AktBeallKiolvasas"
                 << "Button_ZT7208Letoltes"
                 << "Button_FrameMonitor"
                 << "Button_Commissioning"
                 << "ComboBox_Language";
        QTest::newRow("settings page, port closed") << 0 << false << settings;
        QTest::newRow("counters page, port open") << 1 << true << counters;
    }
    void tabOrder() {
        QFETCH(int, page);
        QFETCH(bool, portOpen);
        QFETCH(QStringList, expected);
        if (portOpen) QVERIFY(bench->Open());
        bench->W<app::TRadioGroup>("RadioGroup_7208BemTip1")->SetItemIndex(1);
        ShowActive(page);
        QCOMPARE(Walk(Qt::Key_Tab), expected);
        // Shift+Tab goes the same way back.
        QStringList back = Walk(Qt::Key_Backtab);
        std::reverse(back.begin(), back.end());
        QCOMPARE(back, expected);
    }

    // One row per path: a shortcut on a button of the right-hand panel, one that is live only while its
    // page is shown, and turning the pages from the right-hand panel.
    void shortcuts() {
        QVERIFY(bench->Open());
        ShowActive(0);
        QTest::keyClick(bench->form.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(bench->dialogs.openRequests.size(), 1);

        QTest::keyClick(bench->form.get(), Qt::Key_F5);
        QVERIFY2(bench->Idle(), "F5 refreshes only on the counters page");
        bench->W("Button_FileMentes")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(Pages()->currentIndex(), 1);
        QTest::keyClick(bench->form.get(), Qt::Key_F5);
        QVERIFY(!bench->Idle());
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 5000);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Pages()->currentIndex(), 0);
    }

    // Every control a user can reach, every group and every lamp has a name, with no marker in it, and
    // none shares its name with another in the same group.
    void accessibleNamesAreDistinct() {
        // The lamps, the flags and the readings: what the window tells by colour or by a number.
        const QRegularExpression signalling(
            "^(Shape_|Label_CounterRate|Label_7208(Szamlalo|Ido|Overflow|TimeOut|Szakadas|Zarlat|AltHibaBit|"
            "MegorzodoAltHibaBit|IN)\\d)");
        bench->form->show();
        QMap<QWidget*, QMap<QString, QString>> namesInGroup;
        for (QWidget* widget : bench->form->findChildren<QWidget*>()) {
            // The page control hands its focus to its tab bar, which reads out the pages' captions.
            const bool reachable = (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() &&
                                   !widget->objectName().startsWith("qt_");
            const bool named = reachable || qobject_cast<QGroupBox*>(widget) ||
                               signalling.match(widget->objectName()).hasMatch();
            if (!named || widget->objectName().isEmpty()) continue;
            const QString name = AccessibleName(widget);
            QVERIFY2(!name.isEmpty() && !name.contains('&'), qPrintable(widget->objectName() + ": " + name));
            QMap<QString, QString>& group = namesInGroup[widget->parentWidget()];
            QVERIFY2(!group.contains(name),
                     qPrintable(group[name] + " and " + widget->objectName() + ": " + name));
            group.insert(name, widget->objectName());
        }
    }

    void accessibleNames_data() {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("name");
        QTest::newRow("port list") << "ListBox_ComPortLista"
                                   << "List of serial ports";
        QTest::newRow("baud rate") << "ListBox_7208MbSebesseg"
                                   << "Baud rate";
        QTest::newRow("type") << "RadioGroup_7208BemTip3"
                              << "Input 3 type";
        QTest::newRow("counted event") << "RadioGroup_7208BemEl3"
                                       << "Input 3 counted event";
        QTest::newRow("select") << "SpeedButton_7208ErtekBeiras8"
                                << "Select IN8";
        QTest::newRow("port lamp") << "Shape_Port"
                                   << "Port closed";
        QTest::newRow("fast refresh") << "CheckBox_Gyors"
                                      << "Fast continuous refresh";
        QTest::newRow("parity") << "RadioGroup_7208MbParitas"
                                << "Parity";
    }
    void accessibleNames() {
        QFETCH(QString, widget);
        QFETCH(QString, name);
        QCOMPARE(AccessibleName(bench->W(widget)), name);
        // The Select buttons are named for readers and still read "Select" on screen.
        if (widget.startsWith("SpeedButton"))
            QCOMPARE(bench->W<QAbstractButton>(widget)->text(), QString("Select"));
    }

    // A page turned from anywhere, by key or click, moves the focus to the tab bar, whose focused tab a
    // reader then names: the new page.
    void pageChangeIsAnnounced_data() {
        QTest::addColumn<bool>("click");
        QTest::newRow("Ctrl+PgDown in the right-hand panel") << false;
        QTest::newRow("click on the tab") << true;
    }
    void pageChangeIsAnnounced() {
        QFETCH(bool, click);
        ShowActive(0);
        QTabBar* tabs = Pages()->findChild<QTabBar*>();
        bench->W("Button_FileMentes")->setFocus();
        if (click)
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(Pages()->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), tabs);
        QCOMPARE(FocusedName(bench->form.get()), QString("Counted pulses, Error messages"));
    }

    void readingNames_data() {
        QTest::addColumn<int>("reading");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("name");
        using R = app::Reading;
        QTest::newRow("counter") << int(R::Counter) << "1 234"
                                 << "IN3 counter: 1 234";
        QTest::newRow("no interval") << int(R::Interval) << "-"
                                     << "IN3 time between the last two pulses: none";
        QTest::newRow("interval") << int(R::Interval) << "120"
                                  << "IN3 time between the last two pulses: 120 milliseconds";
        QTest::newRow("rate") << int(R::Rate) << "2.50 /s"
                              << "IN3 rate: 2.50 pulses per second";
        QTest::newRow("before the first report") << int(R::Counter) << "???"
                                                 << "IN3 counter: not read";
        QTest::newRow("rate not known") << int(R::Rate) << ""
                                        << "IN3 rate: not known yet";
    }
    void readingNames() {
        QFETCH(int, reading);
        QFETCH(QString, shown);
        QFETCH(QString, name);
        QCOMPARE(app::ReadingName(app::Reading(reading), 3, shown), name);
    }

    void inputSummaries_data() {
        QTest::addColumn<QString>("counter");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("timeOver");
        QTest::addColumn<bool>("namurOpen");
        QTest::addColumn<QString>("summary");
        QTest::newRow("before the first report") << "???"
                                                 << ""
                                                 << "???" << false << false << "IN3: not read";
        QTest::newRow("all read, no flag") << "1 234"
                                           << "2.50 /s"
                                           << "120" << false << false
                                           << "IN3: counter 1 234, 2.50 pulses per second, 120 milliseconds "
                                              "between the last two pulses; no flag set";
        QTest::newRow("no rate or interval yet, two flags")
            << "7"
            << ""
            << "-" << true << true
            << "IN3: counter 7, no time between pulses yet; set: time over maximum, NAMUR open circuit";
    }
    void inputSummaries() {
        QFETCH(QString, counter);
        QFETCH(QString, rate);
        QFETCH(QString, interval);
        QFETCH(bool, timeOver);
        QFETCH(bool, namurOpen);
        QFETCH(QString, summary);
        QCOMPARE(app::InputSummary(3, counter, rate, interval, {false, timeOver, namurOpen, false}), summary);
    }

    // Each input's name is a keyboard stop that sums the input up: named after a refresh, left alone while
    // it has the focus during a continuous refresh, named anew on Space.
    void inputSummaryStops() {
        QVERIFY(bench->Open());
        ShowActive(1);
        QWidget* in1 = bench->W("Label_7208IN1");
        bench->Model([](sim::DeviceModel& m) { m.SetCounter(0, 41); });
        bench->Button("Button_7208ImpulzusKiolvasas")->click();
        QTRY_VERIFY(AccessibleName(in1).startsWith("IN1: counter 41,"));
        in1->setFocus(Qt::TabFocusReason);
        bench->Model([](sim::DeviceModel& m) {
            m.SetCounter(0, 42);
            m.SetCounter(1, 7);
        });
        bench->Button("SpeedButton_7208FolymatosKiolvasas")->click();
        // IN2 is named in the same pass that leaves the focused IN1 alone.
        QTRY_VERIFY_WITH_TIMEOUT(AccessibleName(bench->W("Label_7208IN2")).startsWith("IN2: counter 7,"),
                                 5000);
        QVERIFY(AccessibleName(in1).startsWith("IN1: counter 41,"));
        QTest::keyClick(in1, Qt::Key_Space);
        QVERIFY2(FocusedName(bench->form.get()).startsWith("IN1: counter 42,"),
                 qPrintable(FocusedName(bench->form.get())));
        bench->Button("SpeedButton_7208FolymatosKiolvasas")->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->Idle(), 5000);
    }

    // The monitor: Tab leaves the table, Ctrl+S saves, Esc closes.
    void frameMonitorKeys() {
        bench->Button("Button_FrameMonitor")->click();
        QWidget* monitor = bench->W("FrameMonitor");
        QVERIFY(QTest::qWaitForWindowActive(monitor));
        bench->W("TableView_Frames")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("PlainTextEdit_FrameDetails"));
        QTest::keyClick(monitor, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(bench->dialogs.saveRequests.size(), 1);
        QTest::keyClick(monitor, Qt::Key_Escape);
        QTRY_VERIFY(monitor->isHidden());
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
