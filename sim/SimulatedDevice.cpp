// SPDX-License-Identifier: MIT
// The simulated device's pseudo-terminal transport and its service thread.
#include "sim/SimulatedDevice.h"

#include "sim/SimLogging.h"
#include "sim/TcpTransport.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace zeph::sim {

namespace {
constexpr std::int64_t NsPerMs = 1000000;

std::int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

QString SystemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

bool MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// The setting of the device's own serial port; on a pseudo-terminal, which forces CS8 and no parity, the
// speed and the stop bits are what can differ.
bool IsDeviceLine(const termios& tio) {
    return cfgetospeed(&tio) == B19200 && (tio.c_cflag & CSIZE) == CS8 && !(tio.c_cflag & (PARENB | CSTOPB));
}

// "9600 8N1", "19200 8N2": a line's setting as a serial port's is written.
QString DescribeLine(const termios& tio) {
    static constexpr std::pair<speed_t, int> Speeds[] = {
        {B0, 0},           {B300, 300},       {B600, 600},       {B1200, 1200},    {B2400, 2400},
        {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},  {B57600, 57600},
        {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    QString speed = QStringLiteral("unusual speed");
    for (const auto& [code, baud] : Speeds) {
        if (cfgetospeed(&tio) == code) speed = QString::number(baud);
    }
    const tcflag_t size = tio.c_cflag & CSIZE;
    const int dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    const char parity = !(tio.c_cflag & PARENB) ? 'N' : (tio.c_cflag & PARODD) ? 'O' : 'E';
    return QStringLiteral("%1 %2%3%4")
        .arg(speed)
        .arg(dataBits)
        .arg(QLatin1Char(parity))
        .arg(tio.c_cflag & CSTOPB ? 2 : 1);
}
} // namespace

SimulatedDevice::SimulatedDevice(LineOptions options, DeviceModel::Clock clock)
    : m_model(std::move(clock))
    , m_options(options)
    , m_random(std::random_device{}()) {}

SimulatedDevice::~SimulatedDevice() {
    Stop();
}

bool SimulatedDevice::Start(QString* error) {
    if (IsRunning()) {
        if (!m_hungUp) return true;
        // The serving thread ended with the hang-up; a new start opens a new line.
        Stop();
    }
    const auto fail = [&](const char* what) {
        if (error) *error = SystemError(what);
        CloseAll();
        return false;
    };
    m_masterFd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_masterFd < 0) return fail("posix_openpt");
    if (grantpt(m_masterFd) != 0 || unlockpt(m_masterFd) != 0) return fail("unlockpt");
    char name[128] = {};
    if (ptsname_r(m_masterFd, name, sizeof name) != 0) return fail("ptsname_r");
    // Holding the slave open ourselves keeps the master free of hang-ups between the configurator's opens.
    m_slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveFd < 0) return fail("open pseudo-terminal slave");
    if (!MakeRaw(m_slaveFd) || !MakeRaw(m_masterFd)) return fail("tcsetattr");
    if (fcntl(m_masterFd, F_SETFL, fcntl(m_masterFd, F_GETFL) | O_NONBLOCK) != 0) return fail("fcntl");
    m_portPath = QString::fromLocal8Bit(name);
    return StartServing(error);
}

bool SimulatedDevice::StartOnTcp(const QString& host, std::uint16_t port, QString* error) {
    if (IsRunning()) {
        if (!m_hungUp) return true;
        Stop();
    }
    m_tcp = std::make_unique<TcpTransport>();
    if (!m_tcp->Listen(host, port, error)) {
        CloseAll();
        return false;
    }
    m_portPath.clear();
    return StartServing(error);
}

QString SimulatedDevice::TcpAddress() const {
    return m_tcp ? m_tcp->Address() : QString();
}

bool SimulatedDevice::StartServing(QString* error) {
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        if (error) *error = SystemError("eventfd");
        CloseAll();
        return false;
    }
    m_heardLineSetting.clear();
    m_stopping = false;
    m_hungUp = false;
    m_hangUpRequested = false;
    {
        std::lock_guard lock(m_mutex);
        m_decoder = RequestDecoder();
    }
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void SimulatedDevice::Stop() {
    if (m_thread.joinable()) {
        m_stopping = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
        m_thread.join();
    }
    CloseAll();
}

void SimulatedDevice::HangUpNow() {
    m_hangUpRequested = true;
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
    } else if (m_masterFd >= 0) {
        CloseMaster();
    }
}

void SimulatedDevice::CloseMaster() {
    CloseFd(m_masterFd);
    CloseFd(m_slaveFd);
    m_hungUp = true;
}

void SimulatedDevice::HangUpLine() {
    if (!m_tcp) {
        CloseMaster();
        return;
    }
    m_tcp->DropClient();
    m_hungUp = true;
    // The next client is served in full.
    m_hangUpRequested = false;
}

