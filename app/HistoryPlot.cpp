// SPDX-License-Identifier: MIT
// Drawing the history plots.
#include "app/HistoryPlot.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <optional>

namespace zeph::app {

namespace {
using history::HistoryView;
using history::InputBucket;

constexpr double ZoomStep = 1.25;
constexpr double PanStep = 0.1;

// Tick steps of the time axis, seconds.
constexpr std::array<qint64, 20> TimeSteps{1,   2,    5,    10,   15,    30,    60,    120,   300,    600,
                                           900, 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 604800};

// Round numbers for the value axis: 1, 2 or 5 times a power of ten.
double NiceStep(double span, int ticks) {
    const double raw = span / std::max(ticks, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (raw <= factor * power) return factor * power;
    return 10.0 * power;
}

QString ValueText(double value, HistoryPlot::Quantity quantity) {
    const QLocale locale;
    QString number;
    const double magnitude = std::abs(value);
    if (magnitude >= 1e9)
        number = locale.toString(value / 1e9, 'g', 4) + QStringLiteral(" G");
    else if (magnitude >= 1e6)
        number = locale.toString(value / 1e6, 'g', 4) + QStringLiteral(" M");
    else if (magnitude >= 1e4)
        number = locale.toString(value / 1e3, 'g', 4) + QStringLiteral(" k");
    else
        number = locale.toString(value, 'g', 4);
    return quantity == HistoryPlot::Quantity::Rate ? number + QStringLiteral(" /s") : number;
}
} // namespace

HistoryPlot::HistoryPlot(Quantity quantity, QWidget* parent)
    : QWidget(parent)
    , m_quantity(quantity) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 140);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::OpenHandCursor);
}

QColor HistoryPlot::InputColour(int input) {
    // Eight colours told apart also by most colour-blind eyes (Okabe and Ito's set, black for grey).
    static const std::array<QColor, 8> colours{
        QColor(0, 114, 178),  QColor(230, 159, 0), QColor(0, 158, 115), QColor(204, 121, 167),
        QColor(86, 180, 233), QColor(213, 94, 0),  QColor(0, 0, 0),     QColor(160, 140, 0)};
    return colours.at(std::size_t(input));
}

void HistoryPlot::SetView(const history::HistoryView* view,
                          const std::array<bool, history::InputCount>& shown) {
    m_view = view;
    m_shown = shown;
    update();
}

QRectF HistoryPlot::PlotArea() const {
    return QRectF(LeftMargin, 22, width() - LeftMargin - RightMargin, height() - 22 - 24);
}

std::vector<bool> HistoryPlot::BreaksBefore() const {
    std::vector<bool> breaks(m_view->buckets.size(), false);
    const double bucketMs = m_view->BucketMs();
    for (const history::Gap& gap : m_view->gaps) {
        if (gap.toMs < m_view->fromMs || gap.toMs >= m_view->toMs) continue;
        const auto i = std::min(breaks.size() - 1, std::size_t(double(gap.toMs - m_view->fromMs) / bucketMs));
        // A gap within one bucket is shaded but cannot part its readings.
        if (gap.fromMs < m_view->BucketStart(i)) breaks[i] = true;
    }
    return breaks;
}

void HistoryPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRectF area = PlotArea();
    painter.setPen(palette().text().color());
    painter.drawText(QRectF(LeftMargin, 2, area.width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
                     m_quantity == Quantity::Rate ? tr("Pulse rate, pulses per second") : tr("Counter"));
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
    if (!m_view || m_view->buckets.empty()) return;

    // The value range of the inputs shown.
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    for (const history::Bucket& bucket : m_view->buckets) {
        for (int n = 0; n < history::InputCount; ++n) {
            const InputBucket& input = bucket.inputs[std::size_t(n)];
            if (!m_shown[std::size_t(n)] || !input.readings) continue;
            if (m_quantity == Quantity::Rate) {
                if (!input.HasRate()) continue;
                high = std::max(high, double(input.rateMax));
                low = 0;
            } else {
                for (const history::CounterRange& range : {input.before, input.after}) {
                    if (range.min > range.max) continue;
                    low = std::min(low, double(range.min));
                    high = std::max(high, double(range.max));
                }
            }
        }
    }
    if (!(high >= low)) {
        low = 0;
        high = 1;
    }
    if (high - low < 1) {
        high += 0.5;
        low = std::max(0.0, low - 0.5);
    }
    const double pad = (high - low) * 0.05;
    high += pad;
    if (m_quantity == Quantity::Counter) low = std::max(0.0, low - pad);

    painter.save();
    painter.setClipRect(area.adjusted(-1, -1, 1, 1));
    DrawGaps(painter, area);
    painter.restore();
    DrawValueAxis(painter, area, low, high);
    DrawTimeAxis(painter, area);
    painter.save();
    painter.setClipRect(area.adjusted(-1, -1, 1, 1));
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int n = 0; n < history::InputCount; ++n) {
        if (!m_shown[std::size_t(n)]) continue;
        if (m_quantity == Quantity::Rate)
            DrawRate(painter, area, n, high);
        else
            DrawCounter(painter, area, n, low, high);
    }
    painter.restore();
}

