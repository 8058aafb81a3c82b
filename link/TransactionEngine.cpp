// SPDX-License-Identifier: MIT
// The transaction engine: send one request, collect and examine the answer, retry, report.
#include "link/TransactionEngine.h"

#include "link/Crc16.h"
#include "link/LinkLogging.h"

#include <QTimer>

#include <algorithm>
#include <chrono>

namespace zeph::link {

Bytes ParsePayloadText(const QString& payload) {
    Bytes bytes;
    if (payload.isEmpty()) return bytes;
    // Every non-digit closes a number; the comma appended here closes the last one, so a trailing
    // comma in the text yields one more zero byte.
    unsigned value = 0;
    for (QChar ch : payload + QLatin1Char(',')) {
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            value = (value * 10 + unsigned(ch.unicode() - '0')) & 0xFFFF;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
            value = 0;
        }
    }
    return bytes;
}

TransactionEngine::TransactionEngine(FrameSink& sink, QObject* parent)
    : QObject(parent)
    , m_sink(sink)
    , m_stepTimer(new QTimer(this))
    , m_timeoutTimer(new QTimer(this))
    , m_quietTimer(new QTimer(this)) {
    ClockUs = [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return qint64(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    };
    m_stepTimer->setObjectName(QStringLiteral("Timer_KuldVesz"));
    m_timeoutTimer->setObjectName(QStringLiteral("Timer_KuldVesz_TimeOut"));
    m_quietTimer->setObjectName(QStringLiteral("QuietLineTimer"));
    m_stepTimer->setTimerType(Qt::PreciseTimer);
    m_timeoutTimer->setTimerType(Qt::PreciseTimer);
    m_quietTimer->setTimerType(Qt::PreciseTimer);
    m_quietTimer->setSingleShot(true);
    connect(m_stepTimer, &QTimer::timeout, this, &TransactionEngine::Timer_KuldVeszTimer);
    connect(m_timeoutTimer, &QTimer::timeout, this, &TransactionEngine::Timer_KuldVesz_TimeOutTimer);
    connect(m_quietTimer, &QTimer::timeout, this, &TransactionEngine::Timer_KuldVeszTimer);
}

void TransactionEngine::StartTransaction(int address, bool variantFlag, const QString& payload) {
    const Bytes bytes = ParsePayloadText(payload);
    m_stepTimer->stop();
    m_quietTimer->stop();
    m_transactionResult = TransactionPending;
    m_attemptCount = 0;
    m_responseLength = 0;
    if (bytes.size() > std::size_t(MaxPayload) || ExpectedLength < 0 || ExpectedLength > MaxPayload) {
        // Such a request would not fit the frame buffers: refuse it without sending anything.
        qCWarning(lcLink) << "request refused: payload of" << bytes.size() << "bytes, expected length"
                          << ExpectedLength;
        m_engineState = EngineIdle;
        m_transactionResult = TransactionFailed;
        emit TransactionFinished(m_transactionResult);
        return;
    }
    m_payloadCount = int(bytes.size());
    std::copy(bytes.begin(), bytes.end(), m_requestFrame.begin() + 5);
    m_lastAddress = address;
    m_requestFrame[1] = RequestHeaderByte(address, variantFlag);
    m_stepTimer->setInterval(1);
    m_engineState = EngineSend;
    m_stepTimer->start();
}

void TransactionEngine::ReceiveCharacters(const QByteArray& chunk) {
    qCDebug(lcLink).noquote() << "RX" << HexText(chunk);
    if (!chunk.isEmpty()) {
        m_lastCharacterUs = ClockUs();
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
    if (const qsizetype at = FindGoodAnswer(); at >= 0) Accept(at, ExpectedLength);
}

qsizetype TransactionEngine::FindGoodAnswer() {
    // Every send of a transaction carries the same request, so a good answer to any of them answers it: one
    // that came late, with the start of the next attempt's answer or a stray character behind it in the
    // same hand-over, or while a resend waits for a quiet line. A spoiled one is still judged on the tick,
    // so its verdict and the retry that follows stay as they were.
    // Awaited from the first send until the transaction ends: the first send has not gone out while the
    // engine is about to make it.
    const bool awaiting = m_engineState != EngineIdle && (m_engineState != EngineSend || m_attemptCount > 0);
    const std::size_t frameLength = std::size_t(ExpectedLength) + 4;
    const std::size_t size = m_receivedBytes.size();
    const std::size_t firstEnd = std::max(m_lookedAt + 1, frameLength);
    m_lookedAt = size;
    if (!awaiting) return -1;
    for (std::size_t end = size; end >= firstEnd; --end) {
        const std::span<const std::uint8_t> frame(m_receivedBytes.data() + end - frameLength, frameLength);
        if (JudgeResponse(frame, m_lastAddress, ExpectedLength) == AnswerVerdict::Accepted)
            return qsizetype(end - frameLength);
    }
    return -1;
}

void TransactionEngine::Accept(qsizetype frameStart, int length) {
    // Judged while its attempt waits, the answer completes that attempt; while a resend waits, it answers
    // a send that was judged already.
    if (m_engineState == EngineCheckResponse) ++m_attemptCount;
    m_responseLength = length;
    const qsizetype frameLength = m_responseLength + 4;
    m_receivedBytes.erase(m_receivedBytes.begin() + frameStart + frameLength, m_receivedBytes.end());
    m_receivedBytes.erase(m_receivedBytes.begin(), m_receivedBytes.begin() + frameStart);
    std::copy(m_receivedBytes.begin(), m_receivedBytes.end(), m_responseFrame.begin() + 1);
    std::copy_n(m_responseFrame.begin() + 3, m_responseLength, m_responseData.begin() + 1);
    m_attemptStart = 0;
    m_lookedAt = m_receivedBytes.size();
    qCDebug(lcLink).noquote() << "attempt" << m_attemptCount << "accepted" << m_responseLength
                              << "payload bytes, status" << m_responseData[1];
    StopTimers();
    m_engineState = EngineIdle;
    m_transactionResult = TransactionSucceeded;
    emit AnswerJudged(AnswerVerdict::Accepted, m_receivedBytes, m_attemptCount);
    emit TransactionFinished(m_transactionResult);
}

void TransactionEngine::ResetEngine() {
    m_engineState = EngineIdle;
    StopTimers();
}

void TransactionEngine::StopTimers() {
    // Nothing is awaited: no timer has anything to do until the next transaction.
    m_stepTimer->stop();
    m_timeoutTimer->stop();
    m_quietTimer->stop();
}

void TransactionEngine::Timer_KuldVeszTimer() {
    do {
        TaskKuldVesz();
    } while (m_runAgain);
}

void TransactionEngine::Timer_KuldVesz_TimeOutTimer() {
    // The timer repeats like its designer's original; only its first tick after a send is the time-out.
    if (!m_timeoutElapsed) m_timeoutAtMs = NowMs();
    m_timeoutElapsed = true;
}

void TransactionEngine::TaskKuldVesz() {
    m_runAgain = false;
    switch (m_engineState) {
    case EngineSend:
        Send();
        break;
    case EngineCheckResponse:
        CheckResponse();
        break;
    case EngineRetryOrFail:
        RetryOrFail();
        break;
    default:
        break;
    }
}

void TransactionEngine::Send() {
    // A resend into a line that is still busy (an answer that came after its time-out, or the answers to
    // earlier resends) would only queue one more answer behind them, and every later attempt would see
    // the tail of one answer and the head of the next: the resend waits for a quiet line instead.
    if (m_attemptCount > 0) {
        const bool firstLook = !m_quietTimer->isActive();
        if (WaitForQuietLine(m_retryAtMs)) {
            if (firstLook) qCDebug(lcLink) << "retry" << m_attemptCount + 1 << "waits for a quiet line";
            return;
        }
    }
    if (WaitForTurnaround()) return;
    const int n = m_payloadCount;
    m_requestFrame[2] = static_cast<std::uint8_t>(n & 0xFF);
    const std::uint16_t headerCrc = Crc16Of(std::span(m_requestFrame.data() + 1, 2));
    m_requestFrame[3] = headerCrc & 0xFF;
    m_requestFrame[4] = headerCrc >> 8;
    if (n > 0) {
        const std::uint16_t payloadCrc = Crc16Of(std::span(m_requestFrame.data() + 5, std::size_t(n)));
        m_requestFrame[5 + n] = payloadCrc & 0xFF;
        m_requestFrame[6 + n] = payloadCrc >> 8;
    }
    // Characters that came before the transaction's first send answer an earlier request (a read of the
    // settings and one of the factory defaults have answers of one length): they never count. What came
    // since stays, as a late answer to an earlier send is as good as the answer to this one.
    if (m_attemptCount == 0) m_receivedBytes.clear();
    m_attemptStart = m_receivedBytes.size();
    m_lookedAt = m_receivedBytes.size();
    m_charactersAtMs = -1;
    m_quietTimer->stop();
    const int length = n == 0 ? 4 : n + 6;
    m_stepTimer->stop();
    m_stepTimer->setInterval(50);
    m_stepTimer->start();
    m_timeoutTimer->stop();
    m_timeoutTimer->setInterval(2 * length + 2 * (ExpectedLength + 4) + ExtraTimeout);
    m_timeoutTimer->start();
    m_timeoutElapsed = false;
    qCDebug(lcLink).noquote() << "TX" << HexText(EncodeFrame(RequestFrame(length)));
    m_sink.SendFrame(length);
    m_engineState = EngineCheckResponse;
}

void TransactionEngine::CheckResponse() {
    const std::size_t attemptBytes =
        m_receivedBytes.size() - std::min(m_attemptStart, m_receivedBytes.size());
    const int k = int(attemptBytes) - 4;
    if (k < ExpectedLength && !m_timeoutElapsed) return;
    // An answer still coming in at the time-out would be cut short, and the resend would start over under
    // the rest of it.
    if (k < ExpectedLength) {
        const bool firstLook = !m_quietTimer->isActive();
        if (WaitForQuietLine(m_timeoutAtMs)) {
            if (firstLook)
                qCDebug(lcLink) << "attempt" << m_attemptCount + 1 << "still receiving at the time-out,"
                                << attemptBytes << "bytes so far: waiting for a quiet line";
            return;
        }
    }
    m_quietTimer->stop();
    const Bytes attempt(m_receivedBytes.end() - qsizetype(attemptBytes), m_receivedBytes.end());
    if (k >= ExpectedLength) {
        m_responseLength = ExpectedLength;
    } else if (k >= 1) {
        m_responseLength = 1; // the short answer: a status byte alone, recognised only at the time-out
    } else {
        ++m_attemptCount;
        qCDebug(lcLink) << "attempt" << m_attemptCount << "timed out with" << attemptBytes
                        << "bytes received";
        m_engineState = EngineRetryOrFail;
        m_runAgain = true;
        emit AnswerJudged(AnswerVerdict::TimedOut, attempt, m_attemptCount);
        return;
    }
    const qsizetype frameStart = qsizetype(m_receivedBytes.size()) - (m_responseLength + 4);
    const Bytes examined(m_receivedBytes.begin() + frameStart, m_receivedBytes.end());
    const AnswerVerdict verdict = JudgeResponse(examined, m_lastAddress, m_responseLength);
    if (verdict == AnswerVerdict::Accepted) {
        Accept(frameStart, m_responseLength);
        return;
    }
    ++m_attemptCount;
    std::copy(examined.begin(), examined.end(), m_responseFrame.begin() + 1);
    std::copy_n(m_responseFrame.begin() + 3, m_responseLength, m_responseData.begin() + 1);
    qCDebug(lcLink).noquote() << "attempt" << m_attemptCount << "rejected:" << VerdictText(verdict)
                              << HexText(examined);
    m_engineState = EngineRetryOrFail;
    m_runAgain = true;
    emit AnswerJudged(verdict, examined, m_attemptCount);
}

bool TransactionEngine::WaitForQuietLine(qint64 sinceMs) {
    if (m_charactersAtMs < 0) return false; // nothing came: a silent device times out as ever
    const qint64 now = NowMs();
    const qint64 quietFor = now - m_charactersAtMs;
    const qint64 waited = now - sinceMs;
    const qint64 cap = m_timeoutTimer->interval();
    if (quietFor >= QuietLineMs || waited >= cap) return false;
    m_quietTimer->start(int(std::min(QuietLineMs - quietFor, cap - waited)));
    return true;
}

bool TransactionEngine::WaitForTurnaround() {
    if (m_lastCharacterUs < 0 || MinimumTurnaroundUs <= 0) return false;
    const qint64 remainingUs = MinimumTurnaroundUs - (ClockUs() - m_lastCharacterUs);
    if (remainingUs <= 0) return false;
    // The request waits for the rest of the device's turnaround; the step timer has nothing to do meanwhile.
    if (m_attemptCount == 0) m_stepTimer->stop();
    m_quietTimer->start(int((remainingUs + 999) / 1000));
    return true;
}

void TransactionEngine::RetryOrFail() {
    if (m_attemptCount < RetryLimit) {
        qCDebug(lcLink) << "retry" << m_attemptCount + 1 << "of" << RetryLimit;
        m_retryAtMs = NowMs();
        m_engineState = EngineSend;
        m_runAgain = true;
        emit RetryStarted(m_attemptCount + 1, RetryLimit);
        return;
    }
    qCDebug(lcLink) << "failed after" << m_attemptCount << "attempts";
    StopTimers();
    m_engineState = EngineIdle;
    m_transactionResult = TransactionFailed;
    emit TransactionFinished(m_transactionResult);
}

} // namespace zeph::link
