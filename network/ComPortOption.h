// SPDX-License-Identifier: MIT
// COM-PORT-OPTION (RFC 2217), the client's side: the requests that set a serial port server's line as
// the device needs it, and the server's replies and notifications taken apart.
#pragma once

#include "network/TelnetCodec.h"

#include <QString>

#include <optional>
#include <vector>

namespace zeph::network {

// The client's command codes; the server answers and notifies with the same code plus ServerCodeOffset.
enum class ComPortCommand : quint8 {
    Signature = 0,
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    FlowControlSuspend = 8,
    FlowControlResume = 9,
    SetLineStateMask = 10,
    SetModemStateMask = 11,
    PurgeData = 12,
};
constexpr quint8 ServerCodeOffset = 100;

// IAC SB COM-PORT-OPTION command value IAC SE, ready to send.
QByteArray ComPortRequest(ComPortCommand command, const QByteArray& value);

// The requests, each complete Telnet bytes. A value of 0 asks the server for its current setting.
QByteArray SetBaudRate(quint32 baud);      // four bytes, most significant first
QByteArray SetDataSize(quint8 bits);       // 5..8
QByteArray SetParity(quint8 parity);       // 1 none, 2 odd, 3 even, 4 mark, 5 space
QByteArray SetStopSize(quint8 stopBits);   // 1 one, 2 two, 3 one and a half
QByteArray SetControl(quint8 control);     // 1 no flow control, among others
QByteArray SetLineStateMask(quint8 mask);  // which line state changes the server reports
QByteArray SetModemStateMask(quint8 mask); // which modem line changes the server reports
QByteArray PurgeData(quint8 buffers);      // 1 receive, 2 transmit, 3 both

// A reply or notification from the server, with the command numbered as the client's.
struct ComPortReply {
    ComPortCommand command = ComPortCommand::Signature;
    QByteArray value;

    friend bool operator==(const ComPortReply&, const ComPortReply&) = default;
};

// The reply an event carries: a COM-PORT-OPTION sub-negotiation with a server code. Anything else is
// not one.
std::optional<ComPortReply> ParseComPortReply(const TelnetEvent& event);

// The baud rate in a SET-BAUDRATE value; 0 when the value is not four bytes long.
quint32 BaudRateOf(const QByteArray& value);

// One setting the line asks of the server, with the words a message names it by.
struct LineSettingRequest {
    ComPortCommand command;
    QByteArray value;
    QString name; // "baud rate 19200", "no parity"

    QByteArray Bytes() const { return ComPortRequest(command, value); }
};

// What the device's line needs, in the order they are sent: 19200 baud, 8 data bits, no parity, one stop
// bit, no flow control.
std::vector<LineSettingRequest> SettingsFor19200_8N1();

} // namespace zeph::network
