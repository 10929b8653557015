#include "views/TimelineState.h"
#include "ViewWidgetsHarness.h"
#include "views/OverviewStrip.h"

#include <QSignalSpy>
#include <QTest>

#include <array>
#include <functional>
#include <map>

namespace kavrin {
namespace {

// Counts the paint events each watched widget receives.
class PaintCounter : public QObject {
public:
    void watch(QWidget& widget) { widget.installEventFilter(this); }
    int count(QObject& widget) const {
        const auto found = counts_.find(&widget);
        return found == counts_.end() ? 0 : found->second;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++counts_[watched];
        return false;
    }

private:
    std::map<QObject*, int> counts_;
};

// The three observers over one state: the timeline and CPU load view with the overview strip.
struct Observers : test::Views {
    explicit Observers(uint64_t frequency = 1'000'000'000)
        : Views(test::smallRecording(), frequency),
          strip(fixture.engine(), fixture.presentation, state) {
        strip.resize(600, OverviewStripHeight);
        strip.show();
        for (QWidget* widget : {static_cast<QWidget*>(&time), static_cast<QWidget*>(&load),
                                static_cast<QWidget*>(&strip)})
            paints.watch(*widget);
        state.setZoomRow(FullRecordingZoom);
        time.selectionChanged(5);
        settle();
    }
    // Lets the posted repaints happen.
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // Paint counts of the timeline, CPU load view and overview strip.
    std::array<int, 3> painted() {
        return {paints.count(time), paints.count(load), paints.count(strip)};
    }

    OverviewStrip strip;
    PaintCounter paints;
};

} // namespace

class TimelineStateTest : public QObject {
    Q_OBJECT
private slots:
    void eachChangeNotifiesOnceAndEveryViewRepaints();
    void viewsFollowAChangeMadeInTheTimeline();
    void echoesOfTheListAndTheScrollBarDoNotComeBack();
    void resetForgetsTheSelectionAndTheIndex();
    void aFilePassShowsNoEventsAndIndexesThemOnceItEnds();
    void roomSetAsideForAPassLeavesTheIndexAsItWouldBe();
};

void TimelineStateTest::eachChangeNotifiesOnceAndEveryViewRepaints() {
    Observers o;
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"zoom", [&o] { o.state.setZoomRow(0); }},
        {"cursor position", [&o] { o.state.setCursorPosition(5); }},
        {"scroll", [&o] { o.state.scrollBy(400); }},
        {"reset cursor", [&o] { o.state.resetCursor(); }},
        {"name column", [&o] { o.state.setNameColumnWidth(150); }},
        {"show time", [&o] { o.state.showTime(1000); }},
        {"from the list", [&o] { o.time.selectionChanged(11); }},
    };
    for (const auto& [name, change] : changes) {
        QSignalSpy changed(&o.state, &TimelineState::changed);
        const std::array<int, 3> before = o.painted();
        change();
        Observers::settle();
        QVERIFY2(changed.count() == 1, name);
        const std::array<int, 3> after = o.painted();
        for (size_t view = 0; view < after.size(); ++view)
            QVERIFY2(after[view] > before[view], name);
    }
    // Operations that change nothing stay silent.
    QSignalSpy changed(&o.state, &TimelineState::changed);
    o.state.setCursorPosition(5);
    o.state.setCursorPosition(0);
    o.state.setZoomRow(ZoomLevelCount);
    o.state.scrollBy(1'000'000'000); // to the last event
    QCOMPARE(changed.count(), 1);
    o.state.scrollBy(1'000'000'000);
    QCOMPARE(changed.count(), 1);
}

void TimelineStateTest::viewsFollowAChangeMadeInTheTimeline() {
    Observers o(1'000'000);     // ticks are microseconds: the recording is 1.3 ms long
    o.state.setZoomRow(5);      // 500 us
    o.time.selectionChanged(9); // 800 us: the window is [700 us, 1200 us]
    QImage strip = o.strip.grab().toImage();
    // A zoom by the timeline's wheel: the CPU load view bins the new span, the overview strip
    // shades it, the option and the zoom row follow.
    QSignalSpy rows(&o.state, &TimelineState::zoomRowChanged);
    test::wheel(o.time, QPoint(0, 120));
    QCOMPARE(rows.count(), 1);
    QCOMPARE(o.options.zoomRow, 4);
    QCOMPARE(o.state.window().spanNs, 200'000ull);
    o.load.grab();
    QCOMPARE(o.load.bins().binWidth, 200'000ull * 100 / uint64_t(o.options.cpuLoadBins));
    QVERIFY(o.strip.grab().toImage() != strip);
    strip = o.strip.grab().toImage();

    // A click in the timeline's lanes moves the cursor to 70 %: the window starts earlier.
    const QRect lanes = o.time.contentsRect();
    const int left = lanes.left() + o.options.nameColumnWidth + LaneLeftMargin;
    QTest::mouseClick(
        &o.time, Qt::LeftButton, {},
        QPoint(left + o.state.window().drawingWidth * 7 / 10, lanes.top() + lanes.height() / 2));
    QCOMPARE(o.options.cursorPosition, 7);
    QCOMPARE(o.state.viewWindow()->startNs, 800'000ull - 7 * 20'000);
    QVERIFY(o.strip.grab().toImage() != strip);
}

void TimelineStateTest::echoesOfTheListAndTheScrollBarDoNotComeBack() {
    Observers o;
    o.state.setZoomRow(0);
    QSignalSpy changed(&o.state, &TimelineState::changed);
    QSignalSpy selections(&o.state, &TimelineState::selectRow);
    // Scrolling selects another event; the list echoes it, the scroll bar is moved: neither
    // recentres the cursor nor scrolls again.
    o.state.scrollBy(350); // from ISR Enter at 300 ns to System Idle at 600 ns, + 50 ns
    QCOMPARE(selections.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(o.state.selectedRow(), 7);
    QCOMPARE(o.state.scrollOffset(), int64_t(50));
    QCOMPARE(o.scrollBar.value(), 650);
    // The scroll bar moved by the user scrolls once and is not set back.
    o.scrollBar.setValue(800);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(o.state.selectedRow(), 9);
    QCOMPARE(o.state.scrollOffset(), int64_t(0));
    QCOMPARE(o.scrollBar.value(), 800);
    // A selection made in the list is taken and recentres.
    o.state.scrollBy(50);
    o.time.selectionChanged(4);
    QCOMPARE(changed.count(), 4);
    QCOMPARE(o.state.selectedRow(), 4);
    QCOMPARE(o.state.scrollOffset(), int64_t(0));
}

void TimelineStateTest::resetForgetsTheSelectionAndTheIndex() {
    Observers o;
    o.state.scrollBy(100);
    QVERIFY(o.state.index().size() > 0);
    QSignalSpy cleared(&o.state, &TimelineState::cleared);
    QSignalSpy changed(&o.state, &TimelineState::changed);
    o.state.reset();
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(o.state.selectedRow(), -1);
    QCOMPARE(o.state.scrollOffset(), int64_t(0));
    // Without a selection the cursor is the last event.
    QCOMPARE(o.state.cursorTimeNs(), std::optional<uint64_t>(1300));
}

void TimelineStateTest::aFilePassShowsNoEventsAndIndexesThemOnceItEnds() {
    Observers o;
    o.state.scrollBy(100);
    QSignalSpy cleared(&o.state, &TimelineState::cleared);
    QSignalSpy changed(&o.state, &TimelineState::changed);
    o.state.passStarted();
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(changed.count(), 1);
    // The store keeps its events (a window step drops some of them) but the views see none,
    // and no look at the index extends it.
    QVERIFY(o.fixture.engine().store.total() > 0);
    QVERIFY(!o.state.cursorTimeNs() && !o.state.loadedTicks() && !o.state.viewWindow());
    QVERIFY(!o.state.selectedNode());
    QVERIFY(o.state.index().empty());
    o.time.grab();
    o.load.grab();
    o.strip.grab();
    QVERIFY(o.state.index().empty());
    QCOMPARE(o.scrollBar.maximum(), 0);
    // Moves asked for during the pass change nothing.
    QSignalSpy selections(&o.state, &TimelineState::selectRow);
    o.state.scrollBy(400);
    o.state.showTime(1000);
    o.state.dragCursorLine(50);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(selections.count(), 0);

    o.state.passEnded();
    QCOMPARE(cleared.count(), 2);
    QCOMPARE(o.state.cursorTimeNs(), std::optional<uint64_t>(1300));
    const TimelineIndex& index = o.state.index();
    QCOMPARE(index.size(), size_t(o.fixture.engine().store.total()));
    // Beta was made ready at 700 ns and ran at 800 ns.
    const std::vector<ReadySpan>& ready = index.readySpans(index.findSlot(test::Beta));
    QCOMPARE(ready.size(), size_t(1));
    QCOMPARE(ready[0].startNs, 700ull);
    QCOMPARE(ready[0].endNs, 800ull);
}

// Room set aside before a pass, too little or enough, leaves the index as one built without it.
void TimelineStateTest::roomSetAsideForAPassLeavesTheIndexAsItWouldBe() {
    Observers plain;
    const TimelineIndex& expected = plain.state.index();
    QVERIFY(expected.size() > 2);
    for (const uint events : {2u, 1000u}) {
        Observers o;
        o.state.passStarted();
        o.state.reserveAhead(events);
        o.state.passEnded();
        const TimelineIndex& index = o.state.index();
        QCOMPARE(index.size(), expected.size());
        for (size_t i = 0; i < index.size(); ++i) {
            QCOMPARE(index.timeNs(i), expected.timeNs(i));
            QCOMPARE(index.node(i)->record.index, expected.node(i)->record.index);
            QCOMPARE(index.slotBefore(i), expected.slotBefore(i));
            QCOMPARE(index.slotAfter(i), expected.slotAfter(i));
            QCOMPARE(index.slotOwner(i), expected.slotOwner(i));
        }
    }
}

} // namespace kavrin

QTEST_MAIN(kavrin::TimelineStateTest)
#include "TimelineStateTest.moc"
