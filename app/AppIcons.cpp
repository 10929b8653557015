#include "app/AppIcons.h"

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

} // namespace

const QIcon& appIcon(AppIcon icon) {
    static const bool registered = (registerAppIcons(), true);
    Q_UNUSED(registered);
    static std::array<QIcon, IconCount> icons;
    QIcon& decoded = icons[size_t(icon)];
    if (decoded.isNull())
        decoded = QIcon(QStringLiteral(":/app/") + QLatin1String(IconFiles[size_t(icon)]) +
                        QStringLiteral(".png"));
    return decoded;
}

} // namespace kavrin
