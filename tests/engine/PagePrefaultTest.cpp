#include "engine/PagePrefault.h"
#include "engine/EventStore.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

constexpr uint32_t Window = 200'000;

void fill(EventStore& store, uint32_t first, uint32_t count) {
    for (uint32_t index = first; index < first + count; ++index) {
        EventRecord record;
        record.index = index;
        record.id = 4;
        record.timestamp = index;
        store.append(store.makeNode(record));
    }
}

TEST(PagePrefault, TheWindowFillsTheReservedPoolAndNothingMore) {
    EventStore store;
    size_t reserved = 0;
    {
        PagePrefault prefault(store.reserveNodes(Window));
        reserved = store.pooledNodes();
        EXPECT_GE(reserved, Window);
        // Beside the pass that fills the same blocks.
        fill(store, 0, Window);
        prefault.finish();
        EXPECT_GT(prefault.prefaulted(), 0u);
    }
    EXPECT_EQ(store.pooledNodes(), reserved);
    uint32_t expected = 0;
    for (const EventNode* node = store.first(); node; node = node->next)
        ASSERT_EQ(node->record.index, expected++);
    EXPECT_EQ(expected, Window);
}

TEST(PagePrefault, APoolThatHoldsTheWindowReservesNothing) {
    EventStore store;
    fill(store, 0, Window);
    const size_t pooled = store.pooledNodes();
    store.clear();
    {
        PagePrefault prefault(store.reserveNodes(Window));
        EXPECT_EQ(store.pooledNodes(), pooled);
    }
    // The cleared nodes are reused before any block is added.
    fill(store, Window, Window);
    EXPECT_EQ(store.pooledNodes(), pooled);
    EXPECT_EQ(store.first()->record.index, Window);
}

TEST(PagePrefault, AStopBeforeTheEndLeavesThePoolWhole) {
    EventStore store;
    { PagePrefault prefault(store.reserveNodes(5 * Window)); }
    const size_t reserved = store.pooledNodes();
    fill(store, 0, 5 * Window);
    EXPECT_EQ(store.pooledNodes(), reserved);
    EXPECT_EQ(store.last()->record.index, 5 * Window - 1);
}

} // namespace
} // namespace kavrin
