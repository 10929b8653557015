#include "recorder/ProbeConnection.h"

#include <cstring>

namespace kavrin {

int32_t ControlBlockInfo::upChannelCount() const {
    int32_t count = 0;
    std::memcpy(&count, header.data() + 16, sizeof count);
    return count;
}

} // namespace kavrin
