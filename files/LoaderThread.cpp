#include "files/LoaderThread.h"

#include "files/FileLoadWorker.h"
#include "files/LoadController.h"
#include "files/LoadSession.h"

namespace kavrin {

LoaderThread::LoaderThread(LoadSession& session, LoadController& controller)
    : session_(session), worker_(std::make_unique<FileLoadWorker>(session)) {
    worker_->moveToThread(&thread_);
    connectLoader(controller, *worker_);
    thread_.start(QThread::InheritPriority);
}

// A pass still running gives up instead of waiting for chunks nobody will process.
LoaderThread::~LoaderThread() {
    session_.pendingChunks.cancel();
    thread_.quit();
    thread_.wait();
}

void connectLoader(LoadController& controller, FileLoadWorker& worker, Qt::ConnectionType type) {
    QObject::connect(&controller, &LoadController::TriggerLoad, &worker, &FileLoadWorker::LoadData,
                     type);
    QObject::connect(&worker, &FileLoadWorker::LoadingStarted, &controller,
                     &LoadController::OnLoadingStarted, type);
    QObject::connect(&worker, &FileLoadWorker::DataLoaded, &controller,
                     &LoadController::OnDataLoaded, type);
    QObject::connect(&worker, &FileLoadWorker::LoadingFinished, &controller,
                     &LoadController::OnLoadingFinished, type);
}

} // namespace kavrin
