#pragma once

#include "files/PendingChunks.h"
#include "files/StreamStop.h"

namespace kavrin {

class LoadedDataFile;
class RecordingEngine;

// State shared by the GUI thread and the loader thread. The engine and the file are used by
// the loader during a pass and by the GUI thread between passes; `stop` is written by the
// loader before it reports the end of a pass.
struct LoadSession {
    LoadSession(RecordingEngine& engineRef, LoadedDataFile& fileRef)
        : engine(engineRef), file(fileRef) {}

    RecordingEngine& engine;
    LoadedDataFile& file;
    PendingChunks pendingChunks;
    StreamStopInfo stop;
};

} // namespace kavrin
