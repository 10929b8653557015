// kavrin-gen: writes a recording of the simulated target to a data file.

#include "target/Generate.h"
#include "target/Random.h"
#include "target/RecordingHeader.h"
#include "target/ScenarioFile.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

using namespace kavrin;

namespace {

constexpr size_t FlushSize = 1 << 20;
constexpr uint64_t DefaultEvents = 100'000;

struct Options {
    std::string scenario = "control";
    uint64_t events = DefaultEvents;
    uint64_t seed = 1;
    uint64_t noise = 0; // bytes of noise written instead of a recording
    bool header = true;
    std::string title;
    std::string author = "kavrin-gen";
    std::string description;
    std::string output;
};

constexpr const char* Usage =
    "usage: kavrin-gen [--scenario control|busy|api|overflow|FILE.ini] [--events N]\n"
    "                  [--seed S] [--no-header] [--title T] [--author A]\n"
    "                  [--description D] OUT\n"
    "       kavrin-gen --noise BYTES [--seed S] OUT  (random bytes, no recording)\n";

int usage(const char* problem) {
    std::fprintf(stderr, "kavrin-gen: %s\n%s", problem, Usage);
    return 1;
}

bool parseCount(std::string_view text, uint64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// Returns an empty text on success, else what was wrong.
std::string parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* text = nullptr;
        if (arg == "--no-header") {
            options.header = false;
        } else if (arg == "--scenario" || arg == "--events" || arg == "--seed" ||
                   arg == "--noise" || arg == "--title" || arg == "--author" ||
                   arg == "--description") {
            if (!(text = value()))
                return std::string(arg) + " needs a value";
            if (arg == "--scenario")
                options.scenario = text;
            else if (arg == "--title")
                options.title = text;
            else if (arg == "--author")
                options.author = text;
            else if (arg == "--description")
                options.description = text;
            else if (!parseCount(text, arg == "--events"  ? options.events
                                       : arg == "--noise" ? options.noise
                                                          : options.seed))
                return std::string(arg) + ": \"" + text + "\" is not a number";
        } else if (arg.starts_with("--")) {
            return "unknown option " + std::string(arg);
        } else if (!options.output.empty()) {
            return "more than one output file";
        } else {
            options.output = arg;
        }
    }
    if (options.output.empty())
        return "no output file";
    if (options.events < 2)
        return "--events must be at least 2 (Start and Stop)";
    return {};
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool writeAll(std::FILE* file, const void* data, size_t size) {
    return std::fwrite(data, 1, size, file) == size;
}

// A file that holds no recording, the same for the same seed.
bool writeNoise(std::FILE* file, uint64_t size, uint64_t seed) {
    Random random(seed);
    for (uint64_t i = 0; i < size; ++i)
        if (std::fputc(int(random.next() >> 56), file) == EOF)
            return false;
    return true;
}

bool writeRecording(std::FILE* file, const Options& options, Scenario scenario) {
    bool ok = true;
    if (options.header) {
        RecordingHeaderFields fields;
        // A fixed time keeps the output the same for the same seed.
        fields.recordTime = recordTimeText(2026, 1, 1, 12, 0, 0);
        fields.author = options.author;
        fields.title = options.title.empty() ? "Simulated " + scenario.application : options.title;
        fields.description = options.description.empty()
                                 ? "Scenario " + scenario.name + ", seed " +
                                       std::to_string(options.seed) + ", " +
                                       std::to_string(options.events) + " events"
                                 : options.description;
        const std::string header = recordingHeader(fields);
        ok = writeAll(file, header.data(), header.size());
    }

    FirmwareModel model(std::move(scenario), options.seed);
    StreamWriter writer;
    writer.reserve(FlushSize + 64 * 1024);
    ok = ok && generateRecording(model, options.events, writer, FlushSize, [&](StreamWriter& out) {
             const bool written = writeAll(file, out.bytes().data(), out.size());
             out.clear();
             return written;
         });
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (const std::string problem = parseOptions(argc, argv, options); !problem.empty())
        return usage(problem.c_str());

    Scenario scenario;
    std::string error;
    if (!loadScenario(options.scenario, scenario, error)) {
        std::fprintf(stderr, "kavrin-gen: %s\n", error.c_str());
        return 1;
    }

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(options.output.c_str(), "wb"));
    if (!file) {
        std::fprintf(stderr, "kavrin-gen: cannot write %s: %s\n", options.output.c_str(),
                     std::strerror(errno));
        return 2;
    }
    bool ok = options.noise > 0 ? writeNoise(file.get(), options.noise, options.seed)
                                : writeRecording(file.get(), options, std::move(scenario));
    ok = std::fflush(file.get()) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "kavrin-gen: writing %s failed: %s\n", options.output.c_str(),
                     std::strerror(errno));
        return 2;
    }
    return 0;
}
