#pragma once

#include "target/TargetMemory.h"

#include <string_view>
#include <vector>

namespace kavrin {

// The RAM of the devices the probe library knows, searched for the control block on a real
// (or emulated) target when the user gives no search ranges. An unknown device gets the
// first 64 KiB at 0x20000000, where Cortex-M parts keep their SRAM.
std::vector<RamRegion> deviceRam(std::string_view device);

} // namespace kavrin
