// SPDX-License-Identifier: MIT
// The settings-page checks as one table, and the run over it.
#include "device/SettingsValidation.h"

#include "device/NumberCheck.h"

#include <QCoreApplication>

namespace zeph::device {

namespace {

QString Numbered(const char* family, int input) {
    return QString::fromLatin1(family) + QString::number(input + 1);
}

std::vector<ValidationRule> BuildRules() {
    std::vector<ValidationRule> rules;
    const auto add = [&rules](const QString& control, CheckKind kind, double minimum = 0, double maximum = 0,
                              const QString& fixedName = {}) {
        rules.push_back({control, kind, minimum, maximum, fixedName});
    };
    for (int n = 0; n < InputCount; ++n)
        add(Numbered("RadioGroup_7208BemTip", n), CheckKind::RadioGroupChosen);
    for (int n = 0; n < InputCount; ++n)
        add(Numbered("RadioGroup_7208BemEl", n), CheckKind::RadioGroupChosen);
    add(QStringLiteral("RadioGroup_7208MbParitas"), CheckKind::RadioGroupChosen);
    add(QStringLiteral("ListBox_7208MbSebesseg"), CheckKind::ListBoxChosen, 0, 0,
        QString::fromLatin1(QT_TRANSLATE_NOOP("Device", "Baud rate")));
    // The time-out limit stays below 2^32, so every accepted value fits the block's four bytes.
    for (int n = 0; n < InputCount; ++n)
        add(Numbered("LabeledEdit_7208BemTimeOut", n), CheckKind::NumberInRange, 0, 3999999999.0);
    add(QStringLiteral("LabeledEdit_7208MbKeszulekcim"), CheckKind::NumberInRange, 1, 247);
    add(QStringLiteral("LabeledEdit_7208MbIdokorlat"), CheckKind::NumberInRange, 0, 65535);
    add(QStringLiteral("LabeledEdit_7208MbValaszKeslIdo"), CheckKind::NumberInRange, 0, 255);
    return rules;
}

} // namespace

const std::vector<ValidationRule>& SettingsValidationRules() {
    static const std::vector<ValidationRule> rules = BuildRules();
    return rules;
}

QString EnglishCaption(const QString& control) {
    if (InputOfControl(control, "RadioGroup_7208BemTip")) return QStringLiteral("Type");
    if (InputOfControl(control, "RadioGroup_7208BemEl")) return QStringLiteral("Counted event");
    if (InputOfControl(control, "LabeledEdit_7208BemTimeOut"))
        return QStringLiteral("Max. time between pulses [ms]:");
    if (control == QLatin1String("RadioGroup_7208MbParitas")) return QStringLiteral("Parity");
    if (control == QLatin1String("ListBox_7208MbSebesseg")) return QStringLiteral("Baud rate");
    if (control == QLatin1String("LabeledEdit_7208MbKeszulekcim")) return QStringLiteral("Address [1-247]:");
    if (control == QLatin1String("LabeledEdit_7208MbIdokorlat"))
        return QStringLiteral("Comm. timeout [10 ms]:");
    if (control == QLatin1String("LabeledEdit_7208MbValaszKeslIdo"))
        return QStringLiteral("Answer delay [ms]:");
    return control;
}

std::optional<ValidationFailure> ValidateSettings(SettingsPageState& page, const QLocale& locale,
                                                  const CaptionLookup& captionOf) {
    for (const ValidationRule& rule : SettingsValidationRules()) {
        const QString name = rule.fixedName.isEmpty()
                                 ? captionOf(rule.control)
                                 : QCoreApplication::translate("Device", rule.fixedName.toLatin1());
        switch (rule.kind) {
        case CheckKind::RadioGroupChosen:
            if (*ChoiceField(page, rule.control) < 0)
                return ValidationFailure{rule.control, UncheckedMessage(name), std::nullopt};
            break;
        case CheckKind::ListBoxChosen:
            if (*ChoiceField(page, rule.control) < 0)
                return ValidationFailure{rule.control, UnselectedMessage(name), std::nullopt};
            break;
        case CheckKind::NumberInRange: {
            QString& text = *TextField(page, rule.control);
            const NumberCheckResult result =
                CheckNumberInRange(text, rule.minimum, rule.maximum, locale, name);
            if (!result.passed) return ValidationFailure{rule.control, result.message, result.editText};
            text = result.editText;
            break;
        }
        }
    }
    return std::nullopt;
}

} // namespace zeph::device
