// SPDX-License-Identifier: MIT
// The history window's wiring: live readings from the continuous refresh with a gap where the port was
// closed, a log opened through the file dialog (and one refused, one stopped at a bad line), the ranges
// and the keyboard, and the three exports.
#include "WindowFixture.h"

#include "app/HistoryWindow.h"
#include "counters/CounterCsv.h"
#include "sim/DeviceModel.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QSvgRenderer>
#include <QTableWidget>

using namespace zeph;

class HistoryWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::SimulatedBench> bench;
    app::HistoryWindow* History() const { return bench->W<app::HistoryWindow>("HistoryWindow"); }
    QString Spoken(const char* plot) const { return bench->W(plot)->accessibleDescription(); }

    // Rows 200 ms apart with IN1 counting 5 a row; badCounter replaces IN1's counter in the third row.
    QString WriteLog(const QString& name, int rows, const QByteArray& badCounter = {}) {
        QByteArray text = counters::CounterCsvHeader().toLatin1() + "\n";
        std::optional<counters::TimedReport> previous;
        const QDateTime start = QDateTime::currentDateTime().addSecs(-600);
        for (int i = 0; i < rows; ++i) {
            counters::TimedReport row{start.addMSecs(200 * i), {}};
            row.report.counters[0] = quint32(5 * i);
            QList<QByteArray> fields = counters::CounterCsvRow(row, previous).toLatin1().split(',');
            if (i == 2 && !badCounter.isEmpty()) fields[1] = badCounter;
            text += fields.join(',') + "\n";
            previous = row;
        }
        const QString path = bench->dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write the log");
        return path;
    }

private slots:
    void init() { bench = std::make_unique<test::SimulatedBench>(); }
    void cleanup() { bench.reset(); }

    void liveReadingsWithAGap() {
        bench->Model([](sim::DeviceModel& model) { model.SetPulseRate(0, 50); });
        QVERIFY(bench->Open());
        bench->Button("Button_History")->click();
        QVERIFY(History()->isVisible());
        bench->W<QTabWidget>("PageControl_ZT7208")->setCurrentIndex(1);
        bench->Button("SpeedButton_7208FolymatosKiolvasas")->click();
        QTRY_VERIFY_WITH_TIMEOUT(History()->Live().RowCount() >= 8, 10000);
        bench->Button("Button_Bezaras")->click();
        QVERIFY(bench->Open());
        bench->Button("SpeedButton_7208FolymatosKiolvasas")->click();
        const qint64 before = History()->Live().RowCount();
        QTRY_VERIFY_WITH_TIMEOUT(History()->Live().RowCount() >= before + 3, 10000);
        History()->Redraw();
        // Rates near 50 /s on IN1, and the closed port counted as one gap.
        QVERIFY2(Spoken("Plot_HistoryRate")
                     .contains(QRegularExpression("^IN1: last (4\\d|5\\d)(\\.\\d+)? /s, .*1 gap")),
                 qPrintable(Spoken("Plot_HistoryRate")));
        QCOMPARE(bench->W<QTableWidget>("Table_HistorySummary")->item(0, 5)->text().left(2), QString("1,"));
    }

    void logRangesKeyboardAndExports() {
        bench->dialogs.openAnswers << WriteLog("log.csv", 50);
        bench->Button("Button_History")->click();
        bench->Button("Button_HistoryOpenLog")->click();
        QTRY_VERIFY(
            bench->W<QLabel>("Label_HistorySource")->text().startsWith("Counter log log.csv: 50 rows"));
        QVERIFY2(Spoken("Plot_HistoryRate")
                     .startsWith("IN1: last 25.0 /s, minimum 25.0 /s, maximum 25.0 /s, 0 gaps"),
                 qPrintable(Spoken("Plot_HistoryRate")));
        bench->W<QCheckBox>("CheckBox_HistoryInput1")->click();
        QVERIFY(!Spoken("Plot_HistoryRate").contains("IN1:"));

        bench->Button("Button_HistoryLastHour")->click();
        QCOMPARE(History()->ToMs() - History()->FromMs(), 3600000);
        QWidget* plot = bench->W("Plot_HistoryCounter");
        const qint64 to = History()->ToMs();
        QTest::keyClick(plot, Qt::Key_Left);
        QCOMPARE(History()->ToMs(), to - 360000);
        QTest::keyClick(plot, Qt::Key_Plus);
        QCOMPARE(History()->ToMs() - History()->FromMs(), 2880000);

        const QString png = bench->dir.filePath("plots.png");
        const QString svg = bench->dir.filePath("plots.svg");
        const QString csv = bench->dir.filePath("range.csv");
        bench->dialogs.saveAnswers << png << svg << csv;
        bench->Button("Button_HistoryAll")->click();
        bench->Button("Button_HistoryExportPng")->click();
        bench->Button("Button_HistoryExportSvg")->click();
        bench->Button("Button_HistoryExportCsv")->click();
        QCOMPARE(bench->dialogs.messages.size(), 0);
        QCOMPARE(QImage(png).size(), bench->W("Widget_HistoryPlots")->size());
        QSvgRenderer drawing(svg);
        QVERIFY(drawing.isValid());
        QCOMPARE(drawing.viewBox().size(), bench->W("Widget_HistoryPlots")->size());
        QFile range(csv);
        QVERIFY(range.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = range.readAll().trimmed().split('\n');
        QCOMPARE(lines.first(),
                 QByteArray("time,counter_2,rate_2,counter_3,rate_3,counter_4,rate_4,counter_5,rate_5,"
                            "counter_6,rate_6,counter_7,rate_7,counter_8,rate_8"));
        QCOMPARE(lines.size(), 51);
    }

    void refusedAndStoppedLogs_data() {
        QTest::addColumn<QByteArray>("badCounter");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("bad row") << QByteArray("12x") << int(app::MessageKind::Warning)
                                 << "Line 4, column 2 (counter_1): not a whole number";
        QTest::newRow("wrong header") << QByteArray() << int(app::MessageKind::Error)
                                      << "its first line must name the columns time,counter_1,";
    }
    void refusedAndStoppedLogs() {
        QFETCH(QByteArray, badCounter);
        QFETCH(int, kind);
        QFETCH(QString, text);
        QString path = WriteLog("log.csv", 5, badCounter);
        if (badCounter.isEmpty())
            path = bench->dir.filePath("settings.zsf"), QFile(path).open(QIODevice::WriteOnly);
        bench->dialogs.openAnswers << path;
        bench->Button("Button_History")->click();
        bench->Button("Button_HistoryOpenLog")->click();
        QTRY_COMPARE(bench->dialogs.messages.size(), 1);
        QCOMPARE(int(bench->dialogs.messages[0].kind), kind);
        QVERIFY2(bench->dialogs.messages[0].text.contains(text), qPrintable(bench->dialogs.messages[0].text));
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "tst_history_window.moc"
