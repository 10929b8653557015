#pragma once

#include "engine/ContextTables.h"
#include "presentation/DescriptionTables.h"
#include "presentation/Log.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace kavrin {

class SystemInfoTable;

// What the description parsers write to besides the tables, and where files are looked up.
struct DescriptionEnvironment {
    DescriptionTables& tables;
    IsrTable& isrs;
    bool& reversePriority; // the contexts list's task order
    const Log& log;
    SystemInfoTable* systemInfo = nullptr;
    std::function<void(const QString& identity)> identityChanged;
    QString applicationDir; // second place to look for description files
};

// One System Description text: identity, interrupt names, the OS and module description files.
void ParseSystemDescription(DescriptionEnvironment& env, const QString& text);
// One Module Description text: its description file and API items, ids relative to
// `eventOffset`.
void ParseModuleDescription(DescriptionEnvironment& env, const QString& text, uint32_t eventOffset);
// Reads a description file once per reset; `path` is relative to the current directory or,
// failing that, to the application directory.
void LoadDescriptionFile(DescriptionEnvironment& env, const QString& path, uint32_t eventOffset);

// A name that may become part of a description file name: no path separator, no "..", no
// control character.
bool isPlainDescriptionName(const QString& name);

} // namespace kavrin
