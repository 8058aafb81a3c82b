// SPDX-License-Identifier: MIT
// Lookups in the command catalogue.
#include "device/OperationCatalogue.h"

namespace zeph::device {

const OperationEntry& EntryFor(Operation operation) {
    for (const OperationEntry& entry : OperationCatalogue)
        if (entry.operation == operation) return entry;
    Q_UNREACHABLE();
}

const OperationEntry* EntryForStartStep(int step) {
    for (const OperationEntry& entry : OperationCatalogue)
        if (entry.startStep == step) return &entry;
    return nullptr;
}

const OperationEntry* EntryForCode(int code) {
    for (const OperationEntry& entry : OperationCatalogue)
        if (entry.code == code) return &entry;
    return nullptr;
}

QString ShortPayload(const OperationEntry& entry) {
    return QStringLiteral("4,%1").arg(entry.code);
}

QString OutcomeText(OperationOutcome outcome) {
    switch (outcome) {
    case OperationOutcome::Succeeded:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "done"));
    case OperationOutcome::NoAnswer:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "no answer"));
    case OperationOutcome::NotThisDevice:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "not a ZEPH7208"));
    case OperationOutcome::ParameterError:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "parameters error"));
    case OperationOutcome::EepromError:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "EEPROM error"));
    case OperationOutcome::IgnoredStatus:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "status ignored"));
    case OperationOutcome::Abandoned:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "abandoned"));
    }
    return {};
}

} // namespace zeph::device
