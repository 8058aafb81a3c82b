// SPDX-License-Identifier: MIT
// The frame monitor window: the rows of the line as a table that follows new rows, with pause, clear and
// save, and the selected row in full beneath it. Alt+P, Alt+C and Alt+S (or Ctrl+S) press its buttons,
// Esc closes it.
#pragma once

#include "app/UserDialogs.h"

#include <QWidget>

#include <functional>

class QLabel;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace zeph::app {

class FrameMonitorModel;

class FrameMonitor : public QWidget {
    Q_OBJECT
public:
    // The dialogs are asked for when needed, so a test can replace the window's dialogs at any time.
    using DialogsSource = std::function<UserDialogs&()>;

    FrameMonitor(FrameMonitorModel& model, DialogsSource dialogs, QWidget* parent = nullptr);

    // Brings the window to the front, showing it first if needed.
    void ShowAndRaise();

    // Where the save dialog opens; it follows the folder of the last file saved.
    QString SaveFolder() const { return m_saveFolder; }
    void SetSaveFolder(const QString& folder) { m_saveFolder = folder; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SaveRows();
    void ShowDetails(const QModelIndex& index);
    void RefreshSoon();
    void Refresh();

    FrameMonitorModel& m_model;
    DialogsSource m_dialogs;
    QPushButton* Button_MonitorPause;
    QPushButton* Button_MonitorClear;
    QPushButton* Button_MonitorSave;
    QLabel* Label_MonitorRows;
    QTableView* TableView_Frames;
    QPlainTextEdit* PlainTextEdit_FrameDetails;
    // Coalesces the count of rows held back by a pause, which grows one row at a time.
    QTimer* m_refresh;
    QString m_saveFolder;
};

} // namespace zeph::app
