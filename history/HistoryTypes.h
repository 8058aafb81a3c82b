// SPDX-License-Identifier: MIT
// What the history view draws: readings as rows, and per time bucket each input's rate and counter ranges
// with the wraps and drops inside it, plus the gaps where no readings came.
#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace zeph::history {

constexpr int InputCount = 8;

// One counter reading, as the live store keeps it and the log reader hands it on.
struct Row {
    qint64 timeMs = 0; // since the epoch, UTC
    std::array<quint32, InputCount> counters{};
    std::uint8_t overflow = 0; // the device's overflow flags, input 1 in bit 0
    bool gapBefore = false;    // no readings came between the row before and this one
};

// What a counter did at a reading, by the rule of counters::CounterTotals.
enum Mark : std::uint8_t { NoMark = 0, WrapMark = 1, DropMark = 2 };

struct CounterRange {
    quint32 min = std::numeric_limits<quint32>::max();
    quint32 max = 0;
    void Take(quint32 value) {
        min = std::min(min, value);
        max = std::max(max, value);
    }
    void Take(const CounterRange& other) {
        min = std::min(min, other.min);
        max = std::max(max, other.max);
    }
};

struct InputBucket {
    // Rates between successive readings that ended in the bucket (none across a gap or a drop).
    float rateMin = std::numeric_limits<float>::infinity();
    float rateMax = -std::numeric_limits<float>::infinity();
    double pulses = 0;    // counted across those intervals
    qint64 coveredMs = 0; // their length: pulses per coveredMs is the bucket's mean rate
    // The counter's readings up to its first wrap or drop in the bucket, and from its last one on: a wrap
    // shows as two ranges apart, never as a line between them. Equal while marks is NoMark.
    CounterRange before;
    CounterRange after;
    std::uint8_t marks = NoMark;
    bool markAtFirst = false; // the bucket's first reading was itself a wrap or a drop
    bool readings = false;
    std::uint16_t wraps = 0;
    std::uint16_t drops = 0;
    float lastRate = 0; // of the last reading with a rate
    quint32 lastReading = 0;

    bool HasRate() const { return rateMax >= rateMin; }
    double MeanRate() const { return coveredMs > 0 ? pulses * 1000.0 / double(coveredMs) : 0.0; }
};

struct Bucket {
    int rows = 0;
    std::array<InputBucket, InputCount> inputs{};
};

// A stretch without readings: from the reading before it to the reading after it.
struct Gap {
    qint64 fromMs = 0;
    qint64 toMs = 0;
    bool operator==(const Gap&) const = default;
};

// Per input, over the rows of a range: what a screen reader hears about a plot.
struct InputSummary {
    bool hasRate = false;
    double lastRate = 0;
    double minRate = 0;
    double maxRate = 0;
    bool hasCounter = false;
    quint32 lastCounter = 0;
    int wraps = 0;
    int drops = 0;
};

// The summary of a view's buckets and gaps.
std::array<InputSummary, InputCount> Summarize(const std::vector<Bucket>& buckets);

// The buckets of [fromMs, toMs): bucket i starts at fromMs + i * (toMs - fromMs) / count.
struct HistoryView {
    qint64 fromMs = 0;
    qint64 toMs = 0;
    std::vector<Bucket> buckets;
    std::vector<Gap> gaps;
    qint64 rows = 0;

    double BucketMs() const { return buckets.empty() ? 0.0 : double(toMs - fromMs) / double(buckets.size()); }
    qint64 BucketStart(std::size_t i) const { return fromMs + qint64(double(i) * BucketMs()); }
};

// Merges bucket b, which follows a in time, into a.
void MergeInto(InputBucket& a, const InputBucket& b);
void MergeInto(Bucket& a, const Bucket& b);

} // namespace zeph::history
