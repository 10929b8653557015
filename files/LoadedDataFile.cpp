#include "files/LoadedDataFile.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>

namespace kavrin {

namespace {
constexpr qint64 LargestFileSize = 0xFFFF'FFFFll;
}

LoadedDataFile::LoadedDataFile() = default;
LoadedDataFile::~LoadedDataFile() = default;

bool LoadedDataFile::open(const QString& path, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        windowLength_ = 0;
        fileSize_ = 0;
        return false;
    };
    if (path != fileName_ || !file_) {
        file_ = std::make_unique<QFile>(path);
        fileName_ = path;
    }
    if (!file_->isOpen() && !file_->open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open %1: %2").arg(path, file_->errorString()));
    const qint64 size = file_->size();
    if (size > LargestFileSize)
        return fail(
            QStringLiteral("%1 is 4 GiB or larger; such files are not supported").arg(path));

    fileSize_ = uint32_t(size);
    windowBase_ = 0;
    readOffset_ = 0;
    headerLength_ = 0;
    overrun_ = false;
    endMet_ = false;
    readError_.clear();
    const uint32_t capacity = std::min(fileSize_, WindowCapacity);
    if (capacity > windowCapacity_) {
        // In large pages: the first touch of small ones can cost more than the read itself.
        window_.reset(reinterpret_cast<uint8_t*>(allocatePoolBlock(capacity).release()));
        windowCapacity_ = window_ ? capacity : 0;
        if (!window_)
            return fail(QStringLiteral("not enough memory to read %1").arg(path));
    }
    if (fileSize_ > 0 && !readWindowAt(0))
        return fail(readError_);
    return true;
}

void LoadedDataFile::attach(std::unique_ptr<QIODevice> device, const QString& name) {
    close();
    file_ = std::move(device);
    fileName_ = name;
}

void LoadedDataFile::close() {
    file_.reset();
    fileName_.clear();
    window_.reset();
    windowCapacity_ = 0;
    windowLength_ = 0;
    windowBase_ = 0;
    readOffset_ = 0;
    fileSize_ = 0;
    headerLength_ = 0;
    overrun_ = false;
    endMet_ = false;
    readError_.clear();
}

void LoadedDataFile::setHeaderLength(uint32_t length) {
    headerLength_ = length;
    seek(length);
}

void LoadedDataFile::seek(uint32_t offset) {
    readOffset_ = offset;
    overrun_ = false;
    endMet_ = false;
}

bool LoadedDataFile::ensureOpen() {
    if (file_ && (file_->isOpen() || file_->open(QIODevice::ReadOnly)))
        return true;
    readError_ = file_ ? file_->errorString() : QStringLiteral("no data file");
    return false;
}

// Every refill seeks explicitly, so other users of the file (saving) cannot disturb it.
bool LoadedDataFile::readWindowAt(uint32_t offset) {
    windowLength_ = 0;
    windowBase_ = offset;
    if (!ensureOpen() || !file_->seek(offset)) {
        if (readError_.isEmpty())
            readError_ = file_->errorString();
        return false;
    }
    const uint32_t wanted = std::min(windowCapacity_, fileSize_ - offset);
    const qint64 got = file_->read(reinterpret_cast<char*>(window_.get()), wanted);
    if (got <= 0) {
        readError_ =
            got < 0 ? file_->errorString()
                    : QStringLiteral("the file ended at offset %1, before its size").arg(offset);
        return false;
    }
    windowLength_ = uint32_t(got);
    return true;
}

uint8_t LoadedDataFile::refillAndRead() {
    if (readOffset_ < fileSize_ && readWindowAt(readOffset_)) {
        ++readOffset_;
        return window_[0];
    }
    // Past the end, or the file cannot be read any more: the stream ends here.
    if (readOffset_ < fileSize_)
        fileSize_ = readOffset_;
    overrun_ = true;
    return 0;
}

bool LoadedDataFile::copyStreamTo(QIODevice& out, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!ensureOpen() || !file_->seek(headerLength_))
        return fail(QStringLiteral("cannot read %1: %2")
                        .arg(fileName_, file_ ? file_->errorString() : readError_));
    QByteArray block;
    qint64 left = qint64(fileSize_) - headerLength_;
    while (left > 0) {
        block = file_->read(std::min<qint64>(left, CopyBlockSize));
        if (block.isEmpty())
            return fail(QStringLiteral("cannot read %1: %2").arg(fileName_, file_->errorString()));
        if (out.write(block) != block.size())
            return fail(out.errorString());
        left -= block.size();
    }
    return true;
}

} // namespace kavrin
