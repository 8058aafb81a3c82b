// SPDX-License-Identifier: MIT
// The network line: a TCP connection to a serial server, the Telnet layer when the server speaks RFC 2217.
#include "network/NetworkLine.h"

#include "network/ComPortOption.h"
#include "network/NetworkLogging.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QTimer>

namespace zeph::network {

namespace {

int connectTimeoutMs = NetworkLine::DefaultConnectTimeoutMs;

QString HexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

// What the server set instead, as its number: a baud rate, a number of bits, a code.
QString NetworkLine::ValueText(const PendingSetting& setting) {
    if (setting.command == ComPortCommand::SetBaudRate) return QString::number(BaudRateOf(setting.answered));
    if (setting.answered.size() == 1) return QString::number(quint8(setting.answered[0]));
    return HexText(setting.answered);
}

NetworkLine::NetworkLine(const line::PortAddress& address, QObject* parent)
    : Line(parent)
    , m_address(address) {}

NetworkLine::~NetworkLine() {
    Close();
}

void NetworkLine::SetConnectTimeoutMs(int ms) {
    connectTimeoutMs = ms;
}

QString NetworkLine::Name() const {
    return line::PortTextOf(m_address);
}

QString NetworkLine::Settings() const {
    return QStringLiteral("19200 8N1");
}

int NetworkLine::CharacterTimeNs() const {
    // The device's own line beyond the server: ten bits at 19200 baud.
    return 520833;
}

int NetworkLine::AllowanceMs() const {
    return m_address.allowanceMs.value_or(DefaultAllowanceMs);
}

bool NetworkLine::IsOpen() const {
    return m_open;
}

bool NetworkLine::Open() {
    if (m_open) return true;
    Close();
    ClearError();
    m_decoder = TelnetDecoder();
    m_options = TelnetOptions();
    m_settings.clear();
    m_heldBack.clear();
    m_dropReported = false;
    const QString endpoint = m_address.Endpoint();
    qCDebug(lcNetwork).noquote() << "connecting to" << endpoint;
    const TcpSocket::ConnectResult connected =
        m_socket.Connect(m_address.host, m_address.port, connectTimeoutMs);
    if (connected != TcpSocket::ConnectResult::Connected) {
        const QString reason = connected == TcpSocket::ConnectResult::TimedOut
                                   ? QCoreApplication::translate("NetworkLine", "no connection within %1 s")
                                         .arg(connectTimeoutMs / 1000.0)
                                   : m_socket.Error();
        qCDebug(lcNetwork).noquote() << "cannot reach" << endpoint << "-" << reason;
        m_socket.Close();
        return Fail(line::LineError::Kind::CannotOpen,
                    QCoreApplication::translate("NetworkLine", "cannot reach %1: %2").arg(endpoint, reason));
    }
    qCDebug(lcNetwork).noquote() << "connected to" << endpoint;
    if (m_address.kind == line::PortKind::Rfc2217) NegotiateFarPort();
    if (!m_socket.IsConnected()) {
        const QString reason = m_socket.Error();
        m_socket.Close();
        return Fail(
            line::LineError::Kind::CannotOpen,
            QCoreApplication::translate("NetworkLine", "%1 closed the connection: %2").arg(endpoint, reason));
    }
    m_readable = new QSocketNotifier(m_socket.Descriptor(), QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &NetworkLine::TakeIncoming);
    // Enabled only while the system could not take everything written.
    m_writable = new QSocketNotifier(m_socket.Descriptor(), QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, [this] {
        if (!m_socket.SendWaiting()) return LineDropped();
        m_writable->setEnabled(m_socket.HasWaiting());
    });
    m_open = true;
    // What came while the far port was being set, and what is still waiting, go out from the event loop,
    // once the session listens.
    QTimer::singleShot(0, this, &NetworkLine::TakeIncoming);
    return true;
}

void NetworkLine::ReadWhileNegotiating(int ms) {
    if (!m_socket.WaitReadable(ms)) return;
    QByteArray bytes;
    m_socket.ReadAvailable(bytes);
    std::vector<TelnetEvent> events;
    m_heldBack += m_decoder.Feed(bytes, events);
    HandleEvents(events);
    m_socket.Flush(SettingsTimeoutMs);
}

void NetworkLine::NegotiateFarPort() {
    m_socket.Send(m_options.Opening());
    m_socket.Flush(SettingsTimeoutMs);
    // The server first agrees to the COM port option; nothing is set on the far port before.
    QDeadlineTimer agreed(SettingsTimeoutMs);
    while (!m_options.ComPortAccepted() && !m_options.ComPortRefused() && !agreed.hasExpired() &&
           m_socket.IsConnected())
        ReadWhileNegotiating(int(agreed.remainingTime()));
    if (!m_options.ComPortAccepted()) {
        const QString text =
            m_options.ComPortRefused()
                ? QCoreApplication::translate(
                      "NetworkLine", "The serial server at %1 refuses to set its port (RFC 2217): the "
                                     "port keeps the settings the server gives it, which must be 19200 "
                                     "8N1.")
                      .arg(m_address.Endpoint())
                : QCoreApplication::translate(
                      "NetworkLine", "The serial server at %1 does not answer the request to set its "
                                     "port (RFC 2217): the port keeps the settings the server gives it, "
                                     "which must be 19200 8N1.")
                      .arg(m_address.Endpoint());
        qCDebug(lcNetwork).noquote() << m_address.Endpoint() << "did not agree to the COM port option";
        QTimer::singleShot(0, this, [this, text] { emit Notice(text); });
        return;
    }
    QByteArray requests;
    for (const LineSettingRequest& setting : SettingsFor19200_8N1()) {
        m_settings.push_back({setting.command, setting.value, setting.name, {}, false});
        requests += setting.Bytes();
    }
    // Line and modem state changes mean nothing to the device's protocol: the server need not send them.
    requests += SetLineStateMask(0);
    requests += SetModemStateMask(0);
    m_socket.Send(requests);
    m_socket.Flush(SettingsTimeoutMs);
    QDeadlineTimer confirmed(SettingsTimeoutMs);
    const auto allAnswered = [this] {
        for (const PendingSetting& setting : m_settings)
            if (!setting.confirmed && setting.answered.isEmpty()) return false;
        return true;
    };
    while (!allAnswered() && !confirmed.hasExpired() && m_socket.IsConnected())
        ReadWhileNegotiating(int(confirmed.remainingTime()));
    QStringList notTaken;
    for (const PendingSetting& setting : m_settings) {
        if (setting.confirmed) continue;
        notTaken << (setting.answered.isEmpty()
                         ? QCoreApplication::translate("NetworkLine", "%1 (no answer)").arg(setting.name)
                         : QCoreApplication::translate("NetworkLine", "%1 (it set %2)")
                               .arg(setting.name, ValueText(setting)));
        qCDebug(lcNetwork).noquote() << "the server did not take" << setting.name;
    }
    if (notTaken.isEmpty()) {
        qCDebug(lcNetwork) << "far port set to 19200 8N1, confirmed";
        return;
    }
    const QString text =
        QCoreApplication::translate(
            "NetworkLine", "The serial server at %1 did not take: %2. The line stays open; the device "
                           "answers only if its port runs at 19200 8N1.")
            .arg(m_address.Endpoint(), notTaken.join(QStringLiteral(", ")));
    QTimer::singleShot(0, this, [this, text] { emit Notice(text); });
}

void NetworkLine::HandleEvents(const std::vector<TelnetEvent>& events) {
    for (const TelnetEvent& event : events) {
        if (event.kind == TelnetEvent::Kind::Negotiation) {
            const QByteArray answer = m_options.Answer(event);
            qCDebug(lcNetwork).noquote()
                << "negotiation" << event.command << event.option
                << (answer.isEmpty() ? QString() : QStringLiteral("answered ") + HexText(answer));
            if (!answer.isEmpty()) m_socket.Send(answer);
            continue;
        }
        const std::optional<ComPortReply> reply = ParseComPortReply(event);
        if (!reply) continue;
        for (PendingSetting& setting : m_settings) {
            if (setting.command != reply->command || setting.confirmed) continue;
            setting.confirmed = reply->value == setting.value;
            if (!setting.confirmed) setting.answered = reply->value;
            qCDebug(lcNetwork).noquote()
                << setting.name << (setting.confirmed ? "confirmed" : "refused, set to")
                << (setting.confirmed ? QString() : HexText(reply->value));
        }
    }
}

void NetworkLine::TakeIncoming() {
    if (!m_open) return;
    QByteArray characters = std::exchange(m_heldBack, {});
    QByteArray bytes;
    const bool ended = m_socket.ReadAvailable(bytes) == TcpSocket::ReadResult::Closed;
    if (m_address.kind == line::PortKind::Rfc2217) {
        std::vector<TelnetEvent> events;
        characters += m_decoder.Feed(bytes, events);
        HandleEvents(events);
        if (m_socket.HasWaiting()) m_writable->setEnabled(true);
    } else {
        characters += bytes;
    }
    if (!characters.isEmpty()) emit Received(characters);
    if (ended) LineDropped();
}

bool NetworkLine::Write(const QByteArray& characters) {
    if (!m_open)
        return Fail(line::LineError::Kind::WriteFailed,
                    QCoreApplication::translate("NetworkLine", "the connection is not open"));
    const QByteArray bytes = m_address.kind == line::PortKind::Rfc2217 ? EscapeData(characters) : characters;
    // Handed to the system now, not on the next turn of the event loop.
    if (!m_socket.Send(bytes)) return Fail(line::LineError::Kind::WriteFailed, m_socket.Error());
    m_writable->setEnabled(m_socket.HasWaiting());
    return true;
}

void NetworkLine::AnswerTimedOut() {
    if (!m_open || m_address.kind != line::PortKind::Rfc2217 || !m_options.ComPortAccepted()) return;
    // Both of the server's buffers emptied; its confirmation is not waited for (some servers never send it).
    qCDebug(lcNetwork) << "purging the server's buffers";
    m_socket.Send(PurgeData(3));
    m_writable->setEnabled(m_socket.HasWaiting());
}

void NetworkLine::LineDropped() {
    if (!m_open || m_dropReported) return;
    m_dropReported = true;
    // A closed connection stays readable: it is not watched again.
    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    qCDebug(lcNetwork).noquote() << "connection to" << m_address.Endpoint() << "dropped:" << m_socket.Error();
    emit HungUp();
}

void NetworkLine::Close() {
    if (m_open) qCDebug(lcNetwork).noquote() << "closing the connection to" << m_address.Endpoint();
    m_open = false;
    // The notifiers go before their descriptor closes.
    delete std::exchange(m_readable, nullptr);
    delete std::exchange(m_writable, nullptr);
    m_socket.Close();
}

} // namespace zeph::network
