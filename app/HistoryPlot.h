// SPDX-License-Identifier: MIT
// A plot of the counts' history drawn with QPainter: per input shown, either the pulse rate (its mean per
// time bucket as a line, its minimum and maximum as a band, so no peak disappears) or the counter (its
// range per bucket, a wrap or a drop as a mark between two ranges, never as a line between them), over a
// time axis in local time; gaps are shaded and break the lines. Zoom and pan by mouse and keyboard are
// asked of the window, which owns the range.
#pragma once

#include "history/HistoryTypes.h"

#include <QColor>
#include <QWidget>

#include <array>

namespace zeph::app {

class HistoryPlot : public QWidget {
    Q_OBJECT
public:
    enum class Quantity { Rate, Counter };
    static constexpr int LeftMargin = 78;
    static constexpr int RightMargin = 12;

    HistoryPlot(Quantity quantity, QWidget* parent = nullptr);

    // The colour an input keeps in every plot (0..7).
    static QColor InputColour(int input);

    // The view to draw (kept by the window) and the inputs shown.
    void SetView(const history::HistoryView* view, const std::array<bool, history::InputCount>& shown);
    // How many buckets fit: one a pixel across the plot area.
    int BucketCount() const { return std::max(1, width() - LeftMargin - RightMargin); }
    QSize sizeHint() const override { return {900, 260}; }

signals:
    // Zoom by factor (below 1 zooms in) around the point at this fraction of the plot's width.
    void ZoomAsked(double factor, double anchor);
    // Move the range by this fraction of its width (negative: back in time).
    void PanAsked(double fraction);
    // Home: the start of the history; End: its end, following again.
    void StartAsked();
    void EndAsked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF PlotArea() const;
    void DrawTimeAxis(QPainter& painter, const QRectF& area) const;
    void DrawValueAxis(QPainter& painter, const QRectF& area, double low, double high) const;
    void DrawGaps(QPainter& painter, const QRectF& area) const;
    void DrawRate(QPainter& painter, const QRectF& area, int input, double high) const;
    void DrawCounter(QPainter& painter, const QRectF& area, int input, double low, double high) const;
    // Whether the line must not join bucket i to the bucket with readings before it: a gap ends in i.
    std::vector<bool> BreaksBefore() const;

    Quantity m_quantity;
    const history::HistoryView* m_view = nullptr;
    std::array<bool, history::InputCount> m_shown{};
    int m_dragX = -1;
};

} // namespace zeph::app
