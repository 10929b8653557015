#pragma once

#include "FileHarness.h"
#include "files/DataFileHeader.h"
#include "files/RecordProperties.h"
#include "target/StreamWriter.h"

#include <span>

namespace kavrin::test {

// A data file holding `stream`, with a short header or none.
inline QString writeStream(const QTemporaryDir& dir, const char* name, const StreamWriter& stream,
                           bool withHeader) {
    RecordProperties properties;
    properties.title = QStringLiteral("t");
    const QString path = dir.filePath(QLatin1String(name));
    writeFile(path,
              (withHeader ? composeHeader(properties) : QByteArray()) + toBytes(stream.bytes()));
    return path;
}

// The stream without its last `count` bytes: cut off.
inline StreamWriter withoutLast(const StreamWriter& stream, size_t count) {
    StreamWriter cut;
    cut.raw(std::span(stream.bytes().data(), stream.size() - count));
    return cut;
}

// 22 events: Start, System Info and ten task runs with their stops.
inline StreamWriter smallRecording() {
    StreamWriter w;
    w.start(0);
    w.systemInfo(1'000'000, 48'000'000, 0, 0, 5);
    for (uint32_t i = 0; i < 10; ++i) {
        w.taskRun(1 + i % 3, 100);
        w.taskStop(50);
    }
    return w;
}

} // namespace kavrin::test
