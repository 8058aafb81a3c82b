// The port probe on Linux: serial ttys that sysfs knows, plus given extra paths, kept when they can be
// opened exclusively at this moment.
#include "comport/PortProbe.h"
#include "comport/PortIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <unistd.h>

namespace zeph::comport {

namespace {

// A ttyS node may exist with no UART behind it. Opening a real port moves DTR and RTS, so placeholders
// are recognised from sysfs alone.
bool IsPlaceholder(const QString& ttyDir) {
    QFile typeFile(ttyDir + QStringLiteral("/type"));
    if (typeFile.open(QIODevice::ReadOnly) && typeFile.readAll().trimmed() == "0") return true;

    const QFileInfo device(ttyDir + QStringLiteral("/device"));
    QString target = device.canonicalFilePath();
    if (target.isEmpty()) target = device.symLinkTarget();
    return target.split(QLatin1Char('/')).contains(QStringLiteral("serial8250"));
}

QStringList SysfsCandidates(const PortProbeOptions& options) {
    QStringList paths;
    const QDir classDir(options.sysfsRoot + QStringLiteral("/class/tty"));
    const QStringList names = classDir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString ttyDir = classDir.filePath(name);
        const QFileInfo device(ttyDir + QStringLiteral("/device"));
        // Virtual terminals and the like have no device behind them.
        if (!device.exists() && !device.isSymLink()) continue;
        if (IsPlaceholder(ttyDir)) continue;
        paths << options.devRoot + QLatin1Char('/') + name;
    }
    return paths;
}

bool CanOpenNow(const QString& path) {
    int error = 0;
    const int fd = OpenPortExclusive(path, false, &error);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// One run of digits or of other characters, starting at position.
QStringView NextRun(const QString& text, qsizetype position) {
    const bool digits = text.at(position).isDigit();
    qsizetype end = position;
    while (end < text.size() && text.at(end).isDigit() == digits)
        ++end;
    return QStringView(text).mid(position, end - position);
}

// Compares two digit runs by value, any length; equal values with more leading zeros come later.
int CompareNumbers(QStringView left, QStringView right) {
    auto stripped = [](QStringView run) {
        while (run.size() > 1 && run.front() == QLatin1Char('0'))
            run = run.mid(1);
        return run;
    };
    const QStringView a = stripped(left);
    const QStringView b = stripped(right);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    if (const int byDigits = a.compare(b); byDigits != 0) return byDigits;
    return int(left.size() - right.size());
}

} // namespace

bool NaturalLess(const QString& left, const QString& right) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < left.size() && j < right.size()) {
        const QStringView a = NextRun(left, i);
        const QStringView b = NextRun(right, j);
        const bool aDigits = a.front().isDigit();
        const bool bDigits = b.front().isDigit();
        int order;
        if (aDigits && bDigits)
            order = CompareNumbers(a, b);
        else if (aDigits != bDigits)
            order = aDigits ? -1 : 1;
        else
            order = a.compare(b);
        if (order != 0) return order < 0;
        i += a.size();
        j += b.size();
    }
    return (left.size() - i) < (right.size() - j);
}

void ListComPorts(QStringList* list, const PortProbeOptions& options) {
    if (!list) return;
    QStringList candidates = SysfsCandidates(options) + options.extraPaths;
    std::sort(candidates.begin(), candidates.end(), NaturalLess);
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (const QString& path : std::as_const(candidates)) {
        if (!list->contains(path) && CanOpenNow(path)) list->append(path);
    }
}

void CopyListReversed(const QStringList& source, QStringList* target) {
    if (!target) return;
    QStringList reversed(source.crbegin(), source.crend());
    *target = std::move(reversed);
}

} // namespace zeph::comport
