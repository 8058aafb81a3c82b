// SPDX-License-Identifier: MIT
// Tests of the window on the screens there are: where it opens, what it remembers of itself between runs,
// and that it fits small and scaled screens. Each screen is a child process of this program on the
// offscreen platform, given that screen's size and scale factor.
#include "app/FrameMonitor.h"
#include "app/Language.h"
#include "app/Mnemonics.h"
#include "app/widgets/PageScrollArea.h"
#include "app/widgets/TSpeedButton.h"
#include "app/WindowMemory.h"
#include "settingsfile/AppIniFile.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

using namespace zeph;
using app::WindowMemory;

namespace {

const char* const FitCheckArgument = "--fit-check";

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// ---- the child: one screen, every page; prints what does not fit and fails

QStringList FitProblems(QWidget& window, const QRect& available) {
    QStringList problems;
    const auto inWindow = [&window](const QWidget* widget) {
        return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    };
    if (!available.contains(window.frameGeometry()))
        problems << QString("window %1 off the screen's %2")
                        .arg(QDebug::toString(window.frameGeometry()), QDebug::toString(available));
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->objectName().isEmpty() ||
            widget->objectName().startsWith("qt_"))
            continue;
        // Nothing is squeezed below the size it needs to show itself whole (or the least its design
        // allows); a scroll area brings the rest of its content into view.
        QSize needed = widget->minimumSizeHint().boundedTo(widget->maximumSize());
        if (widget->minimumWidth() > 0) needed.setWidth(widget->minimumWidth());
        if (widget->minimumHeight() > 0) needed.setHeight(widget->minimumHeight());
        if (needed.isValid() && (widget->width() < needed.width() || widget->height() < needed.height()) &&
            !qobject_cast<QAbstractScrollArea*>(widget))
            problems << QString("%1 squeezed to %2, needs %3")
                            .arg(widget->objectName(), QDebug::toString(widget->size()),
                                 QDebug::toString(needed));
        // No caption is cut (the status bar's texts end in "…" by design): a label or check box has the
        // width it asks for, a push button the width of its text and margins, the tabs theirs.
        int captionWidth = 0;
        if (auto* label = qobject_cast<QLabel*>(widget);
            label && !label->wordWrap() && !label->text().isEmpty())
            captionWidth = label->sizeHint().width();
        if (qobject_cast<QCheckBox*>(widget)) captionWidth = widget->sizeHint().width();
        if (auto* button = qobject_cast<QPushButton*>(widget))
            captionWidth =
                std::min(button->sizeHint().width(),
                         button->fontMetrics().horizontalAdvance(app::WithoutMnemonic(button->text())) +
                             2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin));
        bool inStatusBar = false;
        for (QWidget* up = widget->parentWidget(); up && !inStatusBar; up = up->parentWidget())
            inStatusBar = qobject_cast<QStatusBar*>(up) != nullptr;
        if (widget->width() < captionWidth && !inStatusBar)
            problems << QString("%1 cut to %2 of %3")
                            .arg(widget->objectName())
                            .arg(widget->width())
                            .arg(captionWidth);
        // Up and down is how a page scrolls; never sideways.
        if (auto* area = qobject_cast<app::PageScrollArea*>(widget);
            area && area->horizontalScrollBar()->maximum() > 0)
            problems << QString("%1 scrolls sideways by %2")
                            .arg(widget->objectName())
                            .arg(area->horizontalScrollBar()->maximum());
        bool scrolled = false;
        for (QWidget* up = widget->parentWidget(); up && !scrolled; up = up->parentWidget())
            scrolled = qobject_cast<app::PageScrollArea*>(up) != nullptr;
        if (!scrolled && !window.rect().contains(inWindow(widget)))
            problems << QString("%1 at %2 outside the window")
                            .arg(widget->objectName(), QDebug::toString(inWindow(widget)));
    }
    const auto* tabs = window.findChild<QTabBar*>();
    if (tabs->width() < tabs->sizeHint().width())
        problems << QString("tabs cut to %1 of %2").arg(tabs->width()).arg(tabs->sizeHint().width());
    // Every control the keyboard reaches comes into view when it takes the focus.
    QWidget* first = window.findChild<QTabBar*>();
    first->setFocus(Qt::TabFocusReason);
    for (int presses = 0; presses < 200; ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (!focused || focused == first) break;
        QRect visible = window.rect();
        for (QWidget* up = focused->parentWidget(); up; up = up->parentWidget())
            if (auto* area = qobject_cast<app::PageScrollArea*>(up))
                visible = visible.intersected(inWindow(area->viewport()));
        if (!visible.contains(inWindow(focused)))
            problems << QString("%1 at %2 not in view after Tab")
                            .arg(focused->objectName(), QDebug::toString(inWindow(focused)));
    }
    return problems;
}

