// SPDX-License-Identifier: MIT
// The commissioning window: a batch of devices set up from a template settings file and a device list,
// each device's progress live in a table, and the report written into the output folder at the end.
// Non-modal: the main window stays in use, on its own port, while a batch runs.
#pragma once

#include "app/UserDialogs.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace zeph::commissioning {
class Batch;
}

namespace zeph::app {

class CommissioningWindow : public QWidget {
    Q_OBJECT
public:
    // The dialogs are asked for when needed, so a test can replace the window's dialogs at any time.
    using DialogsSource = std::function<UserDialogs&()>;
    // The serial ports plugged in now, as the main window's port list finds them.
    using PortSource = std::function<QStringList()>;

    CommissioningWindow(DialogsSource dialogs, PortSource ports, QWidget* parent = nullptr);
    ~CommissioningWindow() override;

    // Brings the window to the front, showing it first if needed.
    void ShowAndRaise();
    bool IsRunning() const;
    // At the program's end: a batch under way is stopped and waited for (each running device finishes the
    // request it is waiting for), so that its audit records, summary and report are written.
    void FinishBeforeQuit();

protected:
    // A batch under way is stopped, and the window closes once it has finished: each device finishes the
    // request it is waiting for, and the report is written.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWidgets();
    void SetUpKeyboardAndNames();
    void BrowseTemplate();
    void BrowseDeviceList();
    void MakeStarterList();
    void BrowseOutputFolder();
    void StartBatch(bool resume);
    void StopBatch();
    void ShowDevice(int index);
    void ShowProgress();
    void BatchFinished();
    void UpdateEnabling();

    DialogsSource m_dialogs;
    PortSource m_ports;
    commissioning::Batch* m_batch = nullptr; // the run under way, from its Prepare to its report
    QString m_fileFolder;                    // where the template's and the list's dialogs open
    bool m_closeWhenFinished = false;        // a close came while the batch ran
    bool m_quitting = false;                 // the program ends: the report is written, not opened

    QLabel* Label_Template = nullptr;
    QLineEdit* LineEdit_Template = nullptr;
    QPushButton* Button_BrowseTemplate = nullptr;
    QLabel* Label_DeviceList = nullptr;
    QLineEdit* LineEdit_DeviceList = nullptr;
    QPushButton* Button_BrowseDeviceList = nullptr;
    QPushButton* Button_NewDeviceList = nullptr;
    QLabel* Label_OutputFolder = nullptr;
    QLineEdit* LineEdit_OutputFolder = nullptr;
    QPushButton* Button_BrowseOutputFolder = nullptr;
    QLabel* Label_Operator = nullptr;
    QLineEdit* LineEdit_Operator = nullptr;
    QLabel* Label_Jobs = nullptr;
    QSpinBox* SpinBox_Jobs = nullptr;
    QCheckBox* CheckBox_InitIfNeeded = nullptr;
    QPushButton* Button_CommissioningStart = nullptr;
    QPushButton* Button_CommissioningStop = nullptr;
    QPushButton* Button_CommissioningResume = nullptr;
    QTableWidget* TableWidget_Devices = nullptr;
    QProgressBar* ProgressBar_Commissioning = nullptr;
    QLabel* Label_CommissioningNotes = nullptr;
};

} // namespace zeph::app
