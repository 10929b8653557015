#pragma once

#include "recorder/ConnectionSettings.h"
#include "views/ViewOptions.h"

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QSettings;

namespace kavrin {

// The panes in the order of the Window group.
enum class Pane { Events, SystemInfo, Time, Load, Contexts, Messages, Log };
inline constexpr int PaneCount = 7;
inline constexpr int SplitterRowCount = 5;

struct WindowSettings {
    QSize size{1100, 800};
    std::optional<QPoint> position; // none: placed by the window system
    std::array<bool, PaneCount> panesShown{true, false, true, true, true, true, false};
    bool recordingOverview = true; // the overview strip above the timeline
    QList<int> rowHeights{250, 300, 200, 200};
    std::array<QList<int>, SplitterRowCount> paneWidths{QList<int>{640, 400}, QList<int>{1040},
                                                        QList<int>{1040}, QList<int>{720, 320},
                                                        QList<int>{1040}};
    bool operator==(const WindowSettings&) const = default;
};

struct EventListSettings {
    // Read only: applied when present, never written.
    bool showIsrs = true;
    bool showApis = true;
    bool showUserEvents = true;
    bool showTasks = true;
    unsigned precision = 7;

    bool autoScroll = true;
    bool displaySystemTime = false;
    int cursorPosition = 2;
    bool operator==(const EventListSettings&) const = default;
};

// The ranges the Preferences dialog offers.
inline constexpr int IndicatorLevelCount = 4; // "All Messages" .. "None"
inline constexpr int IndicatorZoomNever = 21; // after the zoom rows "View 10us" .. "View 60s"
inline constexpr int MinRequestPeriod = 1;    // seconds between requests to the target
inline constexpr int MaxRequestPeriod = 86400;

struct Preferences {
    bool loadDataOnStart = true;
    bool saveRecordProperties = true;
    unsigned logLevel = 3;
    TimelinePreferences timeline; // what the timeline draws and how its wheel acts
    int sysDescFreq = 5;
    int taskListFreq = 30;
    int sysTimeFreq = 60;
    bool requestModules = true;
    // Dialogs group.
    bool showSystemInfoDialog = true;
    bool showRecordingPropertiesDialog = true;
    std::array<bool, 2> dialogSuppressed{false, false};
    bool operator==(const Preferences&) const = default;
};

// Every value the settings file keeps.
struct AppSettings {
    WindowSettings window;
    ConnectionSettings connection;
    EventListSettings events;
    QStringList recentFiles; // newest first
    Preferences preferences;
    bool operator==(const AppSettings&) const = default;
};

inline constexpr char SettingsOrganisation[] = "Norvan";
inline constexpr char SettingsApplication[] = "Norvan Kavrin V2.37a";

// This version's settings file in the user's configuration folder (honours XDG_CONFIG_HOME).
QString defaultSettingsPath();

// Writes every key but the read-only ones, group by group.
void writeSettings(QSettings& file, const AppSettings& settings);

struct ReadResult {
    bool positionStored = false;
    bool recentFilesStored = false; // false: the first start of this version
};
// Reads every key with the value in `settings` as its default. Recent files that no longer
// exist are dropped.
ReadResult readSettings(QSettings& file, AppSettings& settings);

// The previous version's settings file that a first start of this version offers to import:
// the last "Norvan Kavrin V*.ini" beside `ownPath` in name order, other than `ownPath` itself.
// None when `ownPath` already holds Window/Size or there is no other file.
std::optional<QString> previousSettingsFile(const QString& ownPath);
// " V2.36b" for "Norvan Kavrin V2.36b.ini"; empty when the name does not parse.
QString settingsFileVersion(const QString& fileName);
// Replaces `ownPath` by a copy of `previousPath`.
bool importSettingsFile(const QString& previousPath, const QString& ownPath);

} // namespace kavrin
