// Fault parsing and the shaping of a spoiled answer.
#include "sim/LineFault.h"

#include <algorithm>
#include <array>

namespace zeph::sim {

namespace {
struct KindName {
    const char* name;
    FaultKind kind;
};

constexpr std::array<KindName, 10> KindNames{{
    {"silence", FaultKind::Silence},
    {"bad-crc", FaultKind::BadCrc},
    {"wrong-address", FaultKind::WrongAddress},
    {"wrong-length", FaultKind::WrongLength},
    {"status", FaultKind::StatusOnly},
    {"noise", FaultKind::Noise},
    {"drop", FaultKind::DropCharacter},
    {"extra", FaultKind::ExtraCharacter},
    {"late", FaultKind::Late},
    {"hangup", FaultKind::HangUp},
}};

int PositionOr(int argument, qsizetype size) {
    return argument >= 0 ? int(std::min<qsizetype>(argument, size)) : int(size / 2);
}
} // namespace

std::optional<LineFault> ParseFault(const QString& text) {
    const QString name = text.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    const bool hasArgument = text.contains(QLatin1Char(':'));
    bool ok = true;
    const int argument = hasArgument ? text.section(QLatin1Char(':'), 1).trimmed().toInt(&ok) : -1;
    if (!ok || (hasArgument && argument < 0)) return std::nullopt;
    const auto found = std::find_if(KindNames.begin(), KindNames.end(),
                                    [&](const KindName& k) { return name == QLatin1String(k.name); });
    if (found == KindNames.end()) return std::nullopt;
    LineFault fault{found->kind};
    switch (fault.kind) {
    case FaultKind::StatusOnly:
        if (!hasArgument || argument > 255) return std::nullopt;
        fault.argument = argument;
        break;
    case FaultKind::Noise:
        // Enough garbage to trouble any receiver, never a buffer of gigabytes.
        if (argument > MaxNoiseCharacters) return std::nullopt;
        fault.argument = argument;
        break;
    case FaultKind::Late:
        if (argument > MaxLateMs) return std::nullopt;
        fault.argument = argument;
        break;
    case FaultKind::HangUp:
        fault.skip = std::max(argument, 0);
        fault.count = 1;
        break;
    default:
        if (hasArgument && argument == 0) return std::nullopt;
        fault.count = argument;
        break;
    }
    return fault;
}

std::optional<QByteArray> ShapeAnswer(int address, const Bytes& payload,
                                      const std::vector<LineFault>& faults) {
    const auto has = [&](FaultKind kind) {
        return std::any_of(faults.begin(), faults.end(),
                           [kind](const LineFault& f) { return f.kind == kind; });
    };
    if (has(FaultKind::Silence) || has(FaultKind::HangUp)) return std::nullopt;

    Bytes body = payload;
    for (const LineFault& f : faults) {
        if (f.kind == FaultKind::StatusOnly) body = {static_cast<std::uint8_t>(f.argument)};
    }
    Bytes frame = ResponseFrame(address, body);
    for (const LineFault& f : faults) {
        if (f.kind == FaultKind::WrongAddress) {
            frame[0] = f.argument >= 0 ? static_cast<std::uint8_t>(f.argument)
                                       : static_cast<std::uint8_t>(0x80 + ((address + 127) & 0x7F));
            SealFrame(frame);
        } else if (f.kind == FaultKind::WrongLength) {
            ++frame[1];
            SealFrame(frame);
        }
    }
    if (has(FaultKind::BadCrc)) frame.back() ^= 0x5A;

    QByteArray characters = ToLineCharacters(frame);
    for (const LineFault& f : faults) {
        if (f.kind == FaultKind::DropCharacter && !characters.isEmpty()) {
            // By default a high-nibble character goes, so a whole byte is lost; a lost low-nibble character
            // can pass unnoticed when its neighbour has the same low nibble.
            const int at = f.argument >= 0 ? f.argument : int(characters.size() / 2) | 1;
            characters.remove(std::min<qsizetype>(at, characters.size() - 1), 1);
        } else if (f.kind == FaultKind::ExtraCharacter)
            characters.insert(PositionOr(f.argument, characters.size()), char(0x85));
    }
    for (const LineFault& f : faults) {
        if (f.kind != FaultKind::Noise) continue;
        // Line garbage: both kinds of character, some with the frame-start mark, never a whole frame.
        static constexpr std::array<char, 7> Pattern{char(0x4A), char(0x83), char(0x0C), char(0xC5),
                                                     char(0x07), char(0x8E), char(0x31)};
        const int length = f.argument >= 0 ? f.argument : int(Pattern.size());
        QByteArray noise;
        for (int i = 0; i < length; ++i)
            noise.append(Pattern[std::size_t(i) % Pattern.size()]);
        characters.prepend(noise);
    }
    return characters;
}

} // namespace zeph::sim
