// SPDX-License-Identifier: MIT
// COM-PORT-OPTION (RFC 2217) requests and replies, the client's side.
#include "network/ComPortOption.h"

#include <QCoreApplication>

namespace zeph::network {

namespace {
QByteArray OneByte(quint8 value) {
    return QByteArray(1, char(value));
}

QByteArray BigEndian(quint32 value) {
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char(value >> shift));
    return bytes;
}
} // namespace

QByteArray ComPortRequest(ComPortCommand command, const QByteArray& value) {
    return SubNegotiation(OptionComPort, OneByte(quint8(command)) + value);
}

QByteArray SetBaudRate(quint32 baud) {
    return ComPortRequest(ComPortCommand::SetBaudRate, BigEndian(baud));
}

QByteArray SetDataSize(quint8 bits) {
    return ComPortRequest(ComPortCommand::SetDataSize, OneByte(bits));
}

QByteArray SetParity(quint8 parity) {
    return ComPortRequest(ComPortCommand::SetParity, OneByte(parity));
}

QByteArray SetStopSize(quint8 stopBits) {
    return ComPortRequest(ComPortCommand::SetStopSize, OneByte(stopBits));
}

QByteArray SetControl(quint8 control) {
    return ComPortRequest(ComPortCommand::SetControl, OneByte(control));
}

QByteArray SetLineStateMask(quint8 mask) {
    return ComPortRequest(ComPortCommand::SetLineStateMask, OneByte(mask));
}

QByteArray SetModemStateMask(quint8 mask) {
    return ComPortRequest(ComPortCommand::SetModemStateMask, OneByte(mask));
}

QByteArray PurgeData(quint8 buffers) {
    return ComPortRequest(ComPortCommand::PurgeData, OneByte(buffers));
}

std::optional<ComPortReply> ParseComPortReply(const TelnetEvent& event) {
    if (event.kind != TelnetEvent::Kind::SubNegotiation || event.option != OptionComPort ||
        event.payload.isEmpty())
        return std::nullopt;
    const quint8 code = quint8(event.payload[0]);
    if (code < ServerCodeOffset || code > ServerCodeOffset + quint8(ComPortCommand::PurgeData))
        return std::nullopt;
    return ComPortReply{ComPortCommand(code - ServerCodeOffset), event.payload.mid(1)};
}

quint32 BaudRateOf(const QByteArray& value) {
    if (value.size() != 4) return 0;
    quint32 baud = 0;
    for (char byte : value)
        baud = baud << 8 | quint8(byte);
    return baud;
}

std::vector<LineSettingRequest> SettingsFor19200_8N1() {
    // Named in the user's language: a notice names the settings a server did not take.
    const auto name = [](const char* text) { return QCoreApplication::translate("ComPortOption", text); };
    return {
        {ComPortCommand::SetBaudRate, BigEndian(19200),
         name(QT_TRANSLATE_NOOP("ComPortOption", "baud rate 19200"))},
        {ComPortCommand::SetDataSize, OneByte(8), name(QT_TRANSLATE_NOOP("ComPortOption", "8 data bits"))},
        {ComPortCommand::SetParity, OneByte(1), name(QT_TRANSLATE_NOOP("ComPortOption", "no parity"))},
        {ComPortCommand::SetStopSize, OneByte(1), name(QT_TRANSLATE_NOOP("ComPortOption", "1 stop bit"))},
        {ComPortCommand::SetControl, OneByte(1), name(QT_TRANSLATE_NOOP("ComPortOption", "no flow control"))},
    };
}

} // namespace zeph::network
