#include "views/LoadView.h"
#include "ViewWidgetsHarness.h"

#include <QTest>

namespace kavrin {
namespace {

using test::Alpha;
using test::Beta;
using test::inGradient;
using test::smallViews;
using test::Views;

} // namespace

class LoadViewTest : public QObject {
    Q_OBJECT
private slots:
    void loadViewStacksSharesOfTheWindow();
    void loadViewWithoutEventsDrawsOnlyLabels();
    void recordingWithoutDurationHasNoLoad();
};

void LoadViewTest::loadViewStacksSharesOfTheWindow() {
    auto views = smallViews();
    views->state.setZoomRow(FullRecordingZoom);
    views->time.selectionChanged(3); // the window is the whole 1300 ns
    views->load.setBinCount(1);
    const QImage image = views->load.grab().toImage();
    const QRect contents = views->load.contentsRect();
    const int x = contents.left() + views->options.nameColumnWidth + 100;
    // Beta (the last list row) ran 300 of 1300 ns and sits at the bottom.
    const int betaHeight = int(300.0 * contents.height() / 1300.0);
    const ColourScheme beta = colourScheme(0xF00, Beta);
    QVERIFY(inGradient(image.pixel(x, contents.bottom() - 1), beta));
    QVERIFY(inGradient(image.pixel(x, contents.bottom() - betaHeight + 3), beta));
    QVERIFY(!inGradient(image.pixel(x, contents.bottom() - betaHeight - 3), beta));
    // Idle's share is left empty at the top.
    const QColor base = views->load.palette().color(QPalette::Base);
    QCOMPARE(QColor(image.pixel(x, contents.top() + 5)), base);
    QCOMPARE(views->load.bins().outcome, CpuLoadBins::Outcome::Ready);
}

void LoadViewTest::loadViewWithoutEventsDrawsOnlyLabels() {
    Views views{StreamWriter()};
    const QImage image = views.load.grab().toImage();
    const QRect contents = views.load.contentsRect();
    const QColor base = views.load.palette().color(QPalette::Base);
    int drawn = 0;
    for (int y = contents.top(); y <= contents.bottom(); ++y)
        for (int x = contents.left() + views.options.nameColumnWidth + 1; x <= contents.right();
             ++x)
            drawn += QColor(image.pixel(x, y)) != base;
    QCOMPARE(drawn, 0);
    QCOMPARE(views.state.viewWindow().has_value(), false);
}

void LoadViewTest::recordingWithoutDurationHasNoLoad() {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
    w.taskRun(Alpha, 0);
    Views views(w);
    views.time.selectionChanged(2);
    views.state.setZoomRow(FullRecordingZoom);
    QCOMPARE(views.state.window().spanNs, 0ull);
    views.load.grab();
    QCOMPARE(views.load.bins().outcome, CpuLoadBins::Outcome::NoDuration);
    QVERIFY(!views.time.grab().isNull()); // paints without dividing by zero
}

} // namespace kavrin

QTEST_MAIN(kavrin::LoadViewTest)
#include "LoadViewTest.moc"
