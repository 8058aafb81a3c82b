// SPDX-License-Identifier: MIT
// Fuzz target: the receive path of the link. Line characters arrive in chunks of any size between engine
// steps and time-outs; the character decoder and the transaction engine's answer check are judged
// through their public interfaces against a model of the line kept here.
//
// Input: address, flags (bit 0 variant flag), expected length, retry limit, the payload bytes (a field),
// then actions until the end: 0 a chunk of characters (a field), 1 a step of the
// engine, 2 the time-out followed by a step. The engine reads the harness's clock, which stands still
// during the actions and moves on during the silent line at the end, so a run never depends on how fast
// the machine is.
#include "fuzz/FuzzSupport.h"
#include "link/FrameCodec.h"
#include "link/TransactionEngine.h"
#include "sim/LineCodec.h"

#include <QStringList>

#include <algorithm>

using namespace zeph::link;
using zeph::fuzz::InputReader;

namespace {

// The line's meaning, written out apart from FrameDecoder: a character with bit 7 clear carries a low
// nibble, one with bit 7 set completes a byte with the latest low nibble.
struct LineModel {
    int lowNibble = 0;
    Bytes sinceSend;      // bytes completed since the engine last sent a request
    Bytes sinceFirstSend; // bytes completed since the transaction's first send
    Bytes all;            // every byte completed
    QByteArray chars;     // every character received

    void Receive(const QByteArray& chunk) {
        chars += chunk;
        for (char ch : chunk) {
            const auto c = std::uint8_t(ch);
            if (c & 0x80) {
                const auto byte = std::uint8_t((c & 0x0F) << 4 | lowNibble);
                sinceSend.push_back(byte);
                sinceFirstSend.push_back(byte);
                all.push_back(byte);
            } else {
                lowNibble = c & 0x0F;
            }
        }
    }
};

bool EndsWith(const Bytes& whole, std::span<const std::uint8_t> tail) {
    return tail.size() <= whole.size() && std::equal(tail.begin(), tail.end(), whole.end() - tail.size());
}

bool Contains(const Bytes& whole, const Bytes& part) {
    return std::search(whole.begin(), whole.end(), part.begin(), part.end()) != whole.end();
}

// The harness's time: it stands still until the harness moves it, and the engine's timers fire only when
// the harness fires them, so each action is exactly one step or one time-out.
class HarnessClock : public Clock {
public:
    struct Timer : ClockTimer {
        QString name;
        bool active = false;
        bool singleShot = false;
        int interval = 0;
        void Start(int intervalMs) override {
            interval = intervalMs;
            active = true;
        }
        void Stop() override { active = false; }
        bool IsActive() const override { return active; }
        int Interval() const override { return interval; }
        void SetSingleShot(bool on) override { singleShot = on; }
    };

    qint64 NowUs() const override { return nowMs * 1000; }
    std::unique_ptr<ClockTimer> NewTimer(QObject*, const QString& name) override {
        auto timer = std::make_unique<Timer>();
        timer->name = name;
        timers.push_back(timer.get());
        return timer;
    }
    // The time-out as the event loop would deliver it: every running timer of the engine except its step
    // timer fires (the time-out, and the quiet-line wait).
    void FireTimeouts() {
        for (Timer* timer : timers) {
            if (timer->name == QLatin1String("Timer_KuldVesz") || !timer->active) continue;
            if (timer->singleShot) timer->active = false;
            if (timer->onTimeout) timer->onTimeout();
        }
    }

    qint64 nowMs = 0;
    std::vector<Timer*> timers;
};

class Harness : public FrameSink {
public:
    Harness(int address, bool variantFlag, const Bytes& payload, int expectedLength)
        : m_address(address)
        , m_variantFlag(variantFlag)
        , m_payload(payload)
        , m_expectedLength(expectedLength)
        , m_engine(*this, m_clock) {
        QObject::connect(&m_engine, &TransactionEngine::AnswerJudged, &m_engine,
                         [this](AnswerVerdict verdict, const Bytes& examined, int attempt) {
                             OnJudged(verdict, examined, attempt);
                         });
        QObject::connect(&m_engine, &TransactionEngine::RetryStarted, &m_engine,
                         [this](int attempt, int limit) {
                             FUZZ_CHECK(limit == m_engine.RetryLimit());
                             FUZZ_CHECK(attempt == m_judged + 1 && attempt <= limit);
                             FUZZ_CHECK(m_lastVerdict != AnswerVerdict::Accepted);
                         });
        QObject::connect(&m_engine, &TransactionEngine::TransactionFinished, &m_engine,
                         [this](int result) { OnFinished(result); });
    }

    TransactionEngine& Engine() { return m_engine; }
    LineModel& Line() { return m_line; }
    bool Finished() const { return m_finished; }
    void PassTime(qint64 ms) { m_clock.nowMs += ms; }
    // The time-out and the quiet-line wait fire, then a step.
    void TimeoutThenStep() {
        if (m_engine.TimeoutTimer().IsActive()) m_timeoutFired = true;
        m_clock.FireTimeouts();
        m_engine.Step();
    }

