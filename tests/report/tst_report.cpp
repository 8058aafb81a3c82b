// SPDX-License-Identifier: MIT
// The commissioning report as a reader sees it: the PDF turned back into text by poppler's pdftotext.
#include "report/CommissioningReport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace zeph;
using commissioning::DeviceOutcome;
using commissioning::Verdict;

class ReportTest : public QObject {
    Q_OBJECT

private slots:
    void readsBackAsText();
    void missingFolderFails();
};

namespace {

// The settings that matter here: the address; every other setting shows as null on both sides.
device::SettingsPageState WithAddress(const char* address) {
    device::SettingsPageState page;
    page.addressText = QLatin1String(address);
    return page;
}

} // namespace

void ReportTest::readsBackAsText() {
    const QString reason = QStringLiteral("read back <b>& not as written");
    // Passed with a change and counters, failed at the read-back with a difference, passed before.
    DeviceOutcome passed, failed, earlier;
    passed.tag = QStringLiteral("PUMP-01");
    passed.verdict = Verdict::Passed;
    passed.target = WithAddress("17");
    passed.readBack = device::SettingsAnswer{WithAddress("17"), 11u};
    passed.changes = {{QStringLiteral("modbus.address"), 5, 17}};
    passed.counters = device::CounterStatusReport{};
    failed.tag = QStringLiteral("VALVE-02");
    failed.verdict = Verdict::Failed;
    failed.step = commissioning::Step::ReadBack;
    failed.reason = reason;
    failed.target = WithAddress("18");
    failed.readBack = device::SettingsAnswer{WithAddress("19"), 11u};
    earlier.tag = QStringLiteral("METER-03");
    earlier.verdict = Verdict::Passed;
    earlier.fromEarlierRun = true;
    commissioning::BatchOutcome batch;
    batch.devices = {passed, failed, earlier};

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QVERIFY2(report::WriteCommissioningReport(pdf, batch, &error), qPrintable(error));
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY2(pdftotext.waitForFinished(30000) && pdftotext.exitCode() == 0,
             qPrintable(pdftotext.errorString()));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    const QStringList pages = text.split(QLatin1Char('\f'));

    QVERIFY(pages[0].contains(QStringLiteral("3 devices: 2 passed, 1 failed, 0 not run")));
    for (const DeviceOutcome& device : batch.devices) {
        const QString heading = QStringLiteral("Device ") + device.tag;
        QCOMPARE(text.count(heading), 1);
        QVERIFY2(std::any_of(pages.begin() + 1, pages.end(),
                             [&](const QString& page) { return page.trimmed().startsWith(heading); }),
                 qPrintable(heading));
    }
    QVERIFY(text.contains(reason));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("modbus\\.address\\s+5\\s+17\\n"))));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("modbus\\.address\\s+18\\s+19\\s+differs"))));
}

void ReportTest::missingFolderFails() {
    QTemporaryDir dir;
    QString error;
    QVERIFY(!report::WriteCommissioningReport(dir.filePath(QStringLiteral("none/report.pdf")), {}, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
