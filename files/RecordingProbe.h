#pragma once

#include "files/LoadedDataFile.h"
#include "files/StreamStop.h"

#include <QString>

#include <optional>

namespace kavrin {

// Whether the data file at `path` holds no recording: stream bytes in which no event can be
// decoded. Then where decoding stopped; none when an event decodes, when the file has no stream
// bytes or cannot be opened (the passes report those), or when its first `byteLimit` bytes
// decide nothing. Decodes with a decoder of its own, so the recording on show stays untouched;
// the limit keeps a long stream without a Start packet from holding up the caller.
std::optional<StreamStopInfo> noRecordingIn(const QString& path,
                                            uint32_t byteLimit = LoadedDataFile::WindowCapacity);

} // namespace kavrin
