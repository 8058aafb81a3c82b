// SPDX-License-Identifier: MIT
// The configurator's end of the simulated line, for tests: raw POSIX I/O on the pseudo-terminal slave, or
// on a TCP connection to a device serving there.
#pragma once

#include "link/FrameCodec.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <vector>

namespace zeph::sim::test {

class LineClient {
public:
    struct Arrival {
        qint64 atMs;
        int characters;
    };

    explicit LineClient(const QString& path) {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd >= 0) {
            termios tio{};
            tcgetattr(m_fd, &tio);
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
            tcflush(m_fd, TCIOFLUSH);
        }
    }
    // Connects to a device serving on TCP at host:port.
    LineClient(const char* host, std::uint16_t port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        m_isSocket = true;
        if (inet_pton(AF_INET, host, &address.sin_addr) != 1 ||
            ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~LineClient() {
        if (m_fd >= 0) ::close(m_fd);
    }
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    // Sets the line as a serial server would set the port it opened.
    bool SetLine(speed_t speed, bool twoStopBits) {
        termios tio{};
        if (tcgetattr(m_fd, &tio) != 0) return false;
        cfsetspeed(&tio, speed);
        tio.c_cflag = twoStopBits ? tio.c_cflag | CSTOPB : tio.c_cflag & ~tcflag_t(CSTOPB);
        return tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }

    void SendRequest(int address, bool variantFlag, const link::Bytes& payload) {
        SendCharacters(link::EncodeFrame(link::BuildRequestFrame(address, variantFlag, payload)));
    }
    void SendCharacters(const QByteArray& characters) {
        // A socket whose device has hung up must fail the test, not kill it with SIGPIPE.
        [[maybe_unused]] const auto written =
            m_isSocket ? ::send(m_fd, characters.constData(), std::size_t(characters.size()), MSG_NOSIGNAL)
                       : ::write(m_fd, characters.constData(), std::size_t(characters.size()));
        m_sentAt.start();
    }

    // Collects characters until none has come for quietMs (or limitMs after the send has passed).
    QByteArray Collect(int quietMs = 250, int limitMs = 5000) {
        QByteArray got;
        m_arrivals.clear();
        QElapsedTimer total;
        total.start();
        while (total.elapsed() < limitMs) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0 || (p.revents & (POLLHUP | POLLERR))) break;
            char buffer[1024];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, n);
            m_arrivals.push_back({m_sentAt.elapsed(), int(n)});
        }
        return got;
    }

    // Whether the other end has hung up, within timeoutMs; a TCP peer that closed shows as POLLRDHUP.
    bool SeesHangUp(int timeoutMs) {
        pollfd p{m_fd, POLLIN | POLLRDHUP, 0};
        return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & (POLLHUP | POLLRDHUP));
    }

    const std::vector<Arrival>& Arrivals() const { return m_arrivals; }

    static link::Bytes Decode(const QByteArray& characters) {
        link::Bytes bytes;
        link::FrameDecoder decoder;
        decoder.Decode(characters, bytes);
        return bytes;
    }

private:
    int m_fd = -1;
    bool m_isSocket = false;
    QElapsedTimer m_sentAt;
    std::vector<Arrival> m_arrivals;
};

} // namespace zeph::sim::test
