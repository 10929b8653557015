#pragma once

#include <string>

namespace kavrin {

// The window's first touch of fresh heap memory (the event list's rows, the stored texts, the
// terminal) costs a page fault per 4 KiB, a good part of opening a large recording. The C
// library hands out large pages for its heap only when told so at start: where the system
// offers large pages on request, the window's program is started with that setting. Programs
// it starts later get the environment as it was.

// For `kavrin`, which has no Qt to load: executes `program` with `argv`, with the setting where
// it helps. Returns only when the program cannot be executed (errno says why).
void startWithLargePageHeap(const char* program, char** argv);

// For the window's program: puts back the environment `startWithLargePageHeap` changed, or,
// when the program was started directly, starts it once more with the setting. Returns in the
// program that goes on; call first thing in `main`.
void restartWithLargePageHeap(char** argv);

// The running program's file (empty without /proc): started by this path, a program keeps its
// name, which /proc/self/exe would not.
std::string runningProgramPath();

} // namespace kavrin
