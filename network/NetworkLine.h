// SPDX-License-Identifier: MIT
// The line to a device behind a serial server on the network: raw TCP (the characters as they come), or
// Telnet with the far port's settings (RFC 2217).
#pragma once

#include "line/Line.h"
#include "line/PortText.h"
#include "network/ComPortOption.h"
#include "network/TcpSocket.h"
#include "network/TelnetCodec.h"

#include <QByteArray>

#include <vector>

class QSocketNotifier;

namespace zeph::network {

class NetworkLine : public line::Line {
    Q_OBJECT
public:
    // What the network adds to an answer's time-out unless the port text says otherwise: enough for a
    // link of 150 ms each way and a server's packing timer.
    static constexpr int DefaultAllowanceMs = 400;
    // How long a connection may take to be made.
    static constexpr int DefaultConnectTimeoutMs = 5000;
    // How long the server has to agree to the far port's settings and to confirm each of them.
    static constexpr int SettingsTimeoutMs = 2000;

    explicit NetworkLine(const line::PortAddress& address, QObject* parent = nullptr);
    ~NetworkLine() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const QByteArray& characters) override;
    QString Name() const override;
    QString Settings() const override;
    int CharacterTimeNs() const override;
    int AllowanceMs() const override;
    void AnswerTimedOut() override;

    // A seam for tests: the connect time-out for lines opened from now on.
    static void SetConnectTimeoutMs(int ms);

private:
    void TakeIncoming();
    // Telnet: agrees to the options and sets the far port to 19200 8N1, waiting at most SettingsTimeoutMs
    // for each answer; what the server did not take is said once in a notice.
    void NegotiateFarPort();
    // Takes what the server sends within ms into the negotiation, holding device characters back.
    void ReadWhileNegotiating(int ms);
    void HandleEvents(const std::vector<TelnetEvent>& events);
    void LineDropped();

    line::PortAddress m_address;
    TcpSocket m_socket;
    QSocketNotifier* m_readable = nullptr;
    QSocketNotifier* m_writable = nullptr;
    TelnetDecoder m_decoder;
    TelnetOptions m_options;
    // The settings sent and not yet confirmed, in the client's numbering, with what was asked.
    struct PendingSetting {
        ComPortCommand command;
        QByteArray value;
        QString name;
        QByteArray answered; // what the server set instead; empty while unanswered
        bool confirmed = false;
    };
    static QString ValueText(const PendingSetting& setting);
    std::vector<PendingSetting> m_settings;
    QByteArray m_heldBack; // device characters that came while the far port was being set
    bool m_open = false;
    bool m_dropReported = false;
};

} // namespace zeph::network
