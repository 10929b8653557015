#pragma once

#include "presentation/DescriptionTables.h"

#include <QString>

#include <cstdint>

namespace kavrin {

// One simplified line of a description file: comment, option, named type, task states or an
// API event line.
void parseDescriptionLine(DescriptionTables& tables, bool& reversePriority, const QString& line,
                          uint32_t eventOffset);

// One simplified API item of a module description: name and parameter format; the return
// format is left as it is.
void addModuleItem(DescriptionTables& tables, const QString& item, uint32_t eventOffset);

} // namespace kavrin
