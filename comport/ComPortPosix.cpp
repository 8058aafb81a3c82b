// SPDX-License-Identifier: MIT
// POSIX system calls for one serial port: exclusive open, line settings, modem lines, error texts.
#include "comport/PortIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zeph::comport {

namespace {

struct BaudSpeed {
    int baud;
    speed_t speed;
};

constexpr BaudSpeed standardSpeeds[] = {
    {50, B50},          {75, B75},         {110, B110},         {134, B134},         {150, B150},
    {200, B200},        {300, B300},       {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},      {4800, B4800},     {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},    {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},  {921600, B921600}, {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}};

tcflag_t CharacterSize(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

} // namespace

int OpenPortExclusive(const QString& path, bool markExclusive, int* error) {
    const QByteArray name = path.toLocal8Bit();
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    // Only a terminal is a port: frames written into a regular file named by mistake would damage it.
    if (!::isatty(fd)) {
        ::close(fd);
        *error = ENOTTY;
        return -1;
    }
    // TIOCEXCL alone does not stop root; the flock stops everybody, this process's other openers too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        *error = EBUSY;
        return -1;
    }
    if (markExclusive) ::ioctl(fd, TIOCEXCL);
    *error = 0;
    return fd;
}

void ClosePort(int fd) {
    if (fd < 0) return;
    ::tcflush(fd, TCIOFLUSH);
    // The exclusive flag outlives this descriptor while anyone else (a simulator) keeps the tty open.
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

void ApplyLineSettings(int fd, int baud, int dataBits, TParity parity, TStopBit stopBits) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return;
    ::cfmakeraw(&settings);

    for (const BaudSpeed& entry : standardSpeeds) {
        if (entry.baud == baud) {
            ::cfsetispeed(&settings, entry.speed);
            ::cfsetospeed(&settings, entry.speed);
            break;
        }
    }

    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    settings.c_cflag |= CharacterSize(dataBits) | CLOCAL | CREAD;
    switch (parity) {
    case ptNONE:
        break;
    case ptODD:
        settings.c_cflag |= PARENB | PARODD;
        break;
    case ptEVEN:
        settings.c_cflag |= PARENB;
        break;
    case ptMARK:
        settings.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case ptSPACE:
        settings.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // There is no 1.5 here. A UART asked for two stop bits with 5 data bits sends 1.5, and with longer
    // characters a receiver that expects 1.5 accepts 2, so two is the nearest setting that always works.
    if (stopBits != sbONE) settings.c_cflag |= CSTOPB;

    // Parity errors are not checked and received characters are not marked; no software flow control.
    settings.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    settings.c_iflag |= IGNBRK;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &settings);
}

void SetModemLines(int fd, int lineBits, bool on) {
    if (fd < 0) return;
    // A pseudo-terminal answers ENOTTY: it has no modem lines, which is not an error.
    ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lineBits);
}

ModemSample SampleModem(int fd) {
    ModemSample sample;
    int lines = 0;
    if (fd < 0 || ::ioctl(fd, TIOCMGET, &lines) != 0) return sample;
    sample.valid = true;
    if (lines & TIOCM_CTS) sample.status |= MsCtsOn;
    if (lines & TIOCM_DSR) sample.status |= MsDsrOn;
    if (lines & TIOCM_RI) sample.status |= MsRingOn;
    if (lines & TIOCM_CD) sample.status |= MsRlsdOn;

    serial_icounter_struct counts{};
    if (::ioctl(fd, TIOCGICOUNT, &counts) == 0) {
        sample.haveCounts = true;
        sample.cts = counts.cts;
        sample.dsr = counts.dsr;
        sample.ring = counts.rng;
        sample.rlsd = counts.dcd;
        sample.lineErrors = counts.frame + counts.overrun + counts.parity + counts.buf_overrun;
    }
    return sample;
}

quint32 ModemEvents(const ModemSample& before, const ModemSample& after) {
    if (!before.valid || !after.valid) return 0;
    const quint32 changed = before.status ^ after.status;
    const bool counted = before.haveCounts && after.haveCounts;
    quint32 events = 0;
    if ((changed & MsCtsOn) || (counted && before.cts != after.cts)) events |= EvCts;
    if ((changed & MsDsrOn) || (counted && before.dsr != after.dsr)) events |= EvDsr;
    if ((changed & MsRlsdOn) || (counted && before.rlsd != after.rlsd)) events |= EvRlsd;
    if ((changed & MsRingOn) || (counted && before.ring != after.ring)) events |= EvRing;
    if (counted && before.lineErrors != after.lineErrors) events |= EvErr;
    return events;
}

QString SystemErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace zeph::comport
