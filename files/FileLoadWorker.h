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
    static constexpr uint32_t DecodeBatch = 100'000;
    static constexpr uint32_t ChunkSize = 100'000;

    explicit FileLoadWorker(LoadSession& session, QObject* parent = nullptr);

signals:
    void LoadingStarted(uint First, uint Last, bool Appending);
    void LoadingFinished(uint First, uint Last, bool Appending);
    void DataLoaded(uint First, uint Last, bool Appending);

public slots:
    // FirstEvent is an event index; NumEvents 0xFFFFFFFF means no limit.
    void LoadData(uint FirstEvent, uint NumEvents, bool Append);

private:
    LoadSession& session_;
};

} // namespace kavrin
