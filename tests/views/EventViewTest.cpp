#include "views/EventView.h"
#include "ViewsHarness.h"
#include "presentation/models/EventModel.h"

#include <QHeaderView>
#include <QTest>

namespace kavrin {

// The event list over the 14 events of the small recording.
struct EventList {
    EventList() : model(fixture.engine(), fixture.presentation) {
        view.setModel(&model);
        view.resize(600, 200);
        view.show();
        view.setCurrentIndex(model.index(5, 2));
    }
    int row() const { return view.currentIndex().row(); }
    void press(Qt::Key key) { QTest::keyClick(&view, key); }

    test::ViewsFixture fixture{test::smallRecording()};
    EventModel model;
    EventView view;
};

class EventViewTest : public QObject {
    Q_OBJECT
private slots:
    void keysMoveThroughRowsAndLeftRightStepTheTimeline();
    void rowsAreUniformAndWholeRowsAreSelected();
};

void EventViewTest::keysMoveThroughRowsAndLeftRightStepTheTimeline() {
    EventList list;
    QCOMPARE(list.model.rowCount(), 14);
    list.press(Qt::Key_End);
    QCOMPARE(list.row(), 13);
    list.press(Qt::Key_Up);
    QCOMPARE(list.row(), 12);
    list.press(Qt::Key_Home);
    QCOMPARE(list.row(), 0);
    list.press(Qt::Key_Down);
    QCOMPARE(list.row(), 1);
    // Left and Right leave the row and the column alone.
    std::vector<int> steps;
    list.view.stepTimeline = [&steps](int direction) { steps.push_back(direction); };
    const QModelIndex before = list.view.currentIndex();
    list.press(Qt::Key_Right);
    list.press(Qt::Key_Left);
    QCOMPARE(steps, (std::vector<int>{1, -1}));
    QCOMPARE(list.view.currentIndex(), before);
}

void EventViewTest::rowsAreUniformAndWholeRowsAreSelected() {
    EventList list;
    QCOMPARE(list.view.rowHeight(0), EventModel::RowHeight);
    QCOMPARE(list.view.rowHeight(13), EventModel::RowHeight);
    QVERIFY(!list.view.verticalHeader()->isVisible());
    QVERIFY(list.view.horizontalHeader()->stretchLastSection());
    // A click in one cell selects the event's row, and only that.
    const QRect cell = list.view.visualRect(list.model.index(3, 1));
    QTest::mouseClick(list.view.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(list.row(), 3);
    const QModelIndexList rows = list.view.selectionModel()->selectedRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].row(), 3);
    QCOMPARE(list.view.selectionModel()->selectedIndexes().size(), EventColumnCount);
}

} // namespace kavrin

QTEST_MAIN(kavrin::EventViewTest)
#include "EventViewTest.moc"
