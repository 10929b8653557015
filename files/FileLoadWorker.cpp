#include "files/FileLoadWorker.h"

#include "engine/RecordingEngine.h"
#include "files/LoadSession.h"
#include "files/LoadedDataFile.h"

#include <algorithm>

namespace kavrin {

FileLoadWorker::FileLoadWorker(LoadSession& session, QObject* parent)
    : QObject(parent), session_(session) {}

void FileLoadWorker::LoadData(uint FirstEvent, uint NumEvents, bool Append) {
    RecordingEngine& engine = session_.engine;
    LoadedDataFile& file = session_.file;
    session_.stop = {};

    if (const Checkpoint* checkpoint = engine.checkpoints.find(FirstEvent))
        file.seek(checkpoint->record.streamPosition);
    emit LoadingStarted(FirstEvent, FirstEvent + NumEvents - 1, Append);

    uint32_t remaining = NumEvents;
    uint32_t current = FirstEvent;
    uint32_t chunkStart = FirstEvent;
    // Each chunk is processed before its staging buffer is filled again: the buffer then
    // empties after every chunk and stays small and warm instead of growing to a million
    // records. The analysis pass only reads staged records, so it decodes the next chunk into
    // the other buffer meanwhile: chunks are the same, and at most one waits to be processed.
    const bool alternate = session_.alternateStaging;
    StagingBuffer* buffers[2] = {&engine.staging, &engine.nextChunkStaging};
    uint32_t filling = 0;
    auto emitChunk = [&] {
        if (alternate)
            session_.pendingChunks.waitForZero(); // the chunk before is done with its buffer
        session_.pendingChunks.increment();
        emit DataLoaded(chunkStart, current - 1, Append);
        chunkStart = current;
        if (!alternate) {
            session_.pendingChunks.waitForZero();
            return;
        }
        filling ^= 1;
        buffers[filling]->restartAt(current);
        engine.decoder.stageInto(*buffers[filling]);
    };

    // The one rebase by the first target time moves the records staged with it, so chunks
    // are only made smaller once it is done.
    auto chunkSize = [&] {
        return engine.decoder.targetTimeBase() != 0 ? chunkSizeAfterTimeBase_ : ChunkSize;
    };
    while (file.position() < file.fileSize() && remaining > 0 &&
           !session_.pendingChunks.cancelled()) {
        if (current - chunkStart >= chunkSize())
            emitChunk();
        const uint32_t room = chunkSize() - (current - chunkStart);
        const int32_t result = engine.decoder.decodePackets(file, std::min(remaining, room));
        if (result < 0) {
            // Records staged before a bad packet are valid and stay.
            const uint32_t staged = engine.decoder.decodedInLastCall();
            remaining -= staged;
            current += staged;
            if (result == DecodeUnsynchronised)
                continue;
            session_.stop = packetStop(result, engine.decoder.lastPacketPosition(), current, file);
            break;
        }
        if (result == 0) {
            // Data left but no record slot: the staging buffer could not grow.
            if (file.position() < file.fileSize())
                session_.stop = {StreamStop::OutOfMemory, engine.decoder.lastPacketPosition(),
                                 current};
            break;
        }
        remaining -= uint32_t(result);
        current += uint32_t(result);
    }
    if (current > chunkStart)
        emitChunk();
    if (alternate) {
        session_.pendingChunks.waitForZero();
        // The next pass decodes into the first buffer, from where this one ended.
        engine.staging.restartAt(current);
        engine.decoder.stageInto(engine.staging);
        engine.nextChunkStaging.trim();
    }
    // A file that cannot be read on looks like a cut-off packet to the decoder.
    if (!file.readError().isEmpty())
        session_.stop = {StreamStop::ReadError, file.position(), current};

    emit LoadingFinished(FirstEvent, FirstEvent + (NumEvents - remaining), Append);
}

} // namespace kavrin
