// View options: zoom, cursor, event filters, time display and the panes.
#include "app/KavrinMainWindow.h"

#include "app/PaneWidget.h"
#include "presentation/models/EventModel.h"
#include "views/EventView.h"
#include "views/OverviewStrip.h"
#include "views/TimeView.h"
#include "views/TimelineState.h"
#include "views/ZoomLevels.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

namespace kavrin {

namespace {

// The filter classes in menu order: APIs, ISRs, Messages, System Events, Tasks, User Events.
constexpr std::array<EventClass, FilterCount> MenuFilterClasses{
    EventClass::Api,    EventClass::Interrupt, EventClass::Message,
    EventClass::System, EventClass::Task,      EventClass::User,
};

} // namespace

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

void KavrinMainWindow::applyFilterChecks() {
    for (int i = 0; i < FilterCount; ++i)
        actions_.showFilter[size_t(i)]->setChecked(
            engine_.store.classShown(MenuFilterClasses[size_t(i)]));
}

// `shown` in menu order.
void KavrinMainWindow::setFilters(const std::array<bool, FilterCount>& shown) {
    for (int i = 0; i < FilterCount; ++i)
        engine_.store.setClassShown(MenuFilterClasses[size_t(i)], shown[size_t(i)]);
    engine_.store.rebuildFilter();
    applyFilterChecks();
    eventModel_->storeReset();
}

void KavrinMainWindow::toggleFilter(EventClass eventClass) {
    std::array<bool, FilterCount> shown{};
    for (int i = 0; i < FilterCount; ++i) {
        const EventClass menuClass = MenuFilterClasses[size_t(i)];
        shown[size_t(i)] = engine_.store.classShown(menuClass) != (menuClass == eventClass);
    }
    setFilters(shown);
}

void KavrinMainWindow::onlyFilter(EventClass eventClass) {
    std::array<bool, FilterCount> shown{};
    for (int i = 0; i < FilterCount; ++i)
        shown[size_t(i)] = MenuFilterClasses[size_t(i)] == eventClass;
    setFilters(shown);
}

void KavrinMainWindow::isrFilterToggled() {
    toggleFilter(EventClass::Interrupt);
}
void KavrinMainWindow::taskFilterToggled() {
    toggleFilter(EventClass::Task);
}
void KavrinMainWindow::apiFilterToggled() {
    toggleFilter(EventClass::Api);
}
void KavrinMainWindow::userFilterToggled() {
    toggleFilter(EventClass::User);
}
void KavrinMainWindow::messageFilterToggled() {
    toggleFilter(EventClass::Message);
}
void KavrinMainWindow::systemFilterToggled() {
    toggleFilter(EventClass::System);
}
// There is no custom filter.
void KavrinMainWindow::customFilterToggled() {}
void KavrinMainWindow::isrOnlyFilterTriggered() {
    onlyFilter(EventClass::Interrupt);
}
void KavrinMainWindow::taskOnlyFilterTriggered() {
    onlyFilter(EventClass::Task);
}
void KavrinMainWindow::apiOnlyFilterTriggered() {
    onlyFilter(EventClass::Api);
}
void KavrinMainWindow::userOnlyFilterTriggered() {
    onlyFilter(EventClass::User);
}
void KavrinMainWindow::messageOnlyFilterTriggered() {
    onlyFilter(EventClass::Message);
}
void KavrinMainWindow::systemOnlyFilterTriggered() {
    onlyFilter(EventClass::System);
}
void KavrinMainWindow::noFilterTriggered() {
    setFilters({true, true, true, true, true, true});
}

void KavrinMainWindow::AutoScrollToggled() {
    settings_.events.autoScroll = !settings_.events.autoScroll;
    actions_.autoScroll->setChecked(settings_.events.autoScroll);
}

void KavrinMainWindow::setResolution(int resolution) {
    presentation_.display.resolution = resolution;
    settings_.events.precision = unsigned(resolution);
    actions_.resolutions[size_t(resolution - Resolution1us)]->setChecked(true);
    eventModel_->refresh();
}

void KavrinMainWindow::resolution1us() {
    setResolution(Resolution1us);
}
void KavrinMainWindow::resolution100ns() {
    setResolution(Resolution100ns);
}
void KavrinMainWindow::resolution10ns() {
    setResolution(Resolution10ns);
}
void KavrinMainWindow::resolution1ns() {
    setResolution(Resolution1ns);
}

void KavrinMainWindow::OnToggleResolution(bool on) {
    setResolution(on ? Resolution1us : Resolution1ns);
}

void KavrinMainWindow::OnToggleSystemTime(bool on) {
    presentation_.display.systemTime = on;
    settings_.events.displaySystemTime = on;
    eventModel_->refresh();
}

void KavrinMainWindow::showPane(Pane which, bool shown) {
    panes_[size_t(which)]->setVisible(shown);
    QAction* action = actions_.panes[size_t(which)];
    if (action->isChecked() != shown) {
        const QSignalBlocker blocker(action);
        action->setChecked(shown);
    }
}

void KavrinMainWindow::togglePane(Pane which) {
    showPane(which, panes_[size_t(which)]->isHidden());
}

void KavrinMainWindow::eventToggled() {
    togglePane(Pane::Events);
}
void KavrinMainWindow::systeminfoToggled() {
    togglePane(Pane::SystemInfo);
}
void KavrinMainWindow::timeToggled() {
    togglePane(Pane::Time);
}
void KavrinMainWindow::loadToggled() {
    togglePane(Pane::Load);
}
void KavrinMainWindow::taskToggled() {
    togglePane(Pane::Contexts);
}
void KavrinMainWindow::messageToggled() {
    togglePane(Pane::Messages);
}
void KavrinMainWindow::logToggled() {
    togglePane(Pane::Log);
}
// There is no separate interrupt view.
void KavrinMainWindow::isrToggled() {}

void KavrinMainWindow::statusbarToggled(bool on) {
    statusBar()->setVisible(on);
}

void KavrinMainWindow::overviewToggled(bool on) {
    overviewStrip_->setVisible(on);
}

void KavrinMainWindow::toolbarToggled(bool on) {
    if (auto* bar = findChild<QToolBar*>(QStringLiteral("Standard")))
        bar->setVisible(on);
}

void KavrinMainWindow::headerSizeChange(int section, int oldSize, int newSize) {
    Q_UNUSED(oldSize);
    if (section == 0)
        timeline_->setNameColumnWidth(newSize);
}

void KavrinMainWindow::OnShowMenuGo() {
    const QStringList texts = timeView_->goMenuTexts();
    const std::array<QAction*, 4> items{actions_.next, actions_.previous, actions_.nextSibling,
                                        actions_.previousSibling};
    for (size_t i = 0; i < items.size() && i < size_t(texts.size()); ++i)
        items[i]->setText(texts[qsizetype(i)]);
}

} // namespace kavrin
