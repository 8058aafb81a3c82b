// SPDX-License-Identifier: MIT
// Safe saves: a new file beside the target renamed over it, an in-place rewrite that can be undone, and
// the kernel's rule for following links applied by the program itself, since it resolves them itself.
#include "settingsfile/SafeFile.h"

#include "settingsfile/SettingsFileLogging.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace zeph::settingsfile {

namespace {

// Links followed in a row before giving up, the kernel's own limit.
constexpr int MaxLinkHops = 40;

bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

bool Fail(QString* error, int errorNumber) {
    return Fail(error, SystemErrorText(errorNumber));
}

// strerror_r comes in a GNU and an XSI kind; these take the result of either.
[[maybe_unused]] const char* ErrorText(const char* text, const char*) {
    return text;
}
[[maybe_unused]] const char* ErrorText(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}

// Closes on every way out; Close() reports, since a failed close can be the first sign of a failed write
// (network file systems, quotas).
class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    // 0 or the errno value. After EINTR the descriptor is gone on Linux and the data handed over.
    int Close() { return ::close(std::exchange(fd_, -1)) == 0 || errno == EINTR ? 0 : errno; }

private:
    int fd_;
};

QByteArray FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// The kernel's rule for shared folders (fs.protected_symlinks): a link is followed when it is the user's
// own, or its owner owns the folder, or the folder is not both sticky and writable by all. The kernel
// applies it only to links it follows itself; the program resolves links on its own, so it applies it too.
bool MayFollow(const QByteArray& link, const struct stat& linkInfo) {
    if (linkInfo.st_uid == ::geteuid()) return true;
    struct stat folder {};
    if (::stat(FolderOf(link).constData(), &folder) != 0) return false;
    constexpr mode_t shared = S_ISVTX | S_IWOTH;
    return (folder.st_mode & shared) != shared || folder.st_uid == linkInfo.st_uid;
}

// The file a save writes: path itself, or the file its links lead to when each of them may be followed.
std::optional<QByteArray> Resolve(const QString& path, QString* error) {
    QByteArray current = QFile::encodeName(path);
    for (int hop = 0;; ++hop) {
        struct stat info {};
        if (::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        if (hop == MaxLinkHops) {
            Fail(error, ELOOP);
            return std::nullopt;
        }
        if (!MayFollow(current, info)) {
            qCDebug(lcSettingsFile) << "not following" << current << "of uid" << info.st_uid;
            Fail(error,
                 QCoreApplication::translate(
                     "SafeFile", "%1 is a link owned by another user in a shared folder; not followed.")
                     .arg(path));
            return std::nullopt;
        }
        QByteArray target(PATH_MAX + 1, '\0');
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (length < 0 || length > PATH_MAX) {
            Fail(error, length < 0 ? errno : ENAMETOOLONG);
            return std::nullopt;
        }
        target.truncate(length);
        current = target.startsWith('/') ? target : FolderOf(current) + '/' + target;
    }
}

// 0 or the errno value of the write that failed. offset -1 writes at the descriptor's position.
int WriteAt(int fd, QByteArrayView bytes, off_t offset) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written =
            offset < 0 ? ::write(fd, data, size_t(left)) : ::pwrite(fd, data, size_t(left), offset);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        if (written == 0) return EIO; // nothing taken and no reason given: retrying would spin
        data += written;
        left -= written;
        if (offset >= 0) offset += written;
    }
    return 0;
}

int Sync(int fd) {
    while (::fsync(fd) != 0)
        if (errno != EINTR) return errno;
    return 0;
}

// So that the rename itself survives a power cut; nothing is lost when a file system cannot do it.
void SyncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A new file beside target, made by this call alone (O_EXCL opens no file or link that was there), with
// the user's default mode (0666 less the umask); a replacement is given the old file's mode afterwards.
int CreateBeside(const QByteArray& target, bool replacing, QByteArray* name) {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = target + '.';
        for (int i = 0; i < 6; ++i)
            *name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              replacing ? 0600 : 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

int ReadWhole(int fd, qint64 size, QByteArray* bytes) {
    bytes->resize(qsizetype(size));
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, bytes->data() + done, size_t(size - done), done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) break; // cut shorter since it was measured
        done += got;
    }
    bytes->truncate(qsizetype(done));
    return 0;
}

