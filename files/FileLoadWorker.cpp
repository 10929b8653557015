#include "files/FileLoadWorker.h"

#include "engine/RecordingEngine.h"
#include "files/LoadSession.h"
#include "files/LoadedDataFile.h"

#include <algorithm>

namespace kavrin {

FileLoadWorker::FileLoadWorker(LoadSession& session, QObject* parent)
    : QObject(parent), session_(session) {}

void FileLoadWorker::LoadData(uint FirstEvent, uint NumEvents, bool Append) {
    begin(FirstEvent, NumEvents, Append);
    while (decodeStep()) {
    }
    finish();
}

void FileLoadWorker::LoadDataInSlices(uint FirstEvent, uint NumEvents, bool Append) {
    // Started from the event loop too, as a queued LoadData would be.
    QMetaObject::invokeMethod(
        this,
        [this, FirstEvent, NumEvents, Append] {
            begin(FirstEvent, NumEvents, Append);
            continueSlices();
        },
        Qt::QueuedConnection);
}

void FileLoadWorker::continueSlices() {
    const auto end = std::chrono::steady_clock::now() + sliceTime_;
    while (decodeStep()) {
        if (std::chrono::steady_clock::now() >= end) {
            QMetaObject::invokeMethod(this, &FileLoadWorker::continueSlices, Qt::QueuedConnection);
            return;
        }
    }
    finish();
}

void FileLoadWorker::begin(uint FirstEvent, uint NumEvents, bool Append) {
    RecordingEngine& engine = session_.engine;
    session_.stop = {};
    if (const Checkpoint* checkpoint = engine.checkpoints.find(FirstEvent))
        session_.file.seek(checkpoint->record.streamPosition);
    first_ = FirstEvent;
    requested_ = NumEvents;
    append_ = Append;
    remaining_ = NumEvents;
    current_ = FirstEvent;
    chunkStart_ = FirstEvent;
    emit LoadingStarted(FirstEvent, FirstEvent + NumEvents - 1, Append);
}

// The one rebase by the first target time moves the records staged with it, so chunks are
// only made smaller once it is done.
uint32_t FileLoadWorker::chunkSize() const {
    return session_.engine.decoder.targetTimeBase() != 0 ? chunkSizeAfterTimeBase_ : ChunkSize;
}

bool FileLoadWorker::decodeStep() {
    RecordingEngine& engine = session_.engine;
    LoadedDataFile& file = session_.file;
    if (file.position() >= file.fileSize() || remaining_ == 0 || session_.pendingChunks.cancelled())
        return false;
    if (current_ - chunkStart_ >= chunkSize())
        emitChunk();
    const uint32_t room = chunkSize() - (current_ - chunkStart_);
    const int32_t result = engine.decoder.decodePackets(file, std::min(remaining_, room));
    if (result < 0) {
        // Records staged before a bad packet are valid and stay.
        const uint32_t staged = engine.decoder.decodedInLastCall();
        remaining_ -= staged;
        current_ += staged;
        if (result == DecodeUnsynchronised)
            return true;
        session_.stop = packetStop(result, engine.decoder.lastPacketPosition(), current_, file);
        return false;
    }
    if (result == 0) {
        // Data left but no record slot: the staging buffer could not grow.
        if (file.position() < file.fileSize())
            session_.stop = {StreamStop::OutOfMemory, engine.decoder.lastPacketPosition(),
                             current_};
        return false;
    }
    remaining_ -= uint32_t(result);
    current_ += uint32_t(result);
    return true;
}

// Each chunk is processed before the staging buffer is filled again: the buffer then empties
// after every chunk and stays small and warm instead of growing to a million records.
void FileLoadWorker::emitChunk() {
    session_.pendingChunks.increment();
    emit DataLoaded(chunkStart_, current_ - 1, append_);
    chunkStart_ = current_;
    session_.pendingChunks.waitForZero();
}

void FileLoadWorker::finish() {
    if (current_ > chunkStart_)
        emitChunk();
    // A file that cannot be read on looks like a cut-off packet to the decoder.
    const LoadedDataFile& file = session_.file;
    if (!file.readError().isEmpty())
        session_.stop = {StreamStop::ReadError, file.position(), current_};
    emit LoadingFinished(first_, first_ + (requested_ - remaining_), append_);
}

} // namespace kavrin
