#pragma once

#include "app/AppSettings.h"

#include <QList>

#include <array>

class QAction;
class QActionGroup;
class QMenu;

namespace kavrin {

inline constexpr int RecentFileSlots = 10;
inline constexpr int FilterCount = 6;

// The window's commands. Filter actions are in menu order: APIs, ISRs, Messages, System
// Events, Tasks, User Events.
struct MainWindowActions {
    QAction* load = nullptr;
    QAction* save = nullptr;
    QAction* properties = nullptr;
    QAction* exit = nullptr;
    std::array<QAction*, RecentFileSlots> recentFiles{};
    std::array<QAction*, RecentFileSlots> sampleFiles{};

    QAction* toggleReference = nullptr;
    QAction* clearReferences = nullptr;
    QAction* zoomIn = nullptr;
    QAction* zoomOut = nullptr;
    QList<QAction*> zoomLevels; // 22, checkable, exclusive
    QActionGroup* zoomGroup = nullptr;
    QList<QAction*> cursorPositions; // 9, checkable, exclusive
    QList<QAction*> cpuLoadBins;     // Single Bin .. 200 Bins
    std::array<QAction*, FilterCount> showFilter{};
    std::array<QAction*, FilterCount> onlyFilter{};
    QAction* resetFilters = nullptr;
    QAction* displayTargetTime = nullptr;
    QAction* displayRecordingTime = nullptr;
    std::array<QAction*, 4> resolutions{}; // 1 us, 100 ns, 10 ns, 1 ns
    QAction* autoScroll = nullptr;
    QAction* messageIndicators = nullptr;

    QAction* forward = nullptr;
    QAction* back = nullptr;
    QAction* next = nullptr;
    QAction* previous = nullptr;
    QAction* nextSibling = nullptr;
    QAction* previousSibling = nullptr;
    QAction* goToEvent = nullptr;
    QAction* goToTimestamp = nullptr;
    QAction* scrollBack = nullptr;
    QAction* scrollForward = nullptr;

    QAction* startRecording = nullptr;
    QAction* stopRecording = nullptr;
    QAction* readRecordedData = nullptr;
    QAction* preferences = nullptr;

    std::array<QAction*, PaneCount> panes{}; // in Pane order
    QAction* statusBar = nullptr;
    QAction* recordingOverview = nullptr;
    QAction* toolBar = nullptr;
    QAction* manual = nullptr;
    QAction* about = nullptr;

    QMenu* goMenu = nullptr;
};

} // namespace kavrin
