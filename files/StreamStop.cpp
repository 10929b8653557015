#include "files/StreamStop.h"

#include "engine/StreamDecoder.h"
#include "files/LoadedDataFile.h"

namespace kavrin {

StreamStopInfo packetStop(int32_t decodeResult, uint32_t offset, uint32_t eventIndex,
                          const LoadedDataFile& file) {
    // The decoder reports an END packet whose bytes run past the end as invalid too.
    return {decodeResult == DecodeIncompletePacket ? StreamStop::IncompletePacket
                                                   : StreamStop::InvalidPacket,
            offset, eventIndex, file.endMet()};
}

QString streamStopCause(StreamStop reason, const QString& readError) {
    switch (reason) {
    case StreamStop::InvalidPacket:
        return QStringLiteral("invalid packet");
    case StreamStop::IncompletePacket:
        return QStringLiteral("incomplete packet");
    case StreamStop::NoStartPacket:
        return QStringLiteral("no Start packet in the stream");
    case StreamStop::ReadError:
        return QStringLiteral("read error: ") + readError;
    case StreamStop::OutOfMemory:
        return QStringLiteral("out of memory");
    case StreamStop::None:
        break;
    }
    return {};
}

QString streamDamageText(const StreamStopInfo& stop) {
    if (stop.reason != StreamStop::InvalidPacket && stop.reason != StreamStop::IncompletePacket)
        return {};
    return stop.cutOff ? QStringLiteral("the file ends inside a packet")
                       : QStringLiteral("the file holds bytes that are no packet");
}

} // namespace kavrin
