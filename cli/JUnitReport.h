#pragma once

#include "cli/CheckCommand.h"

#include <QString>

#include <vector>

namespace kavrin::cli {

// Writes the results of check as a JUnit XML report: one test suite named after the
// recording, one test case per result, a failure with the measured value for each failed one.
bool writeJUnitReport(const QString& path, const QString& recording,
                      const std::vector<RuleResult>& results, QString* error);

} // namespace kavrin::cli
