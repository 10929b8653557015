// The recorder module answers command bytes that the host writes into its down-channel; any
// bytes, in any order, between any events, must leave a stream the host decodes without a
// framing fault.
#include "ModuleHostHarness.h"

#include "engine/StreamDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void describeSystem() {
    kavrin_system_description("N=Fuzz,O=Wren");
}
void listTasks() {
    kavrin_task_info(0x101, 3, "Alpha");
    kavrin_resource_name(0x20000040, "Lock");
}
const kavrin_system_t System = {1'000'000, 1'000'000, 0x20000000, 2, describeSystem, listTasks};
const kavrin_module_t Module = {"M=FuzzModule", 128};
constexpr uint32_t DrainPiece = 4096;

// A firmware step chosen by a byte with the high bit clear.
void firmwareStep(uint8_t step) {
    kavrin::test::modulePort().timestamp += 100 + step;
    switch (step % 6) {
    case 0:
        kavrin_task_run(0x101);
        break;
    case 1:
        kavrin_idle();
        break;
    case 2:
        kavrin_isr_enter(16 + step % 8);
        kavrin_isr_exit();
        break;
    case 3:
        kavrin_api_call2(40, step, 7);
        kavrin_api_end_value(40, 0);
        break;
    case 4: {
        const uint32_t args[] = {step, 3};
        kavrin_log(1, "value %u of %d", args, 2);
        break;
    }
    default:
        kavrin_user_start(1);
        kavrin_user_stop(1);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kavrin;
    kavrin_init(&System);
    static const bool registered = kavrin_register_module(&Module) >= 0;
    (void)registered;
    test::ModuleHost host;
    if (host.channel < 0)
        std::abort();

    // A byte with the high bit set is a command byte (its low bits are the command, 0x80 and
    // the next byte a module request); others are firmware steps.
    static std::vector<uint8_t> stream; // keeps its capacity from input to input
    stream.clear();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] & 0x80) {
            const uint8_t command = data[i] == 0x80 ? 0x80 : uint8_t(data[i] & 0x7F);
            if (command == 0x80 && i + 1 < size)
                host.command({command, data[++i]});
            else
                host.command({command});
        } else {
            firmwareStep(data[i]);
        }
        if (i % 64 == 63)
            host.drainInto(stream, DrainPiece);
    }
    host.drainInto(stream, DrainPiece);

    // One decoder for every input, its records consumed as they come, as the window does:
    // a fresh staging block per input spent most of the time mapping and zeroing memory.
    static StagingBuffer staging;
    static StreamDecoder decoder(staging);
    decoder.reset();
    MemorySource source(stream.data(), stream.size());
    int32_t result;
    while ((result = decoder.decodePackets(source, 100)) > 0 || result == DecodeUnsynchronised) {
        if (staging.count() != 0)
            staging.consumed(staging.base() + staging.count() - 1);
    }
    if (result == DecodeInvalidPacket || result == DecodeIncompletePacket)
        std::abort();
    return 0;
}
