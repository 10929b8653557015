#include "engine/EventRecord.h"

#include <cstdlib>
#include <cstring>

namespace kavrin {

char* copyText(const char* text, uint32_t length) {
    auto* block = static_cast<char*>(std::malloc(length + 1));
    if (block) {
        std::memcpy(block, text, length);
        block[length] = '\0';
    }
    return block;
}

uint8_t* copyBlock(const uint8_t* data, uint32_t size) {
    if (size == 0)
        return nullptr;
    auto* block = static_cast<uint8_t*>(std::malloc(size));
    if (block)
        std::memcpy(block, data, size);
    return block;
}

void freeRecordBlocks(EventRecord& record) {
    std::free(record.text);
    std::free(record.payload);
    record.text = nullptr;
    record.payload = nullptr;
    record.payloadSize = 0;
}

EventRecord deepCopy(const EventRecord& record) {
    EventRecord copy = record;
    copy.text = record.text ? copyText(record.text, uint32_t(std::strlen(record.text))) : nullptr;
    copy.payload = copyBlock(record.payload, record.payloadSize);
    if (!copy.payload)
        copy.payloadSize = 0;
    return copy;
}

} // namespace kavrin
