#pragma once

#include <QThread>

#include <memory>

namespace kavrin {

class FileLoadWorker;
class LoadController;
struct LoadSession;

// The loader thread with its worker, connected to a controller by queued connections.
class LoaderThread {
public:
    LoaderThread(LoadSession& session, LoadController& controller);
    ~LoaderThread();
    LoaderThread(const LoaderThread&) = delete;
    LoaderThread& operator=(const LoaderThread&) = delete;

    FileLoadWorker& worker() { return *worker_; }

private:
    LoadSession& session_;
    QThread thread_;
    std::unique_ptr<FileLoadWorker> worker_;
};

// The four queued connections between the GUI side and the worker.
void connectLoader(LoadController& controller, FileLoadWorker& worker);

} // namespace kavrin
