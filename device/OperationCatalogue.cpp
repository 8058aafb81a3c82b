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
        return QStringLiteral("done");
    case OperationOutcome::NoAnswer:
        return QStringLiteral("no answer");
    case OperationOutcome::NotThisDevice:
        return QStringLiteral("not a ZEPH7208");
    case OperationOutcome::ParameterError:
        return QStringLiteral("parameters error");
    case OperationOutcome::EepromError:
        return QStringLiteral("EEPROM error");
    case OperationOutcome::IgnoredStatus:
        return QStringLiteral("status ignored");
    case OperationOutcome::Abandoned:
        return QStringLiteral("abandoned");
    }
    return {};
}

} // namespace zeph::device
