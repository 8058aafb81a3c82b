// SPDX-License-Identifier: MIT
// System calls for one serial port on POSIX systems, shared by the receive thread and the port probe.
#pragma once

#include "comport/ComPort.h"

#include <QString>

namespace zeph::comport {

// Opens path read/write without becoming its controlling terminal and takes an exclusive flock on it.
// With markExclusive the tty is also put in exclusive mode (keeps out other non-root openers).
// Returns the descriptor, or -1 with the reason in *error (a port held by someone else gives EBUSY).
int OpenPortExclusive(const QString& path, bool markExclusive, int* error);

// Empties both queues unsent/unread, leaves exclusive mode and closes, so a close never waits for a
// stalled line to drain.
void ClosePort(int fd);

// Raw 8-bit transfer, no flow control, receiver on, modem lines ignored for carrier; results unchecked.
void ApplyLineSettings(int fd, int baud, int dataBits, TParity parity, TStopBit stopBits);

// Raises or drops the modem-line bits (TIOCM_*); lines a pseudo-terminal does not have are ignored.
void SetModemLines(int fd, int lineBits, bool on);

// The modem-line state and the driver's event counters at one moment.
struct ModemSample {
    bool valid = false;      // the port has modem lines at all
    bool haveCounts = false; // the driver keeps transition and error counters
    quint32 status = 0;      // Ms* bits
    int cts = 0, dsr = 0, ring = 0, rlsd = 0, lineErrors = 0;
};

ModemSample SampleModem(int fd);

// The Ev* bits for what happened between two samples. Counters catch changes that came and went
// between the samples; without counters only differing states are seen.
quint32 ModemEvents(const ModemSample& before, const ModemSample& after);

// The system's message text for an errno value.
QString SystemErrorText(int error);

} // namespace zeph::comport
