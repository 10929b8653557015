// A target's RAM is untrusted: the probe library's channel terminal searches the recorder's
// control block, checks its header, reads channel names and ring offsets out of it. The input
// is XORed over a real module area (zero input = a valid block with data waiting), so the
// mutations reach every check behind the search.
#include "ModuleHostHarness.h"

#include "target/ControlBlock.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void describeSystem() {
    kavrin_system_description("N=Fuzz");
}
void listTasks() {
    kavrin_task_info(0x101, 3, "Alpha");
}
const kavrin_system_t System = {1'000'000, 1'000'000, 0x20000000, 2, describeSystem, listTasks};

// The module area after a short recording, taken once.
const std::vector<uint8_t>& recordedArea() {
    static const std::vector<uint8_t> area = [] {
        kavrin_init(&System);
        kavrin_start();
        for (uint32_t i = 0; i < 40; ++i) {
            kavrin::test::modulePort().timestamp += 1000;
            kavrin_task_run(0x101);
            kavrin_idle();
        }
        const auto* bytes = static_cast<const uint8_t*>(kavrin_area());
        return std::vector<uint8_t>(bytes, bytes + kavrin_area_size());
    }();
    return area;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kavrin;
    const std::vector<uint8_t>& valid = recordedArea();
    auto* area = static_cast<uint8_t*>(const_cast<void*>(kavrin_area()));
    std::memcpy(area, valid.data(), valid.size());
    for (size_t i = 0; i < size && i < valid.size(); ++i)
        area[i] ^= data[i];

    test::ModuleMemory memory;
    ZtxFrontEnd terminal(memory);
    terminal.start(std::nullopt, {{test::ModuleAreaAddress, uint32_t(valid.size())}});
    for (uint32_t direction : {ztx::Up, ztx::Down}) {
        const int32_t count = terminal.channelCount(direction);
        for (int32_t i = 0; i < count && i < 64; ++i) {
            char name[32];
            if (terminal.channelName(i, direction, name, sizeof name) == 0 &&
                std::strlen(name) >= sizeof name)
                std::abort();
        }
    }
    uint8_t buffer[512];
    for (int round = 0; round < 16 && terminal.read(0, buffer, sizeof buffer) > 0; ++round) {
    }
    const uint8_t command = 1;
    (void)terminal.write(0, &command, 1);
    return 0;
}
