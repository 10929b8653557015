// Starts as the window's program does, then prints what the tests of the start look at:
// whether this run was started with the setting (its environment at start names the saved
// setting), the tunables the program sees now, and its arguments. With "launch" first it is
// `kavrin` too, and starts itself with the arguments after that word.
#include "app/LargePageHeap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "launch") == 0) {
        kavrin::startWithLargePageHeap(kavrin::runningProgramPath().c_str(), argv + 1);
        return 127;
    }
    kavrin::restartWithLargePageHeap(argv);
    std::ifstream startEnvironment("/proc/self/environ");
    const std::string environment((std::istreambuf_iterator<char>(startEnvironment)),
                                  std::istreambuf_iterator<char>());
    const bool restarted = environment.find("KAVRIN_SAVED_GLIBC_TUNABLES=") != std::string::npos;
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    std::printf("restarted=%d\ntunables=%s\nsaved=%d\nargs=", restarted ? 1 : 0,
                tunables ? tunables : "(unset)",
                std::getenv("KAVRIN_SAVED_GLIBC_TUNABLES") ? 1 : 0);
    for (int i = 1; i < argc; ++i)
        std::printf("%s%s", i > 1 ? " " : "", argv[i]);
    std::printf("\n");
    return 0;
}
