#include "app/AppIcons.h"

#include "presentation/models/IconSet.h"

#include <array>

// The icons are compiled into the window's static library; register them explicitly.
static void registerAppIcons() {
    Q_INIT_RESOURCE(appicons);
}

namespace kavrin {

namespace {

constexpr int IconCount = int(AppIcon::StatusRecording) + 1;
constexpr std::array<const char*, IconCount> IconFiles{
    "zoom_in",         "zoom_out",      "record_start",     "record_stop", "record_read",
    "window_events",   "window_system", "window_time",      "window_load", "window_contexts",
    "window_terminal", "window_log",    "status_recording",
};

IconSet& appIcons() {
    static IconSet icons(registerAppIcons, ":/app/", IconFiles);
    return icons;
}

} // namespace

void decodeAppIcons() {
    appIcons().decode();
}

const QIcon& appIcon(AppIcon icon) {
    return appIcons().icon(size_t(icon));
}

} // namespace kavrin
