// SPDX-License-Identifier: MIT
// Tests of the frame monitor's rows: the words for each verdict, the capped history with its pause,
// clearing and files, the table's drawing as rows come in, and the rows a device session against the
// simulator produces for each fault.
#include "app/FrameMonitor.h"
#include "app/FrameMonitorModel.h"
#include "app/FrameRecorder.h"
#include "app/UserDialogs.h"
#include "common/WriteFault.h"
#include "link/FrameCodec.h"
#include "session/DeviceSession.h"
#include "sim/SimulatedDevice.h"

#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace zeph;
using app::FrameMonitorModel;
using app::MonitorRow;
using app::RowDirection;
using app::RowTone;
using link::AnswerVerdict;

Q_DECLARE_METATYPE(AnswerVerdict)
Q_DECLARE_METATYPE(RowTone)
Q_DECLARE_METATYPE(sim::FaultKind)

namespace {

// A counter report answer of the device with the given status byte: 77 bytes on the line.
link::Bytes ReportAnswer(std::uint8_t status) {
    link::Bytes payload(73, 0);
    payload[0] = status;
    return link::BuildResponseFrame(15, payload);
}

MonitorRow Row(qint64 timeMs, RowDirection direction, const QByteArray& characters, const QString& verdict) {
    MonitorRow row;
    row.timeMs = timeMs;
    row.direction = direction;
    row.characters = characters;
    row.verdict = verdict;
    return row;
}

// Each row as "TX read counters", "RX accepted", "port ... opened".
QStringList Summary(const FrameMonitorModel& model) {
    QStringList rows;
    for (int i = 0; i < model.rowCount(); ++i) {
        const QString direction = model.CellText(model.Row(i), FrameMonitorModel::DirectionColumn);
        rows << (direction.isEmpty() ? model.Row(i).verdict : direction + ' ' + model.Row(i).verdict);
    }
    return rows;
}

// A request or an answer of some length, told apart by its number.
MonitorRow NumberedRow(int i) {
    const QByteArray characters = QByteArray(8 + i % 40, char(0x80 | (i & 0x0F)));
    return Row(1000 + 60 * i, i % 2 ? RowDirection::Received : RowDirection::Sent, characters,
               QStringLiteral("row %1").arg(i));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestFrameMonitor : public QObject {
    Q_OBJECT
private slots:
    void describesEachAttempt_data() {
        QTest::addColumn<AnswerVerdict>("verdict");
        QTest::addColumn<int>("examinedStatus"); // -1: a frame of the given size only
        QTest::addColumn<int>("examinedSize");
        QTest::addColumn<int>("received");
        QTest::addColumn<int>("expectedLength");
        QTest::addColumn<QString>("text");
        QTest::addColumn<RowTone>("tone");
        const auto A = AnswerVerdict::Accepted;
        QTest::newRow("accepted") << A << 0 << 77 << 77 << 73 << "accepted" << RowTone::Good;
        QTest::newRow("noise before it")
            << A << 0 << 77 << 80 << 73 << "accepted, 3 bytes before it ignored" << RowTone::Good;
        QTest::newRow("full answer, status 2")
            << A << 2 << 77 << 77 << 73 << "answer with status 0x02" << RowTone::Odd;
        QTest::newRow("status alone, not a ZEPH7208")
            << A << 0x81 << 5 << 5 << 73 << "status 0x81 alone at the time-out (not a ZEPH7208)"
            << RowTone::Odd;
        QTest::newRow("write answered done") << A << 0 << 5 << 5 << 1 << "accepted" << RowTone::Good;
        QTest::newRow("write refused") << A << 1 << 5 << 5 << 1 << "answer with status 0x01" << RowTone::Odd;
        QTest::newRow("bad CRC") << AnswerVerdict::BadCrc << -1 << 77 << 77 << 73 << "rejected: bad CRC"
                                 << RowTone::Bad;
        QTest::newRow("wrong address") << AnswerVerdict::WrongAddress << -1 << 77 << 77 << 73
                                       << "rejected: wrong address" << RowTone::Bad;
        QTest::newRow("too little, judged as a status byte")
            << AnswerVerdict::WrongLength << -1 << 5 << 9 << 73
            << "time-out with 9 of 77 bytes, rejected: wrong length" << RowTone::Bad;
        QTest::newRow("nothing") << AnswerVerdict::TimedOut << -1 << 0 << 0 << 73
                                 << "time-out, nothing received" << RowTone::Bad;
        QTest::newRow("too little") << AnswerVerdict::TimedOut << -1 << 3 << 3 << 73
                                    << "time-out with too little: 3 of 77 bytes" << RowTone::Bad;
    }
    void describesEachAttempt() {
        QFETCH(AnswerVerdict, verdict);
        QFETCH(int, examinedStatus);
        QFETCH(int, examinedSize);
        QFETCH(int, received);
        QFETCH(int, expectedLength);
        QFETCH(QString, text);
        QFETCH(RowTone, tone);
        link::Bytes examined(std::size_t(examinedSize), 0xEE);
        if (examinedStatus >= 0)
            examined = examinedSize == 77
                           ? ReportAnswer(std::uint8_t(examinedStatus))
                           : link::BuildResponseFrame(15, link::Bytes{std::uint8_t(examinedStatus)});
        const app::AttemptVerdict described =
            app::DescribeAttempt(verdict, examined, received, expectedLength);
        QCOMPARE(described.text, text);
        QCOMPARE(described.tone, tone);
    }

    // The history drops a block of its oldest rows when full, a pause holds rows back without losing
    // them, and Clear starts the time again.
    void historyPauseAndClear() {
        FrameMonitorModel model;
        model.SetWatched(true); // as the open monitor watches it
        for (int i = 0; i < FrameMonitorModel::HistoryLimit; ++i)
            model.Append(Row(1000 + i, RowDirection::Sent, {}, QString::number(i)));
        QCOMPARE(model.rowCount(), 0); // rows come in batches
        model.Flush();
        QCOMPARE(model.rowCount(), FrameMonitorModel::HistoryLimit);
        model.Append(Row(500000, RowDirection::Sent, {}, "newest"));
        QTRY_COMPARE(model.rowCount(), FrameMonitorModel::HistoryLimit - FrameMonitorModel::DropBlock);
        QCOMPARE(model.Row(0).verdict, QString::number(FrameMonitorModel::DropBlock + 1));
        QCOMPARE(model.Row(model.rowCount() - 1).verdict, QString("newest"));
        // Times count from the first row ever shown, not from the oldest one kept.
        QCOMPARE(model.CellText(model.Row(model.rowCount() - 1), FrameMonitorModel::TimeColumn),
                 QString("499000"));

        const int shown = model.rowCount();
        model.SetPaused(true);
        const quint64 held = model.Append(Row(500010, RowDirection::Received, "\x01", {}));
        QCOMPARE(model.rowCount(), shown);
        QCOMPARE(model.HeldBack(), 1);
        // A held-back row can still be completed before it is shown.
        model.Recent(held)->characters += "\x82";
        model.SetPaused(false);
        QCOMPARE(model.rowCount(), shown + 1);
        QCOMPARE(model.CellText(model.Row(shown), FrameMonitorModel::BytesColumn), QString("21"));

        model.Clear();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.Recent(held));
        model.Append(Row(600000, RowDirection::Sent, {}, {}));
        model.Flush();
        QCOMPARE(model.CellText(model.Row(0), FrameMonitorModel::TimeColumn), QString("0"));
    }

    // Rows coming in move the rows already drawn instead of drawing them again, so what the screen holds
    // of the table is compared with a fresh paint of it: a wrong move would leave stale rows behind.
    void tableOnScreenMatchesAFreshPaint_data() {
        QTest::addColumn<int>("rowsBefore");
        QTest::addColumn<int>("batches");
        QTest::addColumn<bool>("scrolledBack");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("following the newest rows") << 60 << 8 << false << false;
        QTest::newRow("scrolled back to older rows") << 60 << 8 << true << false;
        // Still no scroll bar at the end, whose coming would repaint everything.
        QTest::newRow("fewer rows than the table holds") << 2 << 4 << false << false;
        QTest::newRow("oldest rows dropped at the limit")
            << FrameMonitorModel::HistoryLimit - 10 << 8 << false << false;
        QTest::newRow("rows added while the window is hidden") << 60 << 8 << false << true;
    }
    void tableOnScreenMatchesAFreshPaint() {
        QFETCH(int, rowsBefore);
        QFETCH(int, batches);
        QFETCH(bool, scrolledBack);
        QFETCH(bool, hidden);
        FrameMonitorModel model;
        app::FrameMonitor monitor(model, []() -> app::UserDialogs& { qFatal("no dialog expected"); });
        monitor.resize(760, 420);
        int next = 0;
        while (next < rowsBefore)
            model.Append(NumberedRow(next++));
        model.Flush();
        monitor.ShowAndRaise();
        QVERIFY(QTest::qWaitForWindowExposed(&monitor));
        auto* table = monitor.findChild<QTableView*>("TableView_Frames");
        QWidget* viewport = table->viewport();
        if (scrolledBack) table->verticalScrollBar()->setValue(10);
        if (hidden) monitor.hide();
        QCoreApplication::processEvents();

        for (int batch = 0; batch < batches; ++batch) {
            // A request, then its answer growing until the batch shows it.
            model.Append(NumberedRow(next++));
            const quint64 answer = model.Append(NumberedRow(next++));
            model.Flush();
            model.Recent(answer)->characters += QByteArray(batch, char(0x8F));
            model.RecentChanged(answer);
            model.Flush();
            QCoreApplication::processEvents();
        }
        if (hidden) monitor.ShowAndRaise();

        const auto onScreen = [&] {
            const QPoint at = viewport->mapTo(&monitor, QPoint(0, 0));
            return monitor.screen()
                ->grabWindow(monitor.winId(), at.x(), at.y(), viewport->width(), viewport->height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const auto freshPaint = [&] {
            return viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        QTRY_COMPARE(onScreen(), freshPaint());
        const int lastShown = table->rowAt(viewport->height() - 1);
        if (scrolledBack)
            QCOMPARE(table->rowAt(0), 10);
        else
            QCOMPARE(lastShown < 0 ? model.rowCount() - 1 : lastShown, model.rowCount() - 1);
    }

    // A row decodes as the engine does: a byte whose low nibble came in the row before keeps it.
    void rowBytesCarryTheNibbleBefore() {
        MonitorRow row = Row(0, RowDirection::Received, QByteArray("\x8F\x04\x80", 3), {});
        row.carry = 0x0A;
        QCOMPARE(link::HexText(app::RowBytes(row)), QString("FA 04"));
    }

    void savesTextAndCsv_data() {
        QTest::addColumn<bool>("csv");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("text") << false
                              << QByteArray(
                                     "time [ms]  dir  verdict                     line characters  |  bytes\n"
                                     "        0       port /dev/pts/3 opened\n"
                                     "       12  TX   read counters               4F C1  |  1F\n"
                                     "      250  RX   rejected: bad CRC, retry 2  08 80  |  08\n");
        QTest::newRow("csv") << true
                             << QByteArray("time_ms,direction,characters,bytes,verdict\n"
                                           "0,,,,port /dev/pts/3 opened\n"
                                           "12,TX,4F C1,1F,read counters\n"
                                           "250,RX,08 80,08,\"rejected: bad CRC, retry 2\"\n");
    }
    void savesTextAndCsv() {
        QFETCH(bool, csv);
        QFETCH(QByteArray, expected);
        FrameMonitorModel model;
        model.Append(Row(100, RowDirection::Port, {}, "port /dev/pts/3 opened"));
        model.Append(Row(112, RowDirection::Sent, "\x4F\xC1", "read counters"));
        model.Append(Row(350, RowDirection::Received, "\x08\x80", "rejected: bad CRC, retry 2"));
        model.Flush();
        QTemporaryDir dir;
        const QString path = dir.filePath("rows");
        QString error;
        const auto format = csv ? FrameMonitorModel::FileFormat::Csv : FrameMonitorModel::FileFormat::Text;
        QVERIFY(model.Save(path, format, &error));
        QCOMPARE(ReadAll(path), expected);
        QVERIFY(
            !model.Save(dir.filePath("no/such/folder/rows"), FrameMonitorModel::FileFormat::Text, &error));
        QCOMPARE(error, QString("No such file or directory"));
        // A disk that fills up part-way: the file saved before stays whole.
        {
            const test::WriteFault full(10);
            QVERIFY(!model.Save(path, format, &error));
        }
        QCOMPARE(error, QString("No space left on device"));
        QCOMPARE(ReadAll(path), expected);
    }

    // One read of the counters with a fault on the device's first answer: the rows the session's
    // signals make, each RX row closed with the engine's verdict.
    void rowsForEachFault_data() {
        QTest::addColumn<sim::FaultKind>("fault");
        QTest::addColumn<int>("argument");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("rows");
        const QString request = "TX read counters";
        const QString retry = "TX read counters, attempt 2 of 10";
        QTest::newRow("none") << sim::FaultKind::Noise << 0 << 0 << QStringList{request, "RX accepted"};
        QTest::newRow("bad CRC") << sim::FaultKind::BadCrc << -1 << 1
                                 << QStringList{request, "RX rejected: bad CRC; retry 2 of 10", retry,
                                                "RX accepted"};
        QTest::newRow("wrong address")
            << sim::FaultKind::WrongAddress << -1 << 1
            << QStringList{request, "RX rejected: wrong address; retry 2 of 10", retry, "RX accepted"};
        QTest::newRow("noise") << sim::FaultKind::Noise << -1 << 1
                               << QStringList{request, "RX accepted, 3 bytes before it ignored"};
        QTest::newRow("status alone")
            << sim::FaultKind::StatusOnly << 0x81 << 1
            << QStringList{request, "RX status 0x81 alone at the time-out (not a ZEPH7208)"};
        QTest::newRow("silence") << sim::FaultKind::Silence << -1 << 1
                                 << QStringList{request, "RX time-out, nothing received; retry 2 of 10",
                                                retry, "RX accepted"};
    }
    void rowsForEachFault() {
        QFETCH(sim::FaultKind, fault);
        QFETCH(int, argument);
        QFETCH(int, count);
        QFETCH(QStringList, rows);
        sim::LineOptions line;
        line.pacing = false;
        sim::SimulatedDevice device(line);
        QString error;
        QVERIFY2(device.Start(&error), qPrintable(error));
        if (count > 0) device.InjectFault({fault, argument, count});
        session::DeviceSession session;
        FrameMonitorModel model;
        app::FrameRecorder recorder(session, model);
        line::LineError openError;
        QVERIFY2(session.Open(device.PortPath(), &openError), qPrintable(openError.text));
        QVERIFY(session.RefreshCounters());
        QTRY_VERIFY_WITH_TIMEOUT(session.IsIdle(), 10000);
        model.Flush();
        QStringList summary = Summary(model);
        QCOMPARE(summary.takeFirst(), "port " + device.PortPath() + " opened, 19200 8N1");
        QCOMPARE(summary, rows);
        // The characters of each frame are those on the line: the request for the counters, and the
        // answer of the device (77 bytes) after anything that came before it.
        QCOMPARE(model.CellText(model.Row(1), FrameMonitorModel::CharactersColumn),
                 QString("4F C1 02 80 08 88 01 84 04 80 04 80 02 80 03 8B"));
        const MonitorRow& last = model.Row(model.rowCount() - 1);
        if (last.tone == RowTone::Good) QVERIFY(app::RowBytes(last).size() >= 77);
        session.Close();
        model.Flush();
        QCOMPARE(Summary(model).last(), "port " + device.PortPath() + " closed");
    }

    // An answer so late that the engine has given up: ten time-outs, and what comes afterwards is
    // nobody's answer.
    void lateAnswerIsUnsolicited() {
        sim::SimulatedDevice device; // paced, as a real line
        QString error;
        QVERIFY2(device.Start(&error), qPrintable(error));
        device.InjectFault({sim::FaultKind::Late, 2500, 1});
        session::DeviceSession session;
        FrameMonitorModel model;
        app::FrameRecorder recorder(session, model);
        line::LineError openError;
        QVERIFY2(session.Open(device.PortPath(), &openError), qPrintable(openError.text));
        session.ReadSettings();
        QTRY_VERIFY_WITH_TIMEOUT(session.IsIdle() && device.AnswersSent() == 10, 15000);
        model.Flush();
        const QStringList summary = Summary(model);
        QCOMPARE(summary.filter(QRegularExpression("^TX read settings")).size(), 10);
        QCOMPARE(
            summary.filter(QRegularExpression("^RX time-out, nothing received; retry \\d+ of 10$")).size(),
            9);
        QCOMPARE(summary.count("RX time-out, nothing received; gave up after 10 attempts"), 1);
        // Ten answers of 53 bytes at the line's pace, back to back, in rows of about 1024 characters.
        const auto unsolicited = [&model] {
            model.Flush();
            qsizetype characters = 0;
            for (int i = 0; i < model.rowCount(); ++i)
                if (model.Row(i).verdict == "unsolicited") {
                    characters += model.Row(i).characters.size();
                    if (model.Row(i).characters.size() > app::FrameRecorder::UnsolicitedRowCharacters + 106)
                        return qsizetype(-1);
                }
            return characters;
        };
        QTRY_COMPARE_WITH_TIMEOUT(unsolicited(), qsizetype(10 * 106), 2000);
        QVERIFY(summary.contains("RX unsolicited"));
    }
};

QTEST_MAIN(TestFrameMonitor)
#include "tst_frame_monitor.moc"
