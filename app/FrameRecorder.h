// SPDX-License-Identifier: MIT
// Turns what the device session reports about the line into the frame monitor's rows: a TX row per
// request, an RX row per attempt closed by the engine's verdict, unsolicited characters, port events.
#pragma once

#include "app/FrameMonitorModel.h"
#include "device/OperationResult.h"
#include "link/FrameCodec.h"

#include <QElapsedTimer>
#include <QObject>

namespace zeph::session {
class DeviceSession;
}

namespace zeph::app {

struct AttemptVerdict {
    QString text;
    RowTone tone;
};

// Plain words for the engine's judgement of one attempt. examined is what the engine looked at (the
// last bytes received, or everything for a time-out with four bytes or fewer); received counts the
// bytes of the whole attempt; expectedLength is the payload the request waits for.
AttemptVerdict DescribeAttempt(link::AnswerVerdict verdict, const link::Bytes& examined, int received,
                               int expectedLength);

class FrameRecorder : public QObject {
    Q_OBJECT
public:
    // Characters arriving while no request waits are collected into one unsolicited row until this
    // many have come or the line has been quiet this long.
    static constexpr int UnsolicitedRowCharacters = 1024;
    static constexpr qint64 UnsolicitedGapMs = 100;

    FrameRecorder(const session::DeviceSession& session, FrameMonitorModel& model, QObject* parent = nullptr);

private:
    void FrameSent(const QByteArray& characters, device::Operation operation);
    void FrameNotSent();
    void CharactersReceived(const QByteArray& characters);
    void AnswerJudged(link::AnswerVerdict verdict, const link::Bytes& examined, int attempt);
    void RetryStarted(int attempt, int limit);
    void OperationFinished(const device::OperationResult& result);
    void PortEvent(const QString& text);

    // Adds characters to the row with this serial when it is still the newest, else starts a new one.
    // carry is the decoder's pending low nibble before these characters.
    quint64 AddCharacters(quint64 serial, const QByteArray& characters, quint8 carry, const QString& verdict,
                          RowTone tone);
    // Sets the verdict of the row with this serial, or adds an empty RX row with it when that row is gone.
    void CloseRow(quint64 serial, const QString& verdict, RowTone tone);
    MonitorRow NewRow(RowDirection direction, const QString& verdict, RowTone tone) const;

    const session::DeviceSession& m_session;
    FrameMonitorModel& m_model;
    QElapsedTimer m_clock;
    link::FrameDecoder m_decoder; // mirrors the engine's, so bytes split across chunks decode alike
    device::Operation m_operation = device::Operation::ReadSettings;
    int m_sendNumber = 1;         // of the request going out; set by each retry
    bool m_attemptOpen = false;   // a request is out and its answer not yet judged
    quint64 m_attemptRow = 0;     // its RX row, once a character came
    int m_attemptBytes = 0;       // bytes decoded since the request went out
    quint64 m_judgedRow = 0;      // the RX row a retry notice belongs to
    quint64 m_unsolicitedRow = 0; // the unsolicited row still collecting
    qint64 m_lastUnsolicitedMs = 0;
};

} // namespace zeph::app
