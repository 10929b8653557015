// The GDB remote client and target against a small in-process server: framing, answers in
// every shape a server may give, servers that stop the target for access and ones that do
// not, failures.
#include "FakeGdbServerHarness.h"

#include "target/TargetMemory.h"
#include "target/gdb/GdbPackets.h"
#include "target/gdb/GdbSettings.h"
#include "target/gdb/GdbTarget.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace kavrin;
using namespace kavrin::gdb;
using kavrin::test::FakeGdbServer;

namespace {

constexpr uint32_t RamStart = 0x20000000;
constexpr uint32_t RamSize = 0x1000;

TEST(GdbPackets, FramingEscapesAndRunLengths) {
    EXPECT_EQ(frame("m0,4"), "$m0,4#fd");
    // Bytes that would end or confuse a packet are escaped, and come back unescaped.
    const std::string awkward = std::string("a#b$c}d*e");
    const std::string framed = frame(awkward);
    EXPECT_EQ(framed.substr(0, 14), "$a}\x03"
                                    "b}\x04"
                                    "c}]d}\ne");
    EXPECT_EQ(decodeBody(framed.substr(1, framed.size() - 4)), awkward);
    // "x*c" repeats x c - 29 more times.
    EXPECT_EQ(decodeBody("0* 1*!"), "00001111"
                                    "1");
    EXPECT_FALSE(decodeBody("*!"));     // nothing to repeat
    EXPECT_FALSE(decodeBody("0*"));     // the count is cut off
    EXPECT_FALSE(decodeBody("ab}"));    // so is the escaped byte
    EXPECT_FALSE(decodeBody("0*\x10")); // a count below zero
}

TEST(GdbPackets, HexNumbersAndReplies) {
    uint8_t bytes[4] = {};
    EXPECT_EQ(fromHex("00ff7A", bytes), 3u);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x7A);
    EXPECT_FALSE(fromHex("0g", bytes));
    EXPECT_FALSE(fromHex("123", bytes));
    EXPECT_FALSE(fromHex("0011223344", bytes)); // more than fits
    EXPECT_EQ(toHex(std::vector<uint8_t>{0x00, 0xAB}), "00ab");
    EXPECT_EQ(hexNumber(0x20000000), "20000000");
    EXPECT_EQ(hexNumber(0), "0");
    EXPECT_EQ(packetSize("qXfer:features:read+;PacketSize=1000;x+"), 0x1000u);
    EXPECT_FALSE(packetSize("swbreak+"));
    EXPECT_TRUE(isStopReply("T05thread:01;"));
    EXPECT_TRUE(isStopReply("S02"));
    EXPECT_FALSE(isStopReply("E14"));
    EXPECT_TRUE(isErrorReply("E14"));
    EXPECT_FALSE(isErrorReply("E1"));
    EXPECT_TRUE(isConsoleOutput("O6869"));
    EXPECT_FALSE(isConsoleOutput("OK"));
}

TEST(GdbSettingsTest, ServerAddresses) {
    const auto check = [](std::string_view text, std::string host, uint16_t port) {
        const auto address = parseServerAddress(text, 3333);
        ASSERT_TRUE(address) << text;
        EXPECT_EQ(address->host, host);
        EXPECT_EQ(address->port, port);
    };
    check("localhost:1234", "localhost", 1234);
    check("192.168.1.7", "192.168.1.7", 3333);
    check("[::1]:2331", "::1", 2331);
    check("[::1]", "::1", 3333);
    check("fe80::1", "fe80::1", 3333);
    for (std::string_view bad : {"", ":1234", "host:", "host:0", "host:65536", "host:0x10",
                                 "host:12ab", "[::1", "[::1]x", "[]:1"})
        EXPECT_FALSE(parseServerAddress(bad, 3333)) << bad;
}