int FitCheck(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QSize expected(QString(argv[2]).toInt(), QString(argv[3]).toInt());
    QScreen* screen = QGuiApplication::primaryScreen();
    QStringList problems;
    // The platform took the screen we asked for, or the check below would prove nothing.
    const QSize size = screen->geometry().size();
    if (std::abs(size.width() - expected.width()) > 1 || std::abs(size.height() - expected.height()) > 1)
        problems << QString("screen is %1, expected %2")
                        .arg(QDebug::toString(screen->geometry().size()), QDebug::toString(expected));
    if (QByteArray(argv[4]) == "hu") app::InstallTranslations(app::Language::Hungarian);
    QTemporaryDir dir;
    app::TForm_Main window(test::IsolatedOptions(dir));
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) problems << "the window did not become active";
    // From a 1366x768 laptop on, the design's layout: the window opens at its full size, nothing scrolls.
    const QSize roomy = screen->availableGeometry().size() - QSize(16, 48);
    if (size.width() >= 1366 && !QRect(QPoint(), roomy).contains(QRect(QPoint(), window.sizeHint())))
        problems << "the window needs " + QDebug::toString(window.sizeHint()) + " of " +
                        QDebug::toString(roomy);
    // Long status texts shorten instead of widening the window.
    for (QLabel* label : window.findChild<QStatusBar*>()->findChildren<QLabel*>())
        label->setText(QString("A long status text ").repeated(12));
    auto* pages = window.findChild<QTabWidget*>("PageControl_ZT7208");
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        for (const QString& problem : FitProblems(window, screen->availableGeometry()))
            problems << QString("page %1: %2").arg(page).arg(problem);
    }
    if (window.minimumSizeHint().width() > screen->availableGeometry().width() ||
        window.minimumSizeHint().height() > screen->availableGeometry().height())
        problems << "the window cannot shrink to the screen: " + QDebug::toString(window.minimumSizeHint());
    window.findChild<QPushButton*>("Button_FrameMonitor")->click();
    QApplication::processEvents();
    const QWidget* monitor = window.findChild<app::FrameMonitor*>();
    if (!screen->availableGeometry().contains(monitor->frameGeometry()))
        problems << "frame monitor off the screen: " + QDebug::toString(monitor->frameGeometry());
    for (const QString& problem : problems)
        std::printf("%s\n", qPrintable(problem));
    return problems.isEmpty() ? 0 : 1;
}

} // namespace

class TestScreens : public QObject {
    Q_OBJECT

private slots:
    // ---- what the window keeps in the application INI file

    void windowMemoryRoundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath("zeph.ini");
        QVERIFY(WriteAll(path, "[Com]\r\nListBox_ComPortlista=COM4\r\n"));
        WindowMemory memory;
        memory.place = QRect(-40, 30, 900, 600);
        memory.maximized = true;
        memory.page = 1;
        memory.fastRefresh = true;
        memory.settingsFileFolder = "/srv/plant a";
        memory.counterLogFolder = "/var/log/zeph";
        memory.frameMonitorFolder = "/tmp";
        QVERIFY(app::WriteWindowMemory(path, memory));
        QCOMPARE(app::ReadWindowMemory(path), memory);
        QCOMPARE(settingsfile::ReadAppIni(path).preferredPort, QString("COM4")); // the original's keys stay

