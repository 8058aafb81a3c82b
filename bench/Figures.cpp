// SPDX-License-Identifier: MIT
// Summaries, line arithmetic and output of the benchmark.
#include "bench/Figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace zeph::bench {

Summary Summarise(QList<double> values) {
    Summary summary;
    summary.count = int(values.size());
    if (values.isEmpty()) return summary;
    std::sort(values.begin(), values.end());
    summary.mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    const qsizetype middle = values.size() / 2;
    summary.median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    summary.p95 = values[std::min<qsizetype>(values.size() - 1,
                                             qsizetype(std::ceil(0.95 * double(values.size()))) - 1)];
    return summary;
}

double LineMs(int characters, int baud) {
    return characters * 10 * 1000.0 / baud;
}

int ExchangeCharacters(int payloadBytes, int answerBytes) {
    // A request carries its payload behind a four-byte header and before a two-byte CRC; an answer has a
    // two-byte header and a two-byte CRC. Two characters a byte.
    return 2 * (payloadBytes + 6) + 2 * (answerBytes + 4);
}

double TimerBoundMs(double lineMs) {
    return 20 + 1 + 50 * std::ceil(lineMs / 50) + 20;
}

void PrintHeading(const QString& text) {
    std::printf("\n%s\n", qPrintable(text));
}

void PrintFigure(const QString& name, const QString& value) {
    QString label = name + QLatin1Char(' ');
    while (label.size() < 58)
        label += QLatin1Char('.');
    std::printf("  %s %s\n", qPrintable(label), qPrintable(value));
    std::fflush(stdout);
}

namespace {
struct Goal {
    QString name;
    double figure;
    double limit;
    QString unit;
    GoalKind kind;
};
QList<Goal>& Goals() {
    static QList<Goal> goals;
    return goals;
}
} // namespace

void NoteGoal(const QString& name, double figure, double limit, const QString& unit, GoalKind kind) {
    Goals().append({name, figure, limit, unit, kind});
}

void PrintGoals() {
    if (Goals().isEmpty()) return;
    PrintHeading(QStringLiteral("Targets"));
    for (const Goal& goal : Goals()) {
        const bool atMost = goal.kind == GoalKind::AtMost;
        const bool met = atMost ? goal.figure <= goal.limit : goal.figure >= goal.limit;
        PrintFigure(goal.name, QStringLiteral("%1%3 (%4 %2%3): %5")
                                   .arg(goal.figure, 0, 'f', 2)
                                   .arg(goal.limit, 0, 'f', 2)
                                   .arg(goal.unit)
                                   .arg(atMost ? QStringLiteral("at most") : QStringLiteral("at least"))
                                   .arg(met ? QStringLiteral("met") : QStringLiteral("missed")));
    }
}

QString Ms(double value, int decimals) {
    return QString::number(value, 'f', decimals) + QStringLiteral(" ms");
}

QString Series(const Summary& summary) {
    if (summary.count == 0) return QStringLiteral("none");
    return QStringLiteral("mean %1, median %2, p95 %3 (n=%4)")
        .arg(Ms(summary.mean), Ms(summary.median), Ms(summary.p95))
        .arg(summary.count);
}

} // namespace zeph::bench
