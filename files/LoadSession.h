#pragma once

#include "files/PendingChunks.h"

#include <cstdint>

namespace kavrin {

class LoadedDataFile;
class RecordingEngine;

// Why a pass stopped before the end of the file.
enum class StreamStop : uint8_t {
    None,
    InvalidPacket,
    IncompletePacket,
    NoStartPacket,
    ReadError,
    OutOfMemory,
};

struct StreamStopInfo {
    StreamStop reason = StreamStop::None;
    uint32_t offset = 0;     // file offset of the packet that could not be decoded
    uint32_t eventIndex = 0; // index that packet would have had
};

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
