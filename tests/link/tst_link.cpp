// SPDX-License-Identifier: MIT
// Tests of the device link: CRC vectors, frame layouts, the two-character codec and the transaction engine
// driven by an in-memory device that answers (or not) on a script.
#include "link/Crc16.h"
#include "link/FrameCodec.h"
#include "link/TransactionEngine.h"

#include <QTimer>
#include <QtTest>

#include <deque>
#include <functional>

using namespace zeph::link;

namespace {

Bytes HexBytes(const char* hex) {
    Bytes out;
    for (const QByteArray& part : QByteArray(hex).split(' '))
        if (!part.isEmpty()) out.push_back(static_cast<std::uint8_t>(part.toUInt(nullptr, 16)));
    return out;
}

QByteArray HexChars(const char* hex) {
    QByteArray out;
    for (std::uint8_t b : HexBytes(hex))
        out.append(char(b));
    return out;
}

// What the fake device does with one request: the characters to send back (possibly in several chunks),
// each after a delay in ms from the request.
struct Reply {
    QList<QPair<int, QByteArray>> chunks;
};

Reply Answer(const Bytes& payload, int delayMs = 5, int address = 15) {
    return Reply{{{delayMs, EncodeFrame(BuildResponseFrame(address, payload))}}};
}

// A device that answers on a script, on a clock the test moves: no test here sleeps or waits for the
// machine, so every timing is exact.
class ScriptedDevice : public FrameSink {
public:
    ManualClock clock;
    TransactionEngine* engine = nullptr;
    std::deque<Reply> script; // one reply per request; an empty script means silence
    QList<Bytes> requests;
    QList<qint64> requestAtMs; // when each request went out

