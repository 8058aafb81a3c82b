// SPDX-License-Identifier: MIT
// Choosing the kind of line from the port text.
#include "session/LineFactory.h"

#include "line/PortText.h"
#include "line/SerialLine.h"
#include "network/NetworkLine.h"

namespace zeph::session {

namespace {

// A port text that names nothing: its open says why.
class UnusableLine : public line::Line {
public:
    UnusableLine(QString text, QString reason)
        : m_text(std::move(text))
        , m_reason(std::move(reason)) {}
    bool Open() override { return Fail(line::LineError::Kind::CannotOpen, m_reason); }
    void Close() override {}
    bool IsOpen() const override { return false; }
    bool Write(const QByteArray&) override { return Fail(line::LineError::Kind::WriteFailed, m_reason); }
    QString Name() const override { return m_text; }
    QString Settings() const override { return QStringLiteral("19200 8N1"); }
    int CharacterTimeNs() const override { return 520833; }

private:
    QString m_text;
    QString m_reason;
};

} // namespace

std::unique_ptr<line::Line> CreateLine(const QString& portText, const LineOptions& options) {
    if (!line::LooksLikeNetworkPort(portText))
        return std::make_unique<line::SerialLine>(portText, options.checkHoldersBeforeOpen);
    QString error;
    const std::optional<line::PortAddress> address = line::ParsePortText(portText, &error);
    if (!address) return std::make_unique<UnusableLine>(portText, error);
    return std::make_unique<network::NetworkLine>(*address);
}

} // namespace zeph::session
