// SPDX-License-Identifier: MIT
// The transaction engine: one request/response exchange with the device at a time, stepped by its own
// timer on the user-interface thread, retried on every fault up to the retry limit. A good answer is
// accepted as soon as it is in; its timers run only while a transaction is under way.
#pragma once

#include "link/Clock.h"
#include "link/FrameCodec.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <memory>

namespace zeph::link {

// Where the engine's request frames go: the session writes them to its line.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void SendFrame(std::span<const std::uint8_t> frame) = 0;
};

enum TransactionResultCode : std::uint8_t {
    TransactionPending = 0,
    TransactionFailed = 1,
    TransactionSucceeded = 2
};

enum EngineStateCode : int { EngineIdle = 0, EngineSend = 1, EngineCheckResponse = 2, EngineRetryOrFail = 3 };

// One request: where it goes, its payload, and what its answer must be.
struct TransactionRequest {
    int address = 15;
    bool variantFlag = false;
    Bytes payload;
    int expectedLength = 0; // payload bytes of a full answer, status byte included
    int extraTimeoutMs = 0; // added to the answer time-out: the device writes its EEPROM first
};

class TransactionEngine : public QObject {
    Q_OBJECT
public:
    // Only the tail of the received bytes is ever examined, so a chattering line keeps this many.
    static constexpr std::size_t ReceivedTailLimit = 4096;
    // An answer still coming in when the time-out is reached is judged, and a resend into a busy line is
    // sent, once the line has been quiet this long (USB adapters deliver in bursts up to about 16 ms
    // apart), or one more time-out interval later at the latest.
    static constexpr int DefaultQuietLineMs = 20;

    explicit TransactionEngine(FrameSink& sink, Clock& clock = SystemClock(), QObject* parent = nullptr);

    // ---- settings that hold for every transaction until changed
    void SetRetryLimit(int sends) { m_retryLimit = sends; }
    int RetryLimit() const { return m_retryLimit; }
    // The least time between the last character received and the next request: a device needs a moment
    // after its answer before it listens again. 0 sends at once.
    void SetMinimumTurnaroundUs(int us) { m_minimumTurnaroundUs = us; }
    int MinimumTurnaroundUs() const { return m_minimumTurnaroundUs; }
    // What the line adds to the answer time-out of every attempt (0 for a local serial port).
    void SetLineAllowanceMs(int ms) { m_lineAllowanceMs = ms; }
    void SetQuietLineMs(int ms) { m_quietLineMs = ms; }

    // ---- a transaction
    // Begins a transaction and returns at once. A payload of more than 250 bytes or an expected length
    // outside 0..250 is refused at once: the result becomes failed and nothing is sent.
    void Start(const TransactionRequest& request);
    // Makes every further step do nothing until the next Start; stops the timers and leaves the result.
    void Reset();
    // The received-characters handler: decodes a chunk and appends its bytes. When a complete good answer
    // to any send of the transaction is among them, it is accepted at once (TransactionFinished is emitted
    // from inside this call); anything else waits for the next step.
    void ReceiveCharacters(const QByteArray& chunk);
    // One step of the engine (its step timer runs steps for as long as one leads to the next).
    void Step();

    // ---- what the transaction came to
    TransactionResultCode Result() const { return m_result; }
    EngineStateCode State() const { return m_state; }
    bool IsAwaitingAnswer() const { return m_state != EngineIdle; }
    // Sends judged so far, and sends made (one more while the latest send awaits its verdict).
    int AttemptCount() const { return m_attemptCount; }
    int SendCount() const { return m_sendCount; }
    // The answer time-out of every send: 2 ms per request byte and per expected answer byte, the extra
    // time-out and the line's allowance.
    int TimeoutMs() const;
    // Payload length of the last examined response: the expected length, or 1 for a short answer.
    int ResponseLength() const { return m_responseLength; }
    // The payload of the last examined response, status byte first.
    std::span<const std::uint8_t> ResponsePayload() const {
        return {m_responseData.data(), std::size_t(m_responseLength)};
    }
    std::uint8_t ResponseStatus() const { return m_responseData[0]; }
    const TransactionRequest& Request() const { return m_request; }
    const Bytes& RequestFrame() const { return m_requestFrame; }
    // What came since the transaction's first send (its tail, when a line chatters); after an answer was
    // accepted, that answer alone.
    const Bytes& ReceivedBytes() const { return m_receivedBytes; }
    int PendingLowNibble() const { return m_decoder.PendingLowNibble(); }

    // Timer_KuldVesz and Timer_KuldVesz_TimeOut.
    const ClockTimer& StepTimer() const { return *m_stepTimer; }
    const ClockTimer& TimeoutTimer() const { return *m_timeoutTimer; }

signals:
    // Every evaluation of an attempt: what was examined (the response frame judged; for a time-out, the
    // attempt's bytes) and how it was judged. attempt counts sends from 1.
    void AnswerJudged(zeph::link::AnswerVerdict verdict, const zeph::link::Bytes& examined, int attempt);
    // The request goes out again: attempt is the number of the send about to be made, 2..limit.
    void RetryStarted(int attempt, int limit);
    // The result has become failed or succeeded.
    void TransactionFinished(int result);

private:
    void RunSteps();
    void TimeoutReached();
    void Send();
    // Whether characters of this attempt are still arriving and the engine should wait for a quiet line
    // (at most one time-out interval after sinceMs); if so, arms the quiet-line timer.
    bool WaitForQuietLine(qint64 sinceMs);
    // Whether the device has had less than the minimum turnaround since its last character; if so, arms
    // the quiet-line timer for the rest of it.
    bool WaitForTurnaround();
    // Where a complete good answer ends among the bytes received since the last look, the latest first;
    // -1 when there is none or no answer is awaited.
    qsizetype FindGoodAnswer();
    // Ends the transaction with the answer of length payload bytes at frameStart in the received bytes.
    void Accept(qsizetype frameStart, int length);
    void CheckResponse();
    void RetryOrFail();
    void StopTimers();
    qint64 NowMs() const { return m_clock.NowUs() / 1000; }

    FrameSink& m_sink;
    Clock& m_clock;
    std::unique_ptr<ClockTimer> m_stepTimer;
    std::unique_ptr<ClockTimer> m_timeoutTimer;
    std::unique_ptr<ClockTimer> m_quietTimer; // a step when the line should have gone quiet

    int m_retryLimit = 10;
    int m_minimumTurnaroundUs = 0;
    int m_lineAllowanceMs = 0;
    int m_quietLineMs = DefaultQuietLineMs;

    TransactionRequest m_request;
    Bytes m_requestFrame;
    qint64 m_charactersAtMs = -1;  // when the last characters of this attempt came; -1 when none came
    qint64 m_lastCharacterUs = -1; // when the last characters came at all; -1 before any
    qint64 m_timeoutAtMs = 0;      // when the time-out of this attempt was reached
    qint64 m_retryAtMs = 0;        // when the last retry was decided on
    FrameDecoder m_decoder;
    Bytes m_receivedBytes;
    std::size_t m_attemptStart = 0; // where the bytes of the latest send begin in m_receivedBytes
    std::size_t m_lookedAt = 0;     // bytes already searched for a good answer
    std::array<std::uint8_t, MaxPayload> m_responseData{};
    int m_responseLength = 0;
    TransactionResultCode m_result = TransactionPending;
    int m_attemptCount = 0;
    int m_sendCount = 0;
    EngineStateCode m_state = EngineIdle;
    bool m_timeoutElapsed = false;
    bool m_runAgain = false;
};

} // namespace zeph::link