    void Start() {
        const bool refused = m_payload.size() > std::size_t(MaxPayload) || m_expectedLength < 0 ||
                             m_expectedLength > MaxPayload;
        m_engine.Start({m_address, m_variantFlag, m_payload, m_expectedLength, 0});
        // A request that cannot be framed ends at once, unsent.
        FUZZ_CHECK(m_finished == refused);
        FUZZ_CHECK(m_sends == 0);
        if (refused) FUZZ_CHECK(m_engine.Result() == TransactionFailed);
    }

    // What must hold between any two actions.
    void CheckState() {
        const Bytes& received = m_engine.ReceivedBytes();
        FUZZ_CHECK(received.size() <= 2 * TransactionEngine::ReceivedTailLimit);
        // Only ever the tail of what came since the request first went out, or the answer taken from it.
        if (m_engine.Result() == TransactionSucceeded) {
            Bytes since = m_accepted;
            since.insert(since.end(), m_line.all.begin() + qsizetype(m_acceptedAt), m_line.all.end());
            FUZZ_CHECK(EndsWith(since, received));
        } else
            FUZZ_CHECK(EndsWith(m_sends > 0 ? m_line.sinceFirstSend : m_line.all, received));
        // A good answer to any send is taken as soon as it is in, wherever it stands among the bytes.
        if (m_sends > 0 && !m_finished) FUZZ_CHECK(!GoodAnswerArrived());
        FUZZ_CHECK(m_engine.PendingLowNibble() == m_line.lowNibble);
        FUZZ_CHECK(m_engine.Result() <= TransactionSucceeded);
        FUZZ_CHECK((m_engine.Result() != TransactionPending) == m_finished);
        if (m_finished) FUZZ_CHECK(m_engine.State() == EngineIdle);
    }

private:
    void SendFrame(std::span<const std::uint8_t> frame) override {
        FUZZ_CHECK(!m_finished);
        FUZZ_CHECK(m_sends == m_judged); // the first send, or one retry after each rejected attempt
        ++m_sends;
        FUZZ_CHECK(m_sends <= m_engine.RetryLimit());
        const Bytes expected = BuildRequestFrame(m_address, m_variantFlag, m_payload);
        FUZZ_CHECK(std::equal(frame.begin(), frame.end(), expected.begin(), expected.end()));
        m_line.sinceSend.clear();
        if (m_sends == 1) {
            m_line.sinceFirstSend.clear();
            m_looked = 0;
        }
        m_timeoutFired = false;
    }

    // Whether the bytes since the first send now hold a whole good answer (the simulator's own codec
    // says what one is); only what came since the last look is searched, the latest first.
    bool GoodAnswerArrived() {
        const Bytes& bytes = m_line.sinceFirstSend;
        const std::size_t frameLength = std::size_t(m_expectedLength) + 4;
        // A chattering line keeps only its tail.
        const std::size_t oldest = bytes.size() > TransactionEngine::ReceivedTailLimit
                                       ? bytes.size() - TransactionEngine::ReceivedTailLimit
                                       : 0;
        bool found = false;
        for (std::size_t end = std::max({m_looked + 1, frameLength, oldest + frameLength});
             end <= bytes.size() && m_address < 0x80; ++end) {
            const Bytes frame(bytes.begin() + qsizetype(end - frameLength), bytes.begin() + qsizetype(end));
            const std::span<const std::uint8_t> payload(frame.data() + 2, frameLength - 4);
            found = found || frame == zeph::sim::ResponseFrame(m_address, payload);
        }
        m_looked = bytes.size();
        return found;
    }

