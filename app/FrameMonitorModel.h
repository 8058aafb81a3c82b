// SPDX-License-Identifier: MIT
// The frame monitor's rows as a table model: every frame sent, the characters received for each attempt
// with the engine's verdict, unsolicited characters and port events. The history is capped, the view can
// be paused and cleared, and the rows saved as text or CSV.
#pragma once

#include "link/FrameCodec.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QFont>
#include <QString>

#include <deque>
#include <optional>

class QTimer;

namespace zeph::app {

enum class RowDirection : quint8 { Port, Sent, Received };
// How a row reads at a glance: an accepted answer, a fault, something odd (a status answer, unsolicited
// characters, an abandoned attempt), or plain (requests, port events).
enum class RowTone : quint8 { Plain, Good, Bad, Odd };

struct MonitorRow {
    qint64 timeMs = 0;  // on the recorder's clock
    quint64 serial = 0; // given by the model, so an open row can be found again
    RowDirection direction = RowDirection::Port;
    RowTone tone = RowTone::Plain;
    quint8 carry = 0;      // low nibble left pending by the characters before this row's first one
    QByteArray characters; // line characters as they came; the hex and byte texts are made when shown
    QString verdict;
};

// A row's characters decoded to bytes, as the engine decodes them.
link::Bytes RowBytes(const MonitorRow& row);

class FrameMonitorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, DirectionColumn, CharactersColumn, BytesColumn, VerdictColumn, ColumnCount };
    enum class FileFormat { Text, Csv };

    // The table keeps the latest rows: when more would pass the limit, the oldest go in blocks of at least
    // DropBlock (one removal instead of one per row keeps the view fast), so it holds between
    // HistoryLimit - DropBlock and HistoryLimit rows once full. Rows held back by a pause are capped alike.
    static constexpr int HistoryLimit = 100000;
    static constexpr int DropBlock = 1000;

    explicit FrameMonitorModel(QObject* parent = nullptr);

    // New rows reach the table in batches, at most this long after they came: each batch costs the table a
    // layout and a repaint, and five a second is as fast as anyone reads a list that scrolls by.
    static constexpr int BatchMs = 200;
    // The table shows the first this many line characters and bytes of a row, then "…".
    static constexpr int ShownInTable = 48;

    // Adds a row and returns its serial. It is shown with the next batch, or when a pause ends.
    quint64 Append(MonitorRow row);
    // Shows the rows waiting for their batch now, unless paused.
    void Flush();
    // A row that is still being completed, found by its serial among the newest few rows (shown or still
    // waiting); nullptr when it has been cleared or is no longer among them.
    MonitorRow* Recent(quint64 serial);
    // Tells the view that the row with this serial has changed.
    void RecentChanged(quint64 serial);
    // Forgets every row, waiting ones too; the next row starts the time at 0.
    void Clear();
    void SetPaused(bool paused);
    bool Paused() const { return m_paused; }
    // Whether a view shows the rows. Unwatched, new rows wait without a batch timer (the recording goes on
    // while the monitor is closed); watched again, they are shown at once.
    void SetWatched(bool watched);
    int HeldBack() const { return m_paused ? int(m_incoming.size()) : 0; }

    const MonitorRow& Row(int row) const { return m_rows[std::size_t(row)]; }
    // Milliseconds since the first row after the last Clear.
    qint64 RelativeTime(const MonitorRow& row) const { return row.timeMs - m_origin.value_or(row.timeMs); }
    QString CellText(const MonitorRow& row, int column) const;

    // Writes the rows the table shows, replacing the file whole or not at all; false with the system's
    // reason when the file cannot be written.
    bool Save(const QString& path, FileFormat format, QString* error) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // The number of rows held back by the pause has changed.
    void HeldBackChanged(int count);

private:
    void ReportChangedRows();

    std::deque<MonitorRow> m_rows;
    std::deque<MonitorRow> m_incoming; // waiting for the next batch or the end of a pause
    QTimer* m_batch;
    bool m_watched = false;
    // Shown rows completed since the last batch, reported with it; -1 when none.
    int m_changedFirst = -1;
    int m_changedLast = -1;
    std::optional<qint64> m_origin;
    quint64 m_nextSerial = 1;
    bool m_paused = false;
    QFont m_fixedFont; // the line characters and bytes, so their columns line up
};

} // namespace zeph::app
