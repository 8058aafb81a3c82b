// SPDX-License-Identifier: MIT
// The network line: a TCP connection to a serial server, the Telnet layer when the server speaks RFC 2217.
#include "network/NetworkLine.h"

#include "network/ComPortOption.h"
#include "network/NetworkLogging.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace zeph::network {

namespace {

int connectTimeoutMs = NetworkLine::DefaultConnectTimeoutMs;

// A dead server or cable is noticed while the line is idle: probes after 10 s of silence, every 5 s, three
// of them unanswered end the connection.
void KeepProbing(qintptr descriptor) {
    const int on = 1, idle = 10, interval = 5, count = 3;
    const int fd = int(descriptor);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

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
    ClearError();
    delete m_socket;
    m_socket = new QTcpSocket(this);
    m_decoder = TelnetDecoder();
    m_options = TelnetOptions();
    m_settings.clear();
    m_heldBack.clear();
    m_dropReported = false;
    const QString endpoint = m_address.Endpoint();
    qCDebug(lcNetwork).noquote() << "connecting to" << endpoint;
    m_socket->connectToHost(m_address.host, m_address.port);
    if (!m_socket->waitForConnected(connectTimeoutMs)) {
        const QString reason = m_socket->error() == QAbstractSocket::SocketTimeoutError
                                   ? QCoreApplication::translate("NetworkLine", "no connection within %1 s")
                                         .arg(connectTimeoutMs / 1000.0)
                                   : m_socket->errorString();
        qCDebug(lcNetwork).noquote() << "cannot reach" << endpoint << "-" << reason;
        m_socket->abort();
        return Fail(line::LineError::Kind::CannotOpen,
                    QCoreApplication::translate("NetworkLine", "cannot reach %1: %2").arg(endpoint, reason));
    }
    // A request must not wait for more to send: Nagle's algorithm would hold it up to 40 ms and more.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    KeepProbing(m_socket->socketDescriptor());
    qCDebug(lcNetwork).noquote() << "connected to" << endpoint;
    if (m_address.kind == line::PortKind::Rfc2217) NegotiateFarPort();
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        const QString reason = m_socket->errorString();
        m_socket->abort();
        return Fail(
            line::LineError::Kind::CannotOpen,
            QCoreApplication::translate("NetworkLine", "%1 closed the connection: %2").arg(endpoint, reason));
    }
    connect(m_socket, &QTcpSocket::readyRead, this, &NetworkLine::TakeIncoming);
    connect(m_socket, &QTcpSocket::disconnected, this, &NetworkLine::LineDropped);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // A refused write or a reset: the connection is gone for the device's purposes.
        if (error != QAbstractSocket::SocketTimeoutError) LineDropped();
    });
    m_open = true;
    // What came while the far port was being set, and what is still waiting, go out from the event loop,
    // once the session listens.
    QTimer::singleShot(0, this, &NetworkLine::TakeIncoming);
    return true;
}

bool NetworkLine::WaitForBytes(int ms) {
    return m_socket->bytesAvailable() > 0 || m_socket->waitForReadyRead(ms);
}

void NetworkLine::NegotiateFarPort() {
    m_socket->write(m_options.Opening());
    m_socket->flush();
    // The server first agrees to the COM port option; nothing is set on the far port before.
    QDeadlineTimer agreed(SettingsTimeoutMs);
    while (!m_options.ComPortAccepted() && !m_options.ComPortRefused() && !agreed.hasExpired() &&
           m_socket->state() == QAbstractSocket::ConnectedState) {
        if (WaitForBytes(int(agreed.remainingTime()))) {
            std::vector<TelnetEvent> events;
            m_heldBack += m_decoder.Feed(m_socket->readAll(), events);
            HandleEvents(events);
        }
    }
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
    m_socket->write(requests);
    m_socket->flush();
    QDeadlineTimer confirmed(SettingsTimeoutMs);
    const auto allAnswered = [this] {
        for (const PendingSetting& setting : m_settings)
            if (!setting.confirmed && setting.answered.isEmpty()) return false;
        return true;
    };
    while (!allAnswered() && !confirmed.hasExpired() &&
           m_socket->state() == QAbstractSocket::ConnectedState) {
        if (WaitForBytes(int(confirmed.remainingTime()))) {
            std::vector<TelnetEvent> events;
            m_heldBack += m_decoder.Feed(m_socket->readAll(), events);
            HandleEvents(events);
        }
    }
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
            if (!answer.isEmpty()) m_socket->write(answer);
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
    if (!m_open || !m_socket) return;
    QByteArray characters = std::exchange(m_heldBack, {});
    const QByteArray bytes = m_socket->readAll();
    if (m_address.kind == line::PortKind::Rfc2217) {
        std::vector<TelnetEvent> events;
        characters += m_decoder.Feed(bytes, events);
        HandleEvents(events);
    } else {
        characters += bytes;
    }
    if (!characters.isEmpty()) emit Received(characters);
}

bool NetworkLine::Write(const QByteArray& characters) {
    if (!m_open)
        return Fail(line::LineError::Kind::WriteFailed,
                    QCoreApplication::translate("NetworkLine", "the connection is not open"));
    const QByteArray bytes = m_address.kind == line::PortKind::Rfc2217 ? EscapeData(characters) : characters;
    if (m_socket->write(bytes) != bytes.size())
        return Fail(line::LineError::Kind::WriteFailed, m_socket->errorString());
    // Handed to the system now, not on the next turn of the event loop.
    m_socket->flush();
    return true;
}

void NetworkLine::AnswerTimedOut() {
    if (!m_open || m_address.kind != line::PortKind::Rfc2217 || !m_options.ComPortAccepted()) return;
    // Both of the server's buffers emptied; its confirmation is not waited for (some servers never send it).
    qCDebug(lcNetwork) << "purging the server's buffers";
    m_socket->write(PurgeData(3));
    m_socket->flush();
}

void NetworkLine::LineDropped() {
    if (!m_open || m_dropReported) return;
    m_dropReported = true;
    qCDebug(lcNetwork).noquote() << "connection to" << m_address.Endpoint()
                                 << "dropped:" << m_socket->errorString();
    emit HungUp();
}

void NetworkLine::Close() {
    if (!m_socket) return;
    m_socket->disconnect(this);
    if (m_open) qCDebug(lcNetwork).noquote() << "closing the connection to" << m_address.Endpoint();
    m_open = false;
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

} // namespace zeph::network
