#include "ProbeHostHarness.h"

#include <gtest/gtest.h>

using namespace kavrin;
using test::ProbeHost;

namespace {

SimConfig liveConfig(uint32_t eventRate = 20'000) {
    SimConfig config = defaultSimConfig();
    config.eventRate = eventRate;
    config.ringSize = 256 * 1024;
    return config;
}

} // namespace

TEST(ProbeSessionLive, EveryCommandByteIsAnsweredInTheStream) {
    ProbeHost host(liveConfig());
    ASSERT_TRUE(host.connect());
    EXPECT_EQ(host.channel, 1);
    host.send({1});
    ASSERT_TRUE(host.readUntil(StartEvent));
    ASSERT_TRUE(host.readUntil(TaskRunEvent, 3));

    // What the start of a recording announces, once each.
    auto counts = host.decode();
    EXPECT_EQ(counts[SystemInfoEvent], 1u);
    EXPECT_EQ(counts[TargetTimeUsEvent], 1u);
    EXPECT_EQ(counts[SystemDescriptionEvent], 2u);
    EXPECT_EQ(counts[ModuleInformationEvent], 1u);
    EXPECT_EQ(counts[ModuleDescriptionEvent], 1u);
    EXPECT_EQ(counts[TaskInfoEvent], 5u);

    // 3 time, 4 task list, 5 system description, 6 and 7 module count, 0x80 n module n;
    // module 9 does not exist and gets nothing.
    host.send({3, 4, 5, 6, 7, 0x80, 0, 0x80, 9, 2});
    ASSERT_TRUE(host.readUntil(StopEvent));
    int32_t result = 0;
    counts = host.decode(&result);
    EXPECT_EQ(result, DecodeNoData);
    EXPECT_EQ(counts[StartEvent], 1u);
    EXPECT_EQ(counts[TargetTimeUsEvent], 2u);
    EXPECT_EQ(counts[TargetTimeCyclesEvent], 2u);
    EXPECT_EQ(counts[TaskInfoEvent], 10u);
    EXPECT_EQ(counts[StackEvent], 10u);
    EXPECT_EQ(counts[SystemDescriptionEvent], 4u);
    EXPECT_EQ(counts[ModuleInformationEvent], 3u);
    EXPECT_EQ(counts[ModuleDescriptionEvent], 2u);
    EXPECT_EQ(counts[OverflowEvent], 0u);

    // After Stop the target stays silent until the next Start.
    const size_t stopped = host.stream.size();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    host.poll();
    EXPECT_EQ(host.stream.size(), stopped);
}

