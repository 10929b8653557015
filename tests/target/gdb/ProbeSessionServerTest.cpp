// The probe library over TCP/IP: a GDB server in front of the recorder module's RAM.
#include "FakeGdbServerHarness.h"

#include "../module/ModuleHostHarness.h"

#include "engine/ByteSource.h"
#include "engine/StagingBuffer.h"
#include "engine/StreamDecoder.h"
#include "target/ProbeSession.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace kavrin;
using namespace kavrin::test;

namespace {

using namespace std::chrono_literals;

void describe() {
    kavrin_system_description("N=Server test,O=Wren");
}

const kavrin_system_t System = {1'000'000, 1'000'000, 0, 0, describe, nullptr};

struct ServerSession {
    explicit ServerSession(std::chrono::milliseconds pollPeriod = 0ms,
                           FakeGdbServer::Behaviour behaviour = {})
        : server(memory, behaviour), probe(
                                         [](SimConfig&, std::string& error) {
                                             error = "no simulated target here";
                                             return false;
                                         },
                                         [pollPeriod](gdb::GdbSettings& settings, std::string&) {
                                             settings.pollPeriod = pollPeriod;
                                             return true;
                                         }) {
        modulePort() = ModulePort();
        kavrin_init(&System);
    }

    std::string address() const { return "127.0.0.1:" + std::to_string(server.port()); }

    // What the recorder's connect and channel search do.
    void connect() {
        ASSERT_EQ(probe.selectIp(address().c_str(), 0), 0);
        ASSERT_EQ(probe.open(), nullptr);
        char error[256];
        ASSERT_EQ(probe.execCommand("device = MPS2-AN385", error, sizeof error), 0) << error;
        ASSERT_EQ(probe.connect(), 0);
        ASSERT_EQ(probe.connections(), 1);
        ASSERT_EQ(probe.isHalted(), 1); // stopped by the attach
        probe.go();
        ASSERT_EQ(probe.isHalted(), 0);
        ASSERT_EQ(probe.terminalControl(ProbeSession::StartTerminal, nullptr), 0);
        uint32_t direction = 0;
        ASSERT_EQ(probe.terminalControl(ProbeSession::CountChannels, &direction), 2);
        uint8_t record[ProbeSession::DescriptorRecordSize] = {};
        const int32_t index = 1;
        std::memcpy(record, &index, 4);
        ASSERT_EQ(probe.terminalControl(ProbeSession::DescribeChannel, record), 0);
        ASSERT_STREQ(reinterpret_cast<char*>(record + ProbeSession::DescriptorNameOffset),
                     "Kavrin");
    }

    int read(std::vector<uint8_t>& stream) {
        char block[32768];
        const int count = probe.terminalRead(1, block, sizeof block);
        if (count > 0)
            stream.insert(stream.end(), block, block + count);
        return count;
    }

    ModuleMemory memory;
    FakeGdbServer server;
    ProbeSession probe;
};

TEST(ProbeSessionOverGdb, RecordsTheModuleAndLeavesTheTargetRunning) {
    ServerSession s;
    s.connect();
    EXPECT_TRUE(s.server.running());
    const char start = 1;
    ASSERT_EQ(s.probe.terminalWrite(1, &start, 1), 1);
    kavrin_poll(); // the firmware sees the command
    kavrin_isr_enter(15);
    kavrin_isr_exit();
    std::vector<uint8_t> stream;
    ASSERT_GT(s.read(stream), 0);
    EXPECT_EQ(s.read(stream), 0); // nothing more waits

    StagingBuffer staging;
    StreamDecoder decoder(staging);
    MemorySource source(stream.data(), stream.size());
    while (decoder.decodePackets(source, 100) > 0) {
    }
    EXPECT_EQ(staging.count(), kavrin_packets_produced());
    EXPECT_EQ(kavrin_packets_dropped(), 0u);
    // Each operation stopped the target once at most, and let it go again.
    const auto counts = s.server.counts();
    EXPECT_GT(counts.stops, 0);
    EXPECT_EQ(counts.continues, counts.stops + 1); // and once for go()
    EXPECT_TRUE(s.server.running());

    s.probe.close();
    EXPECT_TRUE(s.server.running());
    // The next session is over USB again unless the IP is selected anew.
    EXPECT_NE(s.probe.open(), nullptr);
}

TEST(ProbeSessionOverGdb, AHaltAskedForOutlastsTheSession) {
    ServerSession s;
    s.connect();
    s.probe.halt();
    EXPECT_EQ(s.probe.isHalted(), 1);
    uint8_t header[16];
    EXPECT_EQ(s.probe.readMemory(ModuleAreaAddress, sizeof header, header), int(sizeof header));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header)), "NORVAN ZTX");
    EXPECT_FALSE(s.server.running());
    s.probe.close();
    EXPECT_FALSE(s.server.running());
    EXPECT_EQ(s.server.counts().detaches, 0);
}

TEST(ProbeSessionOverGdb, ChannelReadsKeepThePollPeriodAndAnyDeviceWillDo) {
    ServerSession s(1h);
    s.connect();
    char error[256];
    EXPECT_EQ(s.probe.execCommand("device = nRF52840", error, sizeof error), 0) << error;
    std::vector<uint8_t> stream;
    EXPECT_EQ(s.read(stream), 0); // the ring is empty, but the target was read
    const int requests = s.server.counts().memoryRequests;
    EXPECT_EQ(s.read(stream), 0);
    EXPECT_EQ(s.server.counts().memoryRequests, requests); // too early: not read again
}

TEST(ProbeSessionOverGdb, AddressesAndServersThatFail) {
    ServerSession s;
    EXPECT_EQ(s.probe.selectIp("127.0.0.1:99999", 0), 1);
    EXPECT_EQ(s.probe.selectIp("", 0), 1);
    EXPECT_EQ(s.probe.selectIp(nullptr, 0), 1);

    uint16_t unused = 0;
    {
        ModuleMemory memory;
        const FakeGdbServer gone(memory, {});
        unused = gone.port();
    }
    ASSERT_EQ(s.probe.selectIp(("127.0.0.1:" + std::to_string(unused)).c_str(), 0), 0);
    const char* failure = s.probe.open();
    ASSERT_NE(failure, nullptr);
    EXPECT_NE(std::string(failure).find("cannot connect"), std::string::npos) << failure;
    s.probe.close();

    // A connection lost while recording fails the channel operations.
    s.connect();
    s.server.disconnect();
    std::vector<uint8_t> stream;
    EXPECT_LT(s.read(stream), 0);
    const char stop = 2;
    EXPECT_LT(s.probe.terminalWrite(1, &stop, 1), 0);
    uint32_t direction = 0;
    EXPECT_LT(s.probe.terminalControl(ProbeSession::CountChannels, &direction), 0);
    s.probe.close();
}

} // namespace
