#pragma once

#include "recorder/ConnectionSettings.h"

#include <QString>
#include <QStringList>

namespace kavrin {

// Applies the program's arguments (argv[0] first) to `connection` and returns the data file
// to open at start-up, empty when none was named. Never fails: unknown options are ignored.
QString parseCommandLine(const QStringList& arguments, ConnectionSettings& connection);

} // namespace kavrin
