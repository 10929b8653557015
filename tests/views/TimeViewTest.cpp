#include "views/TimeView.h"
#include "ViewWidgetsHarness.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <memory>

namespace kavrin {
namespace {

using test::Alpha;
using test::Beta;
using test::inGradient;
using test::smallViews;
using test::Views;
using test::wheel;

int laneOf(RecordingEngine& engine, uint32_t context) {
    const auto& rows = engine.contextList.rows();
    return int(std::find(rows.begin(), rows.end(), context) - rows.begin()) + 1;
}

} // namespace

class TimeViewTest : public QObject {
    Q_OBJECT
private slots:
    void fullRecordingShowsAtMost120Seconds();
    void zoomRowsFollowTheRecordingLength();
    void selectingAnEventPutsItOnTheCursorLine();
    void scrollingStopsAtTheFirstAndLastEvents();
    void wheelZoomsAndCtrlWheelScrolls();
    void referencesToggle();
    void goCommandsAtTheEndsDoNothing();
    void timelineDrawsLanesAndCursor();
    void clicksSetTheCursorAndDragsMoveTheSelection();
    void hoverShowsTextsAndGuides();
    void selectingRefreshesTheHoverOutsideTheLanes();
    void labelsShowTheContextTypeIcon();
};

void TimeViewTest::fullRecordingShowsAtMost120Seconds() {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000, 1'000'000, 0, 0, 0);
    w.taskRun(Alpha, 100'000'000);
    w.taskStop(100'000'000); // 200 s at 1 MHz
    Views views(w, 1'000'000);
    QSignalSpy titles(&views.state, &TimelineState::paneTitlesChanged);
    views.state.setZoomRow(FullRecordingZoom);
    QCOMPARE(views.state.window().spanNs, 120'000'000'000ull);
    QCOMPARE(titles.count(), 1);
    QVERIFY(titles.at(0).at(0).toString().startsWith(QStringLiteral("Timeline   Width: ")));
}

void TimeViewTest::zoomRowsFollowTheRecordingLength() {
    auto views = smallViews(); // 1.3 us long
    QSignalSpy rows(&views->state, &TimelineState::zoomRowChanged);
    views->state.zoomOut(); // 20 ms > 1.2 x 1.3 us
    QCOMPARE(views->options.zoomRow, FullRecordingZoom);
    QCOMPARE(views->state.window().spanNs, 1300ull);
    views->state.zoomIn(); // no row is shorter than the recording
    QCOMPARE(views->options.zoomRow, FullRecordingZoom);
    views->state.setZoomRow(0);
    views->state.zoomIn();
    QCOMPARE(views->options.zoomRow, 0);
    QCOMPARE(rows.count(), 2);
    QCOMPARE(views->state.window().spanNs, 10'000ull);
}

void TimeViewTest::selectingAnEventPutsItOnTheCursorLine() {
    auto views = smallViews();
    views->state.setZoomRow(0);
    views->time.selectionChanged(5); // ISR Enter at 300 ns
    views->state.scrollBy(20);       // still inside its span
    QCOMPARE(views->state.selectedRow(), 5);
    QCOMPARE(views->state.scrollOffset(), int64_t(20));
    QCOMPARE(views->scrollBar.value(), 320);
    views->time.selectionChanged(9); // from the event list: offset back to 0
    QCOMPARE(views->state.scrollOffset(), int64_t(0));
    const std::optional<ViewWindow> window = views->state.viewWindow();
    QVERIFY(window.has_value());
    QCOMPARE(window->startNs, 0ull); // 800 - 2 x 1000 is below zero
    views->state.setZoomRow(FullRecordingZoom);
    QCOMPARE(views->state.viewWindow()->startNs, 800ull - 260);
}

void TimeViewTest::scrollingStopsAtTheFirstAndLastEvents() {
    auto views = smallViews();
    views->time.selectionChanged(12);
    views->state.scrollBy(10'000);
    QCOMPARE(views->state.selectedRow(), 13);
    QCOMPARE(views->state.scrollOffset(), int64_t(0));
    QSignalSpy selections(&views->state, &TimelineState::selectRow);
    views->state.scrollBy(5); // would not move the cursor
    views->state.scrollLeft();
    QCOMPARE(selections.count(), 0);
    views->state.scrollBy(-1'000'000);
    QCOMPARE(views->state.selectedRow(), 3); // the last of the events at 0
    QCOMPARE(views->scrollBar.value(), 0);
    QCOMPARE(views->scrollBar.maximum(), 1300);
    // The scroll bar moves the view by its value difference.
    views->scrollBar.setValue(700);
    QCOMPARE(views->state.selectedRow(), 8);
    QCOMPARE(views->state.scrollOffset(), int64_t(0));
}

void TimeViewTest::wheelZoomsAndCtrlWheelScrolls() {
    auto views = smallViews();
    views->time.selectionChanged(9); // 800 ns
    wheel(views->time, QPoint(0, 120));
    QCOMPARE(views->options.zoomRow, DefaultZoom - 1);
    wheel(views->time, QPoint(0, -120));
    QCOMPARE(views->options.zoomRow, FullRecordingZoom); // 20 ms > 1.2 x 1.3 us
    views->state.setZoomRow(0);
    // Ctrl: 2 % of the 10 us span earlier.
    wheel(views->time, QPoint(0, 120), Qt::ControlModifier);
    QCOMPARE(views->state.selectedRow(), 7); // 600 ns
    QCOMPARE(views->options.zoomRow, 0);
    // With the preference swapped, the plain wheel scrolls and Ctrl zooms.
    views->options.preferences.invertWheelControl = true;
    wheel(views->time, QPoint(0, -120));
    QCOMPARE(views->state.selectedRow(), 9);
    wheel(views->time, QPoint(0, -120), Qt::ControlModifier);
    QCOMPARE(views->options.zoomRow, FullRecordingZoom); // 20 us > 1.2 x 1 us
    // A horizontal wheel always scrolls: 2 % of 1300 ns later.
    wheel(views->time, QPoint(-120, 0), Qt::ControlModifier);
    QCOMPARE(views->options.zoomRow, FullRecordingZoom);
    QCOMPARE(views->state.selectedRow(), 9);
    QCOMPARE(views->state.scrollOffset(), int64_t(26));
}

void TimeViewTest::referencesToggle() {
    auto views = smallViews();
    QSignalSpy changed(&views->time, &TimeView::referencesChanged);
    views->time.setReference(); // no selection: nothing
    QCOMPARE(changed.count(), 0);
    views->time.selectionChanged(5);
    views->time.setReference();
    QCOMPARE(views->fixture.presentation.display.references, std::set<uint64_t>{300});
    views->time.setReference();
    QVERIFY(views->fixture.presentation.display.references.empty());
    views->time.setReference();
    views->time.clearReferences();
    QVERIFY(views->fixture.presentation.display.references.empty());
    QCOMPARE(changed.count(), 4);
}

void TimeViewTest::goCommandsAtTheEndsDoNothing() {
    auto views = smallViews();
    QSignalSpy selections(&views->state, &TimelineState::selectRow);
    views->time.next(); // no selection
    views->time.selectionChanged(13);
    views->time.forward();
    views->time.selectionChanged(7);
    views->time.next(); // no later System Idle
    views->time.selectionChanged(0);
    views->time.back();
    views->time.previous();
    QCOMPARE(selections.count(), 0);
    views->time.selectionChanged(4);
    views->time.contextNext();
    QCOMPARE(views->state.selectedRow(), 11);
    views->time.back(); // the run before row 11 is the scheduler's, from row 10
    QCOMPARE(views->state.selectedRow(), 10);
    const QStringList go = views->time.goMenuTexts();
    QVERIFY(go.at(0).startsWith(QStringLiteral("Next ")) && go.at(0).endsWith("Task Stop"));
    QVERIFY(go.at(3).startsWith(QStringLiteral("Previous ")) && go.at(3).contains(" in "));
}

void TimeViewTest::timelineDrawsLanesAndCursor() {
    auto views = smallViews();
    views->state.setZoomRow(FullRecordingZoom);
    views->time.selectionChanged(3); // t = 0, so the window is [0, 1300 ns]
    const QImage image = views->time.grab().toImage();
    const QRect contents = views->time.contentsRect();
    const TimeWindow& window = views->state.window();
    RecordingEngine& engine = views->fixture.engine();
    const double rowHeight =
        double(contents.height() - 33) / double(engine.contextList.rows().size() + 1);
    auto laneY = [&](int lane) {
        const LaneSpan span = laneSpan(lane, rowHeight);
        return contents.top() + 30 + (span.top + span.bottom) / 2;
    };
    auto xOf = [&](uint64_t ns) {
        return contents.left() + views->options.nameColumnWidth + LaneLeftMargin +
               int(double(ns) / window.nsPerPixel);
    };
    const ColourScheme alpha = colourScheme(0, Alpha);
    QVERIFY(inGradient(image.pixel(xOf(200), laneY(laneOf(engine, Alpha))), alpha));
    QVERIFY(inGradient(image.pixel(xOf(200), laneY(0)), alpha));
    QVERIFY(!inGradient(image.pixel(xOf(700), laneY(laneOf(engine, Alpha))), alpha)); // idle
    QVERIFY(inGradient(image.pixel(xOf(900), laneY(laneOf(engine, Beta))), colourScheme(0, Beta)));
    // The cursor line at t = 0, blue from y = 24 down.
    QCOMPARE(image.pixel(xOf(0), contents.top() + 26) & 0xFFFFFF, 0x0000D0u);
    QCOMPARE(image.pixel(xOf(0), contents.bottom() - 20) & 0xFFFFFF, 0x0000D0u);
}

void TimeViewTest::clicksSetTheCursorAndDragsMoveTheSelection() {
    auto views = smallViews();
    TimeView& time = views->time;
    views->state.setZoomRow(FullRecordingZoom); // 1300 ns
    time.selectionChanged(3);                   // t = 0: the window is [0, 1300 ns]
    const QRect contents = time.contentsRect();
    const int left = contents.left() + views->options.nameColumnWidth + LaneLeftMargin;
    const int width = views->state.window().drawingWidth;
    auto xOf = [&](uint64_t ns) { return left + int(double(ns) * width / 1300.0); };
    const int y = contents.top() + 100;

    QSignalSpy cursor(&views->state, &TimelineState::cursorPositionChanged);
    QTest::mouseClick(&time, Qt::LeftButton, {}, QPoint(left + width / 2 + 3, y));
    QCOMPARE(views->options.cursorPosition, 5);
    QCOMPARE(cursor.count(), 1);
    QTest::mouseClick(&time, Qt::LeftButton, {}, QPoint(contents.left() + 60, 10)); // axis band
    QCOMPARE(views->options.cursorPosition, 5);

    QTest::mouseDClick(&time, Qt::LeftButton, {}, QPoint(xOf(900), y));
    QCOMPARE(views->state.selectedRow(), 9); // Task Run Beta at 800 ns spans 900 ns
    QCOMPARE(views->state.scrollOffset(), int64_t(0));

    // Dragging the content 250 ns to the left moves the cursor line 250 ns later.
    const int from = xOf(600);
    QTest::mousePress(&time, Qt::LeftButton, {}, QPoint(from, y));
    QTest::mouseMove(&time, QPoint(from - (xOf(250) - xOf(0)), y));
    QTest::mouseRelease(&time, Qt::LeftButton, {}, QPoint(from - (xOf(250) - xOf(0)), y));
    QCOMPARE(views->state.selectedRow(), 10); // Task Stop at 1000 ns
    QVERIFY(std::abs(views->state.scrollOffset() - 50) < 5);
    QCOMPARE(views->options.cursorPosition, 5); // a drag is no click
}

void TimeViewTest::hoverShowsTextsAndGuides() {
    auto views = smallViews();
    TimeView& time = views->time;
    views->state.setZoomRow(FullRecordingZoom);
    time.selectionChanged(3);
    const QRect contents = time.contentsRect();
    RecordingEngine& engine = views->fixture.engine();
    const double rowHeight =
        double(contents.height() - 33) / double(engine.contextList.rows().size() + 1);
    const int alphaY = contents.top() + 30 + int((laneOf(engine, Alpha) + 0.5) * rowHeight);

    QTest::mouseMove(&time, QPoint(contents.left() + 60, alphaY)); // Alpha's label
    QVERIFY(QToolTip::text().contains(QStringLiteral("Task           : Alpha (00000001)")));

    const int left = contents.left() + views->options.nameColumnWidth + LaneLeftMargin;
    const int width = views->state.window().drawingWidth;
    QTest::mouseMove(&time, QPoint(left + int(200.0 * width / 1300.0), alphaY));
    QVERIFY(QToolTip::text().contains(QStringLiteral("Last Event:\n  #5 @ ")));
    const QImage image = time.grab().toImage();
    const int guideX = left + width / 10;
    QCOMPARE(image.pixel(guideX, contents.top() + 27) & 0xFFFFFF, 0xB0B0F0u);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&time, &leave);
    QCOMPARE(time.grab().toImage().pixel(guideX, contents.top() + 27) & 0xFFFFFF,
             uint(time.palette().color(QPalette::Window).rgb() & 0xFFFFFF));
}

void TimeViewTest::selectingRefreshesTheHoverOutsideTheLanes() {
    auto views = smallViews();
    TimeView& time = views->time;
    views->state.setZoomRow(FullRecordingZoom);
    time.selectionChanged(3);
    const QRect contents = time.contentsRect();
    const QPoint axisBand(contents.left() + 300, contents.top() + 10);
    QMouseEvent move(QEvent::MouseMove, axisBand, time.mapToGlobal(axisBand), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&time, &move);
    QToolTip::showText(time.mapToGlobal(QPoint(300, 10)), QStringLiteral("stale"), &time);
    QCOMPARE(QToolTip::text(), QStringLiteral("stale"));
    time.selectionChanged(9);
    QTRY_VERIFY(QToolTip::text().isEmpty());
}

void TimeViewTest::labelsShowTheContextTypeIcon() {
    auto views = smallViews();
    TimeView& time = views->time;
    views->state.setZoomRow(FullRecordingZoom);
    time.selectionChanged(3);
    const QImage image = time.grab().toImage();
    const QRect contents = time.contentsRect();
    RecordingEngine& engine = views->fixture.engine();
    const double rowHeight =
        double(contents.height() - 33) / double(engine.contextList.rows().size() + 1);
    auto iconOf = [&](uint32_t context) {
        const LaneSpan span = laneSpan(laneOf(engine, context), rowHeight);
        const int centre = contents.top() + 30 + (span.top + span.bottom) / 2;
        return image.copy(contents.left() + 4, centre - 5, 12, 10);
    };
    // Tasks of different colours share the task icon; an interrupt has its own.
    QCOMPARE(iconOf(Alpha), iconOf(Beta));
    QVERIFY(iconOf(Alpha) != iconOf(test::Irq));
}

} // namespace kavrin

QTEST_MAIN(kavrin::TimeViewTest)
#include "TimeViewTest.moc"
