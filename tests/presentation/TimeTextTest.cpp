#include "presentation/TimeText.h"
#include "engine/EventStore.h"

#include "PresentationHarness.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

// 1 GHz: one tick is one nanosecond, so spans can be given in nanoseconds.
TimeBase nanosecondTicks() {
    TimeBase timeBase;
    timeBase.setFrequency(1'000'000'000);
    return timeBase;
}

QString duration(uint64_t ns, int digits) {
    return DurationText(nanosecondTicks(), ns, 0, digits);
}

TEST(TimeBase, ReducesTheFractionAndRoundsToNearest) {
    TimeBase timeBase;
    timeBase.setFrequency(168'000'000);
    EXPECT_TRUE(timeBase.valid);
    EXPECT_EQ(timeBase.numerator, 125u);
    EXPECT_EQ(timeBase.denominator, 21u);
    EXPECT_EQ(TicksToNs(timeBase, 21), 125u);
    EXPECT_EQ(TicksToNs(timeBase, 1), 6u); // 5.95 rounds up
    EXPECT_EQ(NsToTicks(timeBase, 125), 21u);
    EXPECT_EQ(NsToTicks(timeBase, 6), 1u);
}

TEST(TimeBase, ZeroFrequencyIsInvalidAndConvertsToZero) {
    TimeBase timeBase;
    timeBase.setFrequency(168'000'000);
    timeBase.setFrequency(0);
    EXPECT_FALSE(timeBase.valid);
    EXPECT_EQ(timeBase.numerator, 0u);
    EXPECT_EQ(timeBase.denominator, 0u);
    EXPECT_EQ(TicksToNs(timeBase, 1000), 0u);
    EXPECT_EQ(NsToTicks(timeBase, 1000), 0u);
    EXPECT_EQ(DurationText(timeBase, 5000, 0, 7), "0 ns");
    EXPECT_EQ(ClockTextFromTicks(timeBase, 5000, 7), "");
}

TEST(TimeBase, LongRecordingsDoNotOverflow) {
    // A frequency with no factor in common with 10^9 keeps the numerator at 10^9, so 64-bit
    // products would overflow after about 18 seconds of ticks.
    TimeBase timeBase;
    timeBase.setFrequency(1'000'000'007);
    EXPECT_EQ(timeBase.numerator, 1'000'000'000u);
    const uint64_t oneHourTicks = uint64_t(1'000'000'007) * 3600;
    EXPECT_EQ(TicksToNs(timeBase, oneHourTicks), uint64_t(3600) * 1'000'000'000);
    EXPECT_EQ(NsToTicks(timeBase, uint64_t(3600) * 1'000'000'000), oneHourTicks);
    // Past what 64 bits of nanoseconds hold, the result saturates instead of wrapping.
    TimeBase slow;
    slow.setFrequency(1);
    EXPECT_EQ(TicksToNs(slow, ~uint64_t(0)), ~uint64_t(0));
}

TEST(DurationText, UnitsAndResolutions) {
    EXPECT_EQ(duration(0, 7), "0 ns");
    EXPECT_EQ(duration(999, 7), "999 ns");
    EXPECT_EQ(duration(1000, 7), "  1.0 us");
    EXPECT_EQ(duration(1500, 6), "  1 us");
    EXPECT_EQ(duration(1500, 7), "  1.5 us");
    EXPECT_EQ(duration(1500, 8), "  1.50 us");
    EXPECT_EQ(duration(1500, 9), "  1.500 us");
    EXPECT_EQ(duration(999'999, 9), "999.999 us");
    EXPECT_EQ(duration(2'000'001, 6), "  2.0 ms");
    EXPECT_EQ(duration(2'000'001, 7), "  2.0000 ms");
    EXPECT_EQ(duration(2'000'001, 9), "  2.000001 ms");
    EXPECT_EQ(duration(2'000'000, 9), "  2.0 ms");
    EXPECT_EQ(duration(12'345'678, 6), " 12.345 ms");
    EXPECT_EQ(duration(12'345'678, 8), " 12.34567 ms");
    EXPECT_EQ(duration(4'200'000'000, 7), "  4.200 s");
    EXPECT_EQ(duration(1'000'000'000, 7), "  1.0 s");
    EXPECT_EQ(duration(1'000'000'500, 6), "  1.0 s");
    EXPECT_EQ(duration(1'000'000'500, 9), "  1.000000500 s");
    EXPECT_EQ(duration(1'234'567'891, 6), "  1.234567 s");
    EXPECT_EQ(duration(1'234'567'891, 7), "  1.2345678 s");
    EXPECT_EQ(duration(1'234'567'891, 9), "  1.234567891 s");
    EXPECT_EQ(duration(1'234'567'891, 2), "  1.23 s");
    EXPECT_EQ(duration(1'234'567'891, 4), "  1.2345 s");
    EXPECT_EQ(duration(5'000'000'000'000, 7), "5000.0 s");
}

TEST(DurationText, IsTheDistanceInEitherOrder) {
    const TimeBase timeBase = nanosecondTicks();
    EXPECT_EQ(DurationText(timeBase, 100, 1600, 9), DurationText(timeBase, 1600, 100, 9));
    EXPECT_EQ(SpanText(timeBase, 1500, 9), "1.500 us");
}

TEST(ClockText, ShapesByHoursAndMinutes) {
    const TimeBase timeBase = nanosecondTicks();
    const uint64_t ns = 3'723'004'500'250;
    EXPECT_EQ(ClockText(timeBase, ns, 9), "01:02:03.004 500 250");
    EXPECT_EQ(ClockText(timeBase, ns, 7), "01:02:03.004 500 250");
    EXPECT_EQ(ClockText(timeBase, ns, 6), "01:02:03.004 500");
    EXPECT_EQ(ClockText(timeBase, ns, 3), "01:02:03.004");
    EXPECT_EQ(ClockText(timeBase, 123'004'500'250, 9), "02:03.004 500 250");
    EXPECT_EQ(ClockText(timeBase, 3'004'500'250, 9), "03.004 500 250");
    EXPECT_EQ(ClockText(timeBase, uint64_t(100) * 3600 * 1'000'000'000, 1), "100:00:00.000");
    EXPECT_EQ(ClockText(timeBase, ns, 0), "???");
    EXPECT_EQ(ClockText(timeBase, ns, 10), "???");
    EXPECT_EQ(ClockText(TimeBase{}, ns, 7), "");
}

TEST(GroupedNumber, GroupsOfThree) {
    EXPECT_EQ(GroupedNumber(0), "0");
    EXPECT_EQ(GroupedNumber(999), "999");
    EXPECT_EQ(GroupedNumber(1000), "1 000");
    EXPECT_EQ(GroupedNumber(1'234'567), "1 234 567");
    EXPECT_EQ(GroupedNumber(4'294'967'295u), "4 294 967 295");
}

class EventTimeTextTest : public ::testing::Test {
protected:
    EventTimeTextTest() {
        for (uint64_t timestamp : {1000u, 3000u, 7000u}) {
            EventRecord record;
            record.timestamp = timestamp;
            store.append(store.makeNode(record));
        }
    }
    QString timeOf(int position) {
        EventNode* node = store.first();
        while (position-- > 0)
            node = node->next;
        return EventTimeText(*node, store.firstTimestamp(), timeBase, options);
    }

    EventStore store;
    TimeBase timeBase = nanosecondTicks();
    TimeDisplayOptions options;
};

TEST_F(EventTimeTextTest, RelativeToFirstStoredEventOrRecordingStart) {
    // Resolution 100 ns still shows whole groups of three digits.
    EXPECT_EQ(timeOf(0), "00.000 000 000");
    EXPECT_EQ(timeOf(2), "00.000 006 000");
    options.systemTime = true;
    EXPECT_EQ(timeOf(2), "00.000 007 000");
}

TEST_F(EventTimeTextTest, ReferencesMarkAndMeasureFromTheNearestEarlier) {
    options.resolution = Resolution1ns;
    options.references = {500, 3000};
    EXPECT_EQ(timeOf(1), "   ** REF **   ");
    EXPECT_EQ(timeOf(2), "00.000 004 000");
    EXPECT_EQ(timeOf(0), "00.000 000 500");
    options.references = {9000};
    EXPECT_EQ(timeOf(2), "00.000 006 000"); // references after the event do not count
}

} // namespace
} // namespace kavrin
