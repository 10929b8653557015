#include "cli/Rules.h"

#include <array>

namespace kavrin::cli {

namespace {

struct RuleOption {
    const char* name;
    RuleKind kind;
};

constexpr std::array<RuleOption, 6> RuleOptions{{
    {"--max-load", RuleKind::MaxLoad},
    {"--max-run-time", RuleKind::MaxRunTime},
    {"--min-frequency", RuleKind::MinFrequency},
    {"--max-overflows", RuleKind::MaxOverflows},
    {"--max-dropped", RuleKind::MaxDropped},
    {"--no-errors", RuleKind::NoErrors},
}};

const RuleOption* ruleOption(const QString& option) {
    for (const RuleOption& known : RuleOptions)
        if (option == QLatin1String(known.name))
            return &known;
    return nullptr;
}

const char* optionName(RuleKind kind) {
    for (const RuleOption& known : RuleOptions)
        if (known.kind == kind)
            return known.name;
    return "";
}

std::optional<Quantity> parseLimit(RuleKind kind, const QString& text) {
    switch (kind) {
    case RuleKind::MaxLoad:
        return parsePercent(text);
    case RuleKind::MaxRunTime:
        return parseDuration(text);
    case RuleKind::MinFrequency:
        return parseFrequency(text);
    case RuleKind::MaxOverflows:
    case RuleKind::MaxDropped:
        return parseCount(text);
    case RuleKind::NoErrors:
        break;
    }
    return Quantity{};
}

const char* limitForm(RuleKind kind) {
    switch (kind) {
    case RuleKind::MaxLoad:
        return "a percentage such as 50 or 12.5%";
    case RuleKind::MaxRunTime:
        return "a duration with ns, us, ms or s, such as 500us";
    case RuleKind::MinFrequency:
        return "a frequency such as 1000, 1000Hz or 2.5kHz";
    default:
        return "a whole number";
    }
}

} // namespace

bool isContextRule(RuleKind kind) {
    return kind == RuleKind::MaxLoad || kind == RuleKind::MaxRunTime ||
           kind == RuleKind::MinFrequency;
}

bool isRuleOption(const QString& option, bool* takesValue) {
    const RuleOption* known = ruleOption(option);
    if (known && takesValue)
        *takesValue = known->kind != RuleKind::NoErrors;
    return known != nullptr;
}

std::optional<Rule> parseRule(const QString& option, const QString& value, QString* error) {
    const RuleOption* known = ruleOption(option);
    if (!known) {
        *error = QStringLiteral("unknown rule %1").arg(option);
        return std::nullopt;
    }
    Rule rule;
    rule.kind = known->kind;
    if (rule.kind == RuleKind::NoErrors)
        return rule;
    QString limit = value;
    if (isContextRule(rule.kind)) {
        // The limit follows the last "=", so that a context name may hold one.
        const qsizetype equals = value.lastIndexOf(u'=');
        if (equals <= 0) {
            *error = QStringLiteral("%1: \"%2\" is not CONTEXT=LIMIT").arg(option, value);
            return std::nullopt;
        }
        rule.context = value.left(equals);
        limit = value.mid(equals + 1);
    }
    const std::optional<Quantity> parsed = parseLimit(rule.kind, limit);
    if (!parsed) {
        *error = QStringLiteral("%1: \"%2\" is not %3").arg(option, limit, limitForm(rule.kind));
        return std::nullopt;
    }
    rule.limit = *parsed;
    rule.limitText = limit.trimmed();
    return rule;
}

QString ruleText(const Rule& rule, const QString& context) {
    const QString option = QLatin1String(optionName(rule.kind));
    if (rule.kind == RuleKind::NoErrors)
        return option;
    if (!isContextRule(rule.kind))
        return option + u' ' + rule.limitText;
    return option + u' ' + context + u'=' + rule.limitText;
}

} // namespace kavrin::cli
