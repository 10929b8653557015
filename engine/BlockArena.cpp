#include "engine/BlockArena.h"

#include <new>

namespace kavrin {

bool BlockArena::nextChunk() {
    if (current_ < chunks_.size() && used_ != 0)
        ++current_;
    used_ = 0;
    if (current_ < chunks_.size())
        return true;
    auto* chunk = new (std::nothrow) uint8_t[ChunkSize];
    if (!chunk)
        return false;
    chunks_.emplace_back(chunk);
    current_ = chunks_.size() - 1;
    return true;
}

} // namespace kavrin
