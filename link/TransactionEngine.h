// SPDX-License-Identifier: MIT
// The transaction engine: one request/response exchange with the device at a time, stepped by its own
// timer on the user-interface thread, retried on every fault up to RetryLimit evaluations. A good answer
// is accepted as soon as it is in; its timers run only while a transaction is under way.
#pragma once

#include "link/FrameCodec.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class QTimer;

namespace zeph::link {

// Where the engine's frames go. The window implements it: it encodes RequestFrame positions 1..length,
// writes the characters to the serial port and lights the TX lamp.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void SendFrame(int length) = 0;
};

enum TransactionResultCode : std::uint8_t {
    TransactionPending = 0,
    TransactionFailed = 1,
    TransactionSucceeded = 2
};

enum EngineStateCode : int { EngineIdle = 0, EngineSend = 1, EngineCheckResponse = 2, EngineRetryOrFail = 3 };

// Bytes of the payload text "4,1" and its like: every non-digit ends a number, numbers keep their low
// 8 bits, an empty text is no payload. More than MaxPayload numbers are all returned; the caller refuses.
Bytes ParsePayloadText(const QString& payload);

class TransactionEngine : public QObject {
    Q_OBJECT
public:
    // Only the tail of ReceivedBytes is ever examined, so between transactions it is kept to this many bytes.
    static constexpr std::size_t ReceivedTailLimit = 4096;
    // An answer still coming in when the time-out is reached is judged, and a resend into a busy line is
    // sent, once the line has been quiet this long (USB adapters deliver in bursts up to about 16 ms
    // apart), or one more time-out interval later at the latest.
    static constexpr int QuietLineMs = 20;

    explicit TransactionEngine(FrameSink& sink, QObject* parent = nullptr);

    // Set by the caller before each transaction; the engine never changes them.
    int ExpectedLength = 0;
    int ExtraTimeout = 0;
    int RetryLimit = 10;
    // The least time between the last character received and the next request, in microseconds: a device
    // needs a moment after its answer before it listens again. 0 sends at once.
    int MinimumTurnaroundUs = 0;
    // The steady clock in microseconds that the quiet-line wait and the turnaround read. A harness that
    // runs the steps and fires the time-out itself gives its own, so that what it sees never depends on
    // how busy the machine is.
    std::function<qint64()> ClockUs;

    // Begins a transaction and returns at once. A payload of more than 250 bytes or an ExpectedLength
    // outside 0..250 is refused at once: TransactionResult becomes 1 and nothing is sent.
    void StartTransaction(int address, bool variantFlag, const QString& payload);

    // Makes every further step do nothing until the next StartTransaction; stops the engine's timers and
    // leaves TransactionResult as it is.
    void ResetEngine();

    // The received-characters handler: decodes a chunk and appends its bytes to ReceivedBytes. When a
    // complete good answer to any send of the transaction is among them, it is accepted at once
    // (TransactionFinished is emitted from inside this call); anything else waits for the next tick.
    void ReceiveCharacters(const QByteArray& chunk);

    // One step of the engine (the handler of Timer_KuldVesz runs it for as long as RunAgain is set).
    void TaskKuldVesz();

    std::uint8_t TransactionResult() const { return m_transactionResult; }
    int EngineState() const { return m_engineState; }
    int AttemptCount() const { return m_attemptCount; }
    int PayloadCount() const { return m_payloadCount; }
    // Payload length of the last examined response: ExpectedLength, or 1 for a short answer.
    int ResponseLength() const { return m_responseLength; }
    // Positions counted from 1, as in the frame layouts.
    std::uint8_t RequestFrameAt(int position) const { return m_requestFrame.at(position); }
    std::uint8_t ResponseData(int position) const { return m_responseData.at(position); }
    // The payload of the last examined response, status byte first: ResponseData 1..ResponseLength.
    std::span<const std::uint8_t> ResponsePayload() const {
        return {m_responseData.data() + 1, std::size_t(m_responseLength)};
    }
    std::span<const std::uint8_t> RequestFrame(int length) const {
        return {m_requestFrame.data() + 1, std::size_t(length)};
    }
    // What came since the transaction's first send (its tail, when a line chatters); after an answer was
    // accepted, that answer alone.
    const Bytes& ReceivedBytes() const { return m_receivedBytes; }
    int PendingLowNibble() const { return m_decoder.PendingLowNibble(); }

    QTimer* Timer_KuldVesz() const { return m_stepTimer; }
    QTimer* Timer_KuldVesz_TimeOut() const { return m_timeoutTimer; }

signals:
    // Every evaluation of an attempt: what was examined (the last ResponseLength + 4 bytes received; for a
    // time-out with four bytes or fewer, those bytes) and how it was judged. attempt counts from 1.
    void AnswerJudged(zeph::link::AnswerVerdict verdict, const zeph::link::Bytes& examined, int attempt);
    // The request goes out again: attempt is the number of the send about to be made, 2..limit.
    void RetryStarted(int attempt, int limit);
    // TransactionResult has become 1 (failed) or 2 (succeeded).
    void TransactionFinished(int result);

private:
    void Timer_KuldVeszTimer();
    void Timer_KuldVesz_TimeOutTimer();
    void Send();
    // Whether characters of this attempt are still arriving and the engine should wait for a quiet line
    // (at most one time-out interval after sinceMs); if so, arms the quiet-line timer.
    bool WaitForQuietLine(qint64 sinceMs);
    // Whether the device has had less than MinimumTurnaroundUs since its last character; if so, arms the
    // quiet-line timer for the rest of it.
    bool WaitForTurnaround();
    // Where a complete good answer ends among the bytes received since the last look, the latest first;
    // -1 when there is none or no answer is awaited.
    qsizetype FindGoodAnswer();
    // Ends the transaction with the answer of length payload bytes at frameStart in ReceivedBytes.
    void Accept(qsizetype frameStart, int length);
    qint64 NowMs() const { return ClockUs() / 1000; }
    void StopTimers();
    void CheckResponse();
    void RetryOrFail();

    FrameSink& m_sink;
    QTimer* m_stepTimer;
    QTimer* m_timeoutTimer;
    QTimer* m_quietTimer;          // runs a step when the line should have gone quiet past the time-out
    qint64 m_charactersAtMs = -1;  // when the last characters of this attempt came; -1 when none came
    qint64 m_lastCharacterUs = -1; // when the last characters came at all; -1 before any
    qint64 m_timeoutAtMs = 0;      // when the time-out of this attempt was reached
    qint64 m_retryAtMs = 0;        // when the last retry was decided on
    FrameDecoder m_decoder;
    Bytes m_receivedBytes;
    std::size_t m_attemptStart = 0; // where the bytes of the latest send begin in m_receivedBytes
    std::size_t m_lookedAt = 0;     // bytes already searched for a good answer
    std::array<std::uint8_t, 257> m_requestFrame{};  // index 0 unused
    std::array<std::uint8_t, 256> m_responseFrame{}; // index 0 unused
    std::array<std::uint8_t, 251> m_responseData{};  // index 0 unused
    int m_payloadCount = 0;
    int m_lastAddress = 0;
    int m_responseLength = 0;
    std::uint8_t m_transactionResult = TransactionPending;
    int m_attemptCount = 0;
    int m_engineState = EngineIdle;
    bool m_timeoutElapsed = false;
    bool m_runAgain = false;
};

} // namespace zeph::link
