// SPDX-License-Identifier: MIT
// The Telnet layer under a network line: escaping, commands, the stream decoder and the client's
// negotiation policy.
#include "network/TelnetCodec.h"

#include <initializer_list>

namespace zeph::network {

namespace {
QByteArray BytesOf(std::initializer_list<quint8> bytes) {
    QByteArray array;
    for (quint8 byte : bytes)
        array.append(char(byte));
    return array;
}
} // namespace

QByteArray EscapeData(const QByteArray& data) {
    QByteArray escaped;
    escaped.reserve(data.size() + data.count(char(Iac)));
    for (char byte : data) {
        escaped.append(byte);
        if (quint8(byte) == Iac) escaped.append(byte);
    }
    return escaped;
}

QByteArray Negotiation(quint8 command, quint8 option) {
    return BytesOf({Iac, command, option});
}

QByteArray SubNegotiation(quint8 option, const QByteArray& payload) {
    return BytesOf({Iac, Sb, option}) + EscapeData(payload) + BytesOf({Iac, Se});
}

QByteArray TelnetDecoder::Feed(const QByteArray& bytes, std::vector<TelnetEvent>& events) {
    QByteArray data;
    data.reserve(bytes.size());
    for (char ch : bytes) {
        const quint8 byte = quint8(ch);
        switch (m_state) {
        case State::Data:
            if (byte == Iac)
                m_state = State::Command;
            else
                data.append(ch);
            break;
        case State::Command:
            if (byte == Iac) {
                data.append(ch);
                m_state = State::Data;
            } else {
                AfterIac(byte, events);
            }
            break;
        case State::Option:
            events.push_back({TelnetEvent::Kind::Negotiation, m_command, byte, {}});
            m_state = State::Data;
            break;
        case State::SubOption:
            m_option = byte;
            m_state = State::SubData;
            break;
        case State::SubData:
            if (byte == Iac)
                m_state = State::SubCommand;
            else
                KeepSubNegotiationByte(ch);
            break;
        case State::SubCommand:
            if (byte == Iac) {
                KeepSubNegotiationByte(ch);
                m_state = State::SubData;
                break;
            }
            if (byte == Se && !m_tooLong)
                events.push_back({TelnetEvent::Kind::SubNegotiation, Sb, m_option, m_payload});
            m_payload.clear();
            m_tooLong = false;
            // IAC and anything but SE: the SE went missing. The sub-negotiation is dropped and the
            // command taken as it stands, so one broken message does not swallow the rest of the stream.
            if (byte == Se)
                m_state = State::Data;
            else
                AfterIac(byte, events);
            break;
        }
    }
    return data;
}

void TelnetDecoder::KeepSubNegotiationByte(char byte) {
    if (m_tooLong) return;
    if (m_payload.size() < MaxSubNegotiation) {
        m_payload.append(byte);
    } else {
        m_tooLong = true;
        m_payload.clear();
    }
}

// The byte after an IAC that does not stand for a data 0xFF.
void TelnetDecoder::AfterIac(quint8 byte, std::vector<TelnetEvent>& events) {
    switch (byte) {
    case Will:
    case Wont:
    case Do:
    case Dont:
        m_command = byte;
        m_state = State::Option;
        break;
    case Sb:
        m_state = State::SubOption;
        break;
    default:
        // NOP, GA, an SE with no SB before it, or a byte no command has: reported, never taken as data.
        events.push_back({TelnetEvent::Kind::Command, byte, 0, {}});
        m_state = State::Data;
        break;
    }
}

bool TelnetOptions::WantOurs(quint8 option) {
    return option == OptionBinary || option == OptionSuppressGoAhead || option == OptionComPort;
}

bool TelnetOptions::WantTheirs(quint8 option) {
    return option == OptionBinary || option == OptionSuppressGoAhead;
}

QByteArray TelnetOptions::Opening() {
    QByteArray bytes;
    for (quint8 option : {OptionBinary, OptionSuppressGoAhead, OptionComPort}) {
        if (WantOurs(option) && m_ours[option] == Side::Off) {
            m_ours[option] = Side::Asked;
            bytes += Negotiation(Will, option);
        }
        if (WantTheirs(option) && m_theirs[option] == Side::Off) {
            m_theirs[option] = Side::Asked;
            bytes += Negotiation(Do, option);
        }
    }
    return bytes;
}

QByteArray TelnetOptions::Answer(const TelnetEvent& event) {
    if (event.kind != TelnetEvent::Kind::Negotiation) return {};
    const quint8 option = event.option;
    Side& ours = m_ours[option];
    Side& theirs = m_theirs[option];
    // Only a change of state is answered: an answer to what was asked, or a repeat, is taken silently.
    const auto changeTo = [option](Side& side, Side to, quint8 reply) {
        const bool changed = (side == Side::Off) != (to == Side::Off) && side != Side::Asked;
        side = to;
        return changed ? Negotiation(reply, option) : QByteArray();
    };
    switch (event.command) {
    case Do:
        if (option == OptionComPort) m_comPortRefused = false;
        if (!WantOurs(option)) return Negotiation(Wont, option);
        return changeTo(ours, Side::On, Will);
    case Dont:
        if (option == OptionComPort) m_comPortRefused = true;
        return changeTo(ours, Side::Off, Wont);
    case Will:
        if (!WantTheirs(option)) return Negotiation(Dont, option);
        return changeTo(theirs, Side::On, Do);
    case Wont:
        return changeTo(theirs, Side::Off, Dont);
    default:
        return {};
    }
}

} // namespace zeph::network
