#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

namespace kavrin {
class RecordingEngine;
struct Presentation;
} // namespace kavrin

namespace kavrin::cli {

// The overview of the whole recording: a header line ("Start", then the contexts in list
// order), then one line per bin with its start time and each context's share of the bin in
// percent. `bins` groups the summary's bins into that many (at most as many as it has).
void printOverview(const RecordingEngine& engine, const Presentation& presentation,
                   std::optional<uint32_t> bins, std::FILE* out);

} // namespace kavrin::cli
