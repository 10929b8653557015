#pragma once

#include "cli/Quantities.h"

#include <QString>

#include <optional>

namespace kavrin::cli {

enum class RuleKind { MaxLoad, MaxRunTime, MinFrequency, MaxOverflows, MaxDropped, NoErrors };

// One rule of `check`, as given on the command line.
struct Rule {
    RuleKind kind = RuleKind::NoErrors;
    QString context; // a name of the contexts list or "*"; empty for rules on the whole recording
    Quantity limit;  // percent, nanoseconds, hertz or a count
    QString limitText;
};

// Whether `option` names a rule, and whether it takes a value.
bool isRuleOption(const QString& option, bool* takesValue);

// The rule of `option` with its value ("CONTEXT=LIMIT" or a count; ignored for --no-errors).
// Without a rule, `error` says what is wrong with it.
std::optional<Rule> parseRule(const QString& option, const QString& value, QString* error);

// The rule as one context was checked against it, e.g. "--max-load Control=50%".
QString ruleText(const Rule& rule, const QString& context);

// Whether a rule measures a context, so that it needs a context name.
bool isContextRule(RuleKind kind);

} // namespace kavrin::cli
