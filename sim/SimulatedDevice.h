// SPDX-License-Identifier: MIT
// The simulated device on a pseudo-terminal: the configurator opens PortPath() as its serial port, and a
// service thread answers its requests from a DeviceModel, paced like a real line and spoiled on request.
// The same device can serve on TCP instead, as a device behind a network serial server would.
#pragma once

#include "sim/DeviceModel.h"
#include "sim/LineFault.h"
#include "sim/RequestDecoder.h"

#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zeph::sim {

struct LineOptions {
    bool pacing = true; // characters leave at the baud rate (10 bits each) instead of all at once
    int baud = 19200;
    int answerDelayMs = 0; // between the end of a request and the first answer character
    // Characters per write; 0: when paced, the characters of PaceSliceMs at a time (or one at a time with
    // pacePerCharacter), else the whole answer.
    int chunkSize = 0;
    int chunkGapMs = 0; // pause between two chunks
    bool pacePerCharacter = false;
    // Answers only while the pseudo-terminal is set to 19200 baud 8N1 (whatever baud paces the answers):
    // a real device on a line set otherwise hears only garbage. What arrives meanwhile is dropped unheard.
    // TCP has no such setting and ignores it.
    bool strictLine = false;
};

// A paced answer leaves in slices of this many milliseconds of the line, each written when its last
// character would have been shifted out: the line's speed on average, for a few wake-ups an answer.
constexpr int PaceSliceMs = 8;

class TcpTransport;

class SimulatedDevice {
public:
    static constexpr int DeviceAddress = 15;
    static constexpr std::uint8_t AnsweredHeader = 0x1F; // address 15, no variant flag
    static constexpr std::size_t RequestLogLimit = 1000;

    explicit SimulatedDevice(LineOptions options = {}, DeviceModel::Clock clock = {});
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    // Opens the pseudo-terminal and starts serving; false with a reason when the system refuses.
    bool Start(QString* error);
    // Serves on TCP instead of a pseudo-terminal: listens on host:port (port 0: a free one the system
    // picks) and serves one client at a time, turning a second away while the first is connected.
    // Requests come as the line's characters, answers leave as on the line (paced, delayed, spoiled).
    bool StartOnTcp(const QString& host, std::uint16_t port, QString* error);
    // Quick whatever the thread is doing (pacing, a late answer); safe to call twice.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

    // The slave side's path, valid after Start.
    QString PortPath() const { return m_portPath; }
    // Where the device listens after StartOnTcp, "127.0.0.1:40123"; empty on a pseudo-terminal.
    QString TcpAddress() const;

    void SetLineOptions(const LineOptions& options);
    LineOptions Options() const;

    void InjectFault(const LineFault& fault);
    void ClearFaults();
    // Seeds the draws of the faults that strike at a rate, so that a run can be repeated.
    void SetRandomSeed(std::uint32_t seed);
    // Answers that each kind of fault has spoiled (an answer spoiled by two kinds counts for both).
    std::array<int, FaultKindCount> SpoiledAnswers() const;
    // Closes the device's end at once; the configurator's side sees a hang-up. On TCP only the client's
    // connection closes, and the device waits for the next client, as a serial server would.
    void HangUpNow();
    // On TCP, until the next client connects.
    bool HasHungUp() const { return m_hungUp; }

    // Well-formed frames received (both CRCs good), whatever their address; the log keeps the latest
    // RequestLogLimit of them.
    int RequestCount() const;
    std::vector<ReceivedRequest> Requests() const;
    // Payloads of the requests to address 15 in order, e.g. to check "codes 7, 1, 4".
    std::vector<Bytes> AnsweredPayloads() const;
    int RejectedFrameCount() const;
    // For each request that came after an answer, the time from the answer's last character to the
    // request, in microseconds: how long the configurator let the device rest. The latest RequestLogLimit.
    std::vector<std::int64_t> TurnaroundsUs() const;
    // Answers whose last character has been written.
    int AnswersSent() const { return m_answersSent; }
    void ClearRequestLog();

    // Runs f on the model under the device's lock, e.g. WithModel([](DeviceModel& m) { m.SetDataSource(1);
    // }).
    template <typename F> auto WithModel(F&& f) {
        std::lock_guard lock(m_mutex);
        return f(m_model);
    }

private:
    // Start's and StartOnTcp's common end, once the line or the listener is open.
    bool StartServing(QString* error);
    void Serve();
    // The descriptor requests come from and answers go to: the pseudo-terminal's master or the TCP
    // client; -1 when there is none.
    int LineFd() const;
    // With strictLine, whether the pseudo-terminal is set as the device's own port is; logs each change.
    bool HearsLine();
    void HandleRequest(const ReceivedRequest& request, std::int64_t arrivedNs);
    void SendCharacters(const QByteArray& characters, std::int64_t delayMs, const LineOptions& options);
    // Sleeps to an absolute CLOCK_MONOTONIC deadline in ns; false when Stop interrupted it.
    bool SleepUntil(std::int64_t deadlineNs);
    bool WriteAll(const char* data, qsizetype size);
    // The device's end closes: the pseudo-terminal for good, or the TCP client's connection.
    void HangUpLine();
    void CloseMaster();
    void CloseAll();

    mutable std::mutex m_mutex; // guards everything below up to m_answersSent
    DeviceModel m_model;
    LineOptions m_options;
    std::vector<LineFault> m_faults;
    std::mt19937 m_random;
    std::array<int, FaultKindCount> m_spoiled{};
    std::vector<ReceivedRequest> m_requests; // the latest RequestLogLimit of them
    std::vector<std::int64_t> m_turnaroundsUs;
    std::int64_t m_answerEndNs = -1; // when the last answer's last character was written
    int m_requestCount = 0;
    RequestDecoder m_decoder;

    std::atomic<int> m_answersSent{0};
    std::atomic<bool> m_hungUp{false};
    std::atomic<bool> m_hangUpRequested{false};
    int m_masterFd = -1;
    int m_slaveFd = -1;
    int m_wakeFd = -1;                   // eventfd: stop or hang up
    std::unique_ptr<TcpTransport> m_tcp; // serving on TCP when set
    QString m_heardLineSetting;          // the pseudo-terminal's setting last logged, "9600 8N1"
    std::atomic<bool> m_stopping{false};
    QString m_portPath;
    std::thread m_thread;
};

} // namespace zeph::sim
