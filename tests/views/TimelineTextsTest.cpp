#include "views/TimelineTexts.h"
#include "ViewsHarness.h"
#include "views/TimelineIndex.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

using test::Alpha;
using test::Irq;

struct Texts {
    explicit Texts(const StreamWriter& writer) : fixture(writer) {
        index.sync(fixture.engine().store, fixture.presentation.timeBase);
    }
    QString event(size_t position, bool onLane = true) {
        return EventHoverText(index, position, onLane, fixture.engine().tracker,
                              fixture.presentation, index.firstNs());
    }
    test::ViewsFixture fixture;
    TimelineIndex index;
};

// The bottom texts count from the cursor line like the axis: signed, never an absolute time.
TEST(TimelineTextsTest, OffsetsFromTheCursorCarryTheirSign) {
    EXPECT_EQ(OffsetText(-2'500'000, 7), QStringLiteral("-") + NsSpanText(2'500'000, 7));
    EXPECT_EQ(OffsetText(120'000, 9), QStringLiteral("+") + NsSpanText(120'000, 9));
    EXPECT_EQ(OffsetText(0, 7), NsSpanText(0, 7));
    EXPECT_EQ(OffsetText(INT64_MIN + 1, 6).front(), QLatin1Char('-'));
}

TEST(TimelineTextsTest, LaneHoverNamesTheLastEventOnlyInItsOwnLane) {
    Texts texts(test::smallRecording());
    const QString text = texts.event(5); // ISR Enter at 300 ns
    EXPECT_TRUE(text.startsWith(QStringLiteral("Last Event:\n  #6 @ "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(" - ISR Enter ("))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n\nActive Functions:"))) << text.toStdString();
    EXPECT_TRUE(texts.event(5, false).isEmpty());
}

TEST(TimelineTextsTest, OverflowAndTheEventAfterItShowTheOverflowNotice) {
    StreamWriter w = test::smallRecording();
    w.overflow(7, 100);   // row 14
    w.taskRun(Alpha, 50); // row 15
    w.taskStop(50);       // row 16
    Texts texts(w);
    EXPECT_TRUE(texts.event(14).startsWith(QStringLiteral("Kavrin Overflow!\n")));
    EXPECT_TRUE(texts.event(15, false).startsWith(QStringLiteral("Kavrin Overflow!\n")));
    EXPECT_TRUE(texts.event(16).startsWith(QStringLiteral("Last Event:")));
}

TEST(TimelineTextsTest, OpenApiCallsAreListedUntilTheyEnd) {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
    w.taskRun(Alpha, 100);    // row 2
    w.api(40, {1}, 200);      // row 3, at 300 ns
    w.taskReady(Alpha, 50);   // row 4, inside the call
    w.apiEndValue(40, 0, 50); // row 5, at 400 ns
    w.taskStop(100);          // row 6
    Texts texts(w);
    EXPECT_TRUE(texts.event(4).endsWith(QStringLiteral("Active Functions:\n  Unknown function")))
        << texts.event(4).toStdString();
    EXPECT_TRUE(texts.event(5).endsWith(QStringLiteral("Active Functions:")));
}

TEST(TimelineTextsTest, LabelHoverDescribesTheContextByKind) {
    Texts texts(test::smallRecording());
    const ContextTracker& tracker = texts.fixture.engine().tracker;
    Presentation& presentation = texts.fixture.presentation;
    // Alpha's first run (100 .. 300 ns) is not measured; then 350 .. 600 and 1100 .. 1200.
    EXPECT_EQ(ContextHoverText(tracker, Alpha, presentation, 1300),
              QStringLiteral("Task           : Alpha (00000001)\n"
                             "Priority       : 10\n"
                             "Run Count      : 3\n"
                             "Run Time, Total: 350 ns (26.92%)\n"
                             "           Last: 100 ns\n"
                             "            Min: 100 ns\n"
                             "            Max: 250 ns"));
    EXPECT_TRUE(ContextHoverText(tracker, Irq, presentation, 1300)
                    .startsWith(QStringLiteral("Interrupt      : ISR #16\nId             : 16\n"
                                               "Frequency      : 0 Hz\nRun Count      : 1\n")));
    presentation.timeBase.clear(); // no timing without a frequency
    EXPECT_EQ(ContextHoverText(tracker, SchedulerContext, presentation, 1300),
              QStringLiteral("Scheduler\nRun Count      : 2\n"));
    EXPECT_EQ(ContextHoverText(tracker, 999, presentation, 1300),
              QStringLiteral("Unknown context!\n"));
}

} // namespace
} // namespace kavrin