    void SendFrame(std::span<const std::uint8_t> frame) override {
        requests.append(Bytes(frame.begin(), frame.end()));
        requestAtMs.append(clock.NowUs() / 1000);
        if (script.empty()) return;
        const Reply reply = script.front();
        script.pop_front();
        for (const auto& [delay, characters] : reply.chunks)
            At(delay, [this, c = characters] { engine->ReceiveCharacters(c); });
    }
    // Runs action delayMs from now on the clock.
    void At(int delayMs, std::function<void()> action) {
        auto& timer = m_timers.emplace_back(clock.NewTimer(nullptr, QStringLiteral("device")));
        timer->SetSingleShot(true);
        timer->onTimeout = std::move(action);
        timer->Start(delayMs);
    }

private:
    std::vector<std::unique_ptr<ClockTimer>> m_timers;
};

struct EngineFixture {
    ScriptedDevice device;
    TransactionEngine engine{device, device.clock};
    // The engine's reports in order: "bad CRC 1", "retry 2/10", "accepted 2", "finished 2".
    QStringList reports;
    EngineFixture() {
        device.engine = &engine;
        QObject::connect(&engine, &TransactionEngine::AnswerJudged,
                         [this](AnswerVerdict verdict, const Bytes&, int attempt) {
                             reports << VerdictText(verdict) + ' ' + QString::number(attempt);
                         });
        QObject::connect(&engine, &TransactionEngine::RetryStarted, [this](int attempt, int limit) {
            reports << QStringLiteral("retry %1/%2").arg(attempt).arg(limit);
        });
        QObject::connect(&engine, &TransactionEngine::TransactionFinished,
                         [this](int result) { reports << QStringLiteral("finished %1").arg(result); });
    }
    void Start(const Bytes& payload, int expected, int extra = 0) {
        engine.Start({15, false, payload, expected, extra});
    }
    // Moves the clock on until the transaction ends, ten minutes at the most.
    void RunToEnd() {
        for (int ms = 0; ms < 600000 && engine.Result() == TransactionPending; ++ms)
            device.clock.Advance(1);
    }
    qint64 NowMs() const { return device.clock.NowUs() / 1000; }
};

} // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void crcOfCheckString() {
        const QByteArray text = "123456789";
        QCOMPARE(Crc16Of({reinterpret_cast<const std::uint8_t*>(text.data()), std::size_t(text.size())}),
                 0x4B37);
        QCOMPARE(CalcCrc16(true, 0x55, 0x1234), 0xFFFF);
    }

    void workedFrames_data() {
        QTest::addColumn<Bytes>("frame");
        QTest::addColumn<Bytes>("expectedFrame");
        QTest::addColumn<QByteArray>("characters");
        QTest::newRow("request 4,1") << BuildRequestFrame(15, false, HexBytes("04 01"))
                                     << HexBytes("1F 02 88 41 04 01 C2 B0")
                                     << HexChars("4F C1 02 80 08 88 01 84 04 80 01 80 02 8C 00 8B");
        QTest::newRow("request without payload")
            << BuildRequestFrame(15, false, {}) << HexBytes("1F 00 09 80")
            << HexChars("4F C1 00 80 09 80 00 88");
        QTest::newRow("response 81") << BuildResponseFrame(15, HexBytes("81")) << HexBytes("8F 01 81 81 DB")
                                     << HexChars("4F C8 01 80 01 88 01 88 0B 8D");
    }
    void workedFrames() {
        QFETCH(Bytes, frame);
        QFETCH(Bytes, expectedFrame);
        QFETCH(QByteArray, characters);
        QCOMPARE(frame, expectedFrame);
        QCOMPARE(EncodeFrame(frame), characters);
        FrameDecoder decoder;
        Bytes decoded;
        decoder.Decode(characters, decoded);
        QCOMPARE(decoded, expectedFrame);
    }

    void requestHeaderByte_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<bool>("variant");
        QTest::addColumn<int>("expected");
        QTest::newRow("0") << 0 << false << 0x10;
        QTest::newRow("15") << 15 << false << 0x1F;
        QTest::newRow("15 variant") << 15 << true << 0x5F;
        QTest::newRow("wraps") << 0xF5 << false << 0x05;
    }
    void requestHeaderByte() {
        QFETCH(int, address);
        QFETCH(bool, variant);
        QFETCH(int, expected);
        QCOMPARE(int(RequestHeaderByte(address, variant)), expected);
    }

    void laterZeroByteIsPlainCharacters() {
        const QByteArray characters = EncodeFrame(BuildRequestFrame(15, false, HexBytes("00")));
        QCOMPARE(characters.size(), 14);
        QCOMPARE(characters.mid(8, 2), HexChars("00 80"));
    }

    void responseSplitAtEveryBoundaryDecodesAlike() {
        const Bytes frame = BuildResponseFrame(15, HexBytes("00 12 34 FF 80 7F"));
        const QByteArray characters = EncodeFrame(frame);
        for (int first = 0; first <= characters.size(); ++first) {
            for (int second = first; second <= characters.size(); ++second) {
                FrameDecoder decoder;
                Bytes decoded;
                decoder.Decode(characters.left(first), decoded);
                decoder.Decode(characters.mid(first, second - first), decoded);
                decoder.Decode(characters.mid(second), decoded);
                QCOMPARE(decoded, frame);
            }
        }
    }

    void decoderLooksOnlyAtBit7AndLowNibble() {
        FrameDecoder decoder;
        Bytes decoded;
        decoder.Decode(HexChars("3A F5"), decoded); // 0x3A is a low nibble A, 0xF5 a high nibble 5
        QCOMPARE(decoded, HexBytes("5A"));
        decoder.Decode(HexChars("81"), decoded); // a second high nibble reuses the pending low nibble
        QCOMPARE(decoded, HexBytes("5A 1A"));
        decoder.Decode(HexChars("01 02 80"), decoded); // of two low nibbles the later wins
        QCOMPARE(decoded, HexBytes("5A 1A 02"));
        decoder.Decode(QByteArray(), decoded);
        QCOMPARE(decoded.size(), std::size_t(3));
    }

    void validResponse_data() {
        QTest::addColumn<Bytes>("frame");
        QTest::addColumn<int>("expectedLength");
        QTest::addColumn<int>("verdict");
        const Bytes good = BuildResponseFrame(15, HexBytes("00 01"));
        Bytes badCrc = BuildResponseFrame(15, HexBytes("00 01"));
        badCrc.at(4) ^= 1; // the CRC's low byte
        Bytes variant = good;
        variant[0] |= 0x40;
        Bytes badLengthAndCrc = good;
        badLengthAndCrc[1] = 3;
        Bytes otherAddressBadCrc = BuildResponseFrame(14, HexBytes("00 01"));
        otherAddressBadCrc.back() ^= 1;
        QTest::newRow("good") << good << 2 << int(AnswerVerdict::Accepted);
        QTest::newRow("wrong length byte") << good << 3 << int(AnswerVerdict::WrongLength);
        QTest::newRow("bad crc") << badCrc << 2 << int(AnswerVerdict::BadCrc);
        QTest::newRow("variant flag echoed") << variant << 2 << int(AnswerVerdict::WrongAddress);
        QTest::newRow("other address")
            << BuildResponseFrame(14, HexBytes("00 01")) << 2 << int(AnswerVerdict::WrongAddress);
        // The first fault found is the reason: address before length before CRC.
        QTest::newRow("length byte before crc") << badLengthAndCrc << 2 << int(AnswerVerdict::WrongLength);
        QTest::newRow("address before crc") << otherAddressBadCrc << 2 << int(AnswerVerdict::WrongAddress);
        QTest::newRow("empty payload") << BuildResponseFrame(15, {}) << 0 << int(AnswerVerdict::Accepted);
    }
    void validResponse() {
        QFETCH(Bytes, frame);
        QFETCH(int, expectedLength);
        QFETCH(int, verdict);
        QCOMPARE(int(JudgeResponse(frame, 15, expectedLength)), verdict);
        QCOMPARE(IsValidResponse(frame, 15, expectedLength), verdict == int(AnswerVerdict::Accepted));
    }

    void timeoutArithmetic_data() {
        QTest::addColumn<Bytes>("payload");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("extra");
        QTest::addColumn<int>("allowance");
        QTest::addColumn<int>("timeout");
        QTest::newRow("read settings") << HexBytes("04 01") << 49 << 0 << 0 << 122;
        QTest::newRow("read counters") << HexBytes("04 04") << 73 << 0 << 0 << 170;
        Bytes write = HexBytes("04 03");
        write.resize(49);
        QTest::newRow("write settings") << write << 1 << 1000 << 0 << 1120;
        QTest::newRow("no payload") << Bytes{} << 0 << 0 << 0 << 16;
        QTest::newRow("a line's allowance") << HexBytes("04 01") << 49 << 0 << 300 << 422;
    }
    void timeoutArithmetic() {
        QFETCH(Bytes, payload);
        QFETCH(int, expected);
        QFETCH(int, extra);
        QFETCH(int, allowance);
        QFETCH(int, timeout);
        EngineFixture f;
        f.engine.SetLineAllowanceMs(allowance);
        f.Start(payload, expected, extra);
        f.device.clock.Advance(1);
        QCOMPARE(f.device.requests.size(), 1);
        QCOMPARE(f.engine.TimeoutMs(), timeout);
        QCOMPARE(f.engine.TimeoutTimer().Interval(), timeout);
        QCOMPARE(f.engine.StepTimer().Interval(), 50);
        QCOMPARE(f.device.requests.first(), BuildRequestFrame(15, false, payload));
    }

    void acceptsAnswer_data() {
        QTest::addColumn<QList<Reply>>("replies");
        QTest::addColumn<int>("expectedLength");
        QTest::addColumn<int>("sends");
        QTest::addColumn<Bytes>("payload");
        QTest::addColumn<QStringList>("reports");
        const QStringList atOnce{"accepted 1", "finished 2"};
        const auto afterOne = [](const char* verdict) {
            return QStringList{QString::fromLatin1(verdict) + " 1", "retry 2/10", "accepted 2", "finished 2"};
        };

        const Bytes full = HexBytes("00 11 22 33");
        auto corrupt = [&](std::function<void(Bytes&)> change) {
            Bytes frame = BuildResponseFrame(15, full);
            change(frame);
            return Reply{{{5, EncodeFrame(frame)}}};
        };
        QTest::newRow("at once") << QList<Reply>{Answer(full)} << 4 << 1 << full << atOnce;
        QTest::newRow("bad crc then good")
            << QList<Reply>{corrupt([](Bytes& f) { f.back() ^= 0xFF; }), Answer(full)} << 4 << 2 << full
            << afterOne("bad CRC");
        QTest::newRow("wrong address then good")
            << QList<Reply>{Answer(full, 5, 14), Answer(full)} << 4 << 2 << full << afterOne("wrong address");
        QTest::newRow("wrong length byte then good")
            << QList<Reply>{corrupt([](Bytes& f) { f[1] = 5; }), Answer(full)} << 4 << 2 << full
            << afterOne("wrong length");

        QByteArray characters = EncodeFrame(BuildResponseFrame(15, full));
        Reply chunks;
        for (int i = 0; i < characters.size(); i += 3)
            chunks.chunks.append({2 + i, characters.mid(i, 3)});
        QTest::newRow("many chunks") << QList<Reply>{chunks} << 4 << 1 << full << atOnce;

        // The previous attempt's answer arrives late, just before the answer to the resend: both land
        // behind the send in one read, and only the end of the received bytes is examined.
        Reply lateThenGood{{{6, EncodeFrame(BuildResponseFrame(15, HexBytes("00 99 99 99"))) +
                                    EncodeFrame(BuildResponseFrame(15, full))}}};
        QTest::newRow("late answer before the right one")
            << QList<Reply>{Reply{}, lateThenGood} << 4 << 2 << full << afterOne("time-out");

        QTest::newRow("expected length 0") << QList<Reply>{Answer({})} << 0 << 1 << Bytes{} << atOnce;
        QTest::newRow("short answer at the time-out")
            << QList<Reply>{Answer(HexBytes("81"))} << 49 << 1 << HexBytes("81") << atOnce;
    }
    void acceptsAnswer() {
        QFETCH(QList<Reply>, replies);
        QFETCH(int, expectedLength);
        QFETCH(int, sends);
        QFETCH(Bytes, payload);
        QFETCH(QStringList, reports);
        EngineFixture f;
        f.device.script.assign(replies.begin(), replies.end());
        f.Start(HexBytes("04 01"), expectedLength);
        f.RunToEnd();
        QCOMPARE(int(f.engine.Result()), int(TransactionSucceeded));
        QCOMPARE(f.device.requests.size(), sends);
        QCOMPARE(f.engine.AttemptCount(), sends);
        QCOMPARE(Bytes(f.engine.ResponsePayload().begin(), f.engine.ResponsePayload().end()), payload);
        QCOMPARE(f.engine.State(), EngineIdle);
        QVERIFY(!f.engine.StepTimer().IsActive());
        // The received bytes are cut down to the examined response.
        QCOMPARE(f.engine.ReceivedBytes().size(), payload.size() + 4);
        QCOMPARE(f.reports, reports);
    }

    // Every send of a transaction carries the same request, so a good answer to any of them is taken the
    // moment it is complete, wherever it stands among the bytes since the first send; what comes after it
    // no longer spoils it.
    void goodAnswerIsTakenWhereverItStands_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("sends");
        QTest::addColumn<QStringList>("reports");
        // "at N": the clock moves on to N ms after the start, firing the engine's timers on the way;
        // "good", "bad", "noise", "good-head", "good-tail": characters in.
        QTest::newRow("characters behind it in the same hand-over")
            << "at 5|good+noise|at 200" << 1 << QStringList{"accepted 1", "finished 2"};
        QTest::newRow("characters behind it before the next tick")
            << "at 5|good|noise|at 200" << 1 << QStringList{"accepted 1", "finished 2"};
        // A spoiled answer judged on the tick while the next one is on its way: the resend waits for a
        // quiet line, and the good answer that completes meanwhile is taken instead of being thrown away.
        // The examined tail begins inside the spoiled answer's payload (0x22), so it is judged by its
        // address.
        QTest::newRow("complete while a resend waits for a quiet line")
            << "at 5|bad|at 45|good-head|at 55|good-tail|at 300" << 1
            << QStringList{"wrong address 1", "retry 2/10", "accepted 1", "finished 2"};
        // A good answer that came before the request went out answers an earlier request.
        QTest::newRow("before the first send never counts") << "good|at 5|noise|at 30" << 1 << QStringList{};
    }
    void goodAnswerIsTakenWhereverItStands() {
        QFETCH(QString, script);
        QFETCH(int, sends);
        QFETCH(QStringList, reports);
        EngineFixture f;
        const QByteArray good = EncodeFrame(BuildResponseFrame(15, HexBytes("00 11 22 33")));
        Bytes spoiled = BuildResponseFrame(15, HexBytes("00 11 22 33"));
        spoiled.back() ^= 0xFF;
        const QMap<QString, QByteArray> characters{{"good", good},
                                                   {"bad", EncodeFrame(spoiled)},
                                                   {"noise", HexChars("01 82")},
                                                   {"good+noise", good + HexChars("01 82")},
                                                   {"good-head", good.left(8)},
                                                   {"good-tail", good.mid(8)}};
        f.Start(HexBytes("04 01"), 4);
        for (const QString& step : script.split('|')) {
            if (step.startsWith("at "))
                f.device.clock.Advance(step.mid(3).toLongLong() - f.NowMs());
            else
                f.engine.ReceiveCharacters(characters.value(step));
        }
        QCOMPARE(f.device.requests.size(), sends);
        QCOMPARE(f.reports, reports);
        if (reports.isEmpty()) return;
        QCOMPARE(f.engine.ResponseLength(), 4);
        QCOMPARE(int(f.engine.ResponsePayload()[2]), 0x22);
        QCOMPARE(f.engine.AttemptCount(), sends);
    }

    void silentDeviceGetsTenRequests() {
        EngineFixture f;
        f.Start(HexBytes("04 01"), 49);
        f.RunToEnd();
        QCOMPARE(int(f.engine.Result()), int(TransactionFailed));
        QCOMPARE(f.device.requests.size(), 10);
        QCOMPARE(f.engine.AttemptCount(), 10);
        QStringList reports;
        for (int attempt = 1; attempt <= 10; ++attempt) {
            reports << QStringLiteral("time-out %1").arg(attempt);
            if (attempt < 10) reports << QStringLiteral("retry %1/10").arg(attempt + 1);
        }
        QCOMPARE(f.reports, reports << "finished 1");
        // Each time-out of 122 ms is seen on the first 50 ms tick after it, and the resend follows at once.
        for (int send = 1; send < 10; ++send)
            QCOMPARE(f.device.requestAtMs[send] - f.device.requestAtMs[send - 1], 150);
        f.device.clock.Advance(1000);
        QCOMPARE(f.device.requests.size(), 10);
        QVERIFY(!f.engine.StepTimer().IsActive() && !f.engine.TimeoutTimer().IsActive());
    }

    // An answer still coming in when the time-out is reached is waited for until the line goes quiet; a
    // partial answer that has stopped is judged at once, as before.
    void answerArrivingAcrossTheTimeOut_data() {
        QTest::addColumn<int>("firstChunkMs");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<int>("chunkCharacters");
        // 49 payload bytes, 106 characters; the time-out is 122 ms after the send, and the engine looks on
        // its 50 ms ticks.
        QTest::newRow("still arriving at the time-out") << 100 << 5 << 8;
        QTest::newRow("first character just before the time-out") << 118 << 3 << 8;
        QTest::newRow("USB bursts 16 ms apart") << 110 << 16 << 30;
    }
    void answerArrivingAcrossTheTimeOut() {
        QFETCH(int, firstChunkMs);
        QFETCH(int, gapMs);
        QFETCH(int, chunkCharacters);
        EngineFixture f;
        const QByteArray characters = EncodeFrame(BuildResponseFrame(15, Bytes(49, 0x33)));
        Reply reply;
        for (int i = 0, chunk = 0; i < characters.size(); i += chunkCharacters, ++chunk)
            reply.chunks.append({firstChunkMs + chunk * gapMs, characters.mid(i, chunkCharacters)});
        f.device.script.push_back(reply);
        f.Start(HexBytes("04 01"), 49);
        f.RunToEnd();
        QCOMPARE(f.reports, (QStringList{"accepted 1", "finished 2"}));
        QCOMPARE(f.device.requests.size(), 1);
        QCOMPARE(f.engine.ResponseLength(), 49);
    }

    // A resend waits until the line has been quiet for its quiet time: sent while the rest of a stale
    // answer is still coming, it would queue one more answer behind it, and every later attempt would
    // examine the end of one answer and the start of the next.
    void resendWaitsForAQuietLine() {
        EngineFixture f;
        const Bytes payload(49, 0x33);
        // An answer from the wrong address, judged at the first look; then characters until 120 ms after
        // the request (low-nibble characters, which complete no byte).
        Reply busy = Answer(payload, 5, 14);
        for (int ms = 10; ms <= 120; ms += 5)
            busy.chunks.append({ms, QByteArray(1, '\x01')});
        f.device.script = {busy, Answer(payload)};
        f.Start(HexBytes("04 01"), 49);
        f.RunToEnd();
        QCOMPARE(f.reports, (QStringList{"wrong address 1", "retry 2/10", "accepted 2", "finished 2"}));
        // Not on the tick that rejected the first answer (50 ms), but after the last character and the
        // quiet that follows it.
        QCOMPARE(f.device.requestAtMs.at(1) - f.device.requestAtMs.at(0),
                 120 + TransactionEngine::DefaultQuietLineMs);
    }

    // The device rests after its last character before the next request, also before a transaction's
    // first send; the time-out starts when the request goes out.
    void requestWaitsForTheDeviceTurnaround() {
        EngineFixture f;
        f.engine.SetMinimumTurnaroundUs(20000);
        f.device.script = {Answer(HexBytes("00 11 22 33"), 5), Answer(HexBytes("00 11 22 33"), 5)};
        f.Start(HexBytes("04 01"), 4);
        f.RunToEnd();
        const qint64 answeredAt = f.NowMs();
        f.Start(HexBytes("04 01"), 4);
        f.device.clock.Advance(19);
        QCOMPARE(f.device.requests.size(), 1);
        f.device.clock.Advance(1);
        QCOMPARE(f.device.requests.size(), 2);
        QCOMPARE(f.device.requestAtMs.last() - answeredAt, 20);
        f.RunToEnd();
        QCOMPARE(int(f.engine.Result()), int(TransactionSucceeded));
    }

    void endlessNoiseCannotHoldTheEngine() {
        EngineFixture f;
        std::function<void()> chatter = [&] {
            f.engine.ReceiveCharacters(HexChars("01 82"));
            if (f.engine.Result() == TransactionPending) f.device.At(4, chatter);
        };
        f.device.At(4, chatter);
        f.Start(HexBytes("04 01"), 49);
        f.RunToEnd();
        QCOMPARE(int(f.engine.Result()), int(TransactionFailed));
        QCOMPARE(f.device.requests.size(), 10);
        QCOMPARE(f.engine.AttemptCount(), 10);
        // An attempt is held past its time-out (seen on the tick at 150 ms) for at most one more time-out
        // before it is judged, and its resend for at most one time-out more.
        QVERIFY2(f.NowMs() <= 10 * (150 + 122 + 122), qPrintable(QString::number(f.NowMs())));
    }

    void tooFewBytesAtTimeoutAreNotExamined() {
        EngineFixture f;
        // Four bytes (a frame with no payload) arrive for every attempt: never enough to examine.
        for (int i = 0; i < 10; ++i)
            f.device.script.push_back(Answer({}));
        f.Start(HexBytes("04 01"), 49);
        f.RunToEnd();
        QCOMPARE(int(f.engine.Result()), int(TransactionFailed));
        QCOMPARE(f.device.requests.size(), 10);
    }

    void oversizedRequestsAreRefusedWithoutSending_data() {
        QTest::addColumn<int>("payloadBytes");
        QTest::addColumn<int>("expectedLength");
        QTest::addColumn<bool>("refused");
        QTest::newRow("250 bytes fit") << 250 << 1 << false;
        QTest::newRow("251 bytes") << 251 << 1 << true;
        QTest::newRow("expected 251") << 2 << 251 << true;
        QTest::newRow("expected negative") << 2 << -1 << true;
    }
    void oversizedRequestsAreRefusedWithoutSending() {
        QFETCH(int, payloadBytes);
        QFETCH(int, expectedLength);
        QFETCH(bool, refused);
        EngineFixture f;
        Bytes payload(static_cast<std::size_t>(payloadBytes));
        for (int i = 0; i < payloadBytes; ++i)
            payload[std::size_t(i)] = std::uint8_t(i);
        f.Start(payload, expectedLength);
        QCOMPARE(int(f.engine.Result()), int(refused ? TransactionFailed : TransactionPending));
        f.device.clock.Advance(30);
        QCOMPARE(f.device.requests.size(), refused ? 0 : 1);
        if (!refused) QCOMPARE(f.device.requests.first().size(), std::size_t(payloadBytes + 6));
    }

    void resetIdlesTheEngine() {
        EngineFixture f;
        f.Start(HexBytes("04 04"), 73);
        f.device.clock.Advance(1);
        QCOMPARE(f.device.requests.size(), 1);
        f.engine.Reset();
        f.device.clock.Advance(400);
        QCOMPARE(f.device.requests.size(), 1);
        QCOMPARE(int(f.engine.Result()), int(TransactionPending));
        QVERIFY(f.device.clock.NextDue().isEmpty()); // no timer of the engine runs
    }

    void chatterBetweenTransactionsIsBounded() {
        EngineFixture f;
        const QByteArray noise(100000, char(0x85));
        f.engine.ReceiveCharacters(noise);
        QVERIFY(f.engine.ReceivedBytes().size() <= 2 * TransactionEngine::ReceivedTailLimit);
        // A response at the end of the chatter is still there to be examined.
        f.engine.ReceiveCharacters(EncodeFrame(BuildResponseFrame(15, HexBytes("07"))));
        const Bytes& received = f.engine.ReceivedBytes();
        QCOMPARE(Bytes(received.end() - 5, received.end()), BuildResponseFrame(15, HexBytes("07")));
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
