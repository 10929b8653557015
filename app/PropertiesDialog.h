#pragma once

#include <QString>

class QWidget;

namespace kavrin {

struct RecordProperties;

// The login name of the effective user, "User Name" when the system has none.
QString loginName();

// Asks for the title, author and description of the recording; false when cancelled, and
// then nothing changes.
bool editRecordProperties(QWidget* parent, RecordProperties& properties);

} // namespace kavrin
