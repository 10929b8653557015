#pragma once

#include "presentation/DescriptionTables.h"
#include "presentation/EventText.h"
#include "presentation/Log.h"
#include "presentation/SystemInfoTable.h"
#include "presentation/TimeText.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace kavrin {

class ContextTracker;
class RecordingEngine;

// Everything beside a RecordingEngine that the texts of its events, contexts and system
// information depend on. One per engine, owned by the engine's owner.
struct Presentation {
    DescriptionTables descriptions;
    TimeBase timeBase;
    TimeDisplayOptions display;
    SystemInfoTable systemInfo;

    EventTextSources textSources(const ContextTracker& tracker) const {
        return {descriptions, tracker, timeBase, display.resolution};
    }
    // The reset of all data: descriptions, time base and system information values.
    void reset();
};

// Connects the engine's tracker hooks: description texts to the parsers (description files
// are looked up in the current directory, then in `applicationDir`), the identity text to
// `identityChanged`, diagnostics to `log`, frequency, overflows and their reset to the system
// information.
// `presentation` and `log` must outlive the engine's hooks.
void wireEngine(RecordingEngine& engine, Presentation& presentation, const Log& log,
                std::function<void(const QString& identity)> identityChanged,
                const QString& applicationDir);

// The statistics refresh as the statistics timer runs it: the system information rows and
// the order of the contexts list. `traceSize` counts the stream bytes.
void refreshStatistics(RecordingEngine& engine, Presentation& presentation, uint64_t traceSize);

} // namespace kavrin
