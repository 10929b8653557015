#include "ViewsHarness.h"
#include "views/TimeNavigation.h"
#include "views/TimelineIndex.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

using test::Alpha;
using test::Beta;

// Rows as listed in ViewsHarness.h.
class NavigationTest : public ::testing::Test {
protected:
    NavigationTest() : fixture(test::smallRecording()) {}
    EventStore& store() { return fixture.engine().store; }
    test::ViewsFixture fixture;
};

TEST_F(NavigationTest, NextAndPreviousFindTheSameEventAndSiblingsTheSameContext) {
    EXPECT_EQ(nextSameEvent(store(), 4, false), 9); // Task Run -> Task Run (Beta)
    EXPECT_EQ(nextSameEvent(store(), 4, true), 11); // the next Task Run of Alpha
    EXPECT_EQ(previousSameEvent(store(), 12, false), 11);
    EXPECT_EQ(previousSameEvent(store(), 12, true), 9);
    EXPECT_EQ(nextSameEvent(store(), 7, false), NoRow); // no later System Idle
    EXPECT_EQ(previousSameEvent(store(), 4, false), NoRow);
    EXPECT_EQ(nextSameEvent(store(), 99, false), NoRow);
    EXPECT_EQ(nextSameEvent(store(), -1, false), NoRow);
}

TEST_F(NavigationTest, ForwardGoesToTheNextContextChangeAndStopsAtTheLastRow) {
    EXPECT_EQ(nextContextChange(store(), 0), 4); // Idle -> Alpha
    EXPECT_EQ(nextContextChange(store(), 4), 5); // Alpha -> interrupt
    EXPECT_EQ(nextContextChange(store(), 7), 9); // Idle through Task Ready -> Beta
    EXPECT_EQ(nextContextChange(store(), 13), NoRow);
}

TEST_F(NavigationTest, BackGoesToTheStartOfThePreviousRunAndNotBeforeRowZero) {
    EXPECT_EQ(previousContextRun(store(), 9), 7); // the Idle run of rows 7 and 8
    EXPECT_EQ(previousContextRun(store(), 5), 4); // Alpha's run starts at its Task Run
    EXPECT_EQ(previousContextRun(store(), 3), 0); // the run reaches the first row
    EXPECT_EQ(previousContextRun(store(), 0), NoRow);
}

TEST_F(NavigationTest, LaneArrowsFindRunsOfOneContext) {
    EXPECT_EQ(contextRunStart(store(), 4, Alpha, true), 6); // back from the interrupt
    EXPECT_EQ(contextRunStart(store(), 6, Alpha, true), 11);
    EXPECT_EQ(contextRunStart(store(), 13, Beta, false), 12);
    EXPECT_EQ(contextRunStart(store(), 9, Alpha, false), 6);
    EXPECT_EQ(contextRunStart(store(), 4, Alpha, false), NoRow);
}

TEST_F(NavigationTest, IndexFollowsTheStoreAndFindsEventsByTime) {
    TimelineIndex index;
    const TimeBase& timeBase = fixture.presentation.timeBase;
    index.sync(store(), timeBase);
    ASSERT_EQ(index.size(), 14u);
    EXPECT_EQ(index.lastAtOrBefore(320), 5u);
    EXPECT_EQ(index.lastAtOrBefore(300), 5u);
    EXPECT_EQ(index.firstAtOrAfter(301), 6u);
    EXPECT_EQ(index.firstAtOrAfter(5000), index.size());
    const std::vector<ReadySpan>& ready = index.readySpans(index.findSlot(Beta));
    ASSERT_EQ(ready.size(), 1u);
    EXPECT_EQ(ready[0].startNs, 700u); // until Beta runs
    EXPECT_EQ(ready[0].endNs, 800u);
    EXPECT_EQ(index.findSlot(12345), index.slotCount());

    // Appending extends; dropping from the front rebuilds.
    const uint64_t generation = index.generation();
    index.sync(store(), timeBase);
    EXPECT_EQ(index.generation(), generation);
    EventRecord record;
    record.index = 14;
    record.id = TaskRunEvent;
    record.timestamp = 1400;
    record.context = record.contextAfter = Alpha;
    store().append(store().makeNode(record));
    index.sync(store(), timeBase);
    EXPECT_EQ(index.size(), 15u);
    EXPECT_EQ(index.lastNs(), 1400u);
    store().dropFront(5);
    index.sync(store(), timeBase);
    EXPECT_EQ(index.size(), 10u);
    EXPECT_EQ(index.firstNs(), 300u);
}

} // namespace
} // namespace kavrin
