#pragma once

#include "engine/ContextInfo.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kavrin {

// Context id -> ContextInfo. Lookup creates a default entry and raises `changed`.
// Entries never move, so references stay valid until clear().
class ContextTable {
public:
    ContextInfo& operator[](uint32_t id) {
        ContextInfo* info = lookUp(id);
        return info ? *info : add(id);
    }
    ContextInfo* find(uint32_t id) { return lookUp(id); }
    const ContextInfo* find(uint32_t id) const { return lookUp(id); }
    bool contains(uint32_t id) const { return index_.count(id) != 0; }
    size_t size() const { return index_.size(); }
    void clear();

    // Ids in ascending order (for the contexts list and statistics).
    std::vector<uint32_t> sortedIds() const;
    // Visits (id, info) in creation order.
    template <class F> void forEach(F&& f) {
        for (auto& entry : entries_)
            f(entry.id, *entry.info);
    }

    bool changed = false; // contexts-changed flag, cleared by the contexts list

private:
    struct Entry {
        uint32_t id;
        std::unique_ptr<ContextInfo> info;
    };
    // A context met before is mostly found here, without hashing: each event asks for the
    // contexts before and after it, so a single cached entry would miss every other time.
    struct CachedEntry {
        uint32_t id = 0;
        ContextInfo* info = nullptr;
    };
    static constexpr size_t CacheSize = 64; // the top six bits of the hash
    // Fibonacci hashing: Idle, the scheduler, the timer and small task ids all spread out.
    CachedEntry& cacheEntry(uint32_t id) const { return cache_[(id * 0x9E3779B1u) >> 26]; }
    ContextInfo* lookUp(uint32_t id) const {
        const CachedEntry& cached = cacheEntry(id);
        return cached.info && cached.id == id ? cached.info : lookUpAndCache(id);
    }
    ContextInfo* lookUpAndCache(uint32_t id) const;
    ContextInfo& add(uint32_t id);

    std::vector<Entry> entries_;
    std::unordered_map<uint32_t, ContextInfo*> index_;
    mutable std::array<CachedEntry, CacheSize> cache_{};
};

struct IsrEntry {
    uint32_t number = 0;
    int32_t sortKey = -1; // -1 until set
    std::string name;
};

// Interrupt number -> name and sort key.
class IsrTable {
public:
    // An interrupt met in the stream: when new, "ISR #n" with sort key n + 1000.
    IsrEntry& registerIsr(uint32_t number);
    // The entry for `number`, created blank (sort key -1) when new; for the system description.
    IsrEntry& obtain(uint32_t number);
    const IsrEntry* find(uint32_t number) const;
    // Asked at every context switch: small numbers, the usual ones, are answered by a bit.
    bool contains(uint32_t number) const {
        return number < SmallNumbers ? small_[number] : entries_.count(number) != 0;
    }
    void clear() {
        entries_.clear();
        small_.reset();
    }
    const std::map<uint32_t, IsrEntry>& entries() const { return entries_; }

private:
    static constexpr uint32_t SmallNumbers = 1024;
    // Inserts `number` when new; true if it was.
    std::pair<IsrEntry&, bool> insert(uint32_t number);

    std::map<uint32_t, IsrEntry> entries_;
    std::bitset<SmallNumbers> small_; // which numbers below SmallNumbers are entries
};

struct UserMeasurement {
    uint64_t start = 0;
    uint64_t stop = 0;
    uint32_t count = 0;
};

using UserMeasurements = std::unordered_map<uint32_t, UserMeasurement>;
using ResourceNames = std::unordered_map<uint32_t, std::string>;

} // namespace kavrin
