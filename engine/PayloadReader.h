#pragma once

#include "engine/EventRecord.h"

#include <cstdint>
#include <string>

namespace kavrin {

// A cursor over one record's payload block. It never reads past the block, whatever the
// record's length field claims.
class PayloadReader {
public:
    explicit PayloadReader(const EventRecord& record);
    PayloadReader(const uint8_t* data, uint32_t size) : data_(data), end_(data ? size : 0) {}

    // The next varint, or `defaultValue` when the block is exhausted.
    uint32_t readVarint(uint32_t defaultValue);
    // A packet string (Latin-1 bytes), cut to what remains of the block; empty at the end.
    std::string readString();
    // A length byte N, then N bytes as lower-case hexadecimal, each followed by a blank.
    std::string readHexBytes();

    bool atEnd() const { return pos_ >= end_; }
    uint32_t position() const { return pos_; }
    uint32_t remaining() const { return atEnd() ? 0 : end_ - pos_; }

private:
    uint8_t nextByte() { return pos_ < end_ ? data_[pos_++] : 0; }

    const uint8_t* data_;
    uint32_t end_;
    uint32_t pos_ = 0;
};

} // namespace kavrin
