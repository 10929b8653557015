#pragma once

#include "engine/ContextTables.h"
#include "engine/PagePrefault.h"
#include "files/LoadSession.h"

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

namespace kavrin {

struct RecordProperties;

// Runs the passes over a data file on the GUI side: the analysis pass over the whole stream,
// the load pass of the first window, and the window steps. It only talks to the loader thread
// through TriggerLoad and the worker's three signals, so the main window and the command-line
// tool drive it alike; progress, log lines and refresh requests go out as signals.
class LoadController : public QObject {
    Q_OBJECT
public:
    enum class Pass { None, Analysis, Load, Forward, Backward, Move };
    Q_ENUM(Pass)

    static constexpr uint32_t AnalysisProgressRange = 10'000'000;

    LoadController(LoadSession& session, RecordProperties& properties, QObject* parent = nullptr);

    // Opens the file, reads its header and starts the analysis pass; the load pass follows by
    // itself unless the file holds no recording. All data must have been cleared before. False,
    // with a one-line reason, when the file cannot be opened.
    bool analyzeFile(const QString& path, QString* error = nullptr);
    // Move the window by 100,000 events from the checkpoints. False when there is nothing to
    // load; a step asked for while a pass runs is queued behind it.
    bool loadDataAfter();
    bool loadDataBefore();
    // Moves the window so that it holds event `index` about in its middle: reloaded from the
    // checkpoint before that when the window was there before, else carried forward from its
    // end. False when the event is stored already, there is no file, or a pass runs.
    bool moveWindowTo(uint32_t index);

    bool busy() const { return pass_ != Pass::None; }
    Pass pass() const { return pass_; }
    // Stops faulting in the store's nodes: before the engine goes.
    void stopPrefault() { prefault_.reset(); }
    // Events (Sync records included) that the analysis pass found.
    uint32_t eventsInFile() const { return eventsInFile_; }
    // Where the analysis pass found the stream no longer decodable.
    const StreamStopInfo& streamStop() const { return analysisStop_; }
    // The analysis found stream bytes but not one decodable event: no load pass follows.
    bool holdsNoRecording() const;

signals:
    void TriggerLoad(uint ReadOffset, uint NumEvents, bool Append);
    void logInfo(const QString& text);
    // The header has been read into the record properties.
    void propertiesRead();
    // The contexts list was set back to its fixed entries.
    void contextListReset();
    // UpdateStats: refresh the contexts list and the system information.
    void updateStatsRequested();
    // The run statistics were cleared (ResetStats).
    void statsReset();
    void progressStarted(const QString& label, uint minimum, uint maximum);
    void progressChanged(uint value, uint maximum);
    void progressFinished();
    // Events were stored, or the stored window was emptied for a move.
    void windowChanged();
    // The load pass will store up to this many events: room may be set aside. Sent as soon as
    // the analysis found a full window of events, else when the load pass starts.
    void windowFillsAhead(uint events);
    void passFinished(kavrin::LoadController::Pass pass, uint first, uint last);

public slots:
    void OnLoadingStarted(uint First, uint Last, bool Appending);
    void OnDataLoaded(uint First, uint Last, bool Appending);
    void OnLoadingFinished(uint First, uint Last, bool Appending);

private:
    bool openDataFile(const QString& path, QString* error);
    void loadFile();
    void startPass(Pass pass, uint32_t first, uint32_t count);
    // Room for `events` nodes, faulted in from now on, and the views told to make theirs.
    void setWindowAside(uint32_t events);
    // Empties the window and decodes `count` events from the checkpoint at `start`.
    bool reloadFrom(uint32_t start, uint32_t count, Pass pass);
    void finishAnalysis(uint32_t found);
    void runQueuedStep();

    LoadSession& session_;
    RecordProperties& properties_;
    Pass pass_ = Pass::None;
    uint32_t requested_ = 0; // events asked of the running pass
    QList<Pass> queuedSteps_;
    bool progressShown_ = false;
    uint progressMaximum_ = 0;
    uint32_t eventsInFile_ = 0;
    StreamStopInfo analysisStop_;
    // From a window's worth of analysed events to the load pass's end.
    std::optional<PagePrefault> prefault_;
};

} // namespace kavrin
