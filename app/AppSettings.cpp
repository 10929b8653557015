#include "app/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace kavrin {

namespace {

// A missing key or one that does not read as the key's type keeps the current value.
void read(QSettings& file, const char* key, bool& value) {
    const QVariant stored = file.value(QLatin1String(key));
    if (stored.isValid())
        value = stored.toBool();
}

void read(QSettings& file, const char* key, int& value) {
    bool ok = false;
    const int stored = file.value(QLatin1String(key)).toInt(&ok);
    if (ok)
        value = stored;
}

void read(QSettings& file, const char* key, unsigned& value) {
    bool ok = false;
    const unsigned stored = file.value(QLatin1String(key)).toUInt(&ok);
    if (ok)
        value = stored;
}

void read(QSettings& file, const char* key, QString& value) {
    const QVariant stored = file.value(QLatin1String(key));
    if (stored.isValid())
        value = stored.toString();
}

void read(QSettings& file, const char* key, QSize& value) {
    const QVariant stored = file.value(QLatin1String(key));
    if (stored.canConvert<QSize>() && stored.toSize().isValid())
        value = stored.toSize();
}

// A value of the Preferences dialog's choices (0..highest) or spin boxes; one it cannot show
// keeps the current value.
template <typename Number>
void readChoice(QSettings& file, const char* key, Number& value, int highest) {
    int stored = int(value);
    read(file, key, stored);
    if (stored >= 0 && stored <= highest)
        value = Number(stored);
}

void readPeriod(QSettings& file, const char* key, int& seconds) {
    int stored = seconds;
    read(file, key, stored);
    if (stored >= MinRequestPeriod && stored <= MaxRequestPeriod)
        seconds = stored;
}

void writeSizes(QSettings& file, const QString& name, const QList<int>& sizes) {
    file.beginWriteArray(name, int(sizes.size()));
    for (int i = 0; i < sizes.size(); ++i) {
        file.setArrayIndex(i);
        file.setValue(QStringLiteral("Size"), sizes[i]);
    }
    file.endArray();
}

// An empty array keeps the current sizes.
void readSizes(QSettings& file, const QString& name, QList<int>& sizes) {
    const int count = file.beginReadArray(name);
    QList<int> stored;
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        bool ok = false;
        const int size = file.value(QStringLiteral("Size")).toInt(&ok);
        if (ok)
            stored.append(size);
    }
    file.endArray();
    if (!stored.isEmpty())
        sizes = stored;
}

constexpr std::array<const char*, PaneCount> PaneKeys{
    "EventsWindow",  "SystemInfoWindow", "TimeWindow", "LoadWindow",
    "ContextWindow", "MessageWindow",    "LogWindow",
};

QString rowKey(int row) {
    return QStringLiteral("Row%1").arg(row);
}

void writeWindow(QSettings& file, const WindowSettings& window) {
    file.beginGroup(QStringLiteral("Window"));
    file.setValue(QStringLiteral("Size"), window.size);
    if (window.position)
        file.setValue(QStringLiteral("Position"), *window.position);
    for (int pane = 0; pane < PaneCount; ++pane)
        file.setValue(QLatin1String(PaneKeys[size_t(pane)]), window.panesShown[size_t(pane)]);
    file.setValue(QStringLiteral("RecordingOverview"), window.recordingOverview);
    writeSizes(file, QStringLiteral("Col0"), window.rowHeights);
    for (int row = 0; row < SplitterRowCount; ++row)
        writeSizes(file, rowKey(row), window.paneWidths[size_t(row)]);
    file.endGroup();
}

bool readWindow(QSettings& file, WindowSettings& window) {
    file.beginGroup(QStringLiteral("Window"));
    read(file, "Size", window.size);
    const QVariant position = file.value(QStringLiteral("Position"));
    const bool positionStored = position.canConvert<QPoint>();
    if (positionStored)
        window.position = position.toPoint();
    for (int pane = 0; pane < PaneCount; ++pane)
        read(file, PaneKeys[size_t(pane)], window.panesShown[size_t(pane)]);
    read(file, "RecordingOverview", window.recordingOverview);
    readSizes(file, QStringLiteral("Col0"), window.rowHeights);
    for (int row = 0; row < SplitterRowCount; ++row)
        readSizes(file, rowKey(row), window.paneWidths[size_t(row)]);
    file.endGroup();
    return positionStored;
}

void writeConnection(QSettings& file, const ConnectionSettings& connection) {
    file.beginGroup(QStringLiteral("Vantar"));
    file.setValue(QStringLiteral("HostIF"), connection.hostInterface);
    file.setValue(QStringLiteral("SN"), connection.serialNumber);
    file.setValue(QStringLiteral("Host"), connection.host);
    file.setValue(QStringLiteral("Interface"), connection.targetInterface);
    file.setValue(QStringLiteral("Speed"), connection.speed);
    file.setValue(QStringLiteral("Device"), connection.device);
    file.setValue(QStringLiteral("SearchRange"), connection.searchRange);
    file.setValue(QStringLiteral("SearchAddress"), connection.searchAddress);
    file.endGroup();
}

