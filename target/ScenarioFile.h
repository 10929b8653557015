#pragma once

#include "target/IniFile.h"
#include "target/Scenario.h"

#include <string>

namespace kavrin {

// Builds a scenario from an INI file:
//   [Scenario]  Base=control|busy|api|overflow, Application, Device, TimestampFrequency,
//               CpuFrequency, MaxNesting, OverflowEvery, OverflowBurst, Module=0|1
//   [Task NAME] Priority, Period and Work (microseconds): adds a periodic task
//   [Interrupt N] Name, Period, Work (microseconds), Priority: adds an interrupt
// Other sections are left to their readers. False with a reason in `error` on bad input.
bool scenarioFromIni(const IniFile& ini, Scenario& out, std::string& error);

// A built-in scenario name or the path of an INI file.
bool loadScenario(const std::string& nameOrPath, Scenario& out, std::string& error);

} // namespace kavrin
