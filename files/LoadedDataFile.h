#pragma once

#include "engine/PoolBlock.h"

#include <QString>

#include <cstdint>
#include <memory>

class QIODevice;

namespace kavrin {

// The data file being analysed and the byte source the decoder reads it through. The file is
// read through one window of at most 4 MiB, refilled when the read offset leaves it, so that
// a file is never read whole. Used by the loader thread during a pass and by the GUI thread
// between passes, never by both at once. The file is a QFile, or any device attached to a name
// (a recording in memory).
class LoadedDataFile {
public:
    static constexpr uint32_t WindowCapacity = 4'194'304;
    static constexpr uint32_t CopyBlockSize = 1'048'576;

    LoadedDataFile();
    ~LoadedDataFile();
    LoadedDataFile(const LoadedDataFile&) = delete;
    LoadedDataFile& operator=(const LoadedDataFile&) = delete;

    // Opens `path` (reusing the open file when it is the loaded one) and reads its first
    // window from offset 0. False, with a one-line reason, when the file cannot be opened,
    // read, or is 4 GiB or larger (offsets are 32 bits).
    bool open(const QString& path, QString* error = nullptr);
    // From now on the recording named `name` is read from `device` (which need not be open):
    // open(name) uses it.
    void attach(std::unique_ptr<QIODevice> device, const QString& name);
    // Back to no file.
    void close();

    // A data file is loaded when its window holds bytes.
    bool isLoaded() const { return windowLength_ > 0; }
    const QString& fileName() const { return fileName_; }
    const uint8_t* window() const { return window_.get(); }
    uint32_t windowLength() const { return windowLength_; }
    uint32_t windowBase() const { return windowBase_; }
    uint32_t fileSize() const { return fileSize_; }
    uint32_t headerLength() const { return headerLength_; }
    // The stream starts after the header: both the header length and the read offset move.
    void setHeaderLength(uint32_t length);

    // Decoding continues at this file offset (a checkpoint's or after the window).
    void seek(uint32_t offset);

    // Byte source of the decoder: position() is the file offset of the next byte.
    int32_t hasData() {
        if (readOffset_ < fileSize_)
            return 1;
        endMet_ = true;
        return 0;
    }
    uint8_t readByte() {
        const uint32_t inWindow = readOffset_ - windowBase_; // wraps below the window
        if (inWindow < windowLength_) {
            ++readOffset_;
            return window_[inWindow];
        }
        return refillAndRead();
    }
    uint32_t position() const { return readOffset_; }
    // The bytes of the window from the read offset on, for the decoder's whole-packet reads.
    const uint8_t* contiguousData() const { return window_.get() + (readOffset_ - windowBase_); }
    size_t contiguousSize() const {
        const uint32_t inWindow = readOffset_ - windowBase_; // wraps below the window
        return inWindow < windowLength_ ? windowLength_ - inWindow : 0;
    }
    void skip(uint32_t n) { readOffset_ += n; }
    // A read ran past the end of the file (a packet cut off inside a number or string).
    bool overrun() const { return overrun_; }
    // A read ran past the end, or the decoder found no byte where it looked for one. Inside
    // a packet that could not be decoded: the file was cut off inside that packet.
    bool endMet() const { return overrun_ || endMet_; }

    // Why reading stopped before the end of the file; empty while reading went well.
    const QString& readError() const { return readError_; }

    // Copies the stream (from the header length to the end) to `out` in 1 MiB blocks.
    bool copyStreamTo(QIODevice& out, QString* error);

private:
    uint8_t refillAndRead();
    bool ensureOpen();
    bool readWindowAt(uint32_t offset);

    QString fileName_;
    std::unique_ptr<QIODevice> file_;
    std::unique_ptr<uint8_t[], FreeBlock> window_;
    uint32_t windowCapacity_ = 0;
    uint32_t windowLength_ = 0;
    uint32_t windowBase_ = 0;
    uint32_t readOffset_ = 0;
    uint32_t fileSize_ = 0;
    uint32_t headerLength_ = 0;
    bool overrun_ = false;
    bool endMet_ = false;
    QString readError_;
};

} // namespace kavrin
