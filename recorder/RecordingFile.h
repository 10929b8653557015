#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class QFile;
class QTemporaryFile;

namespace kavrin {

// The temporary recording file: the bare stream, byte for byte, without a header, in the
// system's temporary directory. It is removed when the next one replaces it or its owner goes.
// Bytes handed to it while it is not open are dropped; a write that fails closes it and marks
// it incomplete, so that saving takes the stream from memory instead.
class RecordingFile {
public:
    RecordingFile();
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Drops the previous file and creates a new one; false when it cannot be opened (the
    // recording then runs without a file).
    bool create();
    void write(const uint8_t* bytes, uint64_t count);
    void close();
    // Leaves the file on disk when the object goes (the caller then owns it).
    void keep();

    bool isOpen() const;
    bool incomplete() const { return incomplete_; }
    // Empty when there is none.
    QString fileName() const;
    // The file to copy when saving: null when there is none or it is incomplete.
    QFile* forSaving() const;

private:
    std::unique_ptr<QTemporaryFile> file_;
    bool incomplete_ = false;
};

} // namespace kavrin
