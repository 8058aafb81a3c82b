// SPDX-License-Identifier: MIT
// Parsing a counter log's lines from bytes.
#include "history/LogRow.h"

#include "counters/CounterCsv.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstring>

namespace zeph::history {

namespace {
// Digits only, at least one, at most maxValue.
bool ParseUnsigned(const char* begin, const char* end, quint64 maxValue, quint64& value) {
    if (begin == end || end - begin > 20) return false;
    value = 0;
    for (const char* p = begin; p != end; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + quint64(*p - '0');
        if (value > maxValue) return false;
    }
    return true;
}

bool Digits(const char*& p, const char* end, int count, int& value) {
    if (end - p < count) return false;
    value = 0;
    for (int i = 0; i < count; ++i, ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
    }
    return true;
}

bool Expect(const char*& p, const char* end, char c) {
    if (p == end || *p != c) return false;
    ++p;
    return true;
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
qint64 DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// An empty field or a decimal number such as 12.500.
bool IsRate(const char* begin, const char* end) {
    bool digits = false;
    bool point = false;
    for (const char* p = begin; p != end; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = true;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return begin == end || digits;
}
} // namespace

std::optional<qint64> ParseLogTime(const char* begin, const char* end) {
    const char* p = begin;
    int year, month, day, hour, minute, second, ms = 0;
    if (!Digits(p, end, 4, year) || !Expect(p, end, '-') || !Digits(p, end, 2, month) ||
        !Expect(p, end, '-') || !Digits(p, end, 2, day) || !Expect(p, end, 'T') || !Digits(p, end, 2, hour) ||
        !Expect(p, end, ':') || !Digits(p, end, 2, minute) || !Expect(p, end, ':') ||
        !Digits(p, end, 2, second))
        return std::nullopt;
    if (p != end && *p == '.') {
        ++p;
        if (!Digits(p, end, 3, ms)) return std::nullopt;
    }
    int offsetMinutes = 0;
    if (p != end && *p == 'Z') {
        ++p;
    } else {
        if (p == end || (*p != '+' && *p != '-')) return std::nullopt;
        const int sign = *p++ == '-' ? -1 : 1;
        int offsetHours, offsetMins;
        if (!Digits(p, end, 2, offsetHours) || !Expect(p, end, ':') || !Digits(p, end, 2, offsetMins) ||
            offsetHours > 23 || offsetMins > 59)
            return std::nullopt;
        offsetMinutes = sign * (offsetHours * 60 + offsetMins);
    }
    if (p != end || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const qint64 seconds =
        DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offsetMinutes * 60;
    return seconds * 1000 + ms;
}

bool IsLogHeader(const char* begin, const char* end) {
    if (end != begin && end[-1] == '\r') --end;
    static const QByteArray header = counters::CounterCsvHeader().toLatin1();
    return qsizetype(end - begin) == header.size() &&
           std::memcmp(begin, header.constData(), header.size()) == 0;
}

QString LogColumnText(int column) {
    static const QStringList names = counters::CounterCsvHeader().split(QLatin1Char(','));
    if (column < 1 || column > names.size())
        return QCoreApplication::translate("CounterLogReading", "column %1").arg(column);
    return QCoreApplication::translate("CounterLogReading", "column %1 (%2)")
        .arg(column)
        .arg(names.at(column - 1));
}

std::optional<LogRowError> ParseLogRow(const char* begin, const char* end, Row& row, bool withTime) {
    if (end != begin && end[-1] == '\r') --end;
    const char* field = begin;
    for (int column = 0; column < LogColumnCount; ++column) {
        const char* comma = static_cast<const char*>(std::memchr(field, ',', std::size_t(end - field)));
        const char* fieldEnd = comma ? comma : end;
        if (!comma && column < LogColumnCount - 1)
            return LogRowError{
                column + 2, QCoreApplication::translate("CounterLogReading",
                                                        "missing: the line has %1 columns, a counter log %2")
                                .arg(column + 1)
                                .arg(LogColumnCount)};
        if (comma && column == LogColumnCount - 1)
            return LogRowError{LogColumnCount + 1,
                               QCoreApplication::translate("CounterLogReading", "one column too many")};
        quint64 value = 0;
        if (column == 0) {
            if (withTime) {
                const std::optional<qint64> time = ParseLogTime(field, fieldEnd);
                if (!time)
                    return LogRowError{
                        1, QCoreApplication::translate("CounterLogReading",
                                                       "not a time such as 2026-12-08T06:06:32.123+01:00")};
                row.timeMs = *time;
            }
        } else if (column <= 3 * InputCount) {
            const int input = (column - 1) / 3;
            switch ((column - 1) % 3) {
            case 0:
                if (!ParseUnsigned(field, fieldEnd, 0xFFFFFFFFu, value))
                    return LogRowError{
                        column + 1, QCoreApplication::translate("CounterLogReading",
                                                                "not a whole number from 0 to 4294967295")};
                row.counters[std::size_t(input)] = quint32(value);
                break;
            case 1:
                if (field != fieldEnd && !ParseUnsigned(field, fieldEnd, 0xFFFFFFFFu, value))
                    return LogRowError{column + 1, QCoreApplication::translate(
                                                       "CounterLogReading",
                                                       "neither empty nor a whole number of milliseconds")};
                break;
            default:
                if (!IsRate(field, fieldEnd))
                    return LogRowError{column + 1, QCoreApplication::translate(
                                                       "CounterLogReading",
                                                       "neither empty nor a number of pulses per second")};
            }
        } else {
            if (!ParseUnsigned(field, fieldEnd, 255, value))
                return LogRowError{column + 1, QCoreApplication::translate(
                                                   "CounterLogReading", "not a whole number from 0 to 255")};
            if (column == LogOverflowColumn) row.overflow = std::uint8_t(value);
        }
        field = fieldEnd + 1;
    }
    return std::nullopt;
}

} // namespace zeph::history
