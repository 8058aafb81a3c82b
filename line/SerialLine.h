// SPDX-License-Identifier: MIT
// A line over a local serial port: the serial port component set to 19200 baud 8N1, with the modem lines
// the device's line driver follows (DTR up, RTS down).
#pragma once

#include "line/Line.h"

namespace zeph::comport {
class TComPort;
}

namespace zeph::line {

class SerialLine : public Line {
    Q_OBJECT
public:
    // checkHolders: look for other programs holding the port before opening it (see TComPort).
    explicit SerialLine(const QString& path, bool checkHolders = true, QObject* parent = nullptr);
    ~SerialLine() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const QByteArray& characters) override;
    QString Name() const override;
    QString Settings() const override;
    int CharacterTimeNs() const override;
    void ExpectAnswer(int characters, qint64 deadlineUs) override;

private:
    comport::TComPort* m_port;
};

} // namespace zeph::line
