// SPDX-License-Identifier: MIT
// The frame monitor's rows: storage with its cap, the pause, the cell texts and the text and CSV files.
#include "app/FrameMonitorModel.h"

#include "settingsfile/SafeFile.h"

#include <QBrush>
#include <QFontDatabase>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace zeph::app {

namespace {

QString DirectionText(RowDirection direction) {
    switch (direction) {
    case RowDirection::Sent:
        return QStringLiteral("TX");
    case RowDirection::Received:
        return QStringLiteral("RX");
    case RowDirection::Port:
        break;
    }
    return {};
}

QColor ToneColour(RowTone tone) {
    switch (tone) {
    case RowTone::Good:
        return QColor(0, 120, 0);
    case RowTone::Bad:
        return QColor(200, 0, 0);
    case RowTone::Odd:
        return QColor(160, 90, 0);
    case RowTone::Plain:
        break;
    }
    return {};
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Keeps the newest limit rows of a deque, dropping a whole block when it is over.
void TrimToLimit(std::deque<MonitorRow>& rows) {
    if (rows.size() <= std::size_t(FrameMonitorModel::HistoryLimit)) return;
    rows.erase(rows.begin(), rows.end() - (FrameMonitorModel::HistoryLimit - FrameMonitorModel::DropBlock));
}

} // namespace

link::Bytes RowBytes(const MonitorRow& row) {
    link::FrameDecoder decoder;
    link::Bytes bytes;
    // A low-nibble character of the carried value puts the decoder where the row's first character found it.
    decoder.Decode(QByteArray(1, char(row.carry & 0x0F)) + row.characters, bytes);
    return bytes;
}

FrameMonitorModel::FrameMonitorModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_batch(new QTimer(this))
    , m_fixedFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
    m_batch->setSingleShot(true);
    m_batch->setInterval(BatchMs);
    connect(m_batch, &QTimer::timeout, this, &FrameMonitorModel::Flush);
}

quint64 FrameMonitorModel::Append(MonitorRow row) {
    const quint64 serial = m_nextSerial++;
    row.serial = serial;
    if (!m_origin) m_origin = row.timeMs;
    m_incoming.push_back(std::move(row));
    TrimToLimit(m_incoming);
    if (m_paused)
        emit HeldBackChanged(HeldBack());
    else if (m_watched && !m_batch->isActive())
        m_batch->start();
    return serial;
}

void FrameMonitorModel::SetWatched(bool watched) {
    m_watched = watched;
    if (watched)
        Flush();
    else
        m_batch->stop();
}

void FrameMonitorModel::Flush() {
    m_batch->stop();
    ReportChangedRows(); // before rows go, while the indexes still hold
    if (m_paused || m_incoming.empty()) return;
    // Room is made first, so the view never holds more than the limit.
    const std::size_t total = m_rows.size() + m_incoming.size();
    if (total > std::size_t(HistoryLimit)) {
        const int drop = int(std::min(m_rows.size(), total - std::size_t(HistoryLimit - DropBlock)));
        beginRemoveRows({}, 0, drop - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + drop);
        endRemoveRows();
    }
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(m_incoming.size()) - 1);
    // Moved one by one, so a large batch is not held twice at once.
    while (!m_incoming.empty()) {
        m_rows.push_back(std::move(m_incoming.front()));
        m_incoming.pop_front();
    }
    endInsertRows();
}

namespace {
// Rows are completed only near the end: an answer's row, then perhaps a port event after it.
constexpr std::size_t RecentRows = 8;

// Index of the row with this serial among the last RecentRows of rows, or -1.
int FindRecent(const std::deque<MonitorRow>& rows, quint64 serial) {
    const std::size_t stop = rows.size() > RecentRows ? rows.size() - RecentRows : 0;
    for (std::size_t i = rows.size(); i > stop; --i)
        if (rows[i - 1].serial == serial) return int(i - 1);
    return -1;
}
} // namespace

MonitorRow* FrameMonitorModel::Recent(quint64 serial) {
    if (serial == 0) return nullptr;
    if (const int waiting = FindRecent(m_incoming, serial); waiting >= 0)
        return &m_incoming[std::size_t(waiting)];
    if (const int shown = FindRecent(m_rows, serial); shown >= 0) return &m_rows[std::size_t(shown)];
    return nullptr;
}

