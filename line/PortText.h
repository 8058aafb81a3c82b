// SPDX-License-Identifier: MIT
// What a port text names: a serial port by its path, or a serial server on the network,
// "tcp://HOST:PORT" (the characters as they come) or "rfc2217://HOST:PORT" (Telnet with the far port's
// settings), each optionally with "?allowance_ms=N", the time the network adds to an answer's time-out.
#pragma once

#include <QString>

#include <optional>

namespace zeph::line {

enum class PortKind {
    Serial,  // a path: /dev/ttyUSB0
    RawTcp,  // tcp://HOST:PORT
    Rfc2217, // rfc2217://HOST:PORT
};

struct PortAddress {
    PortKind kind = PortKind::Serial;
    QString path;                   // a serial port's path, as given
    QString host;                   // a name, an IPv4 address or an IPv6 address without its brackets
    quint16 port = 0;               // the server's TCP port
    std::optional<int> allowanceMs; // given in the text; else the line's own

    bool IsNetwork() const { return kind != PortKind::Serial; }
    // "HOST:PORT", an IPv6 address in brackets: how messages name a server.
    QString Endpoint() const;
};

// The longest allowance a port text may ask for.
constexpr int MaxAllowanceMs = 60000;

// What the text names, or why it names nothing: the reason in words, naming the part that is wrong.
// A text without "SCHEME://" is a serial port's path.
std::optional<PortAddress> ParsePortText(const QString& text, QString* error = nullptr);

// Whether the text is meant as a network port (it starts with a scheme), well formed or not.
bool LooksLikeNetworkPort(const QString& text);

// What makes two port texts the same port: a serial port's path with its links resolved, a network
// port's host (letter case ignored) and TCP port, whatever its scheme.
QString PortIdentity(const QString& portText);

// The text for an address: "rfc2217://host:4001", "tcp://[::1]:4001?allowance_ms=800", or the path.
QString PortTextOf(const PortAddress& address);

} // namespace zeph::line
