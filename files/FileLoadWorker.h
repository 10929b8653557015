#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>

namespace kavrin {

struct LoadSession;

// Decodes the loaded data file in chunks and hands each chunk of events to the controller
// through signals: queued when the worker runs on the loader thread, direct when the chunks
// are processed on the thread that decodes them.
class FileLoadWorker : public QObject {
    Q_OBJECT
public:
    // Records per chunk while the first target time may still rebase the records staged:
    // every owner stages the same records together, so every owner shows the same times.
    static constexpr uint32_t ChunkSize = 100'000;
    // Records per chunk, once the time base is known, for an owner that processes each chunk
    // inside the signal: its records are then still in the cache.
    static constexpr uint32_t InlineChunkSize = 10'000;

    explicit FileLoadWorker(LoadSession& session, QObject* parent = nullptr);

    // Records per chunk once the time base is known and chunks change nothing but speed.
    void setChunkSizeAfterTimeBase(uint32_t size) { chunkSizeAfterTimeBase_ = size; }
    // How long a slice of LoadDataInSlices runs before the event loop gets its turn.
    void setSliceTime(std::chrono::milliseconds time) { sliceTime_ = time; }

    // Runs a pass as LoadData does, from the event loop of the worker's thread in slices, so
    // that the thread's windows stay responsive; returns at once.
    void LoadDataInSlices(uint FirstEvent, uint NumEvents, bool Append);

signals:
    void LoadingStarted(uint First, uint Last, bool Appending);
    void LoadingFinished(uint First, uint Last, bool Appending);
    void DataLoaded(uint First, uint Last, bool Appending);

public slots:
    // FirstEvent is an event index; NumEvents 0xFFFFFFFF means no limit.
    void LoadData(uint FirstEvent, uint NumEvents, bool Append);

private:
    void begin(uint FirstEvent, uint NumEvents, bool Append);
    // Decodes up to the end of the chunk, handing over the chunk before if it is full; false
    // once the pass can go no further.
    bool decodeStep();
    void finish();
    void continueSlices();
    void emitChunk();
    uint32_t chunkSize() const;

    LoadSession& session_;
    uint32_t chunkSizeAfterTimeBase_ = ChunkSize;
    // As long as the progress bar's update interval: every return to the event loop costs
    // (shorter slices made the window's open 4 ms slower), and 50 ms is still no felt delay.
    std::chrono::milliseconds sliceTime_{50};
    // The pass under way: what was asked, and the events decoded and handed over so far.
    uint32_t first_ = 0;
    uint32_t requested_ = 0;
    bool append_ = false;
    uint32_t remaining_ = 0;
    uint32_t current_ = 0;
    uint32_t chunkStart_ = 0;
};

} // namespace kavrin
