#pragma once

#include "files/RecordProperties.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

class QFile;
class QIODevice;

namespace kavrin {

class LoadedDataFile;

// Where the stream of a recording being saved comes from; the first that applies is used.
struct RecordingStream {
    LoadedDataFile* loadedFile = nullptr; // used when it holds a loaded file
    QFile* recordingFile = nullptr;       // the temporary recording file, no header
    const uint8_t* buffer = nullptr;      // the recorder's in-memory stream
    size_t bufferLength = 0;
};

struct SaveResult {
    bool saved = false;
    QString error; // one line, for a log line or a message box
};

// Text of the temporary recording file's name, in the system's temporary directory.
QString recordingFileTemplate();

// Writes `header` (none when null) and the stream to `out`, which is open for writing. False,
// with a one-line reason, when reading or writing failed.
bool writeDataFile(QIODevice& out, const RecordProperties* header, const RecordingStream& stream,
                   QString* error);

// Writes `header` (none when null) and the stream to `fileName`. The file is written beside
// the target and renamed over it only when complete, so a failed save leaves an existing file
// untouched and saving onto the loaded file reads it intact. Failures go to `logError` too.
SaveResult saveDataFile(const QString& fileName, const RecordProperties* header,
                        const RecordingStream& stream,
                        const std::function<void(const QString&)>& logError = {});

} // namespace kavrin
