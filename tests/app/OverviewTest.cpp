#include "AppHarness.h"

#include "presentation/models/EventModel.h"
#include "views/EventView.h"
#include "views/OverviewStrip.h"
#include "views/TimeView.h"
#include "views/TimelineState.h"

#include <QSettings>
#include <QStatusBar>

namespace kavrin {
namespace {

using test::WindowFixture;

class OverviewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void clickAt80PercentMovesTheWindowThere();
    void clickInsideTheLoadedWindowOnlyCentresTheView();
    void menuItemShowsAndHidesTheStripAndIsKept();
    void clickWithoutRecordingSaysSo();

private:
    QTemporaryDir dir_;
    QString large_;
};

// The selected event of the event list.
const EventNode* selectedEvent(KavrinMainWindow& window) {
    return window.eventModel().nodeAt(window.eventView().currentIndex().row());
}

void clickStrip(KavrinMainWindow& window, double share) {
    OverviewStrip& strip = window.overviewStrip();
    QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint(int(share * strip.width()), 20));
}

void OverviewTest::initTestCase() {
    large_ = test::generateRecording(dir_, QStringLiteral("large.KVDat"), QStringLiteral("busy"),
                                     3'000'000);
}

void OverviewTest::clickAt80PercentMovesTheWindowThere() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    window.show();
    QVERIFY(fixture.open(large_));
    const OverviewSummary& summary = window.engine().overview;
    QVERIFY(summary.eventCount() > 2'900'000); // Sync records are not events
    QVERIFY(window.overviewStrip().isVisible());
    QVERIFY(window.engine().nextIndex <= window.engine().window.size); // the first window

    clickStrip(window, 0.8);
    QVERIFY(fixture.waitForIdle());
    const OverviewScale scale = window.overviewStrip().scale();
    const uint64_t clicked = scale.ticksAt(int(0.8 * window.overviewStrip().width()));
    const uint32_t target = summary.eventNear(clicked);
    QVERIFY(target > 2'000'000);
    // The window holds the target about in its middle, the list shows events from there.
    const RecordingEngine& engine = window.engine();
    QVERIFY(engine.firstIndex <= target && target < engine.nextIndex);
    QVERIFY(target - engine.firstIndex >= engine.window.size / 2 - engine.window.step);
    const EventNode* selected = selectedEvent(window);
    QVERIFY(selected);
    // The selected event spans the clicked time, in the bin whose first event was the target.
    QVERIFY(selected->record.index >= target);
    QCOMPARE(summary.binOf(selected->record.timestamp), summary.binOf(clicked));
    // The cursor line stands on the clicked time.
    const TimeBase& timeBase = window.presentation().timeBase;
    const std::optional<ViewWindow> view = window.timeline().viewWindow();
    QVERIFY(view);
    const uint64_t clickedNs = TicksToNs(timeBase, clicked);
    QVERIFY(view->startNs <= clickedNs && clickedNs <= view->startNs + view->spanNs);
    // No summary dialog for a move: the user is only looking around.
    QCOMPARE(fixture.log->summaries.size(), 1);

    // And back to the start through the checkpoints: the first window again.
    clickStrip(window, 0.0);
    QVERIFY(fixture.waitForIdle());
    QCOMPARE(engine.firstIndex, 0u);
    QCOMPARE(summary.binOf(selectedEvent(window)->record.timestamp),
             summary.binOf(scale.ticksAt(0)));
}

void OverviewTest::clickInsideTheLoadedWindowOnlyCentresTheView() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    window.show();
    QVERIFY(!window.sampleFiles().isEmpty());
    QVERIFY(fixture.open(window.sampleFiles().value(0)));
    const uint32_t first = window.engine().firstIndex;
    clickStrip(window, 0.5);
    QVERIFY(!window.passRunning());
    QCOMPARE(window.engine().firstIndex, first);
    const OverviewScale scale = window.overviewStrip().scale();
    const uint64_t clicked = scale.ticksAt(int(0.5 * window.overviewStrip().width()));
    // The event that spans the clicked time is selected, the cursor line on that time.
    const TimeBase& timeBase = window.presentation().timeBase;
    const uint64_t clickedNs = TicksToNs(timeBase, clicked);
    const EventNode* selected = selectedEvent(window);
    QVERIFY(selected);
    QVERIFY(TicksToNs(timeBase, selected->record.timestamp) <= clickedNs);
    QVERIFY(!selected->next || TicksToNs(timeBase, selected->next->record.timestamp) > clickedNs);
    QCOMPARE(window.timeline().cursorTimeNs().value_or(0) +
                 uint64_t(window.timeline().scrollOffset()),
             clickedNs);
}

void OverviewTest::menuItemShowsAndHidesTheStripAndIsKept() {
    WindowFixture fixture;
    {
        KavrinMainWindow& window = *fixture.window;
        window.show();
        QAction* item = window.actions().recordingOverview;
        QCOMPARE(item->text(), QStringLiteral("Recording &Overview"));
        QVERIFY(item->isCheckable() && item->isChecked());
        const int timelineHeight = window.timeView().height();
        item->trigger();
        QVERIFY(!window.overviewStrip().isVisible());
        QVERIFY(window.timeView().height() >= timelineHeight);
        window.SaveSettings();
    }
    QSettings file(fixture.settingsPath(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("Window/RecordingOverview")).toBool(), false);
    WindowFixture again({}, fixture.settingsPath());
    again.window->LoadSettings();
    again.window->show();
    QVERIFY(!again.window->actions().recordingOverview->isChecked());
    QVERIFY(!again.window->overviewStrip().isVisible());
}

void OverviewTest::clickWithoutRecordingSaysSo() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    window.show();
    clickStrip(window, 0.5);
    QCOMPARE(window.statusBar()->currentMessage(),
             QStringLiteral("There is no recording to move through."));
}

} // namespace
} // namespace kavrin

QTEST_MAIN(kavrin::OverviewTest)
#include "OverviewTest.moc"
