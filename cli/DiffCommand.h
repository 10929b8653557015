#pragma once

#include "cli/CliOptions.h"
#include "cli/Figures.h"

#include <QStringList>

#include <cstdio>
#include <optional>
#include <vector>

namespace kavrin::cli {

class Recording;

// The contexts of two recordings side by side, matched by name: a header line, then one line
// per context in A's order and then B's new ones. With a threshold (percent), every figure that
// changed by more than that share of its value in A is marked, and so is a context found in
// one recording only; `marked` says whether any was.
std::vector<QStringList> diffContexts(const RecordingFigures& a, const RecordingFigures& b,
                                      std::optional<double> threshold, bool* marked);

// kavrin-cli diff: `a` is open; B is opened here.
int diffRecordings(const Recording& a, const CliOptions& options, std::FILE* out,
                   std::FILE* messages);

} // namespace kavrin::cli
