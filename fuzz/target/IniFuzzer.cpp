// Arbitrary text as the INI files of kavrin-gen's scenarios and of the probe library's
// simulated target: every line is either taken or refused with a reason, never a crash.
#include "target/IniFile.h"
#include "target/ScenarioFile.h"
#include "target/SimConfig.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kavrin;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniFile ini;
    std::string error;
    if (ini.parse(text, error)) {
        for (const std::string& section : ini.sections())
            (void)ini.value(section, "EventRate");
        Scenario scenario;
        std::string scenarioError;
        if (!scenarioFromIni(ini, scenario, scenarioError) && scenarioError.empty())
            std::abort(); // a refusal always says why
    } else if (error.empty()) {
        std::abort();
    }
    SimConfig config = defaultSimConfig();
    std::string configError;
    if (!simConfigFromText(text, config, configError) && configError.empty())
        std::abort();
    (void)parseNumber(text);
    return 0;
}
