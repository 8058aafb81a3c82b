// SPDX-License-Identifier: MIT
// The settings-page checks as one table, and the run over it.
#include "device/SettingsValidation.h"

#include "device/NumberCheck.h"

namespace zeph::device {

namespace {

std::vector<ValidationRule> BuildRules() {
    std::vector<ValidationRule> rules;
    const auto each = [&rules](SettingsField field, CheckKind kind, double minimum = 0, double maximum = 0) {
        for (int input = 0; input < InputCount; ++input)
            rules.push_back({{field, input}, kind, minimum, maximum});
    };
    const auto one = [&rules](SettingsField field, CheckKind kind, double minimum = 0, double maximum = 0) {
        rules.push_back({{field, -1}, kind, minimum, maximum});
    };
    each(SettingsField::InputType, CheckKind::Chosen);
    each(SettingsField::CountedEdge, CheckKind::Chosen);
    one(SettingsField::Parity, CheckKind::Chosen);
    one(SettingsField::BaudRate, CheckKind::Chosen);
    // The time limit stays below 2^32, so every accepted value fits the block's four bytes.
    each(SettingsField::MaxTime, CheckKind::NumberInRange, 0, 3999999999.0);
    one(SettingsField::Address, CheckKind::NumberInRange, 1, 247);
    one(SettingsField::CommTimeout, CheckKind::NumberInRange, 0, 65535);
    one(SettingsField::AnswerDelay, CheckKind::NumberInRange, 0, 255);
    return rules;
}

} // namespace

const std::vector<ValidationRule>& SettingsValidationRules() {
    static const std::vector<ValidationRule> rules = BuildRules();
    return rules;
}

std::optional<ValidationFailure> ValidateSettings(SettingsPageState& page, const QLocale& locale,
                                                  const CaptionLookup& captionOf) {
    for (const ValidationRule& rule : SettingsValidationRules()) {
        const QString name = captionOf(rule.field);
        if (rule.kind == CheckKind::Chosen) {
            if (*ChoiceField(page, rule.field) >= 0) continue;
            // A list is "selected", a group of choices "checked".
            const QString message = rule.field.field == SettingsField::BaudRate ? UnselectedMessage(name)
                                                                                : UncheckedMessage(name);
            return ValidationFailure{rule.field, message, std::nullopt};
        }
        QString& text = *NumberField(page, rule.field);
        const NumberCheckResult result = CheckNumberInRange(text, rule.minimum, rule.maximum, locale, name);
        if (!result.passed) return ValidationFailure{rule.field, result.message, result.editText};
        text = result.editText;
    }
    return std::nullopt;
}

} // namespace zeph::device
