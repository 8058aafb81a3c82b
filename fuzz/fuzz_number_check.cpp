// SPDX-License-Identifier: MIT
// Fuzz target: the parser of typed numbers, its rounding and the range check. Input: a locale choice
// (byte 0), the lower and upper limits as two little-endian doubles, then the text in UTF-8.
#include "device/DevicePayloads.h"
#include "device/NumberCheck.h"
#include "fuzz/FuzzSupport.h"

#include <charconv>
#include <cmath>
#include <cstring>

using namespace zeph::device;
using zeph::fuzz::InputReader;

namespace {

const QLocale& LocaleFor(std::uint8_t choice) {
    // Decimal points ".", ",", "," with a narrow no-break space for grouping, and the Arabic one.
    static const QLocale locales[] = {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::French, QLocale::France),
                                      QLocale(QLocale::Arabic, QLocale::Egypt)};
    return locales[choice % 4];
}

double Limit(InputReader& in) {
    const QByteArray bytes = in.Take(8).leftJustified(8, '\0');
    double value = 0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return std::isnan(value) ? 0 : value;
}

bool Same(std::optional<double> a, std::optional<double> b) {
    return a.has_value() == b.has_value() && (!a || std::memcmp(&*a, &*b, sizeof(double)) == 0);
}

// The shortest text that reads back as the value, with the locale's decimal point.
QString ShortestText(double value, const QLocale& locale) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    FUZZ_CHECK(error == std::errc());
    return QString::fromLatin1(buffer, end - buffer).replace(QLatin1Char('.'), locale.decimalPoint());
}

void CheckRounding(double value) {
    const double rounded = RoundHalfEven(value);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(rounded == value);
        return;
    }
    FUZZ_CHECK(rounded == std::trunc(rounded));
    const double distance = std::fabs(rounded - value);
    FUZZ_CHECK(distance <= 0.5);
    if (distance == 0.5) FUZZ_CHECK(std::fmod(rounded, 2.0) == 0);
    FUZZ_CHECK(!std::signbit(rounded) || rounded < 0);

    // Plain decimal digits that read back as the same integer.
    const QString text = IntegerText(rounded);
    FUZZ_CHECK(!text.contains(QLatin1Char('e')) && text != QLatin1String("-0"));
    FUZZ_CHECK(Same(ParseUserNumber(text, QLocale::c()), rounded));

    // The low 32 bits, as a two's-complement wrap gives them; a preset sends them as four bytes low first.
    const quint32 bits = LowBits32(value);
    if (std::fabs(rounded) < 9.0e15) FUZZ_CHECK(bits == quint32(qint64(rounded)));
    zeph::device::PresetSelection selection{};
    selection[3] = bits;
    const zeph::link::Bytes payload = zeph::device::CounterPresetPayload(selection);
    FUZZ_CHECK(payload.size() == 35 && payload[2] == 0x08);
    const std::uint8_t* bytes = payload.data() + 3 + 4 * 3;
    FUZZ_CHECK((quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16 |
                quint32(bytes[3]) << 24) == bits);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    const QLocale& locale = LocaleFor(in.Byte());
    const double minimum = Limit(in);
    const double maximum = Limit(in);
    const QString text = QString::fromUtf8(in.Rest());

    const std::optional<double> number = ParseUserNumber(text, locale);
    if (number) {
        FUZZ_CHECK(!std::isnan(*number));
        if (std::isfinite(*number))
            FUZZ_CHECK(Same(ParseUserNumber(ShortestText(*number, locale), locale), number));
        CheckRounding(*number);
    }
    // Blanks around a number do not matter.
    FUZZ_CHECK(Same(ParseUserNumber(QStringLiteral(" \t") + text + QStringLiteral(" "), locale), number));

    const QString caption = QStringLiteral("Caption");
    const NumberCheckResult result = CheckNumberInRange(text, minimum, maximum, locale, caption);
    FUZZ_CHECK(result.passed == (number && *number >= minimum && *number <= maximum));
    if (result.passed) {
        FUZZ_CHECK(result.message.isEmpty());
        FUZZ_CHECK(Same(result.value, RoundHalfEven(*number)));
        FUZZ_CHECK(result.editText == IntegerText(result.value));
    } else {
        FUZZ_CHECK(result.message.contains(caption));
        // The edit is given the limit that was broken; text that is no number gets the lower one.
        const bool tooLarge = number && *number >= minimum;
        FUZZ_CHECK(result.editText == IntegerText(RoundHalfEven(tooLarge ? maximum : minimum)));
    }
    return 0;
}
