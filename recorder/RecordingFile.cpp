#include "recorder/RecordingFile.h"

#include "files/DataFileWriter.h"

#include <QTemporaryFile>

namespace kavrin {

RecordingFile::RecordingFile() = default;
RecordingFile::~RecordingFile() = default;

bool RecordingFile::create() {
    file_ = std::make_unique<QTemporaryFile>(recordingFileTemplate());
    incomplete_ = false;
    if (!file_->open()) {
        file_.reset();
        return false;
    }
    return true;
}

void RecordingFile::write(const uint8_t* bytes, uint64_t count) {
    if (!isOpen() || count == 0)
        return;
    if (file_->write(reinterpret_cast<const char*>(bytes), qint64(count)) != qint64(count)) {
        incomplete_ = true;
        file_->close();
    }
}

void RecordingFile::close() {
    if (!isOpen())
        return;
    if (!file_->flush())
        incomplete_ = true;
    file_->close();
}

void RecordingFile::keep() {
    if (file_)
        file_->setAutoRemove(false);
}

bool RecordingFile::isOpen() const {
    return file_ && file_->isOpen();
}

QString RecordingFile::fileName() const {
    return file_ ? file_->fileName() : QString();
}

QFile* RecordingFile::forSaving() const {
    return incomplete_ ? nullptr : file_.get();
}

} // namespace kavrin
