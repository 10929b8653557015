// kavrin-cli: headless analysis and export of recordings.

#include "cli/CliOptions.h"
#include "cli/Commands.h"

#include <QCoreApplication>

#include <cstdio>

using namespace kavrin::cli;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);

    const ParseResult parsed = parseArguments(app.arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "kavrin-cli: %s\n%s", parsed.error.toUtf8().constData(),
                     "Try \"kavrin-cli --help\".\n");
        return ExitUsage;
    }
    if (parsed.options.command == Command::Help) {
        std::fputs(helpText(parsed.options.helpTopic).toUtf8().constData(), stdout);
        return ExitSuccess;
    }
    const int status = runCommand(parsed.options, stdout, stderr);
    if (std::fflush(stdout) != 0)
        return ExitCannotRead;
    return status;
}
