#pragma once

#include <QObject>

#include <cstdint>

namespace kavrin {

struct LoadSession;

// Decodes the loaded data file in batches on the loader thread and hands each chunk of
// events to the GUI thread through queued signals.
class FileLoadWorker : public QObject {
    Q_OBJECT
public:
    // Records per chunk while the first target time may still rebase the records staged:
    // every owner stages the same records together, so every owner shows the same times.
    static constexpr uint32_t ChunkSize = 100'000;

    explicit FileLoadWorker(LoadSession& session, QObject* parent = nullptr);

    // Records per chunk once the time base is known and chunks change nothing but speed.
    // Smaller chunks stay in the cache between decoding and processing; an owner that
    // processes each chunk inside the signal (no thread between) gains by them.
    void setChunkSizeAfterTimeBase(uint32_t size) { chunkSizeAfterTimeBase_ = size; }

signals:
    void LoadingStarted(uint First, uint Last, bool Appending);
    void LoadingFinished(uint First, uint Last, bool Appending);
    void DataLoaded(uint First, uint Last, bool Appending);

public slots:
    // FirstEvent is an event index; NumEvents 0xFFFFFFFF means no limit.
    void LoadData(uint FirstEvent, uint NumEvents, bool Append);

private:
    LoadSession& session_;
    uint32_t chunkSizeAfterTimeBase_ = ChunkSize;
};

} // namespace kavrin
