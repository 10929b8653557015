#pragma once

#include "views/CpuLoadBins.h"
#include "views/LaneRenderer.h"
#include "views/ZoomLevels.h"

namespace kavrin {

inline constexpr int DefaultNameColumnWidth = 180;

// The view options the main window shares with the timeline and CPU load views.
struct ViewOptions {
    int zoomRow = DefaultZoom;
    int cursorPosition = DefaultCursorPosition; // 1..9: cursor at 10 x position percent
    int nameColumnWidth = DefaultNameColumnWidth;
    int cpuLoadBins = DefaultBinCount;
    TimelinePreferences preferences;
};

} // namespace kavrin
