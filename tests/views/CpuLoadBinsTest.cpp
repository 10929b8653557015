#include "views/CpuLoadBins.h"
#include "ViewsHarness.h"
#include "views/TimelineTexts.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

using test::Alpha;
using test::Beta;
using test::Irq;

class CpuLoadBinsTest : public ::testing::Test {
protected:
    CpuLoadBinsTest() : fixture(test::smallRecording()) {
        index.sync(fixture.engine().store, fixture.presentation.timeBase);
    }
    uint64_t sum(const CpuLoadBins& load, int bin, uint32_t context) const {
        return load.sum(bin, index.findSlot(context));
    }
    test::ViewsFixture fixture;
    TimelineIndex index;
};

TEST_F(CpuLoadBinsTest, SingleBinHoldsEachContextsShareAndNeverIdle) {
    CpuLoadBins load;
    load.accumulate(index, 0, 1000, 1);
    ASSERT_EQ(load.outcome, CpuLoadBins::Outcome::Ready);
    EXPECT_EQ(load.binWidth, 100'000u); // hundredths of a nanosecond
    // Alpha runs 100..300 and 350..600, the interrupt 300..350, Beta 800..1000.
    EXPECT_EQ(sum(load, 0, Alpha), 45'000u);
    EXPECT_EQ(sum(load, 0, Irq), 5'000u);
    EXPECT_EQ(sum(load, 0, Beta), 20'000u);
    EXPECT_EQ(sum(load, 0, IdleContext), 0u);
}

TEST_F(CpuLoadBinsTest, SpansAreSplitAtBinEdges) {
    CpuLoadBins load;
    load.accumulate(index, 0, 1000, 10);
    EXPECT_EQ(load.binWidth, 10'000u);
    EXPECT_FALSE(load.binPresent(0)); // idle until 100
    EXPECT_EQ(sum(load, 1, Alpha), 10'000u);
    EXPECT_EQ(sum(load, 3, Alpha), 5'000u);
    EXPECT_EQ(sum(load, 3, Irq), 5'000u);
    EXPECT_FALSE(load.binPresent(6)); // idle
    EXPECT_FALSE(load.binPresent(7)); // Beta only ready
    EXPECT_EQ(sum(load, 8, Beta), 10'000u);
    EXPECT_EQ(sum(load, 9, Beta), 10'000u);

    // Bins that do not divide the window evenly: 1000 ns in 3 bins of 333.33 ns.
    load.accumulate(index, 0, 1000, 3);
    EXPECT_EQ(load.binWidth, 33'333u);
    EXPECT_EQ(sum(load, 0, Alpha), 20'000u);
    EXPECT_EQ(sum(load, 0, Irq), 3'333u); // 300 .. 333.33
    EXPECT_EQ(sum(load, 1, Irq), 1'667u); // 333.33 .. 350
    EXPECT_EQ(sum(load, 1, Alpha), 25'000u);
    // The last hundredth lies beyond the third bin's end and is not counted.
    EXPECT_EQ(sum(load, 2, Beta), 19'999u);
}

TEST_F(CpuLoadBinsTest, SpanReachingIntoTheWindowCountsFromTheWindowStart) {
    CpuLoadBins load;
    load.accumulate(index, 150, 250, 1); // inside Alpha's run from 100 to 300
    EXPECT_EQ(sum(load, 0, Alpha), load.binWidth);
}

TEST_F(CpuLoadBinsTest, WindowsWithoutDurationOrTooShortForTheBinsGiveTheirMessages) {
    CpuLoadBins load;
    load.accumulate(index, 500, 500, 50);
    EXPECT_EQ(load.outcome, CpuLoadBins::Outcome::NoDuration);
    load.accumulate(index, 500, 501, 200); // 100 hundredths in 200 bins
    EXPECT_EQ(load.outcome, CpuLoadBins::Outcome::BinsTooNarrow);
    load.accumulate(index, 500, 502, 200);
    EXPECT_EQ(load.outcome, CpuLoadBins::Outcome::Ready);
    EXPECT_EQ(load.binWidth, 1u);

    TimelineIndex empty;
    load.accumulate(empty, 0, 1000, 50);
    EXPECT_EQ(load.outcome, CpuLoadBins::Outcome::NoEvents);
}

TEST_F(CpuLoadBinsTest, ColumnsStackFromTheBottomInListOrderWithOnePixelGaps) {
    CpuLoadBins load;
    load.accumulate(index, 0, 1000, 1);
    const std::vector<Slot> bottomUp{index.findSlot(Beta), index.findSlot(Irq),
                                     index.findSlot(Alpha), index.findSlot(IdleContext)};
    std::vector<LoadSegment> segments;
    stackSegments(load, bottomUp, 400, 100, 180, segments);
    ASSERT_EQ(segments.size(), 3u);
    for (const LoadSegment& segment : segments) {
        EXPECT_EQ(segment.left, 184);
        EXPECT_EQ(segment.width, 216); // (400 - 180 - 3) / 1 - 1
    }
    EXPECT_EQ(segments[0].slot, index.findSlot(Beta));
    EXPECT_EQ(segments[0].bottom, 100);
    EXPECT_EQ(segments[0].top, 80);
    EXPECT_EQ(segments[1].bottom, 79);
    EXPECT_EQ(segments[1].top, 74);
    EXPECT_EQ(segments[2].bottom, 73);
    EXPECT_EQ(segments[2].top, 28);

    // A context that ran the whole bin fills the whole height.
    load.accumulate(index, 150, 250, 1);
    stackSegments(load, bottomUp, 400, 100, 180, segments);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].top, 0);
    EXPECT_EQ(segments[0].bottom, 100);
}

TEST(CpuLoadTitleTest, BinWidthAt10UsWith200BinsIs50Ns) {
    EXPECT_EQ(CpuLoadPaneTitle(10'000, 200, 7),
              QStringLiteral("CPU Load   Number of bins: 200, Bin width: 50 ns"));
    EXPECT_TRUE(TimelinePaneTitle(10'000'000, 7).startsWith(QStringLiteral("Timeline   Width: ")));
}

} // namespace
} // namespace kavrin
