// SPDX-License-Identifier: MIT
// The full disk of WriteFault.c, and for C++ tests a guard that turns it on for a while.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif
// Reads ZEPH_FAULT_WRITE_LIMIT and ZEPH_FAULT_FSYNC again; the count of bytes written starts anew.
void zeph_write_fault_reload(void);
#ifdef __cplusplus
}

#include <QByteArray>
#include <QtGlobal>

namespace zeph::test {

// While this lives, the files written may grow by only growBy more bytes, and fsync fails with fsyncError
// when it is not 0; a negative growBy leaves writes alone.
struct WriteFault {
    explicit WriteFault(qint64 growBy, int fsyncError = 0) {
        if (growBy >= 0) qputenv("ZEPH_FAULT_WRITE_LIMIT", QByteArray::number(growBy));
        if (fsyncError != 0) qputenv("ZEPH_FAULT_FSYNC", QByteArray::number(fsyncError));
        zeph_write_fault_reload();
    }
    ~WriteFault() {
        qunsetenv("ZEPH_FAULT_WRITE_LIMIT");
        qunsetenv("ZEPH_FAULT_FSYNC");
        zeph_write_fault_reload();
    }
    WriteFault(const WriteFault&) = delete;
    WriteFault& operator=(const WriteFault&) = delete;
};

} // namespace zeph::test
#endif
