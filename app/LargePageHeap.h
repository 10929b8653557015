#pragma once

namespace kavrin {

// The window's first touch of fresh heap memory (the event list's rows, the terminal, the
// stored texts, the timeline's arrays) costs a page fault per 4 KiB, a good part of opening a
// large recording. The C library hands out large pages for its heap only when told so at start:
// where the system offers large pages on request, the program starts itself once more with
// that setting. Programs started later get the environment as it was.
// Returns only if no restart was needed or it failed; call first thing in `main`.
void restartWithLargePageHeap(char** argv);

} // namespace kavrin
