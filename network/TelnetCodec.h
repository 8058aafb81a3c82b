// SPDX-License-Identifier: MIT
// The Telnet layer under a network line: escaping the data, building and taking apart commands and
// option negotiations, and the client's negotiation policy. Pure bytes in and out, no socket.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <vector>

namespace zeph::network {

// Command bytes; each follows an IAC, and a data byte 0xFF travels as IAC IAC.
constexpr quint8 Iac = 255;
constexpr quint8 Dont = 254;
constexpr quint8 Do = 253;
constexpr quint8 Wont = 252;
constexpr quint8 Will = 251;
constexpr quint8 Sb = 250; // sub-negotiation begins: IAC SB option payload IAC SE
constexpr quint8 GoAhead = 249;
constexpr quint8 Nop = 241;
constexpr quint8 Se = 240;

// The options this client negotiates.
constexpr quint8 OptionBinary = 0;
constexpr quint8 OptionSuppressGoAhead = 3;
constexpr quint8 OptionComPort = 44;

// Data bytes as they go on the wire: every 0xFF doubled.
QByteArray EscapeData(const QByteArray& data);

// IAC command option, for WILL, WONT, DO and DONT.
QByteArray Negotiation(quint8 command, quint8 option);

// IAC SB option payload IAC SE, with every 0xFF of the payload doubled.
QByteArray SubNegotiation(quint8 option, const QByteArray& payload);

// Something other than data that the far end sent.
struct TelnetEvent {
    enum class Kind {
        Negotiation,    // command is WILL, WONT, DO or DONT, for option
        SubNegotiation, // command is SB; payload holds the bytes after the option, 0xFF undoubled
        Command         // IAC and any other byte, in command; option unused
    };
    Kind kind = Kind::Command;
    quint8 command = 0;
    quint8 option = 0;
    QByteArray payload;

    friend bool operator==(const TelnetEvent&, const TelnetEvent&) = default;
};

// Takes the received stream apart into data and events. The state survives between calls, so bytes may
// arrive split anywhere. A sub-negotiation longer than MaxSubNegotiation is dropped whole: nothing the
// far end sends can make the decoder hold more.
class TelnetDecoder {
public:
    static constexpr int MaxSubNegotiation = 1024;

    // The data bytes of bytes; the events among them are appended to events in the order they came.
    QByteArray Feed(const QByteArray& bytes, std::vector<TelnetEvent>& events);

private:
    enum class State { Data, Command, Option, SubOption, SubData, SubCommand };
    void AfterIac(quint8 byte, std::vector<TelnetEvent>& events);
    void KeepSubNegotiationByte(char byte);

    State m_state = State::Data;
    quint8 m_command = 0;
    quint8 m_option = 0;
    QByteArray m_payload;
    bool m_tooLong = false; // the sub-negotiation under way passed the limit and will be dropped
};

// The client's side of option negotiation. It asks for BINARY and SUPPRESS-GO-AHEAD in both directions
// and offers COM-PORT-OPTION; it agrees to those and refuses everything else. Each side of each option
// is off, asked for, or on, so that a confirmation of what was asked is never answered again: two ends
// that answer every answer would negotiate for ever.
class TelnetOptions {
public:
    // What the client sends once connected; marks those options as asked for.
    QByteArray Opening();
    // The reply to a WILL, WONT, DO or DONT from the far end, empty when none is due (and for other
    // events).
    QByteArray Answer(const TelnetEvent& event);

    // The far end said DO COM-PORT-OPTION: it takes the serial line's settings.
    bool ComPortAccepted() const { return m_ours[OptionComPort] == Side::On; }
    // The far end said DONT COM-PORT-OPTION: a plain TCP bridge, with its own fixed settings.
    bool ComPortRefused() const { return m_comPortRefused; }

private:
    enum class Side : quint8 { Off, Asked, On };
    static bool WantOurs(quint8 option);
    static bool WantTheirs(quint8 option);

    std::array<Side, 256> m_ours{};   // options this client performs (WILL / WONT, DO / DONT from them)
    std::array<Side, 256> m_theirs{}; // options the far end performs (DO / DONT, WILL / WONT from them)
    bool m_comPortRefused = false;
};

} // namespace zeph::network
