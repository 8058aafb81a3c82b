// SPDX-License-Identifier: MIT
// The transaction engine: send one request, collect and examine the answer, retry, report.
#include "link/TransactionEngine.h"

#include "link/Crc16.h"
#include "link/LinkLogging.h"

#include <algorithm>

namespace zeph::link {

TransactionEngine::TransactionEngine(FrameSink& sink, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_sink(sink)
    , m_clock(clock)
    , m_stepTimer(clock.NewTimer(this, QStringLiteral("Timer_KuldVesz")))
    , m_timeoutTimer(clock.NewTimer(this, QStringLiteral("Timer_KuldVesz_TimeOut")))
    , m_quietTimer(clock.NewTimer(this, QStringLiteral("QuietLineTimer"))) {
    m_quietTimer->SetSingleShot(true);
    m_stepTimer->onTimeout = [this] { RunSteps(); };
    m_timeoutTimer->onTimeout = [this] { TimeoutReached(); };
    m_quietTimer->onTimeout = [this] { RunSteps(); };
}

void TransactionEngine::Start(const TransactionRequest& request) {
    m_stepTimer->Stop();
    m_quietTimer->Stop();
    m_result = TransactionPending;
    m_attemptCount = 0;
    m_sendCount = 0;
    m_responseLength = 0;
    if (request.payload.size() > std::size_t(MaxPayload) || request.expectedLength < 0 ||
        request.expectedLength > MaxPayload) {
        // Such a request would not fit the device's frames: refuse it without sending anything.
        qCWarning(lcLink) << "request refused: payload of" << request.payload.size()
                          << "bytes, expected length" << request.expectedLength;
        m_state = EngineIdle;
        m_result = TransactionFailed;
        emit TransactionFinished(m_result);
        return;
    }
    m_request = request;
    m_requestFrame = BuildRequestFrame(request.address, request.variantFlag, request.payload);
    m_state = EngineSend;
    m_stepTimer->Start(1);
}

int TransactionEngine::TimeoutMs() const {
    return 2 * int(m_requestFrame.size()) + 2 * (m_request.expectedLength + 4) + m_request.extraTimeoutMs +
           m_lineAllowanceMs;
}

void TransactionEngine::ReceiveCharacters(const QByteArray& chunk) {
    qCDebug(lcLink).noquote() << "RX" << HexText(chunk);
    if (!chunk.isEmpty()) {
        m_lastCharacterUs = m_clock.NowUs();
        m_charactersAtMs = m_lastCharacterUs / 1000;
    }
    m_decoder.Decode(chunk, m_receivedBytes);
    // Only the end of ReceivedBytes is ever examined; a chattering line must not make it grow without bound.
    if (m_receivedBytes.size() > 2 * ReceivedTailLimit) {
        const std::size_t dropped = m_receivedBytes.size() - ReceivedTailLimit;
        m_receivedBytes.erase(m_receivedBytes.begin(), m_receivedBytes.begin() + qsizetype(dropped));
        m_attemptStart = m_attemptStart > dropped ? m_attemptStart - dropped : 0;
        m_lookedAt = m_lookedAt > dropped ? m_lookedAt - dropped : 0;
    }
    if (const qsizetype at = FindGoodAnswer(); at >= 0) Accept(at, m_request.expectedLength);
}

qsizetype TransactionEngine::FindGoodAnswer() {
    // Every send of a transaction carries the same request, so a good answer to any of them answers it: one
    // that came late, with the start of the next attempt's answer or a stray character behind it in the
    // same hand-over, or while a resend waits for a quiet line. A spoiled one is still judged on the tick,
    // so its verdict and the retry that follows stay as they were.
    // Awaited from the first send until the transaction ends: the first send has not gone out while the
    // engine is about to make it.
    const bool awaiting = m_state != EngineIdle && (m_state != EngineSend || m_attemptCount > 0);
    const std::size_t frameLength = std::size_t(m_request.expectedLength) + 4;
    const std::size_t size = m_receivedBytes.size();
    const std::size_t firstEnd = std::max(m_lookedAt + 1, frameLength);
    m_lookedAt = size;
    if (!awaiting) return -1;
    for (std::size_t end = size; end >= firstEnd; --end) {
        const std::span<const std::uint8_t> frame(m_receivedBytes.data() + end - frameLength, frameLength);
        if (JudgeResponse(frame, m_request.address, m_request.expectedLength) == AnswerVerdict::Accepted)
            return qsizetype(end - frameLength);
    }
    return -1;
}

void TransactionEngine::Accept(qsizetype frameStart, int length) {
    // Judged while its attempt waits, the answer completes that attempt; while a resend waits, it answers
    // a send that was judged already.
    if (m_state == EngineCheckResponse) ++m_attemptCount;
    m_responseLength = length;
    const qsizetype frameLength = m_responseLength + 4;
    m_receivedBytes.erase(m_receivedBytes.begin() + frameStart + frameLength, m_receivedBytes.end());
    m_receivedBytes.erase(m_receivedBytes.begin(), m_receivedBytes.begin() + frameStart);
    std::copy_n(m_receivedBytes.begin() + 2, m_responseLength, m_responseData.begin());
    m_attemptStart = 0;
    m_lookedAt = m_receivedBytes.size();
    qCDebug(lcLink).noquote() << "attempt" << m_attemptCount << "accepted" << m_responseLength
                              << "payload bytes, status" << m_responseData[0];
    StopTimers();
    m_state = EngineIdle;
    m_result = TransactionSucceeded;
    emit AnswerJudged(AnswerVerdict::Accepted, m_receivedBytes, m_attemptCount);
    emit TransactionFinished(m_result);
}

void TransactionEngine::Reset() {
    m_state = EngineIdle;
    StopTimers();
}

void TransactionEngine::StopTimers() {
    // Nothing is awaited: no timer has anything to do until the next transaction.
    m_stepTimer->Stop();
    m_timeoutTimer->Stop();
    m_quietTimer->Stop();
}

void TransactionEngine::RunSteps() {
    do {
        Step();
    } while (m_runAgain);
}

void TransactionEngine::TimeoutReached() {
    // The timer repeats like its designer's original; only its first tick after a send is the time-out.
    if (!m_timeoutElapsed) m_timeoutAtMs = NowMs();
    m_timeoutElapsed = true;
}

void TransactionEngine::Step() {
    m_runAgain = false;
    switch (m_state) {
    case EngineSend:
        Send();
        break;
    case EngineCheckResponse:
        CheckResponse();
        break;
    case EngineRetryOrFail:
        RetryOrFail();
        break;
    case EngineIdle:
        break;
    }
}

void TransactionEngine::Send() {
    // A resend into a line that is still busy (an answer that came after its time-out, or the answers to
    // earlier resends) would only queue one more answer behind them, and every later attempt would see
    // the tail of one answer and the head of the next: the resend waits for a quiet line instead.
    if (m_attemptCount > 0) {
        const bool firstLook = !m_quietTimer->IsActive();
        if (WaitForQuietLine(m_retryAtMs)) {
            if (firstLook) qCDebug(lcLink) << "retry" << m_attemptCount + 1 << "waits for a quiet line";
            return;
        }
    }
    if (WaitForTurnaround()) return;
    // Characters that came before the transaction's first send answer an earlier request (a read of the
    // settings and one of the factory defaults have answers of one length): they never count. What came
    // since stays, as a late answer to an earlier send is as good as the answer to this one.
    if (m_attemptCount == 0) m_receivedBytes.clear();
    m_attemptStart = m_receivedBytes.size();
    m_lookedAt = m_receivedBytes.size();
    m_charactersAtMs = -1;
    m_quietTimer->Stop();
    m_stepTimer->Start(50);
    m_timeoutTimer->Start(TimeoutMs());
    m_timeoutElapsed = false;
    qCDebug(lcLink).noquote() << "TX" << HexText(EncodeFrame(m_requestFrame));
    // Awaited before it goes: a line may hand the answer back before the write returns.
    m_state = EngineCheckResponse;
    ++m_sendCount;
    m_sink.SendFrame(m_requestFrame);
}

void TransactionEngine::CheckResponse() {
    const std::size_t attemptBytes =
        m_receivedBytes.size() - std::min(m_attemptStart, m_receivedBytes.size());
    const int expectedLength = m_request.expectedLength;
    const int k = int(attemptBytes) - 4;
    if (k < expectedLength && !m_timeoutElapsed) return;
    // An answer still coming in at the time-out would be cut short, and the resend would start over under
    // the rest of it.
    if (k < expectedLength) {
        const bool firstLook = !m_quietTimer->IsActive();
        if (WaitForQuietLine(m_timeoutAtMs)) {
            if (firstLook)
                qCDebug(lcLink) << "attempt" << m_attemptCount + 1 << "still receiving at the time-out,"
                                << attemptBytes << "bytes so far: waiting for a quiet line";
            return;
        }
    }
    m_quietTimer->Stop();
    const Bytes attempt(m_receivedBytes.end() - qsizetype(attemptBytes), m_receivedBytes.end());
    if (k >= expectedLength) {
        m_responseLength = expectedLength;
    } else if (k >= 1) {
        m_responseLength = 1; // the short answer: a status byte alone, recognised only at the time-out
    } else {
        ++m_attemptCount;
        qCDebug(lcLink) << "attempt" << m_attemptCount << "timed out with" << attemptBytes
                        << "bytes received";
        m_state = EngineRetryOrFail;
        m_runAgain = true;
        emit AnswerJudged(AnswerVerdict::TimedOut, attempt, m_attemptCount);
        return;
    }
    const qsizetype frameStart = qsizetype(m_receivedBytes.size()) - (m_responseLength + 4);
    const Bytes examined(m_receivedBytes.begin() + frameStart, m_receivedBytes.end());
    const AnswerVerdict verdict = JudgeResponse(examined, m_request.address, m_responseLength);
    if (verdict == AnswerVerdict::Accepted) {
        Accept(frameStart, m_responseLength);
        return;
    }
    ++m_attemptCount;
    std::copy_n(examined.begin() + 2, m_responseLength, m_responseData.begin());
    qCDebug(lcLink).noquote() << "attempt" << m_attemptCount << "rejected:" << VerdictText(verdict)
                              << HexText(examined);
    m_state = EngineRetryOrFail;
    m_runAgain = true;
    emit AnswerJudged(verdict, examined, m_attemptCount);
}

bool TransactionEngine::WaitForQuietLine(qint64 sinceMs) {
    if (m_charactersAtMs < 0) return false; // nothing came: a silent device times out as ever
    const qint64 now = NowMs();
    const qint64 quietFor = now - m_charactersAtMs;
    const qint64 waited = now - sinceMs;
    const qint64 cap = m_timeoutTimer->Interval();
    if (quietFor >= m_quietLineMs || waited >= cap) return false;
    m_quietTimer->Start(int(std::min(m_quietLineMs - quietFor, cap - waited)));
    return true;
}

bool TransactionEngine::WaitForTurnaround() {
    if (m_lastCharacterUs < 0 || m_minimumTurnaroundUs <= 0) return false;
    const qint64 remainingUs = m_minimumTurnaroundUs - (m_clock.NowUs() - m_lastCharacterUs);
    if (remainingUs <= 0) return false;
    // The request waits for the rest of the device's turnaround; the step timer has nothing to do meanwhile.
    if (m_attemptCount == 0) m_stepTimer->Stop();
    m_quietTimer->Start(int((remainingUs + 999) / 1000));
    return true;
}

void TransactionEngine::RetryOrFail() {
    if (m_attemptCount < m_retryLimit) {
        qCDebug(lcLink) << "retry" << m_attemptCount + 1 << "of" << m_retryLimit;
        m_retryAtMs = NowMs();
        m_state = EngineSend;
        m_runAgain = true;
        emit RetryStarted(m_attemptCount + 1, m_retryLimit);
        return;
    }
    qCDebug(lcLink) << "failed after" << m_attemptCount << "attempts";
    StopTimers();
    m_state = EngineIdle;
    m_result = TransactionFailed;
    emit TransactionFinished(m_result);
}

} // namespace zeph::link