void readConnection(QSettings& file, ConnectionSettings& connection) {
    file.beginGroup(QStringLiteral("Vantar"));
    read(file, "HostIF", connection.hostInterface);
    unsigned serialNumber = connection.serialNumber;
    read(file, "SN", serialNumber);
    connection.serialNumber = serialNumber;
    read(file, "Host", connection.host);
    read(file, "Interface", connection.targetInterface);
    read(file, "Speed", connection.speed);
    read(file, "Device", connection.device);
    read(file, "SearchRange", connection.searchRange);
    read(file, "SearchAddress", connection.searchAddress);
    file.endGroup();
}

void writeEvents(QSettings& file, const EventListSettings& events) {
    file.beginGroup(QStringLiteral("Event"));
    file.setValue(QStringLiteral("AutoScroll"), events.autoScroll);
    file.setValue(QStringLiteral("DisplaySystemTime"), events.displaySystemTime);
    file.setValue(QStringLiteral("CursorPosition"), events.cursorPosition);
    file.endGroup();
}

void readEvents(QSettings& file, EventListSettings& events) {
    file.beginGroup(QStringLiteral("Event"));
    read(file, "ShowISRs", events.showIsrs);
    read(file, "ShowAPIs", events.showApis);
    read(file, "ShowUserEvents", events.showUserEvents);
    read(file, "ShowTasks", events.showTasks);
    read(file, "AutoScroll", events.autoScroll);
    unsigned precision = events.precision;
    read(file, "Precision", precision);
    if (precision >= 6 && precision <= 9)
        events.precision = precision;
    read(file, "DisplaySystemTime", events.displaySystemTime);
    int cursor = events.cursorPosition;
    read(file, "CursorPosition", cursor);
    if (cursor >= 1 && cursor <= 9)
        events.cursorPosition = cursor;
    file.endGroup();
}

void writeRecentFiles(QSettings& file, const QStringList& recentFiles) {
    file.beginGroup(QStringLiteral("Data"));
    file.beginWriteArray(QStringLiteral("MRUFiles"), int(recentFiles.size()));
    for (int i = 0; i < recentFiles.size(); ++i) {
        file.setArrayIndex(i);
        file.setValue(QStringLiteral("File"), recentFiles[i]);
    }
    file.endArray();
    file.endGroup();
}

// Returns whether the array had entries.
bool readRecentFiles(QSettings& file, QStringList& recentFiles) {
    file.beginGroup(QStringLiteral("Data"));
    const int count = file.beginReadArray(QStringLiteral("MRUFiles"));
    if (count > 0)
        recentFiles.clear();
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        const QString path = file.value(QStringLiteral("File")).toString();
        if (!path.isEmpty() && QFileInfo::exists(path) && !recentFiles.contains(path))
            recentFiles.append(path);
    }
    file.endArray();
    file.endGroup();
    return count > 0;
}

void writePreferences(QSettings& file, const Preferences& preferences) {
    file.beginGroup(QStringLiteral("Preferences"));
    file.setValue(QStringLiteral("LoadDataOnStart"), preferences.loadDataOnStart);
    file.setValue(QStringLiteral("SaveRecordProperties"), preferences.saveRecordProperties);
    file.setValue(QStringLiteral("InvertWheelControl"), preferences.timeline.invertWheelControl);
    file.setValue(QStringLiteral("LogLevel"), preferences.logLevel);
    file.setValue(QStringLiteral("ExistingTaskHighlight"),
                  preferences.timeline.existingTaskHighlight);
    file.setValue(QStringLiteral("TaskReadyHighlight"), preferences.timeline.taskReadyHighlight);
    file.setValue(QStringLiteral("TimelineEventMarker"), preferences.timeline.timelineEventMarker);
    file.setValue(QStringLiteral("IndicatorLevel"), preferences.timeline.indicatorLevel);
    file.setValue(QStringLiteral("IndicatorZoom"), preferences.timeline.indicatorZoom);
    file.setValue(QStringLiteral("SysDescFreq"), preferences.sysDescFreq);
    file.setValue(QStringLiteral("TaskListFreq"), preferences.taskListFreq);
    file.setValue(QStringLiteral("SysTimeFreq"), preferences.sysTimeFreq);
    file.setValue(QStringLiteral("RequestModules"), preferences.requestModules);
    file.beginGroup(QStringLiteral("Dialogs"));
    file.setValue(QStringLiteral("SystemInfo"), preferences.showSystemInfoDialog);
    file.setValue(QStringLiteral("RecordingProperties"), preferences.showRecordingPropertiesDialog);
    file.beginWriteArray(QStringLiteral("AnnoyingDialogs"),
                         int(preferences.dialogSuppressed.size()));
    for (int i = 0; i < int(preferences.dialogSuppressed.size()); ++i) {
        file.setArrayIndex(i);
        file.setValue(QStringLiteral("DialogSuppressed"), preferences.dialogSuppressed[size_t(i)]);
    }
    file.endArray();
    file.endGroup();
    file.endGroup();
}