    void OnJudged(AnswerVerdict verdict, const Bytes& examined, int attempt) {
        FUZZ_CHECK(!m_finished);
        // An answer may come while a resend waits, for a send that was judged already.
        const bool lateAnswer = verdict == AnswerVerdict::Accepted && m_judged == m_sends;
        if (!lateAnswer) ++m_judged;
        FUZZ_CHECK(attempt == m_judged && m_judged == m_sends);
        m_lastVerdict = verdict;
        const int expectedLength = m_expectedLength;
        const int waiting = int(m_line.sinceSend.size()) - 4; // payload bytes received so far
        // Before the time-out an attempt is judged only once a whole answer can be there.
        if (!m_timeoutFired && !lateAnswer)
            FUZZ_CHECK(waiting >= expectedLength && verdict != AnswerVerdict::TimedOut);
        if (verdict == AnswerVerdict::TimedOut) {
            FUZZ_CHECK(waiting < 1 && waiting < expectedLength);
            FUZZ_CHECK(EndsWith(m_line.sinceSend, examined) && examined.size() <= 4);
            return;
        }
        const int length = m_engine.ResponseLength();
        // The whole answer, or the status byte alone when the time-out found less than a whole answer.
        FUZZ_CHECK(length == expectedLength || (length == 1 && m_timeoutFired && waiting < expectedLength));
        FUZZ_CHECK(examined.size() == std::size_t(length) + 4);
        // A whole good answer may stand anywhere since the first send; everything else is the attempt's tail.
        if (verdict == AnswerVerdict::Accepted && length == expectedLength)
            FUZZ_CHECK(Contains(m_line.sinceFirstSend, examined));
        else
            FUZZ_CHECK(EndsWith(m_line.sinceSend, examined));
        FUZZ_CHECK(verdict == JudgeResponse(examined, m_address, length));
        // Accepted exactly when the bytes are the answer frame the simulator's own codec would build.
        const std::span<const std::uint8_t> payload(examined.data() + 2, std::size_t(length));
        const bool matches = m_address < 0x80 && examined == zeph::sim::ResponseFrame(m_address, payload);
        FUZZ_CHECK((verdict == AnswerVerdict::Accepted) == matches);
        if (verdict == AnswerVerdict::Accepted) {
            const auto kept = m_engine.ResponsePayload();
            FUZZ_CHECK(std::equal(kept.begin(), kept.end(), payload.begin(), payload.end()));
            m_accepted = examined;
            m_acceptedAt = m_line.all.size();
        }
    }

    void OnFinished(int result) {
        FUZZ_CHECK(!m_finished);
        m_finished = true;
        FUZZ_CHECK(result == m_engine.Result());
        if (result == TransactionSucceeded) {
            FUZZ_CHECK(m_lastVerdict == AnswerVerdict::Accepted);
        } else {
            FUZZ_CHECK(result == TransactionFailed);
            // Refused unsent, or every allowed attempt rejected.
            FUZZ_CHECK(m_sends == 0 ||
                       (m_judged == m_engine.RetryLimit() && m_lastVerdict != AnswerVerdict::Accepted));
        }
    }

    const int m_address;
    const bool m_variantFlag;
    const Bytes m_payload;
    const int m_expectedLength;
    HarnessClock m_clock;
    TransactionEngine m_engine;
    LineModel m_line;
    int m_sends = 0;
    int m_judged = 0;
    bool m_timeoutFired = false;
    bool m_finished = false;
    std::size_t m_looked = 0; // bytes since the first send already searched for a good answer
    Bytes m_accepted;         // the answer taken, and where the line stood then
    std::size_t m_acceptedAt = 0;
    AnswerVerdict m_lastVerdict = AnswerVerdict::TimedOut;
};

// The character codec alone: chunk borders never matter, and every frame survives encoding.
void CheckCodec(const LineModel& line) {
    FrameDecoder whole;
    Bytes decoded;
    whole.Decode(line.chars, decoded);
    FUZZ_CHECK(decoded == line.all);
    FUZZ_CHECK(whole.PendingLowNibble() == line.lowNibble);

    FrameDecoder fresh;
    Bytes roundTrip;
    const QByteArray encoded = EncodeFrame(line.all);
    FUZZ_CHECK(encoded.size() == qsizetype(2 * line.all.size()));
    fresh.Decode(encoded, roundTrip);
    FUZZ_CHECK(roundTrip == line.all);
    FUZZ_CHECK(encoded == zeph::sim::ToLineCharacters(line.all));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    const int address = in.Byte();
    const std::uint8_t flags = in.Byte();
    // Mostly inside 0..250, now and then just outside to see the refusal.
    const int expectedLength = int(in.Byte()) - 2;
    const int retryLimit = 1 + in.Byte() % 10;
    const QByteArray field = in.Field();
    const Bytes payload(field.begin(), field.end());

    Harness harness(address, flags & 0x01, payload, expectedLength);
    TransactionEngine& engine = harness.Engine();
    engine.SetRetryLimit(retryLimit);
    harness.Start();
    harness.CheckState();

    while (!in.AtEnd()) {
        switch (in.Byte() % 3) {
        case 0: {
            const QByteArray chunk = in.Field();
            harness.Line().Receive(chunk);
            engine.ReceiveCharacters(chunk);
            break;
        }
        case 1:
            engine.Step();
            break;
        case 2:
            harness.TimeoutThenStep();
            break;
        }
        harness.CheckState();
    }

    // A silent line ends every transaction: each attempt times out, at most RetryLimit of them. Time
    // passes, so an answer that was still arriving at a time-out is judged once the line is quiet.
    for (int round = 0; round < 4 * retryLimit + 4 && !harness.Finished(); ++round) {
        harness.PassTime(TransactionEngine::DefaultQuietLineMs);
        engine.Step();
        harness.TimeoutThenStep();
        harness.CheckState();
    }
    FUZZ_CHECK(harness.Finished());
    CheckCodec(harness.Line());
    return 0;
}