void HistoryPlot::DrawGaps(QPainter& painter, const QRectF& area) const {
    const double span = double(m_view->toMs - m_view->fromMs);
    const QBrush shade(palette().mid().color(), Qt::BDiagPattern);
    for (const history::Gap& gap : m_view->gaps) {
        const double left = area.left() + double(gap.fromMs - m_view->fromMs) / span * area.width();
        const double right = area.left() + double(gap.toMs - m_view->fromMs) / span * area.width();
        painter.fillRect(QRectF(left, area.top(), std::max(2.0, right - left), area.height()), shade);
    }
}

void HistoryPlot::DrawValueAxis(QPainter& painter, const QRectF& area, double low, double high) const {
    const double step = NiceStep(high - low, std::max(2, int(area.height() / 40)));
    painter.setPen(palette().mid().color());
    painter.drawRect(area);
    for (double value = std::ceil(low / step) * step; value <= high; value += step) {
        const double y = area.bottom() - (value - low) / (high - low) * area.height();
        painter.setPen(QPen(palette().midlight().color(), 1, Qt::DotLine));
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(palette().text().color());
        painter.drawText(QRectF(0, y - 9, LeftMargin - 6, 18), Qt::AlignRight | Qt::AlignVCenter,
                         ValueText(value, m_quantity));
    }
}

void HistoryPlot::DrawTimeAxis(QPainter& painter, const QRectF& area) const {
    const qint64 spanMs = m_view->toMs - m_view->fromMs;
    const int wanted = std::max(2, int(area.width() / 110));
    qint64 stepS = TimeSteps.back();
    for (qint64 candidate : TimeSteps) {
        if (spanMs / (candidate * 1000) <= wanted) {
            stepS = candidate;
            break;
        }
    }
    // Ticks fall on round local times.
    const qint64 offsetMs = QDateTime::fromMSecsSinceEpoch(m_view->fromMs).offsetFromUtc() * 1000LL;
    const qint64 stepMs = stepS * 1000;
    qint64 tick = ((m_view->fromMs + offsetMs) / stepMs + 1) * stepMs - offsetMs;
    const QString format = spanMs > 2 * 86400000LL ? QStringLiteral("MM-dd HH:mm")
                           : stepS < 60            ? QStringLiteral("HH:mm:ss")
                                                   : QStringLiteral("HH:mm");
    for (; tick < m_view->toMs; tick += stepMs) {
        const double x = area.left() + double(tick - m_view->fromMs) / double(spanMs) * area.width();
        painter.setPen(QPen(palette().midlight().color(), 1, Qt::DotLine));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.setPen(palette().text().color());
        painter.drawText(QRectF(x - 55, area.bottom() + 3, 110, 18), Qt::AlignCenter,
                         QDateTime::fromMSecsSinceEpoch(tick).toLocalTime().toString(format));
    }
}

void HistoryPlot::DrawRate(QPainter& painter, const QRectF& area, int input, double high) const {
    const QColor colour = InputColour(input);
    const auto& buckets = m_view->buckets;
    const double columnWidth = area.width() / double(buckets.size());
    const auto y = [&](double rate) { return area.bottom() - rate / high * area.height(); };
    const std::vector<bool> breaks = BreaksBefore();
    QVector<QLineF> band;
    // Polylines, not a path: a path's stroke costs several times as much to draw.
    std::vector<QPolygonF> mean;
    bool joined = false;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        const InputBucket& bucket = buckets[i].inputs[std::size_t(input)];
        if (breaks[i]) joined = false;
        if (!bucket.readings) continue;
        if (!bucket.HasRate()) {
            joined = false; // a drop or the first reading after a gap: no rate to join
            continue;
        }
        const double x = area.left() + (double(i) + 0.5) * columnWidth;
        if (bucket.rateMax > bucket.rateMin) band.append(QLineF(x, y(bucket.rateMin), x, y(bucket.rateMax)));
        if (!joined) mean.emplace_back();
        mean.back().append(QPointF(x, y(bucket.MeanRate())));
        joined = true;
    }
    QColor light = colour;
    light.setAlpha(80);
    painter.setPen(QPen(light, std::max(1.0, columnWidth)));
    painter.drawLines(band);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(colour);
    for (const QPolygonF& line : mean) {
        // A rate between gaps: a dot, since a line of one point draws nothing.
        if (line.size() == 1)
            painter.drawEllipse(line.front(), 2, 2);
        else
            painter.drawPolyline(line);
    }
}

