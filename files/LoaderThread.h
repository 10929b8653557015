#pragma once

#include "files/ThreadHandOver.h"

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
    ThreadHandOver end_;
    QThread thread_;
    std::unique_ptr<FileLoadWorker> worker_;
};

// The four connections between the GUI side and the worker: queued when the worker runs on
// the loader thread; direct when a headless owner runs each pass inside the call that starts
// it. Each hands over through a ThreadHandOver, so the sanitizer sees the order the queue keeps.
void connectLoader(LoadController& controller, FileLoadWorker& worker,
                   Qt::ConnectionType type = Qt::QueuedConnection);

} // namespace kavrin
