#pragma once

#include <QIcon>

namespace kavrin {

enum class AppIcon {
    ZoomIn,
    ZoomOut,
    RecordStart,
    RecordStop,
    RecordRead,
    WindowEvents,
    WindowSystem,
    WindowTime,
    WindowLoad,
    WindowContexts,
    WindowTerminal,
    WindowLog,
    StatusRecording,
};

// Decoded on first use, once per icon.
const QIcon& appIcon(AppIcon icon);

} // namespace kavrin
