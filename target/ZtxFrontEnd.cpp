#include "target/ZtxFrontEnd.h"

#include "target/RingChannel.h"

#include <algorithm>
#include <cstring>

namespace kavrin {

namespace {
constexpr uint32_t MaxNameLength = 32;
} // namespace

void ZtxFrontEnd::start(std::optional<uint32_t> address, std::vector<RamRegion> ranges) {
    started_ = true;
    configured_ = address;
    ranges_ = std::move(ranges);
    block_.reset();
}

std::optional<ZtxFrontEnd::Header> ZtxFrontEnd::validHeader(uint32_t address) {
    uint8_t bytes[ztx::HeaderSize];
    if (!memory_.read(address, bytes, sizeof bytes) ||
        std::memcmp(bytes, ztx::IdentifierBytes, ztx::IdentifierSize) != 0)
        return std::nullopt;
    Header header;
    std::memcpy(&header.upCount, bytes + ztx::UpCountOffset, 4);
    std::memcpy(&header.downCount, bytes + ztx::DownCountOffset, 4);
    if (header.upCount < 0 || header.upCount > ztx::MaxChannels || header.downCount < 0 ||
        header.downCount > ztx::MaxChannels)
        return std::nullopt;
    return header;
}

std::optional<uint32_t> ZtxFrontEnd::search(const std::vector<RamRegion>& ranges) {
    std::vector<uint8_t> block(SearchBlockSize + ztx::IdentifierSize - 1);
    for (const RamRegion& range : ranges) {
        const uint64_t end = uint64_t(range.start) + range.size;
        for (uint64_t at = range.start; at < end; at += SearchBlockSize) {
            // Each read reaches 15 bytes into the next block, so an identifier that starts
            // near a block's end is still seen whole.
            const auto length = uint32_t(std::min<uint64_t>(block.size(), end - at));
            if (!memory_.read(uint32_t(at), block.data(), length))
                continue;
            const uint32_t candidates = std::min<uint32_t>(SearchBlockSize, length);
            for (uint32_t i = 0; i < candidates; ++i) {
                if (block[i] == ztx::IdentifierBytes[0] && i + ztx::IdentifierSize <= length &&
                    std::memcmp(&block[i], ztx::IdentifierBytes, ztx::IdentifierSize) == 0 &&
                    validHeader(uint32_t(at + i)))
                    return uint32_t(at + i);
            }
        }
    }
    return std::nullopt;
}

std::optional<ZtxFrontEnd::Header> ZtxFrontEnd::locate() {
    if (!started_)
        return std::nullopt;
    if (!block_)
        block_ = configured_ ? configured_ : search(ranges_);
    if (!block_)
        return std::nullopt;
    auto header = validHeader(*block_);
    if (!header && !configured_)
        block_.reset(); // the block went away: search again next time
    return header;
}

int32_t ZtxFrontEnd::channelCount(uint32_t direction) {
    if (!started_)
        return Failed;
    const auto header = locate();
    if (!header)
        return NotFoundYet;
    return direction == ztx::Up ? header->upCount : header->downCount;
}

std::optional<uint32_t> ZtxFrontEnd::descriptor(uint32_t direction, int32_t index) {
    const auto header = locate();
    if (!header || index < 0 || direction > ztx::Down)
        return std::nullopt;
    const int32_t count = direction == ztx::Up ? header->upCount : header->downCount;
    if (index >= count)
        return std::nullopt;
    return ztx::descriptorAddress(*block_, header->upCount, ztx::Direction(direction),
                                  uint32_t(index));
}

int32_t ZtxFrontEnd::channelName(int32_t index, uint32_t direction, char* name, uint32_t capacity) {
    const auto address = descriptor(direction, index);
    uint32_t nameAddress = 0;
    if (!address || capacity == 0 || !memory_.readWord(*address + ztx::NameField, nameAddress))
        return Failed;
    name[0] = 0;
    if (nameAddress == 0)
        return 0;
    // Names are short; read them byte by byte so that one at the end of RAM still reads.
    const uint32_t limit = std::min(capacity - 1, MaxNameLength);
    uint32_t length = 0;
    for (char c = 0; length < limit && memory_.read(nameAddress + length, &c, 1) && c; ++length)
        name[length] = c;
    name[length] = 0;
    return 0;
}

int32_t ZtxFrontEnd::read(uint32_t index, uint8_t* out, uint32_t capacity) {
    const auto address = descriptor(ztx::Up, int32_t(std::min<uint32_t>(index, INT32_MAX)));
    if (!address)
        return Failed;
    return RingChannel(memory_, *address).consume(out, capacity);
}

int32_t ZtxFrontEnd::write(uint32_t index, const uint8_t* data, uint32_t size) {
    const auto address = descriptor(ztx::Down, int32_t(std::min<uint32_t>(index, INT32_MAX)));
    if (!address)
        return Failed;
    return RingChannel(memory_, *address).produce(data, size);
}

} // namespace kavrin
