// `kavrin`: starts the window's program beside it, with the C library's heap in large pages
// where that helps. Deciding here, in a program that loads no Qt, spares the window a second
// start: Qt's libraries are bound at every start, which costs 20 ms.
#include "app/LargePageHeap.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* WindowProgram = "kavrin-window";

// Empty when this program's own file is unknown (no /proc): a bare name would be looked up in
// the current folder.
std::string programBesideThisOne() {
    const std::string self = kavrin::runningProgramPath();
    return self.empty() ? self : self.substr(0, self.rfind('/') + 1) + WindowProgram;
}

} // namespace

int main(int, char** argv) {
    const std::string program = programBesideThisOne();
    if (program.empty()) {
        std::fprintf(stderr,
                     "kavrin: cannot start %s: its folder is unknown (/proc/self/exe "
                     "cannot be read)\n",
                     WindowProgram);
        return 127;
    }
    kavrin::startWithLargePageHeap(program.c_str(), argv);
    const int error = errno;
    std::fprintf(stderr, "kavrin: cannot start %s: %s\n", program.c_str(), std::strerror(error));
    return error == ENOENT ? 127 : 126;
}