void SimulatedDevice::CloseAll() {
    CloseFd(m_masterFd);
    CloseFd(m_slaveFd);
    CloseFd(m_wakeFd);
    m_tcp.reset();
}

int SimulatedDevice::LineFd() const {
    return m_tcp ? m_tcp->ClientFd() : m_masterFd;
}

void SimulatedDevice::SetLineOptions(const LineOptions& options) {
    std::lock_guard lock(m_mutex);
    m_options = options;
}

LineOptions SimulatedDevice::Options() const {
    std::lock_guard lock(m_mutex);
    return m_options;
}

void SimulatedDevice::InjectFault(const LineFault& fault) {
    std::lock_guard lock(m_mutex);
    m_faults.push_back(fault);
}

void SimulatedDevice::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

void SimulatedDevice::SetRandomSeed(std::uint32_t seed) {
    std::lock_guard lock(m_mutex);
    m_random.seed(seed);
}

std::array<int, FaultKindCount> SimulatedDevice::SpoiledAnswers() const {
    std::lock_guard lock(m_mutex);
    return m_spoiled;
}

int SimulatedDevice::RequestCount() const {
    std::lock_guard lock(m_mutex);
    return m_requestCount;
}

std::vector<ReceivedRequest> SimulatedDevice::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<Bytes> SimulatedDevice::AnsweredPayloads() const {
    std::lock_guard lock(m_mutex);
    std::vector<Bytes> payloads;
    for (const ReceivedRequest& r : m_requests) {
        if (r.header == AnsweredHeader) payloads.push_back(r.payload);
    }
    return payloads;
}

int SimulatedDevice::RejectedFrameCount() const {
    std::lock_guard lock(m_mutex);
    return m_decoder.RejectedFrames();
}

std::vector<std::int64_t> SimulatedDevice::TurnaroundsUs() const {
    std::lock_guard lock(m_mutex);
    return m_turnaroundsUs;
}

void SimulatedDevice::ClearRequestLog() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
    m_turnaroundsUs.clear();
    m_requestCount = 0;
}

void SimulatedDevice::Serve() {
    char buffer[4096];
    while (true) {
        // A negative descriptor is left out by poll: no TCP client yet, or no listener on a pseudo-terminal.
        const int lineFd = LineFd();
        pollfd fds[3] = {
            {m_wakeFd, POLLIN, 0}, {lineFd, POLLIN, 0}, {m_tcp ? m_tcp->ListeningFd() : -1, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t value = 0;
            [[maybe_unused]] const auto got = ::read(m_wakeFd, &value, sizeof value);
            if (m_stopping) return;
            if (m_hangUpRequested) {
                HangUpLine();
                if (!m_tcp) return;
                continue;
            }
        }
        if ((fds[2].revents & POLLIN) && m_tcp->AcceptWaiting()) m_hungUp = false;
        if (fds[1].revents & POLLIN) {
            const ssize_t got = ::read(lineFd, buffer, sizeof buffer);
            const std::int64_t arrivedNs = MonotonicNs();
            if (got > 0) {
                if (!HearsLine()) continue;
                std::vector<ReceivedRequest> requests;
                {
                    std::lock_guard lock(m_mutex);
                    requests = m_decoder.Feed(QByteArray(buffer, got));
                }
                for (const ReceivedRequest& request : requests) {
                    HandleRequest(request, arrivedNs);
                    if (m_stopping) return;
                    if (LineFd() < 0) break; // hung up
                }
                if (LineFd() < 0 && !m_tcp) return;
                continue;
            }
            if (m_tcp && (got == 0 || (errno != EAGAIN && errno != EINTR))) {
                m_tcp->DropClient(); // the client left
                continue;
            }
        }
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            if (m_tcp) {
                m_tcp->DropClient();
                continue;
            }
            // Not expected while our own slave is open; never spin on it, but stay stoppable.
            pollfd wake{m_wakeFd, POLLIN, 0};
            ::poll(&wake, 1, 50);
        }
    }
}

bool SimulatedDevice::HearsLine() {
    if (m_tcp || !Options().strictLine) return true;
    termios tio{};
    // On Linux the master reports the slave's settings: those a serial server put on the port it opened.
    if (tcgetattr(m_masterFd, &tio) != 0) return true;
    const bool hears = IsDeviceLine(tio);
    const QString setting = DescribeLine(tio);
    if (setting != m_heardLineSetting) {
        qCDebug(lcSim).noquote() << QStringLiteral("line set to %1: %2")
                                        .arg(setting, hears ? QStringLiteral("answering")
                                                            : QStringLiteral("not answering"));
        m_heardLineSetting = setting;
    }
    return hears;
}

