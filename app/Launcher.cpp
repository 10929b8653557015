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

std::string programBesideThisOne() {
    const std::string self = kavrin::runningProgramPath();
    // Without /proc the error below says what is missing.
    return self.substr(0, self.rfind('/') + 1) + WindowProgram;
}

} // namespace

int main(int, char** argv) {
    const std::string program = programBesideThisOne();
    kavrin::startWithLargePageHeap(program.c_str(), argv);
    const int error = errno;
    std::fprintf(stderr, "kavrin: cannot start %s: %s\n", program.c_str(), std::strerror(error));
    return error == ENOENT ? 127 : 126;
}
