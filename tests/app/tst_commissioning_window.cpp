// SPDX-License-Identifier: MIT
// Tests of the commissioning window's wiring: a batch over two simulated devices from the panel's button
// to the report opened, and a list the batch refuses.
#include "commissioning/DeviceOutcome.h"
#include "common/SettingsPages.h"
#include "session/SettingsFileMapping.h"
#include "session/SettingsText.h"
#include "settingsfile/SafeFile.h"
#include "settingsfile/SettingsFile.h"
#include "WindowFixture.h"

#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>

using namespace zeph;
using commissioning::Verdict;
using commissioning::VerdictName;

class TestCommissioningWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> temporary;
    test::RecordingDialogs dialogs;
    std::unique_ptr<app::TForm_Main> form;
    QString templatePath;

    template <typename T = QWidget> T* W(const char* name) const {
        return test::Control<T>(form.get(), QLatin1String(name));
    }
    // Opens the window from the panel and fills it in as a technician would.
    void FillIn(const QByteArray& list) {
        const QTemporaryDir& dir = *temporary;
        W<QPushButton>("Button_Commissioning")->click();
        QTRY_VERIFY(W("CommissioningWindow")->isVisible());
        const QString listPath = dir.filePath("devices.csv");
        QVERIFY(settingsfile::WriteFileSafely(listPath, list));
        W<QLineEdit>("LineEdit_Template")->setText(templatePath);
        W<QLineEdit>("LineEdit_DeviceList")->setText(listPath);
        W<QLineEdit>("LineEdit_OutputFolder")->setText(dir.filePath("out"));
    }

private slots:
    void init() {
        temporary = std::make_unique<QTemporaryDir>();
        const QTemporaryDir& dir = *temporary;
        dialogs = {};
        templatePath = dir.filePath("template.zsf");
        QString error;
        QVERIFY2(settingsfile::SaveSettingsFile(templatePath,
                                                session::SettingsFileValues(test::WorkedExamplePage()),
                                                session::FileDate(), &error),
                 qPrintable(error));
        form = std::make_unique<app::TForm_Main>(test::IsolatedOptions(dir));
        form->SetDialogs(&dialogs);
    }
    void cleanup() {
        form.reset();
        temporary.reset();
    }

    void batchRunsAndOpensItsReport() {
        const QTemporaryDir& dir = *temporary;
        sim::SimulatedDevice healthy, silent;
        QString error;
        QVERIFY2(healthy.Start(&error) && silent.Start(&error), qPrintable(error));
        silent.InjectFault({sim::FaultKind::Silence});
        FillIn("tag,port\nGOOD," + healthy.PortPath().toUtf8() + "\nMUTE," + silent.PortPath().toUtf8() +
               "\n");
        W<QPushButton>("Button_CommissioningStart")->click();
        QVERIFY(W<QPushButton>("Button_CommissioningStop")->isEnabled());

        auto* progress = W<QProgressBar>("ProgressBar_Commissioning");
        QTRY_COMPARE_WITH_TIMEOUT(progress->value(), 2, 30000);
        QCOMPARE(progress->maximum(), 2);
        auto* table = W<QTableWidget>("TableWidget_Devices");
        QCOMPARE(table->item(0, 0)->text(), QString("GOOD"));
        QCOMPARE(table->item(0, 3)->text(), VerdictName(Verdict::Passed));
        QCOMPARE(table->item(1, 3)->text(), VerdictName(Verdict::Failed));
        const QString report = QDir(dir.filePath("out")).filePath("report.pdf");
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.openedDocuments, QStringList{report}, 10000);
        QVERIFY(QFile::exists(report));
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.Texts().join('\n')));
        QVERIFY(W<QPushButton>("Button_CommissioningStart")->isEnabled());
    }

    void badListStartsNothing() {
        const QTemporaryDir& dir = *temporary;
        FillIn("tag,port,colour\nA,/dev/null,red\n");
        W<QPushButton>("Button_CommissioningStart")->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages[0].text.contains(dir.filePath("devices.csv") + ":1:10: unknown column"),
                 qPrintable(dialogs.messages[0].text));
        QCOMPARE(W<QTableWidget>("TableWidget_Devices")->rowCount(), 0);
        QVERIFY(W<QPushButton>("Button_CommissioningStart")->isEnabled());
        QVERIFY(!QDir(dir.filePath("out")).exists());
    }
};

QTEST_MAIN(TestCommissioningWindow)
#include "tst_commissioning_window.moc"
