#pragma once

#include "cli/CliOptions.h"

#include <cstdio>

namespace kavrin::cli {

enum ExitStatus {
    ExitSuccess = 0,
    ExitUsage = 1,
    ExitCannotRead = 2,
    ExitCannotWrite = 2,
    ExitNotRecorded = 3,    // record: no recording started
    ExitRecordingFault = 4, // record: it started but ended by a fault
    ExitFailed = 5,         // check: a rule failed; diff: a change above the threshold
};

// Runs one command; output to `out`, log lines and problems to `messages`.
int runCommand(const CliOptions& options, std::FILE* out, std::FILE* messages);

} // namespace kavrin::cli
