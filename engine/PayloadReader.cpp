#include "engine/PayloadReader.h"

#include <algorithm>

namespace kavrin {

PayloadReader::PayloadReader(const EventRecord& record)
    : data_(record.payload),
      end_(record.payload ? std::min(record.param1, record.payloadSize) : 0) {}

uint32_t PayloadReader::readVarint(uint32_t defaultValue) {
    if (atEnd())
        return defaultValue;
    uint32_t value = 0;
    for (unsigned shift = 0; shift < 35; shift += 7) {
        const uint8_t byte = nextByte();
        value |= uint32_t(byte & 0x7F) << shift;
        if (!(byte & 0x80) || atEnd())
            break;
    }
    return value;
}

std::string PayloadReader::readString() {
    if (atEnd())
        return {};
    uint32_t length = nextByte();
    if (length == 0xFF) {
        length = uint32_t(nextByte()) << 8;
        length |= nextByte();
    }
    length = std::min(length, remaining());
    std::string text(reinterpret_cast<const char*>(data_ + pos_), length);
    pos_ += length;
    return text;
}

std::string PayloadReader::readHexBytes() {
    if (atEnd())
        return {};
    static constexpr char digits[] = "0123456789abcdef";
    const uint32_t claimed = nextByte(); // read before asking what remains
    const uint32_t length = std::min(claimed, remaining());
    std::string text;
    text.reserve(length * 3);
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t byte = data_[pos_++];
        if (byte >= 0x10)
            text += digits[byte >> 4];
        text += digits[byte & 0xF];
        text += ' ';
    }
    return text;
}

} // namespace kavrin
