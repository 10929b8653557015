#include "engine/EventStore.h"
#include "presentation/EventText.h"

#include <array>

namespace kavrin {

namespace {

QString apiName(const DescriptionTables& descriptions, uint32_t id) {
    if (const ApiDescription* api = descriptions.api(id))
        return api->name;
    return QStringLiteral("#%1").arg(id);
}

QString logName(uint32_t options) {
    switch (options & 15) {
    case 0:
        return QStringLiteral("Log");
    case 1:
        return QStringLiteral("Warning");
    case 2:
        return QStringLiteral("Error");
    default:
        return QStringLiteral("Log Level %1").arg(options & 15);
    }
}

} // namespace

QString EventName(const EventNode& node, const DescriptionTables& descriptions) {
    // Names of the stream's own events up to Module Information; null where the name depends
    // on the event.
    static constexpr std::array<const char*, ModuleInformationEvent + 1> names{
        "Sync",
        "*** OVERFLOW ***",
        "ISR Enter",
        "ISR Exit",
        "Task Run",
        "Task Stop",
        "Task Ready",
        "Task Block",
        "Task Create",
        "Task Info",
        "Start",
        "Stop",
        "Target Time (cycles)",
        "Target Time (us)",
        "System Description",
        "User Start",
        "User Stop",
        "System Idle",
        "ISR Exit",
        "Timer Enter",
        "Timer Exit",
        "Stack",
        "Module Description",
        nullptr, // API name
        "System Info",
        "Resource Name",
        nullptr, // by log level
        "Module Information",
    };
    const EventRecord& record = node.record;
    if (record.id == LogOutputEvent)
        return logName(record.param2);
    if (record.id == ApiEndEvent)
        return apiName(descriptions, record.param2);
    if (record.id < names.size() && names[record.id] != nullptr)
        return QLatin1String(names[record.id]);
    return apiName(descriptions, record.id);
}

} // namespace kavrin
