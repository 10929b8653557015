// The timeline's zoom and cursor, the CPU load view's bins and the label column's width.
#include "app/KavrinMainWindow.h"

#include "views/LoadView.h"
#include "views/TimelineState.h"
#include "views/ZoomLevels.h"

#include <QAction>
#include <QComboBox>

namespace kavrin {

void KavrinMainWindow::selectZoom(int index) {
    timeline_->setZoomRow(index);
}

// The menu check mark and the combo box follow the timeline's zoom row.
void KavrinMainWindow::showZoom(int index) {
    actions_.zoomLevels[index]->setChecked(true);
    if (zoomCombo_->currentIndex() != index)
        zoomCombo_->setCurrentIndex(index);
}

void KavrinMainWindow::OnSetZoom() {
    for (int index = 0; index < ZoomLevelCount; ++index)
        if (actions_.zoomLevels[index]->isChecked()) {
            selectZoom(index);
            return;
        }
}

void KavrinMainWindow::OnZoomChanged(int index) {
    selectZoom(index);
}

void KavrinMainWindow::zoomIn() {
    timeline_->zoomIn();
}

void KavrinMainWindow::zoomOut() {
    timeline_->zoomOut();
}

// Every way of choosing the cursor ends here, the timeline's own included (it has then
// moved already), so that menu, combo box and settings agree.
void KavrinMainWindow::setCursor(int position) {
    if (position < 1 || position > CursorPositionCount)
        return;
    timeline_->setCursorPosition(position);
    settings_.events.cursorPosition = position;
    actions_.cursorPositions[position - 1]->setChecked(true);
    if (cursorCombo_->currentIndex() != position - 1)
        cursorCombo_->setCurrentIndex(position - 1);
}

void KavrinMainWindow::OnSetCursor(int index) {
    setCursor(index + 1);
}

void KavrinMainWindow::CursorPos10() {
    setCursor(1);
}
void KavrinMainWindow::CursorPos20() {
    setCursor(2);
}
void KavrinMainWindow::CursorPos30() {
    setCursor(3);
}
void KavrinMainWindow::CursorPos40() {
    setCursor(4);
}
void KavrinMainWindow::CursorPos50() {
    setCursor(5);
}
void KavrinMainWindow::CursorPos60() {
    setCursor(6);
}
void KavrinMainWindow::CursorPos70() {
    setCursor(7);
}
void KavrinMainWindow::CursorPos80() {
    setCursor(8);
}
void KavrinMainWindow::CursorPos90() {
    setCursor(9);
}

void KavrinMainWindow::set1Bin() {
    loadView_->setBinCount(1);
}
void KavrinMainWindow::set10Bins() {
    loadView_->setBinCount(10);
}
void KavrinMainWindow::set50Bins() {
    loadView_->setBinCount(50);
}
void KavrinMainWindow::set100Bins() {
    loadView_->setBinCount(100);
}
void KavrinMainWindow::set200Bins() {
    loadView_->setBinCount(200);
}

void KavrinMainWindow::headerSizeChange(int section, int oldSize, int newSize) {
    Q_UNUSED(oldSize);
    if (section == 0)
        timeline_->setNameColumnWidth(newSize);
}

} // namespace kavrin