// RAM with a known pattern, and a target reached through the fake server.
struct GdbFixture {
    explicit GdbFixture(FakeGdbServer::Behaviour behaviour = {},
                        std::chrono::milliseconds timeout = std::chrono::milliseconds(5000),
                        GdbSettings::Access access = GdbSettings::Access::Detect)
        : server(memory, behaviour), target([&] {
              GdbSettings settings;
              settings.timeout = timeout;
              settings.access = access;
              return settings;
          }()) {
        std::vector<uint8_t> pattern(RamSize);
        std::iota(pattern.begin(), pattern.end(), uint8_t(0));
        memory.write(RamStart, pattern.data(), RamSize);
    }
    bool attach() { return target.attach("127.0.0.1", server.port()); }
    std::vector<uint8_t> read(uint32_t address, uint32_t size) {
        std::vector<uint8_t> bytes(size);
        if (!target.read(address, bytes.data(), size))
            bytes.clear();
        return bytes;
    }
    static std::vector<uint8_t> pattern(uint32_t address, uint32_t size) {
        std::vector<uint8_t> bytes(size);
        for (uint32_t i = 0; i < size; ++i)
            bytes[i] = uint8_t(address - RamStart + i);
        return bytes;
    }

    TargetMemory memory{{{RamStart, RamSize}}};
    FakeGdbServer server;
    GdbTarget target;
};

