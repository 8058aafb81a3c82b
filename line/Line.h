// SPDX-License-Identifier: MIT
// What the device session needs of any line to the device: open, close, write, the characters that
// come, a hang-up, and an error as a value. A serial port is one kind; an in-memory line for tests is
// another; lines over the network join them.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace zeph::line {

struct LineError {
    enum class Kind {
        None,
        CannotOpen, // the line could not be opened; text says why
        WriteFailed // characters could not be handed to the line
    };
    Kind kind = Kind::None;
    QString text; // the reason in words, as the system or the line gives it

    explicit operator bool() const { return kind != Kind::None; }
};

class Line : public QObject {
    Q_OBJECT
public:
    explicit Line(QObject* parent = nullptr)
        : QObject(parent) {}

    // Opens the line for 19200 baud 8N1; false with the reason in Error() when it cannot.
    virtual bool Open() = 0;
    // Closes the line; characters still coming are dropped. Safe when closed.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Hands the characters to the line without blocking; false with the reason in Error().
    virtual bool Write(const QByteArray& characters) = 0;

    // The text the line was made from: "/dev/ttyUSB0", "rfc2217://host:4001".
    virtual QString Name() const = 0;
    // Its settings as a technician writes them: "19200 8N1".
    virtual QString Settings() const = 0;
    // For people: "/dev/ttyUSB0, 19200 8N1".
    QString Description() const { return Name() + QStringLiteral(", ") + Settings(); }
    // The time one character takes on the line, in nanoseconds.
    virtual int CharacterTimeNs() const = 0;
    // What the line adds to an answer's time-out beyond the device's own time (a network's round trip);
    // 0 for a local serial port.
    virtual int AllowanceMs() const { return 0; }
    // A hint: an answer of this many characters is due by deadlineUs on the steady clock. A line may use
    // it to hand the answer over in one piece, or ignore it.
    virtual void ExpectAnswer(int characters, qint64 deadlineUs) {
        Q_UNUSED(characters);
        Q_UNUSED(deadlineUs);
    }

    // The engine gave up waiting for an answer: a line with buffers of its own on the way (a serial
    // server) may empty them, so that the rest of a late answer does not meet the next request.
    virtual void AnswerTimedOut() {}

    LineError Error() const { return m_error; }

signals:
    // Characters as they came, on the line's owner's thread.
    void Received(const QByteArray& characters);
    // The other end went away while the line was open (an adapter pulled out); said once per open.
    void HungUp();
    // Something the user should know that leaves the line usable, in words: a serial server that did not
    // take one of the far port's settings. Said at most once per open.
    void Notice(const QString& text);

protected:
    bool Fail(LineError::Kind kind, const QString& text) {
        m_error = {kind, text};
        return false;
    }
    void ClearError() { m_error = {}; }

private:
    LineError m_error;
};

} // namespace zeph::line
