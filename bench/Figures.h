// SPDX-License-Identifier: MIT
// The benchmark's arithmetic and output: mean, median and 95th percentile of a series, the line's own
// limits at the simulated baud rate, and one printed line per figure.
#pragma once

#include <QList>
#include <QString>

namespace zeph::bench {

struct Summary {
    int count = 0;
    double mean = 0;
    double median = 0;
    double p95 = 0;
};
Summary Summarise(QList<double> values);

// Milliseconds the line needs for `characters` characters at `baud`, 10 bits each.
double LineMs(int characters, int baud);
// Characters of a request with `payloadBytes` payload bytes and of its answer with `answerBytes`.
int ExchangeCharacters(int payloadBytes, int answerBytes);
// What the original's timers allow from a click to the shown answer: the machine's next 20 ms tick, the
// engine's 1 ms send step, the 50 ms tick after the answer is in, and the machine's next tick.
double TimerBoundMs(double lineMs);

// "  name ........ value unit" lines.
void PrintHeading(const QString& text);
void PrintFigure(const QString& name, const QString& value);
QString Ms(double value, int decimals = 1);
QString Series(const Summary& summary); // "mean 12.3 ms, median 12.0 ms, p95 14.1 ms (n=30)"

// A figure with a target the project has set for it (at most or at least `limit`), printed with the
// others at the end: the figure, the target and whether it met it this run.
enum class GoalKind { AtMost, AtLeast };
void NoteGoal(const QString& name, double figure, double limit, const QString& unit,
              GoalKind kind = GoalKind::AtMost);
void PrintGoals();

} // namespace zeph::bench
