// SPDX-License-Identifier: MIT
// A private folder for the fuzz targets whose code under test takes file paths.
#pragma once

#include "fuzz/FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace zeph::fuzz {

class ScratchFiles {
public:
    ScratchFiles()
        : m_dir(Folder() + QStringLiteral("/zeph7208-fuzz-XXXXXX")) {
        FUZZ_CHECK(m_dir.isValid());
    }

    // Replaces the named file with the fuzzer's input and returns its path.
    QString Write(const QString& name, const std::uint8_t* data, std::size_t size) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
        return path;
    }

    // Makes sure the named file does not exist and returns its path.
    QString Remove(const QString& name) {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        FUZZ_CHECK(!QFile::exists(path));
        return path;
    }

private:
    // Every save ends with a sync to disk; in memory that costs nothing, which makes the run many times
    // faster.
    static QString Folder() {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    }

    QTemporaryDir m_dir;
};

} // namespace zeph::fuzz
