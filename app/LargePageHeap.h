#pragma once

namespace kavrin {

// The window's first touch of fresh heap memory (the event list's rows, the stored texts, the
// terminal) costs a page fault per 4 KiB, a good part of opening a large recording. The C
// library hands out large pages for its heap only when told so at start: where the system
// offers large pages on request, the program starts itself once more with that setting.
// Programs started later get the environment as it was.
// Returns in the restarted program, or when no restart is needed or it fails; call first thing
// in `main`.
void restartWithLargePageHeap(char** argv);

} // namespace kavrin
