#pragma once

#include "target/Scenario.h"

#include <cstdint>
#include <string>

namespace kavrin {

// What can go wrong on purpose, so that every outcome of a recording session can be tested.
struct SimFaults {
    bool openFails = false;           // VANTARARM_OpenEx reports an error
    bool connectFails = false;        // VANTARARM_Connect fails
    bool noControlBlock = false;      // the firmware never sets up its control block
    bool noKavrinChannel = false;     // the recorder's up-channel has another name
    bool channelCountFails = false;   // counting channels fails
    uint32_t connectionLostAfter = 0; // channel reads fail after this many bytes (0: never)
    bool targetHalted = false;        // the target is halted when the probe connects
    bool secondConnection = false;    // another program uses the probe too
    uint32_t invalidPacketAfter = 0;  // an invalid packet follows this many stream bytes (0: never)
    uint32_t silentAfter = 0; // channel reads deliver nothing after this many bytes (0: never)
};

// The simulated target's configuration, read from the INI file named by KAVRIN_SIM_SCENARIO:
//   [Target]  Scenario (a built-in name; or give [Scenario] sections in the same file),
//             EventRate (events per second while recording, 0: as fast as the host reads),
//             RingSize (bytes of the recorder's up-channel), Duration (milliseconds after
//             which the firmware stops recording on its own, 0: never),
//             ControlBlockAddress (in 0x20000000-0x20000FFF or 0x10000000-0x1000FFFF),
//             Seed, Device, RecordAtBoot (the firmware records without waiting for the
//             host's start command), Overwrite (a full ring loses its oldest bytes instead
//             of new events, for reading the recording later from a halted target),
//             DecoyControlBlock (an identifier claiming 65 up-channels at this address, which
//             a host must skip; 0: none), CommandLog (a file the firmware appends every command
//             byte it receives to, so tests can see what the host sent)
//   [Faults]  OpenFails, ConnectFails, NoControlBlock, NoKavrinChannel, ChannelCountFails,
//             ConnectionLostAfter (bytes), TargetHalted, SecondConnection,
//             InvalidPacketAfter (bytes), SilentAfter (bytes)
struct SimConfig {
    static constexpr const char* EnvironmentVariable = "KAVRIN_SIM_SCENARIO";

    Scenario scenario;
    uint32_t eventRate = 200'000;
    uint32_t ringSize = 64 * 1024;
    uint32_t durationMillis = 0;
    uint32_t controlBlockAddress = 0x20000400;
    uint32_t seed = 1;
    bool recordAtBoot = false;
    bool overwrite = false;
    uint32_t decoyControlBlock = 0;
    std::string commandLog;
    SimFaults faults;
    std::string source; // what the configuration was read from, to notice a change
};

// The defaults: the "control" scenario, no faults.
SimConfig defaultSimConfig();
bool simConfigFromText(std::string_view text, SimConfig& out, std::string& error);
// The configuration named by the environment, or the defaults when it names none.
bool simConfigFromEnvironment(SimConfig& out, std::string& error);

} // namespace kavrin
