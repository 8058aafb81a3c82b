// SPDX-License-Identifier: MIT
// Faults the simulated device can put on its answers, and how an answer looks on the line under them.
#pragma once

#include "sim/LineCodec.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <random>
#include <vector>

namespace zeph::sim {

enum class FaultKind {
    Silence,        // no answer at all
    BadCrc,         // the CRC of the answer is wrong
    WrongAddress,   // first byte names another address (CRC matches it); argument: the byte, default 0x8E for
                    // 15 (set only through this interface: on the command line ARG counts answers)
    WrongLength,    // length byte one more than the payload (CRC matches it)
    StatusOnly,     // the payload is the status byte alone; argument: the status
    Noise,          // characters before the answer; argument: how many, default 7
    DropCharacter,  // one character of the answer is lost; argument: its index, default a high-nibble one
                    // mid-frame
    ExtraCharacter, // one high-nibble character more; argument: where, default the middle
    Late,           // the answer waits; argument: milliseconds, default 1500
    HangUp,         // the device closes its end of the line instead of answering
};

constexpr int FaultKindCount = int(FaultKind::HangUp) + 1;
constexpr int MaxNoiseCharacters = 4096;
constexpr int MaxLateMs = 60000;

struct LineFault {
    FaultKind kind = FaultKind::Silence;
    int argument = -1; // -1: the kind's default
    int count = -1;    // answers it spoils; -1: every answer from now on
    int skip = 0;      // answers that pass untouched before it starts
    double rate = 0;   // the chance, above 0 and up to 1, that it strikes an answer; 0: it strikes every one
};

// "silence", "bad-crc:3", "status:129", "late:1500", "hangup:2": KIND[:ARG]. For silence, bad-crc,
// wrong-address, wrong-length, drop and extra ARG counts the spoiled answers (default: all); for noise it
// is the number of characters, for status the status byte, for late the delay in ms; for hangup the number
// of requests answered normally first. Every kind but hangup may end in :RATE% ("noise:1%", "status:129:1%",
// "late:3000:0.5%"): it then strikes each answer by chance, for good, and takes no count of answers.
// Nothing for an unknown kind or a bad argument.
std::optional<LineFault> ParseFault(const QString& text);

// The kind's name on the command line: "bad-crc".
QString FaultName(FaultKind kind);

// Takes the faults for the next answer from pending: a fault waits out its skip, then strikes (by chance
// when it has a rate, drawn from random) and is gone once it has struck count times.
std::vector<LineFault> TakeFaultsForAnswer(std::vector<LineFault>& pending, std::mt19937& random);

// The characters of the answer frame to address with payload under the given faults, or nothing when
// the faults leave the line silent (Silence, HangUp). Late is not a matter of characters and is ignored.
std::optional<QByteArray> ShapeAnswer(int address, const Bytes& payload,
                                      const std::vector<LineFault>& faults);

} // namespace zeph::sim
