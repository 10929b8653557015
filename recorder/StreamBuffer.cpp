#include "recorder/StreamBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kavrin {

namespace {
constexpr uint64_t FirstCapacity = 1 << 20;
}

StreamBuffer::~StreamBuffer() {
    std::free(data_);
}

void StreamBuffer::release() {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

bool StreamBuffer::grow(uint64_t needed, uint32_t count) {
    // Doubling keeps the copies of a long recording linear; when that much is not to be had,
    // twice the new bytes will do, then just what is needed.
    const uint64_t choices[] = {std::max({needed, capacity_ * 2, FirstCapacity}),
                                needed + uint64_t(count) * 2, needed};
    for (uint64_t capacity : choices) {
        capacity = std::min(capacity, limit_);
        if (capacity < needed)
            continue;
        if (auto* grown = static_cast<uint8_t*>(std::realloc(data_, capacity))) {
            data_ = grown;
            capacity_ = capacity;
            return true;
        }
    }
    return false;
}

bool StreamBuffer::append(const uint8_t* bytes, uint32_t count) {
    const uint64_t needed = uint64_t(size_) + count;
    if (needed > limit_ || (needed > capacity_ && !grow(needed, count)))
        return false;
    std::memcpy(data_ + size_, bytes, count);
    size_ = uint32_t(needed);
    return true;
}

} // namespace kavrin
