#include "target/ControlBlock.h"
#include "target/RingChannel.h"
#include "target/SimulatedTarget.h"
#include "target/ZtxFrontEnd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace kavrin;

namespace {

uint32_t word(MemoryAccess& memory, uint32_t address) {
    uint32_t value = 0;
    EXPECT_TRUE(memory.readWord(address, value));
    return value;
}

std::string text(MemoryAccess& memory, uint32_t address) {
    std::string out;
    for (char c = 0; memory.read(address + uint32_t(out.size()), &c, 1) && c;)
        out += c;
    return out;
}

// Writes a control block with one up-channel by hand, as a recorder module would.
void placeBlock(MemoryAccess& memory, uint32_t block, int32_t upCount = 1) {
    memory.write(block, ztx::IdentifierBytes, ztx::IdentifierSize);
    const int32_t counts[2] = {upCount, 0};
    memory.write(block + ztx::UpCountOffset, counts, sizeof counts);
}

SimConfig quietConfig() {
    SimConfig config = defaultSimConfig();
    config.faults.targetHalted = true; // the firmware does nothing while we look
    return config;
}

} // namespace

TEST(ControlBlock, LaidOutByteForByte) {
    SimulatedTarget target(quietConfig());
    MemoryAccess& memory = target.memory();
    const uint32_t block = target.config().controlBlockAddress;

    uint8_t identifier[16];
    ASSERT_TRUE(memory.read(block, identifier, 16));
    EXPECT_EQ(std::memcmp(identifier, "NORVAN ZTX\0\0\0\0\0\0", 16), 0);
    EXPECT_EQ(word(memory, block + 16), 2u); // up-channels
    EXPECT_EQ(word(memory, block + 20), 2u); // down-channels

    // Up 0 "Terminal", up 1 "Kavrin", then down 0 and down 1 with the same names.
    const char* names[] = {"Terminal", "Kavrin", "Terminal", "Kavrin"};
    for (uint32_t i = 0; i < 4; ++i) {
        const uint32_t descriptor = block + 24 + 24 * i;
        EXPECT_EQ(text(memory, word(memory, descriptor)), names[i]) << i;
        EXPECT_NE(word(memory, descriptor + 4), 0u) << i;
        EXPECT_GT(word(memory, descriptor + 8), 0u) << i;
        EXPECT_EQ(word(memory, descriptor + 20), 0u) << i;
    }
    EXPECT_EQ(word(memory, block + 24 + 24 + 8), target.config().ringSize);
    // Nothing recorded yet; the terminal holds the boot banner.
    EXPECT_EQ(word(memory, block + 24 + 24 + 12), word(memory, block + 24 + 24 + 16));
    EXPECT_GT(word(memory, block + 24 + 12), 0u);
}

TEST(ControlBlock, FaultsLeaveOutTheIdentifierOrRenameTheChannel) {
    SimConfig config = quietConfig();
    config.faults.noControlBlock = true;
    config.faults.noKavrinChannel = true;
    SimulatedTarget target(config);
    const uint32_t block = config.controlBlockAddress;
    EXPECT_EQ(word(target.memory(), block), 0u);
    EXPECT_EQ(text(target.memory(), word(target.memory(), block + 48)), "Trace");
}

TEST(ZtxFrontEndSearch, FindsTheBlockAtAGivenAddressOrThroughTheRamRegions) {
    TargetMemory memory({{0x20000000, 0x8000}, {0x10000000, 0x1000}});
    placeBlock(memory, 0x10000400);

    ZtxFrontEnd configured(memory);
    configured.start(0x10000400u, {});
    EXPECT_EQ(configured.channelCount(ztx::Up), 1);

    ZtxFrontEnd searching(memory);
    searching.start(std::nullopt, memory.regions());
    EXPECT_EQ(searching.channelCount(ztx::Up), 1);
    EXPECT_EQ(searching.blockAddress(), 0x10000400u);

    // At a given address where no block lies there is none, and no search either.
    ZtxFrontEnd wrong(memory);
    wrong.start(0x20000000u, memory.regions());
    EXPECT_EQ(wrong.channelCount(ztx::Up), ZtxFrontEnd::NotFoundYet);
    // Before start nothing is answered.
    EXPECT_EQ(ZtxFrontEnd(memory).channelCount(ztx::Up), ZtxFrontEnd::Failed);
}

