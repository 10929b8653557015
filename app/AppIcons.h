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

const QIcon& appIcon(AppIcon icon);
// Decodes the images of all window icons now, on any thread (see IconSet).
void decodeAppIcons();

} // namespace kavrin
