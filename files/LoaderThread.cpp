#include "files/LoaderThread.h"

#include "files/FileLoadWorker.h"
#include "files/LoadController.h"
#include "files/LoadSession.h"

#include <memory>

namespace kavrin {

namespace {

// Connects signal to slot with the hand-over around it: published on the emitting thread before
// the call is queued, taken on the receiving thread just before the slot (connections run, and
// queued calls arrive, in the order they were made).
template <typename Sender, typename Signal, typename Receiver, typename Slot>
void connectHandedOver(const std::shared_ptr<ThreadHandOver>& handOver, Sender& sender,
                       Signal signal, Receiver& receiver, Slot slot, Qt::ConnectionType type) {
    QObject::connect(&sender, signal, [handOver] { handOver->publish(); });
    QObject::connect(
        &sender, signal, &receiver, [handOver] { handOver->take(); }, type);
    QObject::connect(&sender, signal, &receiver, slot, type);
}

} // namespace

LoaderThread::LoaderThread(LoadSession& session, LoadController& controller)
    : session_(session), worker_(std::make_unique<FileLoadWorker>(session)) {
    worker_->moveToThread(&thread_);
    // Emitted on the loader thread as it ends: what the thread wrote reaches the destructor.
    QObject::connect(&thread_, &QThread::finished, [this] { end_.publish(); });
    connectLoader(controller, *worker_);
    thread_.start(QThread::InheritPriority);
}

// A pass still running gives up instead of waiting for chunks nobody will process.
LoaderThread::~LoaderThread() {
    session_.pendingChunks.cancel();
    thread_.quit();
    thread_.wait();
    end_.take();
}

void connectLoader(LoadController& controller, FileLoadWorker& worker, Qt::ConnectionType type) {
    const auto handOver = std::make_shared<ThreadHandOver>();
    connectHandedOver(handOver, controller, &LoadController::TriggerLoad, worker,
                      &FileLoadWorker::LoadData, type);
    connectHandedOver(handOver, worker, &FileLoadWorker::LoadingStarted, controller,
                      &LoadController::OnLoadingStarted, type);
    connectHandedOver(handOver, worker, &FileLoadWorker::DataLoaded, controller,
                      &LoadController::OnDataLoaded, type);
    connectHandedOver(handOver, worker, &FileLoadWorker::LoadingFinished, controller,
                      &LoadController::OnLoadingFinished, type);
}

} // namespace kavrin