void SimulatedDevice::HandleRequest(const ReceivedRequest& request, std::int64_t arrivedNs) {
    std::optional<Bytes> answer;
    std::vector<LineFault> faults;
    LineOptions options;
    {
        std::lock_guard lock(m_mutex);
        // A device left running for hours (demo mode, the program) keeps only the latest requests.
        ++m_requestCount;
        if (m_requests.size() >= RequestLogLimit) m_requests.erase(m_requests.begin());
        m_requests.push_back(request);
        if (m_answerEndNs >= 0) {
            if (m_turnaroundsUs.size() >= RequestLogLimit) m_turnaroundsUs.erase(m_turnaroundsUs.begin());
            m_turnaroundsUs.push_back((arrivedNs - m_answerEndNs) / 1000);
        }
        const QByteArray payload(reinterpret_cast<const char*>(request.payload.data()),
                                 qsizetype(request.payload.size()));
        qCDebug(lcSim).noquote() << "request, header" << QString::number(request.header, 16).toUpper()
                                 << "payload" << QString::fromLatin1(payload.toHex(' ').toUpper());
        // Requests to other addresses, or with the variant flag, belong to some other peripheral.
        if (request.header != AnsweredHeader) return;
        answer = m_model.Answer(request.payload);
        if (!answer) return;
        faults = TakeFaultsForAnswer(m_faults, m_random);
        for (const LineFault& f : faults)
            ++m_spoiled[std::size_t(f.kind)];
        options = m_options;
    }
    std::int64_t delayMs = options.answerDelayMs; // a long delay plus a late answer must not overflow
    for (const LineFault& f : faults) {
        if (f.kind == FaultKind::HangUp) {
            qCDebug(lcSim) << "hanging up instead of answering";
            HangUpLine();
            return;
        }
        if (f.kind == FaultKind::Late) delayMs += f.argument >= 0 ? f.argument : 1500;
    }
    const std::optional<QByteArray> characters = ShapeAnswer(DeviceAddress, *answer, faults);
    qCDebug(lcSim).noquote() << (characters ? "answer" : "no answer") << "with" << faults.size() << "faults"
                             << (characters ? QString::fromLatin1(characters->toHex(' ').toUpper())
                                            : QString());
    if (characters) SendCharacters(*characters, delayMs, options);
}

bool SimulatedDevice::SleepUntil(std::int64_t deadlineNs) {
    while (true) {
        if (m_stopping || m_hangUpRequested) return false;
        const std::int64_t remaining = deadlineNs - MonotonicNs();
        if (remaining <= 0) return true;
        if (remaining > 3 * NsPerMs) {
            // Long waits listen for Stop; the last stretch is slept exactly.
            pollfd wake{m_wakeFd, POLLIN, 0};
            if (::poll(&wake, 1, int((remaining - 2 * NsPerMs) / NsPerMs)) > 0) return false;
            continue;
        }
        const timespec deadline{time_t(deadlineNs / 1000000000), long(deadlineNs % 1000000000)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
    }
}

bool SimulatedDevice::WriteAll(const char* data, qsizetype size) {
    const int lineFd = LineFd();
    while (size > 0) {
        const ssize_t written =
            m_tcp ? m_tcp->Write(data, std::size_t(size)) : ::write(lineFd, data, std::size_t(size));
        if (written > 0) {
            data += written;
            size -= written;
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) return false;
        // Nobody reads the line: wait a little for room, but do not hold Stop up.
        pollfd fds[2] = {{lineFd, POLLOUT, 0}, {m_wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, 100) <= 0 || (fds[1].revents & POLLIN)) return false;
    }
    return true;
}

void SimulatedDevice::SendCharacters(const QByteArray& characters, std::int64_t delayMs,
                                     const LineOptions& options) {
    const std::int64_t start = MonotonicNs() + std::max<std::int64_t>(delayMs, 0) * NsPerMs;
    if (!SleepUntil(start)) return;
    const std::int64_t characterNs =
        options.pacing && options.baud > 0 ? 10 * 1000000000LL / options.baud : 0;
    const qsizetype size = characters.size();
    const qsizetype slice = options.pacePerCharacter
                                ? 1
                                : std::max<qsizetype>(1, qsizetype(PaceSliceMs * NsPerMs /
                                                                   std::max<std::int64_t>(characterNs, 1)));
    const qsizetype unit =
        options.chunkSize > 0 ? options.chunkSize : (characterNs > 0 ? slice : std::max<qsizetype>(size, 1));
    const std::int64_t gapNs = std::int64_t(std::max(options.chunkGapMs, 0)) * NsPerMs;
    int chunk = 0;
    for (qsizetype at = 0; at < size; at += unit, ++chunk) {
        const qsizetype length = std::min(unit, size - at);
        // Each chunk leaves when its last character would have been shifted out: absolute deadlines keep
        // the whole answer at the line's speed however long each write takes.
        const std::int64_t deadline = start + std::int64_t(at + length) * characterNs + chunk * gapNs;
        if (!SleepUntil(deadline) || !WriteAll(characters.constData() + at, length)) return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_answerEndNs = MonotonicNs();
    }
    ++m_answersSent;
}

} // namespace zeph::sim
