// Reading and writing the settings file.
#include "app/KavrinMainWindow.h"

#include "app/PaneWidget.h"
#include "presentation/InstalledPlaces.h"
#include "presentation/models/EventModel.h"
#include "views/TimeView.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSplitter>

namespace kavrin {

namespace {
constexpr std::array<const char*, 4> SampleNames{"ControlLoop", "BusySystem", "ApiAndLog",
                                                 "Overflows"};
}

QStringList KavrinMainWindow::existingSamples() const {
    QStringList samples;
    for (const char* name : SampleNames) {
        const QString file = QStringLiteral("/Sample/") + QLatin1String(name) + ".KVDat";
        // Beside the program, else where an installation puts it.
        for (const QString& folder :
             {options_.applicationDir, installedDataDir(options_.applicationDir)}) {
            const QFileInfo sample(folder + file);
            if (sample.exists()) {
                samples.append(sample.canonicalFilePath());
                break;
            }
        }
    }
    return samples;
}

void KavrinMainWindow::gatherSettings() {
    WindowSettings& window = settings_.window;
    window.size = size();
    window.position = pos();
    for (int pane = 0; pane < PaneCount; ++pane)
        window.panesShown[size_t(pane)] = !panes_[size_t(pane)]->isHidden();
    window.rowHeights = columnSplitter_->sizes();
    for (int row = 0; row < SplitterRowCount; ++row)
        window.paneWidths[size_t(row)] = rowSplitters_[size_t(row)]->sizes();
    window.recordingOverview = actions_.recordingOverview->isChecked();
    settings_.preferences.logLevel = log_.level();
}

void KavrinMainWindow::SaveSettings() {
    gatherSettings();
    QSettings file(options_.settingsPath, QSettings::IniFormat);
    writeSettings(file, settings_);
}

void KavrinMainWindow::LoadSettings() {
    QSettings file(options_.settingsPath, QSettings::IniFormat);
    const EventListSettings before = settings_.events;
    const ReadResult read = readSettings(file, settings_);
    applySettings(read);
    const EventListSettings& events = settings_.events;
    if (events.showIsrs != before.showIsrs || events.showApis != before.showApis ||
        events.showUserEvents != before.showUserEvents || events.showTasks != before.showTasks) {
        engine_.store.setClassShown(EventClass::Interrupt, events.showIsrs);
        engine_.store.setClassShown(EventClass::Api, events.showApis);
        engine_.store.setClassShown(EventClass::User, events.showUserEvents);
        engine_.store.setClassShown(EventClass::Task, events.showTasks);
        engine_.store.rebuildFilter();
        applyFilterChecks();
        eventModel_->storeReset();
    }
}

void KavrinMainWindow::applySettings(const ReadResult& read) {
    const WindowSettings& window = settings_.window;
    resize(window.size);
    if (read.positionStored && window.position)
        move(*window.position);
    for (int pane = 0; pane < PaneCount; ++pane)
        showPane(Pane(pane), window.panesShown[size_t(pane)]);
    columnSplitter_->setSizes(window.rowHeights);
    for (int row = 0; row < SplitterRowCount; ++row)
        rowSplitters_[size_t(row)]->setSizes(window.paneWidths[size_t(row)]);
    actions_.recordingOverview->setChecked(window.recordingOverview);

    const EventListSettings& events = settings_.events;
    actions_.autoScroll->setChecked(events.autoScroll);
    setResolution(int(events.precision));
    if (events.displaySystemTime)
        actions_.displayTargetTime->setChecked(true);
    else
        actions_.displayRecordingTime->setChecked(true);
    presentation_.display.systemTime = events.displaySystemTime;
    setCursor(events.cursorPosition);

    if (!read.recentFilesStored) {
        settings_.recentFiles = existingSamples();
        firstStart_ = true;
    }
    applyPreferences();
}

void KavrinMainWindow::applyPreferences() {
    log_.setLevel(settings_.preferences.logLevel);
    const TimelinePreferences& timeline = settings_.preferences.timeline;
    const bool indicatorsChanged =
        TimelineIndicators(viewOptions_.preferences) != TimelineIndicators(timeline);
    viewOptions_.preferences = timeline;
    // The lane image is keyed by the indicators: it is rendered anew only when they changed.
    if (indicatorsChanged)
        timeView_->update();
}

void KavrinMainWindow::ImportSettings() {
    const std::optional<QString> previous = previousSettingsFile(options_.settingsPath);
    if (!previous)
        return;
    const QString question = QStringLiteral("This is the first time you are running this version "
                                            "of Kavrin.\n\nImport settings of previous version%1?")
                                 .arg(settingsFileVersion(*previous));
    if (!prompts.askYesNo(question))
        return;
    if (!importSettingsFile(*previous, options_.settingsPath))
        log_.error(QStringLiteral("Cannot import the settings file %1.").arg(*previous));
}

void KavrinMainWindow::ClearSettings() {
    {
        QSettings file(options_.settingsPath, QSettings::IniFormat);
        file.clear();
    }
    LoadSettings();
    UpdateMRUFiles({});
}

} // namespace kavrin
