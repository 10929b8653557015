#pragma once

#include <QString>

#include <cstdint>

namespace kavrin {

class LoadedDataFile;

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
    // The packet runs to the end of the file: the file was cut off inside it, rather than
    // holding bytes that are no packet.
    bool cutOff = false;
};

// The decoder's invalid or incomplete packet at `offset`, read from `file`.
StreamStopInfo packetStop(int32_t decodeResult, uint32_t offset, uint32_t eventIndex,
                          const LoadedDataFile& file);

// For the log: "invalid packet", "incomplete packet", "read error: ..." and so on.
QString streamStopCause(StreamStop reason, const QString& readError);

// "the file ends inside a packet" or "the file holds bytes that are no packet" for a packet
// that could not be decoded; empty for other stops.
QString streamDamageText(const StreamStopInfo& stop);

} // namespace kavrin
