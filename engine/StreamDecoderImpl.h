#pragma once
// Template part of StreamDecoder; included by StreamDecoder.h only.

#include "engine/MulDiv.h"

#include <cstring>
#include <type_traits>

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

// Reads a packet out of memory that is known to hold enough bytes, with no check per byte.
// Parts of unknown length (strings, payloads) are checked before they are read; a packet that
// does not fit is left to the checked reader of the source itself.
class UncheckedCursor {
public:
    UncheckedCursor(const uint8_t* data, size_t size, uint32_t position)
        : begin_(data), at_(data), end_(data + size), position_(position) {}
    int32_t hasData() const { return 1; }
    uint8_t readByte() { return *at_++; }
    uint32_t position() const { return position_ + consumed(); }
    uint32_t consumed() const { return uint32_t(at_ - begin_); }
    bool holds(uint32_t n) const { return size_t(end_ - at_) >= n; }
    // The next n bytes, in place: they are copied once, into the staging buffer.
    const uint8_t* take(uint32_t n) {
        const uint8_t* bytes = at_;
        at_ += n;
        return bytes;
    }

private:
    const uint8_t* begin_;
    const uint8_t* at_;
    const uint8_t* end_;
    uint32_t position_;
};

inline constexpr uint32_t MaxVarintBytes = 5;
// Every packet without a string or payload fits: an id and at most five more varints.
inline constexpr uint32_t UncheckedPacketBytes = 6 * MaxVarintBytes;

template <class S> inline constexpr bool IsUnchecked = std::is_same_v<S, UncheckedCursor>;

// Whether a packet part of n bytes and the delta after it can be read from here; a checked
// source reads on and finds out byte by byte.
template <ByteSource S> inline bool fits(const S& source, uint32_t n) {
    if constexpr (IsUnchecked<S>)
        return source.holds(n + MaxVarintBytes);
    else
        return true;
}

// Varint of at most five bytes; a longer one marks the packet invalid.
template <ByteSource S>
inline uint32_t readVarint(S& source, bool& bad, unsigned* bytesTaken = nullptr) {
    uint32_t byte = source.readByte();
    uint32_t value = byte & 0x7F;
    unsigned taken = 1;
    while (byte & 0x80) {
        if (taken == MaxVarintBytes) {
            bad = true;
            break;
        }
        byte = source.readByte();
        value |= (byte & 0x7F) << (7 * taken);
        ++taken;
    }
    if (bytesTaken)
        *bytesTaken = taken;
    return value;
}

// The n bytes of a packet's payload: in place from memory, else read into `scratch`; null when
// a byte is missing (only sources that say so can tell).
template <ByteSource S> inline const uint8_t* takeBytes(S& source, uint8_t* scratch, uint32_t n) {
    if constexpr (IsUnchecked<S>) {
        return source.take(n);
    } else {
        for (uint32_t i = 0; i < n; ++i) {
            if (source.hasData() <= 0)
                return nullptr;
            scratch[i] = source.readByte();
        }
        return scratch;
    }
}

// Source types may report that a read ran past their end (a truncated varint or string).
template <ByteSource S> inline bool overran(const S& source) {
    if constexpr (requires { source.overrun(); })
        return source.overrun();
    else
        return false;
}

} // namespace detail

template <ByteSource S>
[[gnu::always_inline]] inline int32_t StreamDecoder::decodeOne(S& source, EventRecord& out) {
    bool bad = false;
    out.id = detail::readVarint(source, bad);
    uint32_t textLength = 0;
    const char* text = text_;
    uint32_t payloadSize = 0;
    const uint8_t* payload = payload_;
    const PayloadClass payloadClass = payloadClassOf(out.id);

    auto readStringLength = [&] {
        uint32_t length = source.readByte();
        if (length == 0xFF) {
            length = uint32_t(source.readByte()) << 8;
            length |= source.readByte();
        }
        return length;
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
    case PayloadClass::S: {
        if (payloadClass == PayloadClass::P2S) {
            out.param1 = detail::readVarint(source, bad);
            out.param2 = detail::readVarint(source, bad);
        }
        const uint32_t length = readStringLength();
        if (!detail::fits(source, length))
            return NeedsCheckedRead;
        if constexpr (detail::IsUnchecked<S>) {
            text = reinterpret_cast<const char*>(source.take(length));
        } else {
            // A string cut off by the end of the source shows as an overrun below.
            for (uint32_t i = 0; i < length; ++i) {
                const char c = char(source.readByte());
                if (i < MaxPacketString)
                    text_[i] = c;
            }
        }
        textLength = length < MaxPacketString ? length : MaxPacketString;
        break;
    }
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
        if (!detail::fits(source, length))
            return NeedsCheckedRead;
        payload = detail::takeBytes(source, payload_, length);
        if (!payload)
            return DecodeIncompletePacket;
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
        if (!detail::fits(source, count - taken))
            return NeedsCheckedRead;
        payload = detail::takeBytes(source, payload_, count - taken);
        if (!payload)
            return DecodeInvalidPacket;
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
    if (nextIndex_ == 0)
        delta = 0;
    if (!synchronised_)
        return DecodeUnsynchronised;

    if (out.id == SystemInfoEvent && timestampFrequency_ == 0 && payloadSize > 0) {
        bool ignored = false;
        MemorySource block(payload, payloadSize);
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

    if (textLength)
        out.text = reinterpret_cast<char*>(staging_.keepBlock(text, textLength, true));
    if (payloadSize) {
        out.payload = staging_.keepBlock(payload, payloadSize);
        out.payloadSize = payloadSize;
    }
    return 1;
}

template <ByteSource S>
[[gnu::always_inline]] inline int32_t StreamDecoder::decodePacket(S& source, EventRecord& out) {
    if constexpr (ContiguousByteSource<S>) {
        const size_t size = source.contiguousSize();
        if (size >= detail::UncheckedPacketBytes) {
            detail::UncheckedCursor cursor(source.contiguousData(), size, source.position());
            const int32_t result = decodeOne(cursor, out);
            if (result != NeedsCheckedRead) {
                source.skip(cursor.consumed());
                return result;
            }
            out = EventRecord{};
        }
    }
    return decodeChecked(source, out);
}

template <ByteSource S>
[[gnu::noinline]] int32_t StreamDecoder::decodeChecked(S& source, EventRecord& out) {
    return decodeOne(source, out);
}

template <ByteSource S> int32_t StreamDecoder::decodePackets(S& source, uint32_t maxRecords) {
    int32_t decoded = 0;
    decodedInLastCall_ = 0;
    nextIndex_ = staging_.base() + staging_.count();
    while (uint32_t(decoded) < maxRecords) {
        // A record is decoded straight into its slot; it counts once committed.
        EventRecord* slot = staging_.nextSlot();
        if (!slot)
            return decoded;
        const int32_t available = source.hasData();
        if (available <= 0)
            return decoded > 0 ? decoded : available;
        lastPacketPosition_ = source.position();
        const int32_t result = decodePacket(source, *slot);
        if (result < 0) {
            // Records staged before a bad packet stay staged: they are valid.
            decodedInLastCall_ = uint32_t(decoded);
            return result;
        }
        slot->index = nextIndex_++;
        slot->timestamp = runningTime_;
        slot->streamPosition = lastPacketPosition_;
        staging_.commit();
        decodedInLastCall_ = uint32_t(++decoded);
    }
    return decoded;
}

} // namespace kavrin
