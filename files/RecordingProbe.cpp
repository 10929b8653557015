#include "files/RecordingProbe.h"

#include "engine/StagingBuffer.h"
#include "engine/StreamDecoder.h"
#include "files/DataFileHeader.h"
#include "files/RecordProperties.h"

#include <memory>

namespace kavrin {

namespace {

struct ScratchDecoder {
    StagingBuffer staging;
    StreamDecoder decoder{staging};
};

} // namespace

std::optional<StreamStopInfo> noRecordingIn(const QString& path, uint32_t byteLimit) {
    LoadedDataFile file;
    if (!file.open(path))
        return std::nullopt;
    RecordProperties properties;
    file.setHeaderLength(readHeader(file.window(), file.windowLength(), properties));

    const auto scratch = std::make_unique<ScratchDecoder>(); // the decoder's buffers are large
    while (file.position() < file.fileSize()) {
        if (file.position() >= byteLimit)
            return std::nullopt;
        const int32_t result = scratch->decoder.decodePackets(file, 1);
        if (result == DecodeUnsynchronised)
            continue;
        if (result < 0 && file.readError().isEmpty())
            return packetStop(result, scratch->decoder.lastPacketPosition(), 0, file);
        // An event, or a read that failed: the passes show or report it.
        return std::nullopt;
    }
    if (file.fileSize() > file.headerLength())
        return StreamStopInfo{StreamStop::NoStartPacket, file.headerLength(), 0};
    return std::nullopt;
}

} // namespace kavrin
