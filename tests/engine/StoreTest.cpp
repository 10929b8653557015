#include "engine/EventStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kavrin {
namespace {

struct StoreTest : ::testing::Test {
    EventStore store;

    EventNode* add(uint32_t index, uint32_t id, uint64_t timestamp = 0) {
        EventRecord record;
        record.index = index;
        record.id = id;
        record.timestamp = timestamp;
        EventNode* node = store.makeNode(record);
        store.append(node);
        return node;
    }
    std::vector<uint32_t> shownIndexes() {
        std::vector<uint32_t> indexes;
        for (uint32_t row = 0; row < store.rowCount(); ++row)
            indexes.push_back(store.nodeAt(row)->record.index);
        return indexes;
    }
};

TEST_F(StoreTest, RowsWalkFromTheCursorInBothDirections) {
    for (uint32_t i = 0; i < 1000; ++i)
        add(i, 4);
    EXPECT_EQ(store.nodeAt(500)->record.index, 500u);
    EXPECT_EQ(store.nodeAt(499)->record.index, 499u);
    EXPECT_EQ(store.nodeAt(999)->record.index, 999u);
    EXPECT_EQ(store.nodeAt(0)->record.index, 0u);
    EXPECT_EQ(store.nodeAt(1000), nullptr);
}

TEST_F(StoreTest, FilterClassesHideAndShowRows) {
    const uint32_t ids[] = {2, 4, 26, 40, 1, 15, 10};
    for (uint32_t i = 0; i < 7; ++i)
        add(i, ids[i]);
    store.rebuildFilter();
    EXPECT_FALSE(store.filterActive()); // all classes on: no filter
    EXPECT_EQ(store.rowCount(), 7u);

    store.setClassShown(EventClass::Message, false);
    store.setClassShown(EventClass::Api, false);
    store.rebuildFilter();
    EXPECT_TRUE(store.filterActive());
    EXPECT_EQ(shownIndexes(), (std::vector<uint32_t>{0, 1, 4, 5, 6}));

    // Appended under the filter, a message is classified coarsely and stays visible.
    add(7, 26);
    add(8, 41);
    EXPECT_EQ(shownIndexes(), (std::vector<uint32_t>{0, 1, 4, 5, 6, 7}));
    store.rebuildFilter();
    EXPECT_EQ(shownIndexes(), (std::vector<uint32_t>{0, 1, 4, 5, 6}));

    store.setClassShown(EventClass::Message, true);
    store.setClassShown(EventClass::Api, true);
    store.rebuildFilter();
    EXPECT_FALSE(store.filterActive());
    EXPECT_EQ(store.rowCount(), 9u);
}

TEST_F(StoreTest, DropFrontFreesNodesAndTimeIndexEntries) {
    for (uint32_t i = 0; i < 10; ++i) {
        EventNode* node = add(i, 4, i * 100);
        store.indexTime(uint64_t(i) * 100, 100, node);
    }
    EventNode* announced = nullptr;
    store.beforeDrop = [&](EventNode* firstKept) { announced = firstKept; };
    EXPECT_EQ(store.dropFront(4), 4u);
    EXPECT_EQ(announced->record.index, 4u);
    EXPECT_EQ(store.first()->record.index, 4u);
    EXPECT_EQ(store.first()->previous, nullptr);
    EXPECT_EQ(store.total(), 6u);
    EXPECT_EQ(store.timeIndex().begin()->first, 4u);
    store.renumber();
    EXPECT_EQ(store.nodeAt(0)->record.index, 4u);
    EXPECT_EQ(store.dropFront(100), 6u);
    EXPECT_EQ(store.first(), nullptr);
    EXPECT_TRUE(store.timeIndexEmpty());
    // The index starts again: an event of a second filed before the drop is filed once more.
    store.indexTime(500, 100, add(20, 4, 500));
    ASSERT_FALSE(store.timeIndexEmpty());
    EXPECT_EQ(store.timeIndex().begin()->first, 5u);
}

TEST_F(StoreTest, InsertBeforePlacesEarlierEventsInOrder) {
    for (uint32_t i = 100; i < 105; ++i)
        add(i, 4);
    for (uint32_t i = 50; i < 53; ++i) {
        EventRecord record;
        record.index = i;
        store.insertBefore(store.makeNode(record));
    }
    store.renumber();
    EXPECT_EQ(shownIndexes(), (std::vector<uint32_t>{50, 51, 52, 100, 101, 102, 103, 104}));
    EXPECT_EQ(store.first()->record.index, 50u);
}

TEST_F(StoreTest, NodeAtTimeFindsTheLastEventNotAfterTheTime) {
    for (uint32_t i = 0; i < 10; ++i) {
        EventNode* node = add(i, 4, i * 1000);
        if (i % 3 == 0)
            store.indexTime(uint64_t(i) * 1000, 1000, node);
    }
    EXPECT_EQ(store.nodeAtTime(4500)->record.index, 4u);
    EXPECT_EQ(store.nodeAtTime(0)->record.index, 0u);
    EXPECT_EQ(store.nodeAtTime(999999)->record.index, 9u);
}

// Texts and payloads are copies in the store's chunks: they outlive the caller's blocks and
// the drops of other events, and chunks go once all their events were dropped.
TEST_F(StoreTest, StoredBlocksAreCopiesFreedByChunkAsTheFrontDrops) {
    auto addWithBlocks = [this](uint32_t index, bool insert) {
        std::string text = "event " + std::to_string(index);
        std::vector<uint8_t> payload(40, uint8_t(index));
        EventRecord record;
        record.index = index;
        record.id = 26;
        record.text = text.data();
        record.payload = payload.data();
        record.payloadSize = uint32_t(payload.size());
        EventNode* node = store.makeNode(record);
        insert ? store.insertBefore(node) : store.append(node);
    };
    auto intact = [this] {
        for (const EventNode* node = store.first(); node; node = node->next) {
            const uint32_t index = node->record.index;
            if (std::string(node->record.text) != "event " + std::to_string(index) ||
                node->record.payloadSize != 40 ||
                std::count(node->record.payload, node->record.payload + 40, uint8_t(index)) != 40)
                return false;
        }
        return true;
    };
    for (uint32_t i = 1000; i < 5000; ++i)
        addWithBlocks(i, false);
    // A reload puts earlier events in front; their blocks land in the newest chunk.
    for (uint32_t i = 500; i < 1000; ++i)
        addWithBlocks(i, true);
    const size_t full = store.blockBytes();
    ASSERT_GE(full, 4500u * 56);
    EXPECT_TRUE(intact());

    EXPECT_EQ(store.dropFront(3000), 3000u);
    EXPECT_TRUE(intact());
    EXPECT_LT(store.blockBytes(), full);
    store.renumber();
    EXPECT_EQ(store.nodeAt(0)->record.index, 3500u);

    // Nodes and chunks are used again.
    for (uint32_t i = 5000; i < 8000; ++i)
        addWithBlocks(i, false);
    EXPECT_TRUE(intact());
    EXPECT_EQ(store.dropFront(10'000), 4500u);
    EXPECT_EQ(store.blockBytes(), 0u);

    // An empty payload or none stores nothing and says so.
    EventRecord record;
    record.index = 9000;
    record.payloadSize = 12;
    const EventNode* node = store.makeNode(record);
    EXPECT_EQ(node->record.payload, nullptr);
    EXPECT_EQ(node->record.payloadSize, 0u);
    EXPECT_EQ(node->record.text, nullptr);
}

TEST(EventClassTest, ClassTable) {
    EXPECT_EQ(eventClassOf(18), EventClass::Interrupt);
    EXPECT_EQ(eventClassOf(21), EventClass::Task);
    EXPECT_EQ(eventClassOf(27), EventClass::System);
    EXPECT_EQ(eventClassOf(16), EventClass::User);
    EXPECT_EQ(eventClassOf(26), EventClass::Message);
    EXPECT_EQ(eventClassOf(28), EventClass::Api);
    EXPECT_EQ(eventClassOf(33), EventClass::Api);
    for (uint32_t id : {1u, 23u, 29u, 30u, 31u})
        EXPECT_EQ(eventClassOf(id), EventClass::AlwaysShown) << id;
}

} // namespace
} // namespace kavrin
