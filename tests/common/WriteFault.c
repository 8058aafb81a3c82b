// SPDX-License-Identifier: MIT
// A disk that fills up on demand, for the tests of saves. write, pwrite and writev to regular files (not
// the standard streams) fail with ENOSPC once the files written have grown by ZEPH_FAULT_WRITE_LIMIT bytes;
// a write that crosses the limit is cut short first, as a real one is. Writing over bytes a file already
// holds still succeeds, since a real disk needs no new room for it either: that is what lets a save put
// old bytes back. ZEPH_FAULT_FSYNC, an errno number, makes fsync and fdatasync of regular files fail with
// it. Both are off when unset. Linked into a test program, or preloaded (LD_PRELOAD) into a program a test
// runs; the variables are read when it is loaded and again by zeph_write_fault_reload().
#define _GNU_SOURCE
#include "WriteFault.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdatomic.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

static _Atomic long long budget = -1; // bytes the files may still grow by; negative: no limit
static _Atomic int fsyncError = 0;

void zeph_write_fault_reload(void) {
    const char* limit = getenv("ZEPH_FAULT_WRITE_LIMIT");
    const char* fsyncFault = getenv("ZEPH_FAULT_FSYNC");
    atomic_store(&budget, limit ? atoll(limit) : -1);
    atomic_store(&fsyncError, fsyncFault ? atoi(fsyncFault) : 0);
}

__attribute__((constructor)) static void Loaded(void) {
    zeph_write_fault_reload();
}

static int Regular(int fd) {
    struct stat info;
    return fd > STDERR_FILENO && fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// How many of count bytes at offset (-1: the file's position) may be written to fd.
static size_t Allowed(int fd, off_t offset, size_t count) {
    struct stat info;
    if (atomic_load(&budget) < 0 || fd <= STDERR_FILENO || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return count;
    if (offset < 0) offset = (fcntl(fd, F_GETFL) & O_APPEND) ? info.st_size : lseek(fd, 0, SEEK_CUR);
    // The bytes over what the file holds already take no room.
    size_t inside = offset < info.st_size ? (size_t)(info.st_size - offset) : 0;
    if (inside > count) inside = count;
    const long long growth = (long long)(count - inside);
    long long left = atomic_load(&budget);
    long long granted;
    do {
        if (left < 0) return count;
        granted = growth < left ? growth : left;
    } while (!atomic_compare_exchange_weak(&budget, &left, left - granted));
    return inside + (size_t)granted;
}

// The next definition of a function, the C library's or a sanitizer's, looked up once.
static void* Next(_Atomic(void*)* slot, const char* name) {
    void* function = atomic_load(slot);
    if (!function) atomic_store(slot, function = dlsym(RTLD_NEXT, name));
    return function;
}
static _Atomic(void*) next_write, next_pwrite, next_pwrite64, next_writev, next_fsync, next_fdatasync;
#define REAL(name) ((__typeof__(&name))Next(&next_##name, #name))

ssize_t write(int fd, const void* data, size_t count) {
    const size_t allowed = Allowed(fd, -1, count);
    if (allowed == 0 && count > 0) return errno = ENOSPC, -1;
    return REAL(write)(fd, data, allowed);
}

ssize_t pwrite(int fd, const void* data, size_t count, off_t offset) {
    const size_t allowed = Allowed(fd, offset, count);
    if (allowed == 0 && count > 0) return errno = ENOSPC, -1;
    return REAL(pwrite)(fd, data, allowed, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t count, off64_t offset) {
    const size_t allowed = Allowed(fd, offset, count);
    if (allowed == 0 && count > 0) return errno = ENOSPC, -1;
    return REAL(pwrite64)(fd, data, allowed, offset);
}

ssize_t writev(int fd, const struct iovec* parts, int partCount) {
    size_t count = 0;
    for (int i = 0; i < partCount; ++i)
        count += parts[i].iov_len;
    size_t allowed = Allowed(fd, -1, count);
    if (allowed == 0 && count > 0) return errno = ENOSPC, -1;
    if (allowed == count) return REAL(writev)(fd, parts, partCount);
    struct iovec cut[partCount > 0 ? partCount : 1];
    int cutCount = 0;
    for (; cutCount < partCount && allowed > 0; ++cutCount) {
        cut[cutCount] = parts[cutCount];
        if (cut[cutCount].iov_len > allowed) cut[cutCount].iov_len = allowed;
        allowed -= cut[cutCount].iov_len;
    }
    return REAL(writev)(fd, cut, cutCount);
}

int fsync(int fd) {
    const int error = atomic_load(&fsyncError);
    if (error && Regular(fd)) return errno = error, -1;
    return REAL(fsync)(fd);
}

int fdatasync(int fd) {
    const int error = atomic_load(&fsyncError);
    if (error && Regular(fd)) return errno = error, -1;
    return REAL(fdatasync)(fd);
}
