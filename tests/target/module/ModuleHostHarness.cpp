#include "ModuleHostHarness.h"

#include <algorithm>

#include <cstring>
#include <string>

namespace kavrin::test {

ModulePort& modulePort() {
    static ModulePort port;
    return port;
}

namespace {
uint8_t* area() {
    return static_cast<uint8_t*>(const_cast<void*>(kavrin_area()));
}

bool inArea(uint32_t address, uint32_t size) {
    return address >= ModuleAreaAddress &&
           uint64_t(address) - ModuleAreaAddress + size <= kavrin_area_size();
}
} // namespace

bool ModuleMemory::read(uint32_t address, void* out, uint32_t size) {
    if (!inArea(address, size))
        return false;
    std::memcpy(out, area() + (address - ModuleAreaAddress), size);
    return true;
}

bool ModuleMemory::write(uint32_t address, const void* data, uint32_t size) {
    if (!inArea(address, size))
        return false;
    std::memcpy(area() + (address - ModuleAreaAddress), data, size);
    return true;
}

ModuleHost::ModuleHost() {
    terminal.start(std::nullopt, {{ModuleAreaAddress, kavrin_area_size()}});
    const int32_t count = terminal.channelCount(ztx::Up);
    for (int32_t i = 0; i < count; ++i) {
        char name[32];
        if (terminal.channelName(i, ztx::Up, name, sizeof name) == 0 &&
            std::string(name) == ztx::KavrinChannel)
            channel = i;
    }
}

std::vector<uint8_t> ModuleHost::drain(uint32_t piece) {
    std::vector<uint8_t> bytes;
    drainInto(bytes, piece);
    return bytes;
}

void ModuleHost::drainInto(std::vector<uint8_t>& bytes, uint32_t piece) {
    for (;;) {
        const size_t used = bytes.size();
        bytes.resize(used + piece);
        const int32_t count = terminal.read(uint32_t(channel), bytes.data() + used, piece);
        bytes.resize(used + size_t(std::max(count, 0)));
        if (count <= 0)
            return;
    }
}

void ModuleHost::command(std::initializer_list<uint8_t> bytes) {
    for (uint8_t byte : bytes)
        terminal.write(uint32_t(channel), &byte, 1);
    kavrin_poll();
}

} // namespace kavrin::test

// The port of the module to the test: a clock the test sets and a lock that counts nesting.
extern "C" {

uint32_t kavrin_port_lock(void) {
    return uint32_t(kavrin::test::modulePort().lockDepth++);
}

void kavrin_port_unlock(uint32_t state) {
    kavrin::test::modulePort().lockDepth = int(state);
}

uint32_t kavrin_port_timestamp(void) {
    return kavrin::test::modulePort().timestamp;
}

uint64_t kavrin_port_time_us(void) {
    return kavrin::test::modulePort().micros;
}

uint32_t kavrin_test_address(const void* pointer) {
    return kavrin::test::ModuleAreaAddress + uint32_t(static_cast<const uint8_t*>(pointer) -
                                                      static_cast<const uint8_t*>(kavrin_area()));
}

} // extern "C"