void FrameMonitorModel::RecentChanged(quint64 serial) {
    // A waiting row is shown as it is then; a shown one may be completed during a pause. A row that grows
    // with every stretch of an answer is redrawn with the next batch, not once per stretch.
    const int shown = FindRecent(m_rows, serial);
    if (shown < 0) return;
    m_changedFirst = m_changedFirst < 0 ? shown : std::min(m_changedFirst, shown);
    m_changedLast = std::max(m_changedLast, shown);
    if (m_watched && !m_batch->isActive()) m_batch->start();
}

void FrameMonitorModel::ReportChangedRows() {
    if (m_changedFirst < 0) return;
    const int first = std::exchange(m_changedFirst, -1);
    const int last = std::exchange(m_changedLast, -1);
    emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

void FrameMonitorModel::Clear() {
    beginResetModel();
    m_changedFirst = m_changedLast = -1;
    m_rows.clear();
    m_incoming.clear();
    m_batch->stop();
    m_origin.reset();
    endResetModel();
    emit HeldBackChanged(0);
}

void FrameMonitorModel::SetPaused(bool paused) {
    if (paused == m_paused) return;
    m_paused = paused;
    if (paused) return;
    Flush();
    emit HeldBackChanged(0);
}

QString FrameMonitorModel::CellText(const MonitorRow& row, int column) const {
    switch (column) {
    case TimeColumn:
        return QString::number(RelativeTime(row));
    case DirectionColumn:
        return DirectionText(row.direction);
    case CharactersColumn:
        return link::HexText(row.characters);
    case BytesColumn:
        return row.characters.isEmpty() ? QString() : link::HexText(RowBytes(row));
    case VerdictColumn:
        return row.verdict;
    default:
        return {};
    }
}

bool FrameMonitorModel::Save(const QString& path, FileFormat format, QString* error) const {
    QStringList lines;
    if (format == FileFormat::Csv) {
        lines << QStringLiteral("time_ms,direction,characters,bytes,verdict");
        for (const MonitorRow& row : m_rows) {
            QStringList fields;
            for (int column = 0; column < ColumnCount; ++column)
                fields << CsvField(CellText(row, column));
            lines << fields.join(QLatin1Char(','));
        }
    } else {
        // Columns line up up to the verdict; the characters and their bytes follow it in full.
        qsizetype verdictWidth = 7;
        for (const MonitorRow& row : m_rows)
            verdictWidth = std::max(verdictWidth, row.verdict.size());
        const auto line = [verdictWidth](const QString& time, const QString& direction,
                                         const QString& verdict, const QString& rest) {
            QString text = QStringLiteral("%1  %2  %3  %4")
                               .arg(time, 9)
                               .arg(direction, -3)
                               .arg(verdict, -int(verdictWidth))
                               .arg(rest);
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            return text;
        };
        lines << line(QStringLiteral("time [ms]"), QStringLiteral("dir"), QStringLiteral("verdict"),
                      QStringLiteral("line characters  |  bytes"));
        for (const MonitorRow& row : m_rows) {
            const QString rest =
                row.characters.isEmpty()
                    ? QString()
                    : CellText(row, CharactersColumn) + QStringLiteral("  |  ") + CellText(row, BytesColumn);
            lines << line(CellText(row, TimeColumn), CellText(row, DirectionColumn), row.verdict, rest);
        }
    }
    return settingsfile::WriteFileSafely(path, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(),
                                         error);
}

int FrameMonitorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FrameMonitorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FrameMonitorModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const MonitorRow& row = Row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        // Eliding a long text shapes all of it at every repaint; the table shows only its start anyway,
        // and the details and the saved files show it whole.
        if (index.column() == CharactersColumn && row.characters.size() > ShownInTable)
            return link::HexText(row.characters.left(ShownInTable)) + QStringLiteral(" …");
        if (index.column() == BytesColumn && row.characters.size() > 2 * ShownInTable) {
            const link::Bytes bytes = RowBytes(row);
            return link::HexText(std::span(bytes).first(std::min<std::size_t>(bytes.size(), ShownInTable))) +
                   QStringLiteral(" …");
        }
        return CellText(row, index.column());
    case Qt::ForegroundRole:
        if (row.tone == RowTone::Plain || index.column() != VerdictColumn) return {};
        return QBrush(ToneColour(row.tone));
    case Qt::FontRole:
        if (index.column() == CharactersColumn || index.column() == BytesColumn) return m_fixedFont;
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == TimeColumn) return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant FrameMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case TimeColumn:
        return tr("Time [ms]");
    case DirectionColumn:
        return tr("Dir");
    case CharactersColumn:
        return tr("Line characters");
    case BytesColumn:
        return tr("Bytes");
    case VerdictColumn:
        return tr("Verdict");
    default:
        return {};
    }
}

} // namespace zeph::app
