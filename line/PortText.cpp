// SPDX-License-Identifier: MIT
#include "line/PortText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <arpa/inet.h>

namespace zeph::line {

namespace {

std::optional<PortAddress> Refuse(QString* error, const QString& why) {
    if (error) *error = why;
    return std::nullopt;
}

// A host name as DNS allows it: labels of letters, digits and hyphens, joined by dots.
bool IsHostName(const QString& host) {
    static const QRegularExpression name(
        QStringLiteral("^(?=.{1,253}$)[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
                       "(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\\.?$"));
    return name.match(host).hasMatch();
}

bool IsAddress(int family, const QString& text) {
    unsigned char bytes[16];
    return ::inet_pton(family, text.toLatin1().constData(), bytes) == 1;
}

// Digits and dots alone are meant as an IPv4 address, and must be one.
bool LooksNumeric(const QString& host) {
    static const QRegularExpression numeric(QStringLiteral("^[0-9.]+$"));
    return numeric.match(host).hasMatch();
}

} // namespace

QString PortAddress::Endpoint() const {
    const QString shownHost =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shownHost + QLatin1Char(':') + QString::number(port);
}

bool LooksLikeNetworkPort(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(text.trimmed()).hasMatch();
}

std::optional<PortAddress> ParsePortText(const QString& given, QString* error) {
    const QString text = given.trimmed();
    if (text.isEmpty()) return Refuse(error, QCoreApplication::translate("PortText", "No port given."));
    if (!LooksLikeNetworkPort(text)) {
        PortAddress serial;
        serial.path = given;
        return serial;
    }
    PortAddress address;
    const qsizetype schemeEnd = text.indexOf(QStringLiteral("://"));
    const QString scheme = text.left(schemeEnd).toLower();
    if (scheme == QLatin1String("tcp"))
        address.kind = PortKind::RawTcp;
    else if (scheme == QLatin1String("rfc2217"))
        address.kind = PortKind::Rfc2217;
    else
        return Refuse(error, QCoreApplication::translate(
                                 "PortText",
                                 "%1: unknown kind of port \"%2://\"; a network port is tcp://HOST:PORT or "
                                 "rfc2217://HOST:PORT.")
                                 .arg(text, scheme));

    QString rest = text.mid(schemeEnd + 3);
    QString query;
    if (const qsizetype mark = rest.indexOf(QLatin1Char('?')); mark >= 0) {
        query = rest.mid(mark + 1);
        rest = rest.left(mark);
    }
    if (rest.endsWith(QLatin1Char('/'))) rest.chop(1);
    if (rest.contains(QLatin1Char('/')) || rest.contains(QLatin1Char('@')))
        return Refuse(error,
                      QCoreApplication::translate(
                          "PortText", "%1: a network port is only HOST:PORT, without a path or a user.")
                          .arg(text));

    // The host: "[IPv6]", or everything before the last colon.
    QString portPart;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            return Refuse(
                error, QCoreApplication::translate("PortText", "%1: the IPv6 address has no closing \"]\".")
                           .arg(text));
        address.host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.startsWith(QLatin1Char(':')))
            return Refuse(error, QCoreApplication::translate(
                                     "PortText", "%1: no port number after the host; write %2://HOST:PORT.")
                                     .arg(text, scheme));
        portPart = after.mid(1);
        if (!IsAddress(AF_INET6, address.host))
            return Refuse(error, QCoreApplication::translate("PortText", "%1: \"%2\" is not an IPv6 address.")
                                     .arg(text, address.host));
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0)
            return Refuse(error, QCoreApplication::translate(
                                     "PortText", "%1: no port number after the host; write %2://HOST:PORT.")
                                     .arg(text, scheme));
        address.host = rest.left(colon);
        portPart = rest.mid(colon + 1);
        if (address.host.contains(QLatin1Char(':')))
            return Refuse(error,
                          QCoreApplication::translate(
                              "PortText", "%1: an IPv6 address stands in brackets, as in %2://[::1]:4001.")
                              .arg(text, scheme));
        if (address.host.isEmpty())
            return Refuse(
                error,
                QCoreApplication::translate("PortText", "%1: no host before the port number.").arg(text));
        if (LooksNumeric(address.host) ? !IsAddress(AF_INET, address.host) : !IsHostName(address.host))
            return Refuse(error, QCoreApplication::translate(
                                     "PortText", "%1: \"%2\" is not a host name or an IPv4 address.")
                                     .arg(text, address.host));
    }
    bool numeric = false;
    const uint port = portPart.toUInt(&numeric);
    if (portPart.isEmpty() || !numeric || portPart.startsWith(QLatin1Char('+')))
        return Refuse(
            error,
            QCoreApplication::translate("PortText", "%1: \"%2\" is not a port number.").arg(text, portPart));
    if (port < 1 || port > 65535)
        return Refuse(error, QCoreApplication::translate("PortText",
                                                         "%1: the port number %2 is not between 1 and 65535.")
                                 .arg(text)
                                 .arg(port));
    address.port = quint16(port);

    if (!query.isEmpty()) {
        for (const QString& item : query.split(QLatin1Char('&'))) {
            const qsizetype equals = item.indexOf(QLatin1Char('='));
            const QString key = item.left(equals);
            const QString value = equals < 0 ? QString() : item.mid(equals + 1);
            if (key != QLatin1String("allowance_ms"))
                return Refuse(error,
                              QCoreApplication::translate(
                                  "PortText", "%1: unknown option \"%2\"; the one option is allowance_ms=N.")
                                  .arg(text, key));
            bool whole = false;
            const int ms = value.toInt(&whole);
            if (!whole || ms < 0 || ms > MaxAllowanceMs || value.startsWith(QLatin1Char('+')))
                return Refuse(
                    error,
                    QCoreApplication::translate(
                        "PortText", "%1: allowance_ms must be a whole number of milliseconds from 0 to %2.")
                        .arg(text)
                        .arg(MaxAllowanceMs));
            address.allowanceMs = ms;
        }
    }
    return address;
}

QString PortTextOf(const PortAddress& address) {
    if (!address.IsNetwork()) return address.path;
    QString text =
        (address.kind == PortKind::RawTcp ? QStringLiteral("tcp://") : QStringLiteral("rfc2217://")) +
        address.Endpoint();
    if (address.allowanceMs) text += QStringLiteral("?allowance_ms=%1").arg(*address.allowanceMs);
    return text;
}

QString PortIdentity(const QString& portText) {
    if (const auto address = ParsePortText(portText); address && address->IsNetwork())
        return QStringLiteral("net:") + address->host.toLower() + u':' + QString::number(address->port);
    const QFileInfo file(portText);
    const QString resolved = file.canonicalFilePath();
    return QStringLiteral("path:") + (resolved.isEmpty() ? file.absoluteFilePath() : resolved);
}

} // namespace zeph::line