        // A folder not asked for in a run keeps what an earlier run remembered.
        WindowMemory later = memory;
        later.counterLogFolder.clear();
        QVERIFY(app::WriteWindowMemory(path, later));
        QCOMPARE(app::ReadWindowMemory(path).counterLogFolder, QString("/var/log/zeph"));
    }

    void unusableMemoryIsIgnored() {
        QTemporaryDir dir;
        const QString path = dir.filePath("zeph.ini");
        QVERIFY(WriteAll(path, "[Configurator]\nMainWindowPage=2\nMainWindowMaximized=yes\nMainWindowLeft=5\n"
                               "MainWindowTop=5\nMainWindowWidth=0\nMainWindowHeight=300\n"));
        QCOMPARE(app::ReadWindowMemory(path), WindowMemory{});
        QCOMPARE(app::ReadWindowMemory(dir.filePath("none.ini")), WindowMemory{});
    }

    void firstPlace_data() {
        QTest::addColumn<QRect>("remembered"); // null: nothing remembered
        QTest::addColumn<QSize>("hint");
        QTest::addColumn<QRect>("expected"); // null: the hint, limited, in the middle of the screen
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize largest = area.size() - QSize(16, 48); // room for the window manager's frame
        QTest::newRow("on the screen")
            << QRect(20, 30, 400, 300) << QSize(500, 400) << QRect(20, 30, 400, 300);
        QTest::newRow("partly off, still graspable")
            << QRect(area.right() - 150, 40, 400, 300) << QSize(500, 400)
            << QRect(area.right() - 150, 40, 400, 300);
        QTest::newRow("larger than the screen now")
            << QRect(10, 10, 5000, 4000) << QSize(500, 400) << QRect(QPoint(10, 10), largest);
        QTest::newRow("off every screen")
            << QRect(area.right() + 500, 10, 400, 300) << QSize(500, 400) << QRect();
        QTest::newRow("nothing remembered, hint too large") << QRect() << QSize(9000, 9000) << QRect();
    }
    void firstPlace() {
        QFETCH(QRect, remembered);
        QFETCH(QSize, hint);
        QFETCH(QRect, expected);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        if (expected.isNull()) {
            expected = QRect(QPoint(), hint.boundedTo(area.size() - QSize(16, 48)));
            expected.moveCenter(area.center());
        }
        const std::optional<QRect> memory = remembered.isNull() ? std::nullopt : std::optional(remembered);
        QCOMPARE(app::FirstPlace(memory, hint), expected);
    }

    // The window keeps its place, its page, the refresh's pace and the folder of each file dialog from one
    // run to the next.
    void windowRemembersItself() {
        sim::LineOptions line;
        line.pacing = false;
        test::SimulatedBench bench(line);
        QVERIFY(QDir(bench.dir.path()).mkpath("settings") && QDir(bench.dir.path()).mkpath("log") &&
                QDir(bench.dir.path()).mkpath("monitor"));
        const auto folder = [&bench](const char* name) { return bench.dir.filePath(name); };
        bench.dialogs.openAnswers << folder("settings") + "/plant.zsf";
        bench.Button("Button_FileMegnyitas")->click();
        QVERIFY(bench.Open());
        bench.dialogs.saveAnswers << folder("log") + "/counters.csv" << folder("monitor") + "/rows.txt";
        bench.W<app::TSpeedButton>("SpeedButton_RecordCounters")->click();
        bench.Button("Button_MonitorSave")->click();
        bench.form->setGeometry(60, 50, 700, 500);
        bench.W<QTabWidget>("PageControl_ZT7208")->setCurrentIndex(1);
        bench.W<QCheckBox>("CheckBox_Gyors")->setChecked(true);
        bench.form->close();

        test::RecordingDialogs dialogs;
        app::TForm_Main again(test::IsolatedOptions(bench.dir, {bench.device->PortPath()}));
        again.SetDialogs(&dialogs);
        QCOMPARE(again.geometry(), QRect(60, 50, 700, 500));
        QCOMPARE(again.findChild<QTabWidget*>("PageControl_ZT7208")->currentIndex(), 1);
        QVERIFY(again.findChild<QCheckBox*>("CheckBox_Gyors")->isChecked());
        again.findChild<QPushButton*>("Button_FileMentes")->click(); // stops at the empty page's check
        again.findChild<QPushButton*>("Button_FileMegnyitas")->click();
        again.findChild<QPushButton*>("Button_MonitorSave")->click();
        QCOMPARE(dialogs.openRequests.value(0).folder, folder("settings"));
        QCOMPARE(dialogs.saveRequests.value(0).folder, folder("monitor"));
        again.findChild<QPushButton*>("Button_Megnyitas")->click();
        again.findChild<app::TSpeedButton*>("SpeedButton_RecordCounters")->click();
        QCOMPARE(dialogs.saveRequests.value(1).folder, folder("log"));
    }

    // ---- small and scaled screens

    void fitsTheScreen_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("language");
        QTest::newRow("1024x768 panel PC") << 1024 << 768 << 1.0 << "en";
        QTest::newRow("1024x768 panel PC, Hungarian") << 1024 << 768 << 1.0 << "hu";
        QTest::newRow("1366x768 laptop") << 1366 << 768 << 1.0 << "en";
        QTest::newRow("1366x768 laptop, Hungarian") << 1366 << 768 << 1.0 << "hu";
        QTest::newRow("1366x768 at 125 %") << 1366 << 768 << 1.25 << "en";
        QTest::newRow("1366x768 at 125 %, Hungarian") << 1366 << 768 << 1.25 << "hu";
        QTest::newRow("1920x1080 at 150 %") << 1920 << 1080 << 1.5 << "en";
    }
    void fitsTheScreen() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, scale);
        QFETCH(QString, language);
        QTemporaryDir dir;
        const QString config = dir.filePath("screen.json");
        QVERIFY(WriteAll(config, QString(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": %1,
            "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                                     .arg(width)
                                     .arg(height)
                                     .toUtf8()));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
        environment.insert("QT_SCALE_FACTOR", QString::number(scale));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        const QSize logical(qRound(width / scale), qRound(height / scale));
        child.start(QCoreApplication::applicationFilePath(),
                    {FitCheckArgument, QString::number(logical.width()), QString::number(logical.height()),
                     language});
        QVERIFY(child.waitForFinished(120000));
        const QString report = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(report));
    }
};

int main(int argc, char* argv[]) {
    if (argc == 5 && QByteArray(argv[1]) == FitCheckArgument) return FitCheck(argc, argv);
    QApplication application(argc, argv);
    TestScreens test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screens.moc"
