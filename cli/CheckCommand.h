#pragma once

#include "cli/CliOptions.h"
#include "cli/Figures.h"
#include "cli/Rules.h"

#include <QString>

#include <cstdio>
#include <optional>
#include <vector>

namespace kavrin::cli {

class Recording;

// The outcome of one rule for one context (or for the whole recording).
struct RuleResult {
    bool passed = false;
    QString rule;     // as ruleText writes it
    QString measured; // the measured value, in the unit of the limit
};

// Every rule against the figures, one result per rule and context, in the order given.
// `errorMessages` is the count of error-level log output, needed by --no-errors only.
// A context name the recording lacks gives no results and `usageError`.
std::vector<RuleResult> evaluateRules(const std::vector<Rule>& rules,
                                      const RecordingFigures& figures,
                                      std::optional<uint32_t> errorMessages, QString* usageError);

// kavrin-cli check on an opened recording.
int checkRecording(Recording& recording, const CliOptions& options, std::FILE* out,
                   std::FILE* messages);

} // namespace kavrin::cli
