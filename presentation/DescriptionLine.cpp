#include "presentation/DescriptionLine.h"

#include <QStringList>

namespace kavrin {

namespace {

struct EventEntry {
    uint32_t id = 0;
    QString name;
    QString format;
};

bool decimal(const QString& text, uint32_t& value) {
    bool ok = false;
    value = text.toUInt(&ok, 10);
    return ok;
}

// "[id] name format...": an entry without an id of its own follows the last one described.
EventEntry eventEntry(const DescriptionTables& tables, const QString& line, uint32_t eventOffset) {
    const QStringList fields = line.split(u' ');
    EventEntry entry;
    uint32_t number = 0;
    if (decimal(fields[0], number)) {
        entry.id = number + eventOffset;
        entry.name = fields.value(1);
        entry.format = fields.mid(2).join(u' ');
    } else {
        entry.id = tables.lastEventId + 1;
        entry.name = fields[0];
        entry.format = fields.mid(1).join(u' ');
    }
    return entry;
}

void parseNamedType(DescriptionTables& tables, const QStringList& fields) {
    const QString type = fields.value(1);
    for (qsizetype i = 2; i < fields.size(); ++i) {
        const qsizetype equals = fields[i].indexOf(u'=');
        uint32_t value = 0;
        const QString text = fields[i].mid(equals + 1);
        if (equals > 0 && !text.isEmpty() && decimal(fields[i].left(equals), value))
            tables.namedTypes[type][value] = text;
    }
}

void parseTaskStates(DescriptionTables& tables, const QStringList& fields) {
    bool ok = false;
    const uint32_t mask = fields.value(1).toUInt(&ok, 16);
    tables.taskStateMask = ok ? mask : 0xFFFFFFFFu;
    const QStringList pieces = fields.mid(2).join(u' ').split(u',');
    for (const QString& piece : pieces) {
        const qsizetype equals = piece.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString text = piece.mid(equals + 1).simplified();
        uint32_t value = 0;
        if (!text.isEmpty() && decimal(piece.left(equals).simplified(), value))
            tables.taskStates[value] = text;
    }
}

void parseEventLine(DescriptionTables& tables, const QString& line, uint32_t eventOffset) {
    const EventEntry entry = eventEntry(tables, line, eventOffset);
    tables.lastEventId = entry.id;
    if (entry.id <= LastSystemEventId)
        return;
    ApiDescription& api = tables.apis[entry.id];
    api.name = entry.name;
    const qsizetype bar = entry.format.indexOf(u'|');
    if (bar < 0) {
        api.parameterFormat = entry.format;
        api.returnFormat = QStringLiteral("returns 0x%x");
    } else {
        api.parameterFormat = entry.format.left(bar).simplified();
        api.returnFormat = entry.format.mid(bar + 1).simplified();
    }
}

} // namespace

void parseDescriptionLine(DescriptionTables& tables, bool& reversePriority, const QString& line,
                          uint32_t eventOffset) {
    if (line.isEmpty() || line.startsWith(u'#'))
        return;
    const QStringList fields = line.split(u' ');
    if (line.startsWith(u"Option", Qt::CaseInsensitive)) {
        if (fields.value(1).compare(u"ReversePriority", Qt::CaseInsensitive) == 0)
            reversePriority = true;
    } else if (line.startsWith(u"NamedType", Qt::CaseInsensitive)) {
        parseNamedType(tables, fields);
    } else if (line.startsWith(u"TaskState", Qt::CaseInsensitive)) {
        parseTaskStates(tables, fields);
    } else {
        parseEventLine(tables, line, eventOffset);
    }
}

void addModuleItem(DescriptionTables& tables, const QString& item, uint32_t eventOffset) {
    const EventEntry entry = eventEntry(tables, item, eventOffset);
    tables.lastEventId = entry.id;
    if (entry.id <= LastSystemEventId)
        return;
    ApiDescription& api = tables.apis[entry.id];
    api.name = entry.name;
    api.parameterFormat = entry.format;
}

} // namespace kavrin