void readPreferences(QSettings& file, Preferences& preferences) {
    file.beginGroup(QStringLiteral("Preferences"));
    read(file, "LoadDataOnStart", preferences.loadDataOnStart);
    read(file, "SaveRecordProperties", preferences.saveRecordProperties);
    read(file, "InvertWheelControl", preferences.timeline.invertWheelControl);
    unsigned logLevel = preferences.logLevel;
    read(file, "LogLevel", logLevel);
    if (logLevel <= 4)
        preferences.logLevel = logLevel;
    TimelineIndicators& indicators = preferences.timeline;
    readChoice(file, "ExistingTaskHighlight", indicators.existingTaskHighlight, 1);
    readChoice(file, "TaskReadyHighlight", indicators.taskReadyHighlight, 1);
    readChoice(file, "TimelineEventMarker", indicators.timelineEventMarker, 1);
    readChoice(file, "IndicatorLevel", indicators.indicatorLevel, IndicatorLevelCount - 1);
    readChoice(file, "IndicatorZoom", indicators.indicatorZoom, IndicatorZoomNever);
    readPeriod(file, "SysDescFreq", preferences.sysDescFreq);
    readPeriod(file, "TaskListFreq", preferences.taskListFreq);
    readPeriod(file, "SysTimeFreq", preferences.sysTimeFreq);
    read(file, "RequestModules", preferences.requestModules);
    file.beginGroup(QStringLiteral("Dialogs"));
    read(file, "SystemInfo", preferences.showSystemInfoDialog);
    read(file, "RecordingProperties", preferences.showRecordingPropertiesDialog);
    const int count = file.beginReadArray(QStringLiteral("AnnoyingDialogs"));
    for (int i = 0; i < count && i < int(preferences.dialogSuppressed.size()); ++i) {
        file.setArrayIndex(i);
        read(file, "DialogSuppressed", preferences.dialogSuppressed[size_t(i)]);
    }
    file.endArray();
    file.endGroup();
    file.endGroup();
}

} // namespace

QString defaultSettingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           QLatin1String(SettingsOrganisation) + u'/' + QLatin1String(SettingsApplication) +
           QStringLiteral(".ini");
}

void writeSettings(QSettings& file, const AppSettings& settings) {
    writeWindow(file, settings.window);
    writeConnection(file, settings.connection);
    writeEvents(file, settings.events);
    writeRecentFiles(file, settings.recentFiles);
    writePreferences(file, settings.preferences);
}

ReadResult readSettings(QSettings& file, AppSettings& settings) {
    ReadResult result;
    result.positionStored = readWindow(file, settings.window);
    readConnection(file, settings.connection);
    readEvents(file, settings.events);
    result.recentFilesStored = readRecentFiles(file, settings.recentFiles);
    readPreferences(file, settings.preferences);
    return result;
}

std::optional<QString> previousSettingsFile(const QString& ownPath) {
    if (ownPath.isEmpty())
        return std::nullopt;
    {
        QSettings own(ownPath, QSettings::IniFormat);
        if (own.contains(QStringLiteral("Window/Size")))
            return std::nullopt;
    }
    const QFileInfo ownFile(ownPath);
    const QDir folder = ownFile.absoluteDir();
    QStringList names =
        folder.entryList({QStringLiteral("Norvan Kavrin V*.ini")}, QDir::Files, QDir::Name);
    // Importing this version's own file would delete it before copying it.
    names.removeAll(ownFile.fileName());
    if (names.isEmpty())
        return std::nullopt;
    return folder.filePath(names.last());
}

QString settingsFileVersion(const QString& fileName) {
    static const QRegularExpression pattern(
        QStringLiteral("^Norvan Kavrin V([0-9]{1,2})\\.([0-9]{2})([a-z]?)\\.ini$"));
    const QRegularExpressionMatch match = pattern.match(QFileInfo(fileName).fileName());
    if (!match.hasMatch())
        return {};
    return QStringLiteral(" V%1.%2%3").arg(match.captured(1), match.captured(2), match.captured(3));
}

bool importSettingsFile(const QString& previousPath, const QString& ownPath) {
    if (QFile::exists(ownPath) && !QFile::remove(ownPath))
        return false;
    QDir().mkpath(QFileInfo(ownPath).absolutePath());
    return QFile::copy(previousPath, ownPath);
}

} // namespace kavrin
