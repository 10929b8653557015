#pragma once

#include "cli/CliOptions.h"
#include "presentation/RowTexts.h"

#include <cstdio>
#include <memory>

namespace kavrin::cli {

class Recording;

// Writes the events of a recording, in index order, in one export format.
class EventExporter {
public:
    virtual ~EventExporter() = default;
    virtual void begin() {}
    virtual void event(const EventNode& node,
                       const std::array<QString, EventColumnCount>& texts) = 0;
    virtual void end() {}
};

std::unique_ptr<EventExporter> makeExporter(ExportFormat format, const Recording& recording,
                                            std::FILE* out);

// JSON string literal of a text, with quotes.
QByteArray jsonString(const QString& text);
// CSV field of a text, quoted when it holds a separator, quote or line break.
QByteArray csvField(const QString& text);

} // namespace kavrin::cli
