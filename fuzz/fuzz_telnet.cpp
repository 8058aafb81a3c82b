// SPDX-License-Identifier: MIT
// Fuzz target: what a serial port server, or anything posing as one, sends over the network. The
// Telnet decoder takes it in chunks; the negotiation policy answers the events; COM-PORT-OPTION replies
// are taken apart.
//
// Input: flags (bit 0: the client sent its opening first), then chunks until the end, each a length
// byte and that many bytes.
#include "fuzz/FuzzSupport.h"
#include "network/ComPortOption.h"
#include "network/TelnetCodec.h"

using namespace zeph::network;
using zeph::fuzz::InputReader;

namespace {

struct Decoded {
    QByteArray data;
    std::vector<TelnetEvent> events;
};

Decoded DecodeWhole(const QByteArray& stream) {
    Decoded decoded;
    decoded.data = TelnetDecoder().Feed(stream, decoded.events);
    return decoded;
}

bool IsNegotiationCommand(quint8 command) {
    return command == Will || command == Wont || command == Do || command == Dont;
}

void CheckEvent(const TelnetEvent& event) {
    switch (event.kind) {
    case TelnetEvent::Kind::Negotiation:
        FUZZ_CHECK(IsNegotiationCommand(event.command) && event.payload.isEmpty());
        break;
    case TelnetEvent::Kind::SubNegotiation:
        FUZZ_CHECK(event.command == Sb && event.payload.size() <= TelnetDecoder::MaxSubNegotiation);
        break;
    case TelnetEvent::Kind::Command:
        FUZZ_CHECK(!IsNegotiationCommand(event.command) && event.command != Sb && event.command != Iac);
        FUZZ_CHECK(event.payload.isEmpty());
        break;
    }
    if (const auto reply = ParseComPortReply(event)) {
        FUZZ_CHECK(event.option == OptionComPort);
        FUZZ_CHECK(quint8(reply->command) + ServerCodeOffset == quint8(event.payload[0]));
        FUZZ_CHECK(reply->value == event.payload.mid(1));
    }
}

// A reply is one negotiation about the option the event named, on the side the event asked about.
void CheckReply(const TelnetEvent& event, const QByteArray& reply) {
    if (reply.isEmpty()) return;
    FUZZ_CHECK(event.kind == TelnetEvent::Kind::Negotiation);
    FUZZ_CHECK(reply.size() == 3 && quint8(reply[0]) == Iac && quint8(reply[2]) == event.option);
    const quint8 command = quint8(reply[1]);
    FUZZ_CHECK(IsNegotiationCommand(command));
    // A DO or DONT asks about the client's side and is answered WILL or WONT; a WILL or WONT the other way.
    const bool aboutOurSide = event.command == Do || event.command == Dont;
    FUZZ_CHECK(aboutOurSide == (command == Will || command == Wont));
    if (event.command == Dont) FUZZ_CHECK(command == Wont);
    if (event.command == Wont) FUZZ_CHECK(command == Dont);
}

// The far end agreeing to what the client just said.
TelnetEvent Confirmation(const QByteArray& reply) {
    const quint8 command = quint8(reply[1]);
    const quint8 agreement = command == Will ? Do : command == Wont ? Dont : command == Do ? Will : Wont;
    return {TelnetEvent::Kind::Negotiation, agreement, quint8(reply[2]), {}};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    const std::uint8_t flags = in.Byte();

    TelnetDecoder decoder;
    TelnetOptions options;
    if (flags & 0x01) options.Opening();
    QByteArray stream;
    Decoded chunked;
    while (!in.AtEnd()) {
        const QByteArray chunk = in.Field();
        stream += chunk;
        const std::size_t before = chunked.events.size();
        const QByteArray out = decoder.Feed(chunk, chunked.events);
        FUZZ_CHECK(out.size() <= chunk.size());
        chunked.data += out;
        for (std::size_t i = before; i < chunked.events.size(); ++i) {
            const TelnetEvent& event = chunked.events[i];
            CheckEvent(event);
            const QByteArray reply = options.Answer(event);
            CheckReply(event, reply);
            // A far end that confirms every reply ends the exchange: no negotiation loop.
            if (!reply.isEmpty()) FUZZ_CHECK(options.Answer(Confirmation(reply)).isEmpty());
            FUZZ_CHECK(!(options.ComPortAccepted() && options.ComPortRefused()));
        }
    }

    // Chunk borders never matter.
    const Decoded whole = DecodeWhole(stream);
    FUZZ_CHECK(whole.data == chunked.data && whole.events == chunked.events);

    // Escaped, any bytes are data and nothing else; in a sub-negotiation, they come back whole.
    const Decoded escaped = DecodeWhole(EscapeData(stream));
    FUZZ_CHECK(escaped.data == stream && escaped.events.empty());
    const Decoded sub = DecodeWhole(SubNegotiation(flags, stream));
    FUZZ_CHECK(sub.data.isEmpty());
    if (stream.size() <= TelnetDecoder::MaxSubNegotiation) {
        FUZZ_CHECK(sub.events.size() == 1);
        FUZZ_CHECK(sub.events[0] == (TelnetEvent{TelnetEvent::Kind::SubNegotiation, Sb, flags, stream}));
    } else {
        FUZZ_CHECK(sub.events.empty());
    }
    return 0;
}
