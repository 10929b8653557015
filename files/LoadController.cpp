#include "files/LoadController.h"

#include "engine/RecordingEngine.h"
#include "files/DataFileHeader.h"
#include "files/LoadedDataFile.h"

#include <algorithm>

namespace kavrin {

namespace {
constexpr uint32_t UnlimitedEvents = 0xFFFF'FFFFu;
constexpr uint32_t ProgressThreshold = 100'000; // smaller loads show no progress
} // namespace

LoadController::LoadController(LoadSession& session, RecordProperties& properties, QObject* parent)
    : QObject(parent), session_(session), properties_(properties) {}

bool LoadController::openDataFile(const QString& path, QString* error) {
    LoadedDataFile& file = session_.file;
    if (!file.open(path, error))
        return false;
    RecordingEngine& engine = session_.engine;
    engine.contextList.clear(engine.tracker);
    engine.contextList.rebuild(engine.tracker);
    emit contextListReset();
    file.setHeaderLength(readHeader(file.window(), file.windowLength(), properties_));
    emit propertiesRead();
    return true;
}

bool LoadController::analyzeFile(const QString& path, QString* error) {
    emit logInfo(QStringLiteral("Analyzing %1").arg(path));
    if (!openDataFile(path, error))
        return false;
    startPass(Pass::Analysis, 0, UnlimitedEvents);
    return true;
}

void LoadController::loadFile() {
    LoadedDataFile& file = session_.file;
    emit logInfo(QStringLiteral("Loading %1").arg(file.fileName()));
    if (!openDataFile(file.fileName(), nullptr)) {
        pass_ = Pass::None;
        emit passFinished(Pass::Load, 0, 0);
        return;
    }
    RecordingEngine& engine = session_.engine;
    engine.decoder.reset();
    engine.staging.restartAt(0);
    engine.restartForLoadPass();
    const uint32_t found = eventsInFile_;
    const uint32_t size = engine.window.size;
    const uint32_t count = found >= 1 && found < size ? found : size;
    const uint32_t stored = std::min(found, count);
    // The nodes of the window filled next are faulted in on the other core meanwhile, if the
    // analysis did not start that already.
    if (!prefault_)
        setWindowAside(stored);
    startPass(Pass::Load, 0, count);
}

void LoadController::setWindowAside(uint32_t events) {
    prefault_.emplace(session_.engine.store.reserveNodes(events));
    emit windowFillsAhead(events);
}

void LoadController::startPass(Pass pass, uint32_t first, uint32_t count) {
    pass_ = pass;
    requested_ = count;
    emit TriggerLoad(first, count, true);
}

bool LoadController::loadDataAfter() {
    RecordingEngine& engine = session_.engine;
    if (!session_.file.isLoaded())
        return false;
    if (busy()) {
        queuedSteps_.append(Pass::Forward);
        return true;
    }
    // Past what the analysis found there is nothing decodable, even if bytes remain.
    if (engine.nextIndex >= eventsInFile_)
        return false;
    // Decoding goes on where the last pass stopped, with the index that follows it. Spans
    // still open at the window's end stay open: their nodes are kept, so the events of the
    // step can close them.
    engine.staging.restartAt(engine.nextIndex);
    startPass(Pass::Forward, engine.nextIndex,
              std::min(engine.window.step, eventsInFile_ - engine.nextIndex));
    return true;
}

// The window is reloaded from the checkpoint 100,000 events before its start: the stored events
// and the decoding position then stay in step, so later forward steps continue correctly.
bool LoadController::loadDataBefore() {
    RecordingEngine& engine = session_.engine;
    if (!session_.file.isLoaded() || !engine.store.first())
        return false;
    if (busy()) {
        queuedSteps_.append(Pass::Backward);
        return true;
    }
    const uint32_t first = engine.store.first()->record.index;
    const uint32_t step = engine.window.step;
    if (first < step)
        return false;
    const uint32_t start = (first - step) / step * step;
    // The window's end moves back by a step too, so that a step forward returns to the same
    // window; the events in between were counted already and are replayed without counting.
    const uint32_t end = std::max(engine.nextIndex - step, start + 1);
    return reloadFrom(start, std::min({engine.window.size - 1, end - start, eventsInFile_ - start}),
                      Pass::Backward);
}

bool LoadController::moveWindowTo(uint32_t index) {
    RecordingEngine& engine = session_.engine;
    if (!session_.file.isLoaded() || busy() || eventsInFile_ == 0)
        return false;
    index = std::min(index, eventsInFile_ - 1);
    if (engine.store.first() && index >= engine.firstIndex && index < engine.nextIndex)
        return false;
    const uint32_t half = engine.window.size / 2;
    const uint32_t step = engine.window.step;
    const uint32_t start = (index > half ? index - half : 0) / step * step;
    if (engine.checkpoints.find(start))
        return reloadFrom(start, std::min(engine.window.size - 1, eventsInFile_ - start),
                          Pass::Move);
    // No checkpoint there yet: the events up to the target are decoded for the first time.
    const uint32_t end = uint32_t(std::min<uint64_t>(uint64_t(index) + half, eventsInFile_));
    engine.staging.restartAt(engine.nextIndex);
    startPass(Pass::Move, engine.nextIndex, end - engine.nextIndex);
    return true;
}

bool LoadController::reloadFrom(uint32_t start, uint32_t count, Pass pass) {
    if (!session_.engine.restartWindowAt(start))
        return false;
    emit windowChanged();
    startPass(pass, start, count);
    return true;
}

void LoadController::OnLoadingStarted(uint First, uint Last, bool Appending) {
    progressShown_ = false;
    if (pass_ == Pass::Analysis) {
        progressShown_ = true;
        progressMaximum_ = AnalysisProgressRange;
        emit progressStarted(QStringLiteral("Analyzing recorded data..."), 0, progressMaximum_);
        return;
    }
    if (Last - First > ProgressThreshold) {
        progressShown_ = true;
        progressMaximum_ = Last;
        emit progressStarted(QStringLiteral("Loading data..."), First, Last);
    }
    // A pass into a cleared window continues from the context state saved at its checkpoint. A
    // step forward goes on with the tracker's own state: its open spans are the stored events'
    // and the step closes them (a restore would forget them).
    RecordingEngine& engine = session_.engine;
    const Checkpoint* checkpoint = engine.checkpoints.find(First);
    if (checkpoint && Appending && !engine.lastNode)
        engine.tracker.restore(checkpoint->state);
}

void LoadController::OnDataLoaded(uint First, uint Last, bool Appending) {
    Q_UNUSED(Appending); // every pass of this controller appends
    RecordingEngine& engine = session_.engine;
    if (progressShown_) {
        if (pass_ == Pass::Analysis && Last > progressMaximum_)
            progressMaximum_ *= 2;
        emit progressChanged(Last, progressMaximum_);
    }
    if (pass_ == Pass::Analysis) {
        engine.analyse(First, Last);
        // The load pass will fill the whole window: the first touch of its nodes and of what
        // the views keep per event, costly page zeroing, is taken beside the rest of the
        // analysis.
        if (!prefault_ && Last + 1 >= engine.window.size)
            setWindowAside(engine.window.size);
    } else {
        engine.dataProcess(Last - First + 1);
        // Appended nodes are numbered as they come; a filter is brought up to date.
        if (engine.store.filterActive())
            engine.store.rebuildFilter();
        emit windowChanged();
    }
    session_.pendingChunks.decrement();
}

void LoadController::finishAnalysis(uint32_t found) {
    RecordingEngine& engine = session_.engine;
    const LoadedDataFile& file = session_.file;
    eventsInFile_ = found;
    analysisStop_ = session_.stop;
    if (analysisStop_.reason == StreamStop::None && !engine.decoder.synchronised() &&
        file.fileSize() > file.headerLength())
        analysisStop_ = {StreamStop::NoStartPacket, file.headerLength(), 0};

    emit updateStatsRequested();
    emit logInfo(QStringLiteral("%1 Events analyzed.").arg(found));
    engine.finishAnalysisPass();
    emit statsReset();
}

void LoadController::OnLoadingFinished(uint First, uint Last, bool Appending) {
    Q_UNUSED(Appending);
    if (progressShown_) {
        emit progressChanged(Last, progressMaximum_);
        emit progressFinished();
        progressShown_ = false;
    }
    const Pass finished = pass_;
    if (finished == Pass::Analysis) {
        finishAnalysis(Last - First);
        const bool recording = !holdsNoRecording();
        if (!recording) {
            // Nothing to load, nor to step through.
            pass_ = Pass::None;
            queuedSteps_.clear();
        }
        emit passFinished(finished, First, Last);
        if (recording)
            loadFile();
        return;
    }
    pass_ = Pass::None;
    prefault_.reset();
    // A pass that ends short met the end of what can be decoded (the file may also have
    // changed since the analysis): no step may go further.
    if (Last - First < requested_)
        eventsInFile_ = std::min(eventsInFile_, session_.engine.nextIndex);
    emit logInfo(QStringLiteral("%1 Events loaded.").arg(Last - First));
    emit passFinished(finished, First, Last);
    runQueuedStep();
}

bool LoadController::holdsNoRecording() const {
    const StreamStop reason = analysisStop_.reason;
    return eventsInFile_ == 0 &&
           (reason == StreamStop::InvalidPacket || reason == StreamStop::IncompletePacket ||
            reason == StreamStop::NoStartPacket);
}

void LoadController::runQueuedStep() {
    while (!busy() && !queuedSteps_.isEmpty()) {
        if (queuedSteps_.takeFirst() == Pass::Forward)
            loadDataAfter();
        else
            loadDataBefore();
    }
}

} // namespace kavrin
