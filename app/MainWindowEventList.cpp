// The event list's options: the event class filters, auto-scroll and how times are shown.
#include "app/KavrinMainWindow.h"

#include "presentation/models/EventModel.h"

#include <QAction>

namespace kavrin {

namespace {

// The filter classes in menu order: APIs, ISRs, Messages, System Events, Tasks, User Events.
constexpr std::array<EventClass, FilterCount> MenuFilterClasses{
    EventClass::Api,    EventClass::Interrupt, EventClass::Message,
    EventClass::System, EventClass::Task,      EventClass::User,
};

} // namespace

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

} // namespace kavrin
