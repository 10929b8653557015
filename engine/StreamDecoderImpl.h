#pragma once
// Template part of StreamDecoder; included by StreamDecoder.h only.

#include "engine/MulDiv.h"

#include <cstring>

namespace kavrin {

enum class PayloadClass : uint8_t { None, P1, P2, P2S, S, P2X, Len, End };

// Payload class by event id; ids beyond the table are API events (LEN).
inline constexpr PayloadClass payloadClassTable[FirstApiEvent] = {
    PayloadClass::None, // 0 Sync
    PayloadClass::P1,   // 1 Overflow
    PayloadClass::P1,   // 2 ISR Enter
    PayloadClass::None, // 3 ISR Exit
    PayloadClass::P1,   // 4 Task Run
    PayloadClass::None, // 5 Task Stop
    PayloadClass::P1,   // 6 Task Ready
    PayloadClass::P2,   // 7 Task Block
    PayloadClass::P1,   // 8 Task Create
    PayloadClass::P2S,  // 9 Task Info
    PayloadClass::None, // 10 Start
    PayloadClass::None, // 11 Stop
    PayloadClass::P1,   // 12 Target Time (cycles)
    PayloadClass::P2,   // 13 Target Time (us)
    PayloadClass::S,    // 14 System Description
    PayloadClass::P1,   // 15 User Start
    PayloadClass::P1,   // 16 User Stop
    PayloadClass::None, // 17 System Idle
    PayloadClass::None, // 18 ISR Exit to scheduler
    PayloadClass::P1,   // 19 Timer Enter
    PayloadClass::None, // 20 Timer Exit
    PayloadClass::P2X,  // 21 Stack
    PayloadClass::P2S,  // 22 Module Description
    PayloadClass::None, // 23 API name
    PayloadClass::Len,  // 24 System Info
    PayloadClass::P2S,  // 25 Resource Name
    PayloadClass::Len,  // 26 Log Output
    PayloadClass::P2,   // 27 Module Information
    PayloadClass::End,  // 28 API call end
};

inline PayloadClass payloadClassOf(uint32_t id) {
    return id < FirstApiEvent ? payloadClassTable[id] : PayloadClass::Len;
}

namespace detail {

// Varint of at most five bytes; a longer one marks the packet invalid.
template <ByteSource S>
inline uint32_t readVarint(S& source, bool& bad, unsigned* bytesTaken = nullptr) {
    uint32_t value = 0;
    unsigned taken = 0;
    for (unsigned shift = 0;; shift += 7) {
        const uint8_t byte = source.readByte();
        ++taken;
        value |= uint32_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
        if (taken == 5) {
            bad = true;
            break;
        }
    }
    if (bytesTaken)
        *bytesTaken = taken;
    return value;
}

// Source types may report that a read ran past their end (a truncated varint or string).
template <ByteSource S> inline bool overran(const S& source) {
    if constexpr (requires { source.overrun(); })
        return source.overrun();
    else
        return false;
}

} // namespace detail

template <ByteSource S> int32_t StreamDecoder::decodeOne(S& source, EventRecord& out) {
    bool bad = false;
    out.id = detail::readVarint(source, bad);
    uint32_t textLength = 0;
    uint32_t payloadSize = 0;
    const PayloadClass payloadClass = payloadClassOf(out.id);

    auto readString = [&] {
        uint32_t length = source.readByte();
        if (length == 0xFF) {
            length = uint32_t(source.readByte()) << 8;
            length |= source.readByte();
        }
        for (uint32_t i = 0; i < length; ++i) {
            const char c = char(source.readByte());
            if (i < MaxPacketString)
                text_[i] = c;
        }
        textLength = length < MaxPacketString ? length : MaxPacketString;
    };

    switch (payloadClass) {
    case PayloadClass::None:
        break;
    case PayloadClass::P1:
        out.param1 = detail::readVarint(source, bad);
        break;
    case PayloadClass::P2:
        out.param1 = detail::readVarint(source, bad);
        out.param2 = detail::readVarint(source, bad);
        break;
    case PayloadClass::P2S:
        out.param1 = detail::readVarint(source, bad);
        out.param2 = detail::readVarint(source, bad);
        readString();
        break;
    case PayloadClass::S:
        readString();
        break;
    case PayloadClass::P2X: {
        out.param1 = detail::readVarint(source, bad);
        out.param2 = detail::readVarint(source, bad);
        const uint32_t words[2] = {detail::readVarint(source, bad),
                                   detail::readVarint(source, bad)};
        std::memcpy(payload_, words, sizeof words);
        payloadSize = sizeof words;
        break;
    }
    case PayloadClass::Len: {
        const uint32_t length = detail::readVarint(source, bad);
        out.param1 = length;
        if (bad || length > MaxLenPayload)
            return DecodeInvalidPacket;
        for (uint32_t i = 0; i < length; ++i) {
            if (source.hasData() <= 0)
                return DecodeIncompletePacket;
            payload_[i] = source.readByte();
        }
        payloadSize = length;
        break;
    }
    case PayloadClass::End: {
        const uint32_t count = detail::readVarint(source, bad);
        out.param1 = count;
        if (bad || count == 0 || count > MaxEndCount)
            return DecodeInvalidPacket;
        unsigned taken = 0;
        out.param2 = detail::readVarint(source, bad, &taken);
        // A count smaller than its own id field cannot be a valid packet.
        if (bad || taken > count)
            return DecodeInvalidPacket;
        for (uint32_t i = 0; i < count - taken; ++i) {
            if (source.hasData() <= 0)
                return DecodeInvalidPacket;
            payload_[i] = source.readByte();
        }
        payloadSize = count - taken;
        break;
    }
    }
    if (out.id == StartEvent)
        synchronised_ = true;

    uint32_t delta = detail::readVarint(source, bad);
    if (bad)
        return DecodeInvalidPacket;
    if (detail::overran(source))
        return DecodeIncompletePacket;
    if (staging_.base() + staging_.count() == 0)
        delta = 0;
    if (!synchronised_)
        return DecodeUnsynchronised;

    if (out.id == SystemInfoEvent && timestampFrequency_ == 0 && payloadSize > 0) {
        bool ignored = false;
        MemorySource block(payload_, payloadSize);
        timestampFrequency_ = detail::readVarint(block, ignored);
    }
    if (out.id == TargetTimeUsEvent && timeBase_ == 0 && timestampFrequency_ != 0) {
        const uint64_t us = (uint64_t(out.param2) << 32) | out.param1;
        // 128-bit so that long target uptimes at high frequencies do not wrap.
        const auto ticks = mulDiv(us, timestampFrequency_, 1'000'000u);
        rebase(ticks, runningTime_ + delta);
    } else {
        runningTime_ += delta;
    }

    out.text = textLength ? copyText(text_, textLength) : nullptr;
    out.payload = copyBlock(payload_, payloadSize);
    out.payloadSize = out.payload ? payloadSize : 0;
    return 1;
}

template <ByteSource S> int32_t StreamDecoder::decodePackets(S& source, uint32_t maxRecords) {
    int32_t decoded = 0;
    decodedInLastCall_ = 0;
    while (uint32_t(decoded) < maxRecords) {
        if (staging_.full())
            return decoded;
        const int32_t available = source.hasData();
        if (available <= 0)
            return decoded > 0 ? decoded : available;
        lastPacketPosition_ = source.position();
        EventRecord record;
        record.streamPosition = lastPacketPosition_;
        const int32_t result = decodeOne(source, record);
        if (result < 0) {
            // Records staged before a bad packet stay staged: they are valid.
            decodedInLastCall_ = uint32_t(decoded);
            return result;
        }
        EventRecord* slot = staging_.nextSlot();
        if (!slot) {
            freeRecordBlocks(record);
            return decoded;
        }
        record.index = staging_.base() + staging_.count();
        record.timestamp = runningTime_;
        *slot = record;
        staging_.commit();
        decodedInLastCall_ = uint32_t(++decoded);
    }
    return decoded;
}

} // namespace kavrin
