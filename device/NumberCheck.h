// SPDX-License-Identifier: MIT
// Numbers typed by the user: parsing with the locale's decimal separator, half-to-even rounding, the
// range check with its message texts, and the four-byte text of a 32-bit value.
#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace zeph::device {

// A decimal floating-point number: optional sign, digits with an optional fraction after the locale's
// decimal separator, optional exponent. Blanks around the number are allowed; group separators are not.
// A number too large for a double is returned as an infinity, so it fails any upper limit.
std::optional<double> ParseUserNumber(const QString& text, const QLocale& locale);

// Nearest integer, halves to the even neighbour; never returns a negative zero.
double RoundHalfEven(double value);

// An integral value in plain decimal form, never with an exponent ("4000000000", not "4e+09").
QString IntegerText(double integralValue);

// The low 32 bits of the value rounded half to even, as a two's-complement wrap would give them.
quint32 LowBits32(double value);

struct NumberCheckResult {
    bool passed = false;
    QString message;  // the error box text; empty when passed
    QString editText; // what the edit must hold afterwards
    double value = 0; // the rounded number when passed
};

// The range check of a labelled edit's text; caption is the edit's label. The limits are compared
// with the number before rounding.
NumberCheckResult CheckNumberInRange(const QString& text, double minimum, double maximum,
                                     const QLocale& locale, const QString& caption);

// "1000" -> "232,3,0,0": the four bytes least significant first, no trailing comma.
QString FormatUInt32Bytes(quint32 value);

QString UncheckedMessage(const QString& caption);
QString UnselectedMessage(const QString& name);

} // namespace zeph::device
