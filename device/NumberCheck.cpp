// SPDX-License-Identifier: MIT
// Parsing, rounding and range checking of the numbers typed into the settings and counter fields.
#include "device/NumberCheck.h"

#include <QCoreApplication>

#include <charconv>
#include <cmath>
#include <string>

namespace zeph::device {

namespace {
const QString LineBreak = QStringLiteral("\n\r");

bool IsAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

std::optional<double> ParseUserNumber(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    const QString decimalPoint = locale.decimalPoint();
    // Rewritten into the C form that std::from_chars reads, whatever the process locale is.
    std::string ascii;
    qsizetype i = 0;
    const qsizetype n = trimmed.size();
    bool negative = false;
    if (i < n && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-'))) {
        negative = trimmed[i] == QLatin1Char('-');
        ++i;
    }
    int mantissaDigits = 0;
    while (i < n && IsAsciiDigit(trimmed[i])) {
        ascii += char(trimmed[i++].unicode());
        ++mantissaDigits;
    }
    if (!decimalPoint.isEmpty() && trimmed.mid(i, decimalPoint.size()) == decimalPoint) {
        i += decimalPoint.size();
        ascii += '.';
        while (i < n && IsAsciiDigit(trimmed[i])) {
            ascii += char(trimmed[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    bool negativeExponent = false;
    if (i < n && (trimmed[i] == QLatin1Char('e') || trimmed[i] == QLatin1Char('E'))) {
        ascii += 'e';
        ++i;
        if (i < n && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-'))) {
            negativeExponent = trimmed[i] == QLatin1Char('-');
            ascii += char(trimmed[i++].unicode());
        }
        int exponentDigits = 0;
        while (i < n && IsAsciiDigit(trimmed[i])) {
            ascii += char(trimmed[i++].unicode());
            ++exponentDigits;
        }
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;

    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (end != ascii.data() + ascii.size()) return std::nullopt;
    if (error == std::errc::result_out_of_range)
        value = negativeExponent ? 0.0 : HUGE_VAL;
    else if (error != std::errc())
        return std::nullopt;
    return negative ? -value : value;
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    double rounded = std::round(value); // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5) rounded = 2.0 * std::round(value / 2.0);
    return rounded + 0.0; // -0.0 + 0.0 is +0.0
}

QString IntegerText(double integralValue) {
    return QString::number(integralValue + 0.0, 'f', 0);
}

quint32 LowBits32(double value) {
    const double rounded = RoundHalfEven(value);
    if (!std::isfinite(rounded)) return 0;
    double wrapped = std::fmod(rounded, 4294967296.0);
    if (wrapped < 0) wrapped += 4294967296.0;
    return static_cast<quint32>(wrapped);
}

NumberCheckResult CheckNumberInRange(const QString& text, double minimum, double maximum,
                                     const QLocale& locale, const QString& caption) {
    NumberCheckResult result;
    const std::optional<double> number = ParseUserNumber(text, locale);
    if (!number) {
        result.message =
            QCoreApplication::translate("Device", "Missing or invalid number") + LineBreak + caption;
        result.editText = IntegerText(RoundHalfEven(minimum));
        return result;
    }
    if (*number < minimum) {
        result.message = caption + LineBreak +
                         QCoreApplication::translate("Device", "The value min. limit is ") +
                         IntegerText(RoundHalfEven(minimum));
        result.editText = IntegerText(RoundHalfEven(minimum));
        return result;
    }
    if (*number > maximum) {
        result.message = caption + LineBreak +
                         QCoreApplication::translate("Device", "The value max. limit is ") +
                         IntegerText(RoundHalfEven(maximum));
        result.editText = IntegerText(RoundHalfEven(maximum));
        return result;
    }
    result.passed = true;
    result.value = RoundHalfEven(*number);
    result.editText = IntegerText(result.value);
    return result;
}

QString FormatUInt32Bytes(quint32 value) {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(value & 0xFF)
        .arg((value >> 8) & 0xFF)
        .arg((value >> 16) & 0xFF)
        .arg((value >> 24) & 0xFF);
}

QString UncheckedMessage(const QString& caption) {
    return QCoreApplication::translate("Device", "Unchecked") + LineBreak + caption;
}

QString UnselectedMessage(const QString& name) {
    return QCoreApplication::translate("Device", "Unselected") + LineBreak + name;
}

} // namespace zeph::device
