#pragma once

#include "target/ControlBlock.h"
#include "target/MemoryAccess.h"
#include "target/TargetMemory.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kavrin {

// The probe library's channel terminal: finds the recorder's control block in target memory
// and moves channel data, using nothing but memory reads and writes.
class ZtxFrontEnd {
public:
    static constexpr uint32_t SearchBlockSize = 2048;
    static constexpr int32_t NotFoundYet = -2;
    static constexpr int32_t Failed = -1;

    explicit ZtxFrontEnd(MemoryAccess& memory) : memory_(memory) {}

    // Starts the terminal: the block is taken at `address` when one is given, else it is
    // searched for in `ranges`, on every channel query until it is found.
    void start(std::optional<uint32_t> address, std::vector<RamRegion> ranges);
    void stop() { started_ = false; }
    bool started() const { return started_; }

    // Number of channels in that direction; NotFoundYet while there is no valid block.
    int32_t channelCount(uint32_t direction);
    // The channel's name into `name` (NUL-terminated, at most `capacity` bytes); 0 or Failed.
    int32_t channelName(int32_t index, uint32_t direction, char* name, uint32_t capacity);
    // Up to `capacity` bytes from up-channel `index`; 0 when none are waiting; Failed.
    int32_t read(uint32_t index, uint8_t* out, uint32_t capacity);
    // Up to `size` bytes into down-channel `index`; 0 when it is full; Failed.
    int32_t write(uint32_t index, const uint8_t* data, uint32_t size);

    // The first valid control block in `ranges`, read in blocks of SearchBlockSize bytes.
    std::optional<uint32_t> search(const std::vector<RamRegion>& ranges);
    std::optional<uint32_t> blockAddress() const { return block_; }

private:
    struct Header {
        int32_t upCount = 0;
        int32_t downCount = 0;
    };
    // The block's header if a valid one stands at `address`.
    std::optional<Header> validHeader(uint32_t address);
    std::optional<Header> locate();
    std::optional<uint32_t> descriptor(uint32_t direction, int32_t index);

    MemoryAccess& memory_;
    bool started_ = false;
    std::optional<uint32_t> configured_;
    std::vector<RamRegion> ranges_;
    std::optional<uint32_t> block_;
};

} // namespace kavrin
