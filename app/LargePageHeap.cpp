#include "app/LargePageHeap.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <unistd.h>

namespace kavrin {
namespace {

constexpr const char* Tunables = "GLIBC_TUNABLES";
constexpr const char* LargePageTunable = "glibc.malloc.hugetlb=1";
// Set for the restarted program: the tunables' value before the restart, after a '=' when
// there was one.
constexpr const char* SavedTunables = "KAVRIN_SAVED_GLIBC_TUNABLES";

bool largePagesOnRequest() {
    std::ifstream mode("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(mode, text);
    return text.find("[madvise]") != std::string::npos;
}

// Sanitizers and valgrind bring their own allocator, and valgrind would not follow the restart.
bool allocatorReplaced() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ||                         \
    __has_feature(memory_sanitizer)
    return true;
#endif
#endif
    const char* preload = std::getenv("LD_PRELOAD");
    return preload && std::strstr(preload, "vgpreload");
}

void restoreEnvironment(const char* saved) {
    if (saved[0] == '=')
        setenv(Tunables, saved + 1, 1);
    else
        unsetenv(Tunables);
    unsetenv(SavedTunables);
}

// Sets the environment for a start with the large-page heap; false when none is wanted.
bool setLargePageEnvironment() {
    const char* tunables = std::getenv(Tunables);
    // A heap setting of the user's own is kept.
    if ((tunables && std::strstr(tunables, "glibc.malloc.hugetlb")) || allocatorReplaced() ||
        !largePagesOnRequest())
        return false;
    const std::string before = tunables ? std::string(tunables) : std::string();
    setenv(SavedTunables, tunables ? ("=" + before).c_str() : "", 1);
    setenv(Tunables, (tunables ? before + ":" : std::string()).append(LargePageTunable).c_str(), 1);
    return true;
}

} // namespace

void startWithLargePageHeap(const char* program, char** argv) {
#if defined(__GLIBC__) && defined(__linux__)
    const bool changed = std::getenv(SavedTunables) == nullptr && setLargePageEnvironment();
    execv(program, argv);
    const int error = errno;
    if (changed)
        restoreEnvironment(std::getenv(SavedTunables));
    errno = error;
#else
    execv(program, argv);
#endif
}

void restartWithLargePageHeap(char** argv) {
#if defined(__GLIBC__) && defined(__linux__)
    if (const char* saved = std::getenv(SavedTunables)) {
        restoreEnvironment(saved);
        return;
    }
    if (!setLargePageEnvironment())
        return;
    if (const std::string path = runningProgramPath(); !path.empty())
        execv(path.c_str(), argv);
    // The restart failed: go on as started.
    restoreEnvironment(std::getenv(SavedTunables));
#else
    (void)argv;
#endif
}

std::string runningProgramPath() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, size_t(length)) : std::string();
}

} // namespace kavrin