// Makes room for size bytes before the first one is written, so that a full disk shows here and not
// half-way through the file.
int Reserve(int fd, qint64 size, qint64 oldSize) {
    if (size <= 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return 0;
    if (errno != EOPNOTSUPP && errno != ENOSYS) return errno;
    // A file system that cannot reserve (vfat, NFS before 4.2): the free room must be enough for what
    // the file grows by. Root may use the blocks kept back for it.
    struct statvfs room {};
    if (::fstatvfs(fd, &room) != 0) return 0; // cannot tell; the checked writes and the undo remain
    const qint64 blocks = qint64(::geteuid() == 0 ? room.f_bfree : room.f_bavail);
    return size - oldSize <= blocks * qint64(room.f_frsize) ? 0 : ENOSPC;
}

// For a folder the user may not add files to. The old bytes are kept in memory; when a write or the sync
// fails, they are written back over the blocks they had (which takes no new room) and the file is cut to
// its old size, so it is never left half old, half new.
bool WriteInPlace(const QByteArray& target, QByteArrayView bytes, QString* error) {
    Descriptor file(::open(target.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) return Fail(error, errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) return Fail(error, errno);
    if (!S_ISREG(info.st_mode)) return Fail(error, NotRegularFileText());
    QByteArray old;
    if (const int why = ReadWhole(file.Get(), info.st_size, &old)) return Fail(error, why);

    int why = Reserve(file.Get(), bytes.size(), old.size());
    if (!why) why = WriteAt(file.Get(), bytes, 0);
    if (!why && bytes.size() < old.size() && ::ftruncate(file.Get(), bytes.size()) != 0) why = errno;
    if (!why) why = Sync(file.Get());
    if (why) {
        // Cutting to the old size also gives back what the reservation took beyond it. The sync is only
        // tried: after a failed one the system keeps the bytes as written, and it may fail again.
        if (WriteAt(file.Get(), old, 0) != 0 || ::ftruncate(file.Get(), old.size()) != 0)
            qCWarning(lcSettingsFile, "%s: the old content could not be put back", target.constData());
        Sync(file.Get());
        return Fail(error, why);
    }
    if (const int closed = file.Close()) return Fail(error, closed);
    return true;
}

} // namespace

QString SystemErrorText(int errorNumber) {
    char buffer[256] = {};
    return QString::fromLocal8Bit(ErrorText(::strerror_r(errorNumber, buffer, sizeof buffer), buffer));
}

QString NotRegularFileText() {
    return QCoreApplication::translate("SafeFile", "not a regular file");
}

bool WriteFully(int fd, QByteArrayView bytes, QString* error) {
    const int why = WriteAt(fd, bytes, -1);
    return why == 0 || Fail(error, why);
}

bool WriteFileSafely(const QString& path, QByteArrayView bytes, QString* error) {
    const std::optional<QByteArray> target = Resolve(path, error);
    if (!target) return false;
    struct stat old {};
    const bool exists = ::stat(target->constData(), &old) == 0;
    if (!exists && errno != ENOENT) return Fail(error, errno);
    if (exists && !S_ISREG(old.st_mode)) return Fail(error, NotRegularFileText());

    QByteArray temporary;
    Descriptor file(CreateBeside(*target, exists, &temporary));
    if (file.Get() < 0) {
        const int why = errno;
        // No new file may go into the folder, but the file there may be writable: the original program
        // always wrote in place, and users keep their files in such folders.
        if (exists && (why == EACCES || why == EPERM)) {
            qCDebug(lcSettingsFile) << "writing in place:" << *target;
            return WriteInPlace(*target, bytes, error);
        }
        return Fail(error, why);
    }
    int why = exists && ::fchmod(file.Get(), old.st_mode & 0777) != 0 ? errno : 0;
    if (!why) why = WriteAt(file.Get(), bytes, -1);
    if (!why) why = Sync(file.Get());
    if (const int closed = file.Close(); !why) why = closed;
    if (!why && ::rename(temporary.constData(), target->constData()) != 0) why = errno;
    if (why) {
        ::unlink(temporary.constData());
        return Fail(error, why);
    }
    SyncFolder(FolderOf(*target));
    return true;
}

int OpenFileForWriting(const QString& path, QString* error) {
    const std::optional<QByteArray> target = Resolve(path, error);
    if (!target) return -1;
    // O_NONBLOCK: a FIFO nobody reads fails at once instead of hanging the window. O_NOFOLLOW: a link put
    // there since it was looked at is not followed.
    const int fd =
        ::open(target->constData(),
               O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        Fail(error, errno);
        return -1;
    }
    if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace zeph::settingsfile
