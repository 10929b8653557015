#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace kavrin {

// Ids up to this one belong to the stream's own events; descriptions of them are dropped.
inline constexpr uint32_t LastSystemEventId = 32;

struct ApiDescription {
    QString name;
    QString parameterFormat;
    std::optional<QString> returnFormat; // only description files give one
};

// Names and formats of API events, value names and task states, learned from the description
// texts of the stream and from description files.
class DescriptionTables {
public:
    // The reset of all data; the task-state mask and the last event id survive it.
    void reset();

    const ApiDescription* api(uint32_t id) const;
    // The text of `value` for the named type `type`, or null.
    const QString* namedTypeText(const QString& type, uint32_t value) const;
    bool isNamedType(const QString& type) const { return namedTypes.contains(type); }
    // The task-state text of value & mask, or null.
    const QString* taskStateText(uint32_t value) const;

    // The window title part: "App [OS] on Device".
    QString identityText() const;

    QHash<uint32_t, ApiDescription> apis;
    QHash<QString, QHash<uint32_t, QString>> namedTypes;
    QHash<uint32_t, QString> taskStates;
    uint32_t taskStateMask = 0xFFFFFFFFu;
    uint32_t lastEventId = 0;
    int32_t nextInterruptSortKey = 0;
    QStringList loadedFiles;

    QString applicationName;
    QString operatingSystem;
    QString core;
    QString device;
};

} // namespace kavrin