TEST(ZtxFrontEndSearch, SeesAnIdentifierAcrossTheEndOfAReadBlock) {
    TargetMemory memory({{0x20000000, 0x2000}});
    for (uint32_t offset : {2040u, 2047u, 2033u, 4095u - 23u}) {
        const uint32_t block = 0x20000000 + offset;
        std::vector<uint8_t> zeros(0x2000, 0);
        memory.write(0x20000000, zeros.data(), uint32_t(zeros.size()));
        placeBlock(memory, block);
        ZtxFrontEnd terminal(memory);
        EXPECT_EQ(terminal.search(memory.regions()), block) << offset;
    }
}

TEST(ZtxFrontEndSearch, SkipsInvalidHeadersAndStopsAtTheRangeEnd) {
    TargetMemory memory({{0x20000000, 0x4000}});
    placeBlock(memory, 0x20000100, 65); // too many channels: not a block
    placeBlock(memory, 0x20003000);
    ZtxFrontEnd terminal(memory);
    EXPECT_EQ(terminal.search(memory.regions()), 0x20003000u);
    // A range that ends inside the identifier does not find it.
    EXPECT_EQ(terminal.search({{0x20002000, 0x1008}}), std::nullopt);
    EXPECT_EQ(terminal.search({{0x20002000, 0x1018}}), 0x20003000u);
}

TEST(RingChannelTest, WrappedBufferIsReadInOrder) {
    TargetMemory memory({{0x20000000, 0x1000}});
    const uint32_t descriptor = 0x20000000;
    const uint32_t fields[6] = {0, 0x20000100, 16, 0, 0, 0};
    memory.write(descriptor, fields, sizeof fields);
    RingChannel ring(memory, descriptor);

    std::vector<uint8_t> data(40);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i);
    // One byte stays free: 15 of 16 fit.
    EXPECT_EQ(ring.produce(data.data(), 40), 15);
    EXPECT_EQ(ring.freeSpace(), 0);
    uint8_t out[64];
    EXPECT_EQ(ring.consume(out, 10), 10);
    // The next write wraps around the end of the buffer.
    EXPECT_EQ(ring.produce(data.data() + 15, 25), 10);
    EXPECT_EQ(word(memory, descriptor + 12), 9u);
    EXPECT_EQ(ring.consume(out + 10, 54), 15);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 25),
              std::vector<uint8_t>(data.begin(), data.begin() + 25));
    EXPECT_EQ(ring.used(), 0);
}

TEST(RingChannelTest, NonsenseDescriptorsAreRefused) {
    TargetMemory memory({{0x20000000, 0x1000}});
    const uint32_t broken[][6] = {
        {0, 0x20000100, 0, 0, 0, 0},   // no size
        {0, 0x20000100, 16, 16, 0, 0}, // write offset past the end
        {0, 0x20000100, 16, 0, 99, 0}, // read offset past the end
        {0, 0x30000000, 16, 4, 0, 0},  // buffer outside RAM
        {0, 0, 16, 0, 0, 0},           // no buffer
    };
    for (const auto& fields : broken) {
        memory.write(0x20000000, fields, sizeof fields);
        RingChannel ring(memory, 0x20000000);
        uint8_t out[8];
        EXPECT_EQ(ring.consume(out, 8), -1);
        EXPECT_EQ(ring.produce(out, 8), -1);
    }
    uint8_t out[8];
    EXPECT_EQ(RingChannel(memory, 0x40000000).consume(out, 8), -1);
}