TEST(GdbTargetTest, AServerThatStopsTheTargetForEachAccess) {
    GdbFixture f;
    ASSERT_TRUE(f.attach()) << f.target.error();
    EXPECT_TRUE(f.target.halted()); // stopped by the attach
    EXPECT_EQ(f.target.readChunk(), (0x1000u - 8) / 2);
    EXPECT_EQ(f.read(RamStart + 3, RamSize - 3),
              GdbFixture::pattern(RamStart + 3, RamSize - 3)); // in chunks of the packet size

    f.target.go();
    EXPECT_FALSE(f.target.halted());
    // The first access while running finds out that the server stops the target on any byte.
    EXPECT_EQ(f.read(RamStart + 16, 8), GdbFixture::pattern(RamStart + 16, 8));
    EXPECT_EQ(f.target.access(), GdbSettings::Access::Halt);
    EXPECT_FALSE(f.target.halted());
    EXPECT_TRUE(f.server.running()); // resumed after the access
    EXPECT_EQ(f.server.counts().stops, 1);

    // One stop for everything between beginAccess and endAccess.
    f.target.beginAccess();
    const uint32_t value = 0x12345678;
    EXPECT_TRUE(f.target.write(RamStart + 4, &value, 4));
    EXPECT_EQ(f.read(RamStart + 4, 4), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_FALSE(f.server.running());
    f.target.endAccess();
    EXPECT_TRUE(f.server.running());
    EXPECT_EQ(f.server.counts().stops, 2);

    // A halt asked for stays; the detach leaves it stopped.
    f.target.halt();
    EXPECT_TRUE(f.target.halted());
    EXPECT_EQ(f.read(RamStart, 4), GdbFixture::pattern(RamStart, 4));
    EXPECT_FALSE(f.server.running());
    f.target.detach();
    EXPECT_EQ(f.server.counts().detaches, 0);
    EXPECT_FALSE(f.server.running());
}

TEST(GdbTargetTest, AServerThatReadsWhileTheTargetRuns) {
    FakeGdbServer::Behaviour live;
    live.haltsOnAnyByte = false;
    GdbFixture f(live);
    ASSERT_TRUE(f.attach());
    f.target.go();
    EXPECT_EQ(f.read(RamStart + 100, 300), GdbFixture::pattern(RamStart + 100, 300));
    EXPECT_EQ(f.target.access(), GdbSettings::Access::Live);
    EXPECT_EQ(f.server.counts().stops, 0);
    EXPECT_TRUE(f.server.running());
    // Halted and let go again, the target is detached running.
    f.target.halt();
    EXPECT_EQ(f.server.counts().stops, 1);
    f.target.go();
    f.target.detach();
    EXPECT_TRUE(f.server.running());
}

TEST(GdbTargetTest, ConfiguredHaltAccessStopsWithTheInterruptByte) {
    FakeGdbServer::Behaviour live;
    live.haltsOnAnyByte = false;
    GdbFixture f(live, std::chrono::milliseconds(5000), GdbSettings::Access::Halt);
    ASSERT_TRUE(f.attach());
    f.target.go();
    EXPECT_EQ(f.read(RamStart, 2), GdbFixture::pattern(RamStart, 2));
    EXPECT_EQ(f.server.counts().stops, 1);
    EXPECT_TRUE(f.server.running());
    // A target stopped when the client leaves is let go.
    f.target.beginAccess();
    f.read(RamStart, 2);
    f.target.detach();
    EXPECT_EQ(f.server.counts().detaches, 1);
}

TEST(GdbTargetTest, AnswersWithBadChecksumsEscapesRunLengthsConsoleOutputAndShortReads) {
    FakeGdbServer::Behaviour awkward;
    awkward.corruptAnswers = 3; // qSupported, "?" and the first memory answer
    awkward.runLength = true;
    awkward.escapeZeros = true;
    awkward.consoleOutput = true;
    awkward.readLimit = 10;
    awkward.packetSize = 0x40;
    GdbFixture f(awkward);
    std::vector<uint8_t> zeros(200, 0);
    f.memory.write(RamStart + 0x200, zeros.data(), 200);
    ASSERT_TRUE(f.attach()) << f.target.error();
    EXPECT_EQ(f.target.readChunk(), 28u);
    EXPECT_EQ(f.read(RamStart + 0x200, 200), zeros);
    EXPECT_EQ(f.read(RamStart + 7, 77), GdbFixture::pattern(RamStart + 7, 77));
    EXPECT_EQ(f.server.counts().rejected, 3);
    const std::vector<uint8_t> written(100, 0xEE); // in chunks that fit the packet size
    EXPECT_TRUE(f.target.write(RamStart + 0x300, written.data(), 100));
    EXPECT_EQ(f.read(RamStart + 0x300, 100), written);
}

TEST(GdbTargetTest, ErrorAnswersFailTheAccessButNotTheConnection) {
    GdbFixture f;
    ASSERT_TRUE(f.attach());
    EXPECT_TRUE(f.read(RamStart + RamSize - 2, 4).empty()); // runs past the RAM
    const uint32_t value = 1;
    EXPECT_FALSE(f.target.write(0x10, &value, 4));
    EXPECT_TRUE(f.target.usable());
    EXPECT_EQ(f.read(RamStart, 3), GdbFixture::pattern(RamStart, 3));
}

TEST(GdbTargetTest, AServerThatStopsAnsweringFailsWithinTheTimeout) {
    FakeGdbServer::Behaviour silent;
    silent.answersBeforeSilence = 3; // qSupported, "?", one read
    GdbFixture f(silent, std::chrono::milliseconds(200));
    ASSERT_TRUE(f.attach());
    EXPECT_EQ(f.read(RamStart, 4).size(), 4u);
    EXPECT_TRUE(f.read(RamStart, 4).empty());
    EXPECT_FALSE(f.target.usable());
    EXPECT_NE(f.target.error().find("does not answer"), std::string::npos) << f.target.error();
    EXPECT_TRUE(f.read(RamStart, 4).empty()); // at once, without waiting again
}

TEST(GdbTargetTest, LostAndRefusedConnections) {
    GdbFixture f;
    ASSERT_TRUE(f.attach());
    f.server.disconnect();
    EXPECT_TRUE(f.read(RamStart, 4).empty());
    EXPECT_FALSE(f.target.usable());
    EXPECT_NE(f.target.error().find("closed"), std::string::npos) << f.target.error();

    uint16_t unused = 0;
    {
        const GdbFixture gone;
        unused = gone.server.port();
    }
    GdbTarget nobody{GdbSettings()};
    EXPECT_FALSE(nobody.attach("127.0.0.1", unused));
    EXPECT_FALSE(nobody.usable());
    EXPECT_NE(nobody.error().find("cannot connect"), std::string::npos) << nobody.error();
}

} // namespace
