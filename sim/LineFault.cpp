// SPDX-License-Identifier: MIT
// Fault parsing and the shaping of a spoiled answer.
#include "sim/LineFault.h"

#include <QLocale>

#include <algorithm>
#include <array>

namespace zeph::sim {

namespace {
struct KindName {
    const char* name;
    FaultKind kind;
};

constexpr std::array<KindName, FaultKindCount> KindNames{{
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

constexpr bool InKindOrder() {
    for (std::size_t i = 0; i < KindNames.size(); ++i)
        if (int(KindNames[i].kind) != int(i)) return false;
    return true;
}
static_assert(InKindOrder(), "FaultName looks a kind's name up by its number");

int PositionOr(int argument, qsizetype size) {
    return argument >= 0 ? int(std::min<qsizetype>(argument, size)) : int(size / 2);
}

// The chance in "1%" or "0.5%"; nothing when it is not a percentage above 0 and up to 100.
std::optional<double> ParseRate(const QString& text) {
    if (!text.endsWith(QLatin1Char('%'))) return std::nullopt;
    bool ok = false;
    const double percent = QLocale::c().toDouble(text.chopped(1).trimmed(), &ok);
    if (!ok || !(percent > 0 && percent <= 100)) return std::nullopt;
    return percent / 100;
}
} // namespace

std::optional<LineFault> ParseFault(const QString& text) {
    QString body = text;
    std::optional<double> rate;
    if (text.trimmed().endsWith(QLatin1Char('%'))) {
        rate = ParseRate(text.section(QLatin1Char(':'), -1).trimmed());
        if (!rate || !text.contains(QLatin1Char(':'))) return std::nullopt;
        body = text.section(QLatin1Char(':'), 0, -2);
    }
    const QString name = body.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    const bool hasArgument = body.contains(QLatin1Char(':'));
    bool ok = true;
    const int argument = hasArgument ? body.section(QLatin1Char(':'), 1).trimmed().toInt(&ok) : -1;
    if (!ok || (hasArgument && argument < 0)) return std::nullopt;
    const auto found = std::find_if(KindNames.begin(), KindNames.end(),
                                    [&](const KindName& k) { return name == QLatin1String(k.name); });
    if (found == KindNames.end()) return std::nullopt;
    LineFault fault{found->kind};
    fault.rate = rate.value_or(0);
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
        // A hang-up ends the line, so it cannot strike again and again.
        if (rate) return std::nullopt;
        fault.skip = std::max(argument, 0);
        fault.count = 1;
        break;
    default:
        // A fault at a rate lasts; it is not counted out.
        if (hasArgument && (argument == 0 || rate)) return std::nullopt;
        fault.count = argument;
        break;
    }
    return fault;
}

QString FaultName(FaultKind kind) {
    return QLatin1String(KindNames[std::size_t(kind)].name);
}

std::vector<LineFault> TakeFaultsForAnswer(std::vector<LineFault>& pending, std::mt19937& random) {
    std::vector<LineFault> active;
    for (auto it = pending.begin(); it != pending.end();) {
        if (it->skip > 0) {
            --it->skip;
            ++it;
            continue;
        }
        if (it->rate > 0 && !std::bernoulli_distribution(std::min(it->rate, 1.0))(random)) {
            ++it;
            continue;
        }
        active.push_back(*it);
        if (it->count > 0 && --it->count == 0)
            it = pending.erase(it);
        else
            ++it;
    }
    return active;
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
