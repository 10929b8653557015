#include "views/OverviewStrip.h"
#include "ViewsHarness.h"
#include "views/TimeView.h"

#include <QSignalSpy>
#include <QTest>

namespace kavrin {
namespace {

using test::Alpha;
using test::Beta;

// Alpha runs the first half of 8,000 ns, Beta the third quarter, Idle the rest; a warning at
// 1,000 ns and an error at 7,000 ns.
StreamWriter halves() {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
    w.taskRun(Alpha, 0);
    w.logOutput("careful", 1, 0, std::span<const uint32_t>(), 1000);
    w.taskRun(Beta, 3000);
    w.systemIdle(2000);
    w.logOutput("broken", 2, 0, std::span<const uint32_t>(), 1000);
    w.taskStop(1000);
    return w;
}

struct Strip {
    Strip()
        : fixture(halves()), state(fixture.engine(), fixture.presentation, options),
          time(fixture.engine(), fixture.presentation, options, state) {
        QObject::connect(&state, &TimelineState::selectRow, &time, &TimeView::selectionChanged);
        strip = std::make_unique<OverviewStrip>(fixture.engine(), fixture.presentation, state);
        strip->resize(400, OverviewStripHeight);
    }
    test::ViewsFixture fixture;
    ViewOptions options;
    TimelineState state;
    TimeView time;
    std::unique_ptr<OverviewStrip> strip;
};

class OverviewStripTest : public QObject {
    Q_OBJECT
private slots:
    void scaleMapsTheRecordingOntoTheWidth();
    void columnsStackEachContextsShareWithMarksAbove();
    void clicksAndDragsAskForTheTimeAndAnEventThere();
    void paintingShowsTheLoadedWindowAndRendersOnlyOnChange();
};

void OverviewStripTest::scaleMapsTheRecordingOntoTheWidth() {
    Strip s;
    const OverviewSummary& summary = s.fixture.engine().overview;
    QVERIFY(summary.hasEvents());
    QCOMPARE(summary.binWidth(), uint64_t(2)); // 8,000 ticks do not fit 4,096 bins of one
    const OverviewScale scale = s.strip->scale();
    QCOMPARE(scale.bins, 4001u);
    QCOMPARE(scale.spanTicks, uint64_t(8002));
    QCOMPARE(scale.xOf(0), 0.0);
    QVERIFY(std::abs(scale.xOf(4001) - 200.0) < 1e-9);
    // A column's middle, and clicks beyond the ends stay on the recording.
    QCOMPARE(scale.ticksAt(200), uint64_t(200.5 * 8002 / 400));
    QCOMPARE(scale.ticksAt(-10), uint64_t(0));
    QCOMPARE(scale.ticksAt(1000), uint64_t(8002));
    // Every bin belongs to exactly one column.
    uint32_t next = 0;
    for (int x = 0; x < scale.width; ++x) {
        const OverviewRange range = scale.binsOf(x);
        QCOMPARE(range.first, next);
        next = range.end;
    }
    QCOMPARE(next, scale.bins);
    // Narrower than the bins or not: no column is without a bin.
    const OverviewScale wide = OverviewScale::of(summary, 10'000);
    QVERIFY(wide.binsOf(9'999).end - wide.binsOf(9'999).first == 1);
    QVERIFY(!OverviewScale::of(OverviewSummary(), 400).valid());
    // Time that ran to the end of the clock: the span saturates instead of wrapping to 0.
    OverviewSummary late;
    for (uint32_t index = 0; index < 2; ++index) {
        EventRecord record;
        record.index = index;
        record.timestamp = index == 0 ? 0 : ~uint64_t(0);
        late.add(record);
    }
    const OverviewScale lateScale = OverviewScale::of(late, 400);
    QVERIFY(lateScale.valid());
    QCOMPARE(lateScale.ticksAt(1000), ~uint64_t(0));
    QVERIFY(lateScale.ticksAt(200) > uint64_t(1) << 62);
}

void OverviewStripTest::columnsStackEachContextsShareWithMarksAbove() {
    Strip s;
    const OverviewSummary& summary = s.fixture.engine().overview;
    size_t alpha = 0, beta = 0;
    for (size_t slot = 0; slot < summary.contextCount(); ++slot) {
        alpha = summary.contextId(slot) == Alpha ? slot : alpha;
        beta = summary.contextId(slot) == Beta ? slot : beta;
    }
    const Argb red = opaque(0xAA0000), blue = opaque(0x0000AA);
    std::vector<uint32_t> pixels(400 * 40);
    PixelCanvas canvas(pixels.data(), 400, 40, 400);
    renderOverview(summary, {{alpha, red}, {beta, blue}}, canvas);
    const int load = 40 - OverviewMarkBand;
    // Alpha ran all of the first half: its columns are full up to the mark band.
    QCOMPARE(canvas.pixel(50, 39), red);
    QCOMPARE(canvas.pixel(50, 40 - load), red);
    QCOMPARE(canvas.pixel(50, 40 - load - 1), opaque(0xFFFFFF));
    // Beta in the third quarter, Idle (no layer) after it.
    QCOMPARE(canvas.pixel(250, 20), blue);
    QCOMPARE(canvas.pixel(350, 20), opaque(0xFFFFFF));
    QCOMPARE(canvas.pixel(350, 39), opaque(0xFFFFFF));
    // The column where Alpha hands over to Beta holds both, Alpha at the bottom.
    const int handover = int(s.strip->scale().xOf(4000));
    QCOMPARE(canvas.pixel(handover, 39), red);
    // Marks: the warning at 1,000 ticks, the error at 7,000.
    QCOMPARE(canvas.pixel(int(s.strip->scale().xOf(1000)), 0), WarningMark);
    QCOMPARE(canvas.pixel(int(s.strip->scale().xOf(7000)), 0), ErrorMark);
    QCOMPARE(canvas.pixel(int(s.strip->scale().xOf(3000)), 0), opaque(0xFFFFFF));
}

void OverviewStripTest::clicksAndDragsAskForTheTimeAndAnEventThere() {
    Strip s;
    QSignalSpy moves(s.strip.get(), &OverviewStrip::moveRequested);
    QTest::mousePress(s.strip.get(), Qt::LeftButton, {}, QPoint(300, 20));
    QCOMPARE(moves.count(), 1);
    const uint64_t ticks = moves[0][0].toULongLong();
    QCOMPARE(ticks, s.strip->scale().ticksAt(300));
    // No event starts in the bin there (Idle runs from 6,000): the error at 7,000 is next.
    QCOMPARE(moves[0][1].toUInt(), 6u);
    // A drag asks again only when it reaches another column; other buttons do nothing.
    QTest::mouseMove(s.strip.get(), QPoint(300, 30));
    QMouseEvent drag(QEvent::MouseMove, QPointF(20, 20), QPointF(20, 20), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.strip.get(), &drag);
    QCOMPARE(moves.count(), 2);
    QCOMPARE(moves[1][1].toUInt(), 3u); // the warning at 1,000 ticks is the next event
    QTest::mousePress(s.strip.get(), Qt::RightButton, {}, QPoint(100, 20));
    QCOMPARE(moves.count(), 2);
}

void OverviewStripTest::paintingShowsTheLoadedWindowAndRendersOnlyOnChange() {
    Strip s;
    s.time.selectionChanged(0);
    const QImage first = s.strip->grab().toImage();
    QCOMPARE(s.strip->renders(), uint64_t(1));
    // The frame of the loaded window: every event of this recording is loaded.
    QCOMPARE(first.pixelColor(0, 20).rgb() & 0xFFFFFF, 0x0000D0u);
    s.strip->grab();
    QCOMPARE(s.strip->renders(), uint64_t(1)); // nothing changed: the image is reused
    s.strip->resize(300, OverviewStripHeight);
    s.strip->grab();
    QCOMPARE(s.strip->renders(), uint64_t(2));
}

} // namespace
} // namespace kavrin

QTEST_MAIN(kavrin::OverviewStripTest)
#include "OverviewStripTest.moc"
