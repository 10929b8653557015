// Arbitrary arguments (NUL-separated in the input) for the window's and the command-line
// tool's command lines: options are taken, ignored or refused with a usage error.
#include "app/CommandLine.h"
#include "cli/CliOptions.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kavrin;
    QStringList arguments;
    const char* text = reinterpret_cast<const char*>(data);
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i)
        if (i == size || data[i] == 0) {
            arguments << QString::fromUtf8(text + start, qsizetype(i - start));
            start = i + 1;
        }

    ConnectionSettings connection;
    (void)parseCommandLine(QStringList{QStringLiteral("kavrin")} + arguments, connection);

    const cli::ParseResult parsed = cli::parseArguments(arguments);
    (void)cli::helpText(parsed.options.helpTopic);
    return 0;
}
