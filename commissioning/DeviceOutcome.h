// SPDX-License-Identifier: MIT
// What commissioning did to one device and to the whole batch: the steps, the verdict, the settings
// before, aimed at and read back, what changed, and the counters at the end.
#pragma once

#include "device/DevicePayloads.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QString>

#include <optional>
#include <vector>

namespace zeph::commissioning {

// A device's steps in the order they run; a failure names the step it happened in.
enum class Step {
    Validate,            // the target settings checked as the window checks them, before the port opens
    Open,                // the port
    ReadSettings,        // the settings as found
    Check,               // the counter report: invalid settings or lost counts stop here
    FirstInitialization, // only with --init-if-needed, for a device that asks for it
    Write,               // only when the device differs from the target
    ReadBack,            // the settings after the write, compared with the target
    Preset,              // only when the row presets counters
    ReadCounters,        // the snapshot at the end
    Done,
};

// "validate", "open", "read settings", "check", "first initialization", "write", "read back", "preset",
// "read counters", "done".
QString StepName(Step step);

enum class Verdict { NotRun, Running, Passed, Failed };

// "not run", "running", "passed", "failed".
QString VerdictName(Verdict verdict);

// One setting or counter that a write, a preset or a first initialization changed.
struct FieldChange {
    QString field; // "modbus.address", "counter.3"
    QJsonValue before;
    QJsonValue after;
};

// "modbus.address 1 -> 3; inputs.2.type namur -> contact": each change, before then after.
QString ChangesText(const std::vector<FieldChange>& changes);

struct DeviceOutcome {
    QString tag;
    QString port;
    QString adapter; // the adapter's identity: USB maker, product and serial number, or the server
    Verdict verdict = Verdict::NotRun;
    Step step = Step::Validate; // the step under way, the one that failed, or Done
    QString reason;             // why it failed, in the window's words where the window has them
    int sends = 0;
    qint64 elapsedMs = 0;
    // Passed in an earlier run into the same folder and skipped by a resumed run: the figures above are
    // those of that run, the settings and counters below are absent.
    bool fromEarlierRun = false;

    std::optional<device::SettingsAnswer> before; // as first read (after a first initialization, its read)
    std::optional<device::SettingsPageState> target;
    std::optional<device::SettingsAnswer> readBack;
    std::vector<FieldChange> changes; // the settings the write changed
    bool initialized = false;         // a first initialization ran
    device::PresetSelection presets{};
    std::optional<device::CounterStatusReport> counters; // the snapshot at the end
    QString settingsFile; // the read-back settings as a .zsf file, when written
};

struct BatchOutcome {
    QString templatePath;
    QString devicesPath;
    QString operatorName;
    QDateTime started;
    QDateTime finished;
    bool stopped = false; // stopped before every device ran
    std::vector<DeviceOutcome> devices;
    int auditRecords = 0;
    QByteArray auditLastHash;

    int Count(Verdict verdict) const;
};

} // namespace zeph::commissioning
