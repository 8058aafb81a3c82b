// SPDX-License-Identifier: MIT
// The frame monitor's rows from the device session's signals.
#include "app/FrameRecorder.h"

#include "session/DeviceSession.h"

#include <QCoreApplication>

namespace zeph::app {

namespace {

QString StatusText(int status) {
    return QStringLiteral("0x") + QString::number(status, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

QString OperationName(device::Operation operation) {
    return QCoreApplication::translate("Operation", device::EntryFor(operation).name);
}

} // namespace

AttemptVerdict DescribeAttempt(link::AnswerVerdict verdict, const link::Bytes& examined, int received,
                               int expectedLength) {
    const int fullFrame = expectedLength + 4;
    // Fewer bytes than a full answer are examined only at the time-out, as a status byte alone.
    const bool statusAlone = int(examined.size()) < fullFrame;
    const auto ofExpected = [&] { return FrameRecorder::tr("%1 of %2 bytes").arg(received).arg(fullFrame); };

    if (verdict == link::AnswerVerdict::TimedOut) {
        if (received == 0) return {FrameRecorder::tr("time-out, nothing received"), RowTone::Bad};
        return {FrameRecorder::tr("time-out with too little: %1").arg(ofExpected()), RowTone::Bad};
    }
    if (verdict != link::AnswerVerdict::Accepted) {
        const QString reason = QCoreApplication::translate("Verdict", link::VerdictText(verdict).toLatin1());
        if (statusAlone)
            return {FrameRecorder::tr("time-out with %1, rejected: %2").arg(ofExpected(), reason),
                    RowTone::Bad};
        return {FrameRecorder::tr("rejected: %1").arg(reason), RowTone::Bad};
    }

    const int status = examined.size() > 2 ? examined[2] : 0;
    QString text = statusAlone ? FrameRecorder::tr("status %1 alone at the time-out").arg(StatusText(status))
                   : status != 0 ? FrameRecorder::tr("answer with status %1").arg(StatusText(status))
                                 : FrameRecorder::tr("accepted");
    // The one status every operation gives the same meaning.
    if (status == 0x81) text += FrameRecorder::tr(" (not a ZEPH7208)");
    // Noise or an earlier answer before it: the engine judges only the last bytes.
    if (received > int(examined.size()))
        text += FrameRecorder::tr(", %1 bytes before it ignored").arg(received - int(examined.size()));
    return {text, statusAlone || status != 0 ? RowTone::Odd : RowTone::Good};
}

FrameRecorder::FrameRecorder(const session::DeviceSession& session, FrameMonitorModel& model, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_model(model) {
    m_clock.start();
    using session::DeviceSession;
    connect(&session, &DeviceSession::FrameSent, this, &FrameRecorder::FrameSent);
    connect(&session, &DeviceSession::FrameNotSent, this, &FrameRecorder::FrameNotSent);
    connect(&session, &DeviceSession::CharactersReceived, this, &FrameRecorder::CharactersReceived);
    connect(&session, &DeviceSession::AnswerJudged, this, &FrameRecorder::AnswerJudged);
    connect(&session, &DeviceSession::RetryStarted, this, &FrameRecorder::RetryStarted);
    connect(&session, &DeviceSession::OperationStarted, this, [this](device::Operation operation) {
        m_operation = operation;
        m_sendNumber = 1;
    });
    connect(&session, &DeviceSession::OperationFinished, this, &FrameRecorder::OperationFinished);
    connect(&session, &DeviceSession::PortOpened, this, [this](const QString& port) {
        PortEvent(tr("port %1 opened, %2").arg(port, m_session.LineSettings()));
    });
    connect(&session, &DeviceSession::PortClosed, this,
            [this](const QString& port) { PortEvent(tr("port %1 closed").arg(port)); });
    connect(&session, &DeviceSession::PortLost, this,
            [this](const QString& port) { PortEvent(tr("port %1 lost: the other end hung up").arg(port)); });
}

MonitorRow FrameRecorder::NewRow(RowDirection direction, const QString& verdict, RowTone tone) const {
    MonitorRow row;
    row.timeMs = m_clock.elapsed();
    row.direction = direction;
    row.verdict = verdict;
    row.tone = tone;
    return row;
}

void FrameRecorder::FrameSent(const QByteArray& characters, device::Operation operation) {
    // A request that went out unanswered and unjudged has been given up by the engine.
    if (m_attemptOpen) CloseRow(m_attemptRow, tr("abandoned"), RowTone::Odd);
    m_operation = operation;
    QString text = OperationName(operation);
    if (m_sendNumber > 1)
        text += tr(", attempt %1 of %2").arg(m_sendNumber).arg(session::DeviceSession::Attempts);
    MonitorRow row = NewRow(RowDirection::Sent, text, RowTone::Plain);
    row.characters = characters;
    m_model.Append(std::move(row));
    m_sendNumber = 1;
    m_unsolicitedRow = 0;
    m_attemptOpen = true;
    m_attemptRow = 0;
    m_attemptBytes = 0;
    m_judgedRow = 0;
}

void FrameRecorder::FrameNotSent() {
    m_model.Append(NewRow(RowDirection::Sent,
                          tr("%1: not sent, the port refused the write").arg(OperationName(m_operation)),
                          RowTone::Bad));
    m_sendNumber = 1;
    m_attemptOpen = true;
    m_attemptRow = 0;
    m_attemptBytes = 0;
}

void FrameRecorder::CharactersReceived(const QByteArray& characters) {
    if (characters.isEmpty()) return;
    const quint8 carry = quint8(m_decoder.PendingLowNibble());
    link::Bytes bytes;
    m_decoder.Decode(characters, bytes);

    if (m_attemptOpen && m_session.AwaitingAnswer()) {
        m_attemptBytes += int(bytes.size());
        m_attemptRow = AddCharacters(m_attemptRow, characters, carry, QString(), RowTone::Plain);
        return;
    }
    // Nobody asked for these: a late answer, a second device, noise.
    const qint64 now = m_clock.elapsed();
    const MonitorRow* open = m_model.Recent(m_unsolicitedRow);
    if (!open || now - m_lastUnsolicitedMs > UnsolicitedGapMs ||
        open->characters.size() >= UnsolicitedRowCharacters)
        m_unsolicitedRow = 0;
    m_unsolicitedRow = AddCharacters(m_unsolicitedRow, characters, carry, tr("unsolicited"), RowTone::Odd);
    m_lastUnsolicitedMs = now;
}

quint64 FrameRecorder::AddCharacters(quint64 serial, const QByteArray& characters, quint8 carry,
                                     const QString& verdict, RowTone tone) {
    if (MonitorRow* row = m_model.Recent(serial)) {
        row->characters += characters;
        m_model.RecentChanged(serial);
        return serial;
    }
    MonitorRow row = NewRow(RowDirection::Received, verdict, tone);
    row.carry = carry;
    row.characters = characters;
    return m_model.Append(std::move(row));
}

void FrameRecorder::CloseRow(quint64 serial, const QString& verdict, RowTone tone) {
    m_attemptOpen = false;
    m_attemptRow = 0;
    if (MonitorRow* row = m_model.Recent(serial)) {
        row->verdict = verdict;
        row->tone = tone;
        m_model.RecentChanged(serial);
        m_judgedRow = serial;
        return;
    }
    m_judgedRow = m_model.Append(NewRow(RowDirection::Received, verdict, tone));
}

void FrameRecorder::AnswerJudged(link::AnswerVerdict verdict, const link::Bytes& examined, int attempt) {
    if (!m_attemptOpen) return;
    AttemptVerdict described =
        DescribeAttempt(verdict, examined, m_attemptBytes, device::EntryFor(m_operation).expectedLength);
    // A retry adds its own notice when it starts; the last attempt gets none.
    if (verdict != link::AnswerVerdict::Accepted && attempt >= session::DeviceSession::Attempts)
        described.text += tr("; gave up after %1 attempts").arg(attempt);
    CloseRow(m_attemptRow, described.text, described.tone);
}

void FrameRecorder::RetryStarted(int attempt, int limit) {
    m_sendNumber = attempt;
    if (MonitorRow* row = m_model.Recent(m_judgedRow)) {
        row->verdict += tr("; retry %1 of %2").arg(attempt).arg(limit);
        m_model.RecentChanged(m_judgedRow);
    }
}

void FrameRecorder::OperationFinished(const device::OperationResult& result) {
    if (result.outcome != device::OperationOutcome::Abandoned || !m_attemptOpen) return;
    CloseRow(m_attemptRow, m_attemptRow ? tr("abandoned") : tr("abandoned, nothing received"), RowTone::Odd);
}

void FrameRecorder::PortEvent(const QString& text) {
    m_unsolicitedRow = 0;
    m_model.Append(NewRow(RowDirection::Port, text, RowTone::Plain));
}

} // namespace zeph::app
