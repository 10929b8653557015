#include "target/SimConfig.h"

#include "target/IniFile.h"
#include "target/ScenarioFile.h"
#include "target/TargetLayout.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kavrin {

namespace {

constexpr uint32_t MinRingSize = 256;

bool readNumber(const IniFile& ini, std::string_view section, std::string_view key, uint32_t& field,
                std::string& error) {
    const auto text = ini.value(section, key);
    if (!text)
        return true;
    const auto number = parseNumber(*text);
    if (!number) {
        error = "[" + std::string(section) + "] " + std::string(key) + ": \"" + *text +
                "\" is not a number";
        return false;
    }
    field = *number;
    return true;
}

bool readFlag(const IniFile& ini, std::string_view section, std::string_view key, bool& flag,
              std::string& error) {
    uint32_t value = flag ? 1 : 0;
    if (!readNumber(ini, section, key, value, error))
        return false;
    flag = value != 0;
    return true;
}

bool readFaults(const IniFile& ini, SimFaults& faults, std::string& error) {
    return readFlag(ini, "Faults", "OpenFails", faults.openFails, error) &&
           readFlag(ini, "Faults", "ConnectFails", faults.connectFails, error) &&
           readFlag(ini, "Faults", "NoControlBlock", faults.noControlBlock, error) &&
           readFlag(ini, "Faults", "NoKavrinChannel", faults.noKavrinChannel, error) &&
           readFlag(ini, "Faults", "ChannelCountFails", faults.channelCountFails, error) &&
           readNumber(ini, "Faults", "ConnectionLostAfter", faults.connectionLostAfter, error) &&
           readFlag(ini, "Faults", "TargetHalted", faults.targetHalted, error) &&
           readFlag(ini, "Faults", "SecondConnection", faults.secondConnection, error) &&
           readNumber(ini, "Faults", "InvalidPacketAfter", faults.invalidPacketAfter, error) &&
           readNumber(ini, "Faults", "SilentAfter", faults.silentAfter, error);
}

} // namespace

SimConfig defaultSimConfig() {
    SimConfig config;
    builtInScenario("control", config.scenario);
    return config;
}

bool simConfigFromText(std::string_view text, SimConfig& out, std::string& error) {
    IniFile ini;
    if (!ini.parse(text, error))
        return false;
    SimConfig config = defaultSimConfig();
    const auto sections = ini.sections();
    const bool scenarioSection = std::ranges::any_of(sections, [](const std::string& section) {
        return equalsIgnoringCase(section, "Scenario");
    });
    if (scenarioSection) {
        if (!scenarioFromIni(ini, config.scenario, error))
            return false;
    } else if (const auto name = ini.value("Target", "Scenario")) {
        if (!builtInScenario(*name, config.scenario)) {
            error = "[Target] Scenario: unknown scenario \"" + *name + "\"";
            return false;
        }
    }
    config.scenario.device = ini.value("Target", "Device").value_or(config.scenario.device);
    if (!readNumber(ini, "Target", "EventRate", config.eventRate, error) ||
        !readNumber(ini, "Target", "RingSize", config.ringSize, error) ||
        !readNumber(ini, "Target", "Duration", config.durationMillis, error) ||
        !readNumber(ini, "Target", "ControlBlockAddress", config.controlBlockAddress, error) ||
        !readNumber(ini, "Target", "Seed", config.seed, error) ||
        !readFlag(ini, "Target", "RecordAtBoot", config.recordAtBoot, error) ||
        !readFlag(ini, "Target", "Overwrite", config.overwrite, error) ||
        !readNumber(ini, "Target", "DecoyControlBlock", config.decoyControlBlock, error) ||
        !readFaults(ini, config.faults, error))
        return false;
    config.commandLog = ini.value("Target", "CommandLog").value_or("");
    if (!layout::controlBlockFits(config.controlBlockAddress)) {
        error = "[Target] ControlBlockAddress: no room for the control block there";
        return false;
    }
    if (config.decoyControlBlock &&
        (!layout::controlBlockFits(config.decoyControlBlock) ||
         config.decoyControlBlock - config.controlBlockAddress < layout::ControlBlockSize ||
         config.controlBlockAddress - config.decoyControlBlock < ztx::HeaderSize)) {
        error = "[Target] DecoyControlBlock: no room for it there";
        return false;
    }
    if (config.ringSize < MinRingSize) {
        error = "[Target] RingSize must be at least " + std::to_string(MinRingSize);
        return false;
    }
    config.source = std::string(text);
    out = std::move(config);
    return true;
}

bool simConfigFromEnvironment(SimConfig& out, std::string& error) {
    const char* path = std::getenv(SimConfig::EnvironmentVariable);
    if (!path || !*path) {
        out = defaultSimConfig();
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = std::string("cannot read ") + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!simConfigFromText(text.str(), out, error)) {
        error = std::string(path) + ": " + error;
        return false;
    }
    return true;
}

} // namespace kavrin
