#pragma once

#include "cli/CliOptions.h"

#include <cstdio>

namespace kavrin::cli {

// `record OUT`: a live recording from the target through the probe library, driven by the
// same session as the window's, written to OUT as a data file. Messages go to `messages`.
int recordFromTarget(const CliOptions& options, std::FILE* messages);

} // namespace kavrin::cli
