#include "cli/CheckCommand.h"

#include "cli/Commands.h"
#include "cli/EventWalk.h"
#include "cli/JUnitReport.h"
#include "cli/TextFields.h"

#include <algorithm>

namespace kavrin::cli {

namespace {

constexpr uint32_t ErrorMessageLevel = 2; // the level the event list names "Error"

RuleResult compare(const Rule& rule, const QString& context, std::optional<double> measured,
                   const QString& unknown) {
    RuleResult result;
    result.rule = ruleText(rule, context);
    if (!measured) {
        // What cannot be measured is not proven: the rule fails.
        result.measured = unknown;
        return result;
    }
    const bool atLeast = rule.kind == RuleKind::MinFrequency;
    result.passed = atLeast ? *measured >= rule.limit.value : *measured <= rule.limit.value;
    result.measured = formatLike(*measured, rule.limit);
    return result;
}

std::optional<double> measure(RuleKind kind, const ContextFigures& context,
                              const RecordingFigures& figures) {
    switch (kind) {
    case RuleKind::MaxLoad:
        return figures.loadPercent(context);
    case RuleKind::MaxRunTime:
        return figures.nanoseconds(context.maxRunTime);
    case RuleKind::MinFrequency:
        return figures.runsPerSecond(context);
    default:
        return std::nullopt;
    }
}

std::optional<double> measureRecording(RuleKind kind, const RecordingFigures& figures,
                                       std::optional<uint32_t> errorMessages) {
    switch (kind) {
    case RuleKind::MaxOverflows:
        return double(figures.overflows);
    case RuleKind::MaxDropped:
        return double(figures.dropped);
    case RuleKind::NoErrors:
        if (errorMessages)
            return double(*errorMessages);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

bool countsErrors(const std::vector<Rule>& rules) {
    return std::any_of(rules.begin(), rules.end(),
                       [](const Rule& rule) { return rule.kind == RuleKind::NoErrors; });
}

// Log output at the error level over the whole recording.
uint32_t countErrorMessages(Recording& recording) {
    uint32_t errors = 0;
    forEveryEvent(recording, [&errors](const EventNode& node) {
        if (node.record.id == LogOutputEvent && (node.record.param2 & 15) == ErrorMessageLevel)
            ++errors;
    });
    return errors;
}

} // namespace

std::vector<RuleResult> evaluateRules(const std::vector<Rule>& rules,
                                      const RecordingFigures& figures,
                                      std::optional<uint32_t> errorMessages, QString* usageError) {
    std::vector<RuleResult> results;
    const QString unknown = figures.unmeasurableReason();
    for (const Rule& rule : rules) {
        if (!isContextRule(rule.kind)) {
            results.push_back(
                compare(rule, {}, measureRecording(rule.kind, figures, errorMessages), unknown));
            continue;
        }
        const bool every = rule.context == u"*";
        bool found = false;
        for (const ContextFigures& context : figures.contexts) {
            if (!every && context.name != rule.context)
                continue;
            found = true;
            results.push_back(
                compare(rule, context.name, measure(rule.kind, context, figures), unknown));
        }
        if (!found && !every) {
            *usageError = QStringLiteral("%1: the recording has no context \"%2\"")
                              .arg(ruleText(rule, rule.context), rule.context);
            return {};
        }
    }
    return results;
}

int checkRecording(Recording& recording, const CliOptions& options, std::FILE* out,
                   std::FILE* messages) {
    // Counted first: walking the recording moves the window but changes no figure.
    const std::optional<uint32_t> errors =
        countsErrors(options.rules) ? std::optional(countErrorMessages(recording)) : std::nullopt;
    QString usageError;
    const std::vector<RuleResult> results =
        evaluateRules(options.rules, recording.analysedFigures(), errors, &usageError);
    if (!usageError.isEmpty()) {
        std::fprintf(messages, "kavrin-cli: %s\n", usageError.toUtf8().constData());
        return ExitUsage;
    }
    bool passed = true;
    for (const RuleResult& result : results) {
        const QString fields[] = {result.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL"),
                                  result.rule, result.measured};
        writeFields(out, fields);
        passed = passed && result.passed;
    }
    if (!options.junit.isEmpty()) {
        QString error;
        if (!writeJUnitReport(options.junit, options.file, results, &error)) {
            std::fprintf(messages, "kavrin-cli: %s\n", error.toUtf8().constData());
            return ExitCannotWrite;
        }
    }
    return passed ? ExitSuccess : ExitFailed;
}

} // namespace kavrin::cli
