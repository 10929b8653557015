#pragma once

#include "cli/Figures.h"
#include "engine/RecordingEngine.h"
#include "files/FileLoadWorker.h"
#include "files/LoadController.h"
#include "files/LoadedDataFile.h"
#include "files/RecordProperties.h"
#include "presentation/Presentation.h"

#include <QString>

#include <cstdio>
#include <memory>

namespace kavrin::cli {

class ProgressLine;

// A recording opened headless through the same passes as the main window, with the window
// of stored events movable to any event. The worker runs on this thread: each pass is done
// when the call that starts it returns.
class Recording {
public:
    // Log lines and the progress line go to `messages` (stderr).
    Recording(int resolution, bool systemTime, std::FILE* messages);
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // Analysis pass, load pass, then one statistics refresh. False, with a one-line reason,
    // when the file cannot be opened.
    bool open(const QString& path, QString* error);

    // Moves the window until it holds `index` or the nearest stored event after it; false
    // when no stored event has that index or a later one.
    bool moveTo(uint32_t index);
    // Moves the window one step on; false at the end of the recording.
    bool stepForward();
    // Moves back to the first window that starts at event 0 or as near as checkpoints allow.
    void rewind();

    // Where decoding stopped early and whether the file was cut off or corrupted or holds no
    // recording, for stderr; empty when the whole stream was decoded.
    QString streamStopText() const;
    // The file could not be read to its end.
    QString readErrorText() const;

    // The figures of the whole recording, as the analysis pass left them.
    const RecordingFigures& analysedFigures() const { return analysed_; }

    const RecordingEngine& engine() const { return engine_; }
    const Presentation& presentation() const { return presentation_; }

private:
    void refreshStatistics();
    void showProperties();

    RecordingEngine engine_;
    Presentation presentation_;
    Log log_;
    LoadedDataFile file_;
    RecordProperties properties_;
    LoadSession session_{engine_, file_};
    LoadController controller_{session_, properties_};
    FileLoadWorker worker_{session_};
    std::unique_ptr<ProgressLine> progress_;
    RecordingFigures analysed_;
};

} // namespace kavrin::cli