TEST(ProbeSessionLive, OverflowPacketsCountTheEventsLostWhileTheHostDidNotRead) {
    SimConfig config = liveConfig(400'000);
    config.ringSize = 4096;
    ProbeHost host(config);
    ASSERT_TRUE(host.connect());
    host.send({1});
    ASSERT_TRUE(host.readUntil(StartEvent));
    // Stop reading until the firmware has lost events.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (host.probe.target()->eventsLost() < 1000 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(host.probe.target()->eventsLost(), 1000u);
    ASSERT_TRUE(host.readUntil(OverflowEvent));
    host.send({2});
    ASSERT_TRUE(host.readUntil(StopEvent));

    int32_t result = 0;
    std::vector<EventRecord> records;
    host.decode(&result, &records);
    EXPECT_EQ(result, DecodeNoData);
    uint32_t lastCount = 0;
    for (const EventRecord& record : records) {
        if (record.id == OverflowEvent) {
            EXPECT_GT(record.param1, lastCount); // a running count
            lastCount = record.param1;
        }
    }
    EXPECT_GE(lastCount, 1000u);
    EXPECT_LE(lastCount, host.probe.target()->eventsLost());
}

TEST(ProbeSessionFaults, EachFaultGivesItsResult) {
    {
        SimConfig config = liveConfig();
        config.faults.openFails = true;
        ProbeHost host(config);
        EXPECT_NE(host.probe.open(), nullptr);
    }
    {
        SimConfig config = liveConfig();
        config.faults.connectFails = true;
        ProbeHost host(config);
        EXPECT_EQ(host.probe.open(), nullptr);
        EXPECT_NE(host.probe.connect(), 0);
    }
    {
        SimConfig config = liveConfig();
        config.faults.noControlBlock = true;
        ProbeHost host(config);
        EXPECT_EQ(host.probe.open(), nullptr);
        EXPECT_EQ(host.probe.connect(), 0);
        host.probe.terminalControl(ProbeSession::StartTerminal, nullptr);
        uint32_t direction = 0;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(host.probe.terminalControl(ProbeSession::CountChannels, &direction), -2);
    }
    {
        SimConfig config = liveConfig();
        config.faults.channelCountFails = true;
        ProbeHost host(config);
        EXPECT_FALSE(host.connect());
        uint32_t direction = 0;
        EXPECT_EQ(host.probe.terminalControl(ProbeSession::CountChannels, &direction), -1);
    }
    {
        SimConfig config = liveConfig();
        config.faults.noKavrinChannel = true;
        ProbeHost host(config);
        EXPECT_FALSE(host.connect());
        EXPECT_EQ(host.channelName(0), "Terminal");
        EXPECT_EQ(host.channelName(1), "Trace");
        EXPECT_EQ(host.channelName(2), "?");
    }
    {
        SimConfig config = liveConfig();
        config.faults.targetHalted = true;
        config.faults.secondConnection = true;
        ProbeHost host(config);
        ASSERT_TRUE(host.connect());
        EXPECT_EQ(host.probe.connections(), 2);
        EXPECT_EQ(host.probe.isHalted(), 1);
        host.probe.go();
        EXPECT_EQ(host.probe.isHalted(), 0);
        host.probe.halt();
        EXPECT_EQ(host.probe.isHalted(), 1);
    }
}

TEST(ProbeSessionFaults, ConnectionLostAfterTheConfiguredBytes) {
    SimConfig config = liveConfig(100'000);
    config.faults.connectionLostAfter = 5000;
    ProbeHost host(config);
    ASSERT_TRUE(host.connect());
    host.send({1});
    EXPECT_FALSE(host.readUntil(StopEvent)); // the read fails before
    EXPECT_EQ(host.stream.size(), 5000u);
    EXPECT_LT(host.poll(), 0);
}

TEST(ProbeSessionFaults, InvalidPacketBreaksTheStream) {
    SimConfig config = liveConfig();
    config.faults.invalidPacketAfter = 2000;
    ProbeHost host(config);
    ASSERT_TRUE(host.connect());
    host.send({1});
    int32_t result = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (result != DecodeInvalidPacket && std::chrono::steady_clock::now() < giveUp) {
        host.poll();
        if (host.stream.size() > 2100)
            host.decode(&result);
    }
    EXPECT_EQ(result, DecodeInvalidPacket);
}

TEST(ProbeSessionCommands, DeviceAndSearchRangesAreCheckedAndUsed) {
    ProbeHost host(liveConfig());
    ASSERT_EQ(host.probe.open(), nullptr);
    char error[1024] = "x";
    EXPECT_EQ(host.probe.execCommand("device = STM32F407VG", error, sizeof error), 0);
    EXPECT_STREQ(error, "");
    EXPECT_EQ(host.probe.execCommand("device = ", error, sizeof error), 0);
    EXPECT_NE(host.probe.execCommand("device = Z80", error, sizeof error), 0);
    EXPECT_STREQ(error, "Unknown device \"Z80\"");
    EXPECT_EQ(host.probe.execCommand("SetSkipInitECCRAMOnConnect = 1", error, sizeof error), 0);
    EXPECT_NE(host.probe.execCommand("FlyToTheMoon", error, sizeof error), 0);
    EXPECT_NE(std::string(error).find("Unknown command"), std::string::npos);
    char tiny[4];
    EXPECT_NE(host.probe.execCommand("device = Z80", tiny, sizeof tiny), 0);
    EXPECT_STREQ(tiny, "Unk");
    EXPECT_NE(host.probe.execCommand(" SetZTXSearchRanges 0x20000000", error, sizeof error), 0);

    // A search range that misses the block finds nothing; one that holds it finds it.
    ASSERT_EQ(host.probe.connect(), 0);
    uint32_t direction = 0;
    EXPECT_EQ(host.probe.execCommand(" SetZTXSearchRanges 10000000 0x1000", error, 1024), 0);
    host.probe.terminalControl(ProbeSession::StartTerminal, nullptr);
    EXPECT_EQ(host.probe.terminalControl(ProbeSession::CountChannels, &direction), -2);
    EXPECT_EQ(
        host.probe.execCommand(" SetZTXSearchRanges 0x10000000 4096, 20000000 2048", error, 1024),
        0);
    host.probe.terminalControl(ProbeSession::StartTerminal, nullptr);
    EXPECT_EQ(host.probe.terminalControl(ProbeSession::CountChannels, &direction), 2);
}

TEST(ProbeSessionCommands, DevicesListAndDescribeTheirRam) {
    ProbeHost host(liveConfig());
    char names[512];
    ASSERT_GT(host.probe.deviceList(names, sizeof names), 0);
    EXPECT_STREQ(names, "STM32F407VG");
    EXPECT_EQ(host.probe.deviceIndex("stm32f407vg"), 0);
    EXPECT_LT(host.probe.deviceIndex("Z80"), 0);
    char small[14];
    EXPECT_EQ(host.probe.deviceList(small, sizeof small), 1); // only what fits, list closed
    EXPECT_EQ(small[12], 0);

    uint8_t info[936] = {};
    const uint32_t size = 936;
    std::memcpy(info, &size, 4);
    ASSERT_EQ(host.probe.deviceInfo(0, info), 0);
    uint32_t regions[6];
    std::memcpy(regions, info + 292, sizeof regions);
    EXPECT_EQ(regions[0], 0x20000000u);
    EXPECT_GT(regions[1], 0u);
    EXPECT_EQ(regions[2], 0x10000000u);
    EXPECT_EQ(regions[5], 0u); // the list ends
    EXPECT_LT(host.probe.deviceInfo(99, info), 0);
    const uint32_t wrongSize = 100;
    std::memcpy(info, &wrongSize, 4);
    EXPECT_LT(host.probe.deviceInfo(0, info), 0);

    // Reading memory needs a connection and stays inside RAM.
    uint32_t word = 0;
    EXPECT_EQ(host.probe.readMemory(0x20000400, 4, &word), -1);
    ASSERT_TRUE(host.connect());
    EXPECT_EQ(host.probe.readMemory(0x20000400, 4, &word), 4);
    EXPECT_EQ(word, 0x56524F4Eu); // "NORV"
    EXPECT_EQ(host.probe.readMemory(0x0, 4, &word), -1);
}

TEST(ProbeSessionLive, FirmwareStopsOnItsOwnAfterTheConfiguredDuration) {
    SimConfig config = liveConfig();
    config.durationMillis = 50;
    ProbeHost host(config);
    ASSERT_TRUE(host.connect());
    host.send({1});
    ASSERT_TRUE(host.readUntil(StopEvent)); // no stop command was sent
    int32_t result = 0;
    auto counts = host.decode(&result);
    EXPECT_EQ(result, DecodeNoData);
    EXPECT_EQ(counts[StartEvent], 1u);
    EXPECT_GT(counts[IsrEnterEvent], 0u);
}

TEST(SimConfigText, ReadsTheTargetItsFaultsAndItsScenario) {
    SimConfig config;
    std::string error;
    ASSERT_TRUE(simConfigFromText("[Target]\nScenario=api\nEventRate=5000\nRingSize=0x2000\n"
                                  "Duration=300\nControlBlockAddress=0x10000100\nSeed=9\n"
                                  "RecordAtBoot=1\nOverwrite=1\n"
                                  "[Faults]\nConnectionLostAfter=123\nTargetHalted=1\n",
                                  config, error))
        << error;
    EXPECT_EQ(config.scenario.name, "api");
    EXPECT_EQ(config.eventRate, 5000u);
    EXPECT_EQ(config.ringSize, 0x2000u);
    EXPECT_EQ(config.durationMillis, 300u);
    EXPECT_EQ(config.controlBlockAddress, 0x10000100u);
    EXPECT_EQ(config.seed, 9u);
    EXPECT_TRUE(config.recordAtBoot);
    EXPECT_TRUE(config.overwrite);
    EXPECT_EQ(config.faults.connectionLostAfter, 123u);
    EXPECT_TRUE(config.faults.targetHalted);
    EXPECT_FALSE(config.faults.openFails);

    // Scenario sections in the same file.
    ASSERT_TRUE(
        simConfigFromText("[Scenario]\nBase=busy\n[Task Extra]\nPeriod=100\n", config, error));
    EXPECT_EQ(config.scenario.tasks.back().name, "Extra");

    // Without a file: the control loop, no faults.
    ASSERT_TRUE(simConfigFromText("", config, error));
    EXPECT_EQ(config.scenario.name, "control");
    EXPECT_EQ(config.eventRate, defaultSimConfig().eventRate);

    for (const char* bad :
         {"[Target]\nScenario=nope\n", "[Target]\nEventRate=-1\n", "[Target]\nRingSize=16\n",
          "[Faults]\nOpenFails=yes\n", "[Target]\nControlBlockAddress=0x30000000\n", "[Target\n"}) {
        SimConfig unchanged = defaultSimConfig();
        EXPECT_FALSE(simConfigFromText(bad, unchanged, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

namespace {

// The recorder channel's ring read out of a halted target as "Read Recorded Data" does: the
// whole content if it has not wrapped, else from the first run of ten zero bytes on.
std::vector<uint8_t> recordedData(ProbeSession& probe) {
    uint32_t descriptor[6];
    const uint32_t address = 0x20000400 + 24 + 24; // the "Kavrin" up-channel
    EXPECT_EQ(probe.readMemory(address, sizeof descriptor, descriptor), int(sizeof descriptor));
    const uint32_t buffer = descriptor[1], size = descriptor[2];
    const uint32_t write = descriptor[3], read = descriptor[4];
    std::vector<uint8_t> content;
    if (read < write) {
        content.resize(write);
        EXPECT_EQ(probe.readMemory(buffer, write, content.data()), int(write));
        return content;
    }
    content.resize(size - read + write);
    EXPECT_EQ(probe.readMemory(buffer + read, size - read, content.data()), int(size - read));
    EXPECT_EQ(probe.readMemory(buffer, write, content.data() + size - read), int(write));
    for (size_t i = 0; i + 10 <= content.size(); ++i) {
        if (std::all_of(content.begin() + i, content.begin() + i + 10,
                        [](uint8_t b) { return !b; }))
            return {content.begin() + i, content.end()};
    }
    return {};
}

} // namespace

TEST(ProbeSessionRecordedData, FirmwareRecordingFromBootLeavesAReadableRing) {
    for (const bool overwrite : {false, true}) {
        SimConfig config = liveConfig(100'000);
        config.ringSize = 16 * 1024;
        config.recordAtBoot = true;
        config.overwrite = overwrite;
        ProbeHost host(config);
        ASSERT_EQ(host.probe.open(), nullptr);
        ASSERT_EQ(host.probe.connect(), 0);
        // Wait until the firmware has written the ring over a few times (or filled it).
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        uint32_t readOffset = 0;
        while (std::chrono::steady_clock::now() < giveUp) {
            host.probe.readMemory(0x20000400 + 48 + 16, 4, &readOffset);
            if (overwrite ? readOffset != 0 : host.probe.target()->eventsLost() > 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        host.probe.halt();
        host.stream = recordedData(host.probe);
        ASSERT_GT(host.stream.size(), 1000u) << overwrite;

        int32_t result = 0;
        std::vector<EventRecord> records;
        auto counts = host.decode(&result, &records);
        EXPECT_EQ(result, DecodeNoData) << overwrite;
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.front().id, StartEvent) << overwrite;
        EXPECT_GE(counts[SystemInfoEvent], 1u);
        EXPECT_GE(counts[TaskInfoEvent], 5u);
        EXPECT_GT(counts[IsrEnterEvent], 10u);
    }
}
