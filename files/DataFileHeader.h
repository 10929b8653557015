#pragma once

#include "files/RecordProperties.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace kavrin {

// The seven Latin-1 header lines that precede the stream in a saved data file.
QByteArray composeHeader(const RecordProperties& properties);

// Reads the header lines at the start of `data` into `properties` (keys in any case; unknown
// keys and malformed lines are skipped). Returns the header length: the offset just after
// the last header line, 0 when the data do not start with one.
uint32_t readHeader(const uint8_t* data, size_t size, RecordProperties& properties);

} // namespace kavrin