void HistoryPlot::DrawCounter(QPainter& painter, const QRectF& area, int input, double low,
                              double high) const {
    const QColor colour = InputColour(input);
    const auto& buckets = m_view->buckets;
    const double columnWidth = area.width() / double(buckets.size());
    const auto y = [&](double value) { return area.bottom() - (value - low) / (high - low) * area.height(); };
    const std::vector<bool> breaks = BreaksBefore();
    QVector<QLineF> lines;
    QVector<QPointF> dots;
    QVector<QPointF> wraps;
    QVector<QPointF> drops;
    std::optional<QPointF> last;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        const InputBucket& bucket = buckets[i].inputs[std::size_t(input)];
        if (breaks[i]) last.reset();
        if (!bucket.readings) continue;
        const double x = area.left() + (double(i) + 0.5) * columnWidth;
        if (bucket.markAtFirst) last.reset();
        if (bucket.before.min <= bucket.before.max) {
            if (last) lines.append(QLineF(*last, QPointF(x, y(bucket.before.min))));
            // A lone reading after a gap is a dot until the next one joins it.
            else if (bucket.before.max == bucket.before.min)
                dots.append(QPointF(x, y(bucket.before.min)));
            if (bucket.before.max > bucket.before.min)
                lines.append(QLineF(x, y(bucket.before.min), x, y(bucket.before.max)));
        }
        if (bucket.marks != history::NoMark) {
            // The readings after the wrap or drop stand apart from those before it.
            lines.append(QLineF(x, y(bucket.after.min), x, y(bucket.after.max)));
            if (bucket.marks & history::WrapMark) wraps.append(QPointF(x, y(bucket.after.min)));
            if (bucket.marks & history::DropMark) drops.append(QPointF(x, y(bucket.after.max)));
        }
        last = QPointF(x, y(bucket.lastReading));
    }
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawLines(lines);
    painter.setBrush(colour);
    for (const QPointF& point : dots)
        painter.drawEllipse(point, 2, 2);
    painter.setBrush(Qt::NoBrush);
    // A wrap: an open circle where the counter starts again; a drop: a triangle pointing down.
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const QPointF& point : wraps)
        painter.drawEllipse(point, 5, 5);
    painter.setBrush(colour);
    for (const QPointF& point : drops)
        painter.drawPolygon(QPolygonF{point + QPointF(-5, -9), point + QPointF(5, -9), point});
}

void HistoryPlot::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const QRectF area = PlotArea();
    const double anchor = std::clamp((event->position().x() - area.left()) / area.width(), 0.0, 1.0);
    emit ZoomAsked(std::pow(ZoomStep, -steps), anchor);
    event->accept();
}

void HistoryPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_dragX = int(event->position().x());
    setCursor(Qt::ClosedHandCursor);
}

void HistoryPlot::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragX < 0) return;
    const int x = int(event->position().x());
    if (x == m_dragX) return;
    emit PanAsked(double(m_dragX - x) / PlotArea().width());
    m_dragX = x;
}

void HistoryPlot::mouseReleaseEvent(QMouseEvent*) {
    m_dragX = -1;
    setCursor(Qt::OpenHandCursor);
}

void HistoryPlot::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        emit PanAsked(-PanStep);
        break;
    case Qt::Key_Right:
        emit PanAsked(PanStep);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Up:
        emit ZoomAsked(1 / ZoomStep, 0.5);
        break;
    case Qt::Key_Minus:
    case Qt::Key_Down:
        emit ZoomAsked(ZoomStep, 0.5);
        break;
    case Qt::Key_Home:
        emit StartAsked();
        break;
    case Qt::Key_End:
        emit EndAsked();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace zeph::app
