#include "cli/RecordCommand.h"

#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "cli/StopSignals.h"

#include "engine/RecordingEngine.h"
#include "files/DataFileWriter.h"
#include "files/RecordProperties.h"
#include "recorder/ConnectionSettings.h"
#include "recorder/DeviceList.h"
#include "recorder/LiveRecorder.h"
#include "recorder/ProbeLibrary.h"
#include "recorder/RecorderMessages.h"

#include <QElapsedTimer>
#include <QSaveFile>
#include <QThread>

#include <thread>

namespace kavrin::cli {

namespace {

constexpr std::chrono::milliseconds Tick{10};
// A live slice leaves the tick some room, as the window's channel timer does.
constexpr std::chrono::milliseconds SliceBudget{8};
constexpr std::chrono::milliseconds Unbounded{10'000};
constexpr qint64 SecondMillis = 1000;

void complain(std::FILE* messages, const QString& text) {
    std::fprintf(messages, "kavrin-cli: %s\n", text.simplified().toUtf8().constData());
}

// OUT is checked before anything is recorded, so that a recording is not made for nothing.
bool writable(const QString& path, QString* error) {
    QSaveFile probe(path);
    if (probe.open(QIODevice::WriteOnly))
        return true; // never committed: nothing is left behind
    *error = QStringLiteral("cannot write %1: %2").arg(path, probe.errorString());
    return false;
}

ConnectionSettings connectionFor(const RecordOptions& options, ProbeLibrary& probe) {
    ConnectionSettings settings;
    if (options.device) {
        settings.device = *options.device;
    } else {
        // As the configuration dialog offers it: the library's first device.
        DeviceListCache cache;
        settings.device = deviceNames(probe, cache, settings.device).value(0);
    }
    settings.targetInterface = options.targetInterface.value_or(settings.targetInterface);
    settings.speed = int(options.speed.value_or(uint32_t(settings.speed)));
    settings.serialNumber = options.usbSerial.value_or(0);
    if (options.ip) {
        settings.hostInterface = 1;
        settings.host = *options.ip;
    }
    settings.searchAddress = options.address.value_or(QString());
    settings.searchRange = options.searchRanges.value_or(QString());
    return settings;
}

class LiveSession {
public:
    LiveSession(const RecordOptions& options, std::FILE* messages)
        : options_(options), messages_(messages), recorder_(engine_.decoder, probe_),
          progress_(messages) {}

    // Exit status of the connect attempt: ExitSuccess when the recording runs.
    int connect() {
        engine_.resetAll();
        recorder_.reset();
        recorder_.createRecordingFile(); // without one the stream is kept in memory
        recorder_.configure(connectionFor(options_, probe_));
        recorder_.startThread(RequestPeriods());
        while (!recorder_.connectAttemptOver()) {
            if (signals_.raised())
                recorder_.cancelWaits();
            QThread::msleep(Tick.count());
        }
        if (const int32_t code = recorder_.threadError()) {
            complain(messages_, recorderText::connectFailure(code));
            recorder_.waitAndDeleteThread();
            return ExitNotRecorded;
        }
        engine_.registerBuiltInContexts();
        if (!recorder_.sendRecorderCommand(StartCommand))
            complain(messages_, recorderText::commandNotTaken());
        return ExitSuccess;
    }

    // Records until a limit, a signal or a fault; the fault's code, or 0.
    int32_t record() {
        running_.start();
        progress_.start(QStringLiteral("Recording"));
        qint64 nextSecond = SecondMillis;
        auto tick = std::chrono::steady_clock::now();
        while (!recorder_.threadEnded() && !limitReached()) {
            // Ticks 10 ms apart from start to start, as the window's channel-poll timer.
            tick = std::max(tick + Tick, std::chrono::steady_clock::now() - Tick);
            std::this_thread::sleep_until(tick);
            engine_.liveSlice(SliceBudget);
            recorder_.followModuleCount(engine_.tracker);
            progress_.update(engine_.nextIndex);
            if (running_.elapsed() >= nextSecond) {
                recorder_.tickSeconds();
                nextSecond += SecondMillis;
            }
        }
        seconds_ = double(running_.elapsed()) / SecondMillis;
        const int32_t fault = recorder_.threadEnded() ? recorder_.threadError() : 0;
        if (!fault && !(recorder_.sendRecorderCommand(StopCommand) &&
                        recorder_.sendRecorderCommand(QuitCommand)))
            complain(messages_, recorderText::commandNotTaken());
        recorder_.waitAndDeleteThread();
        // The records decoded last.
        while (engine_.liveSlice(Unbounded).processed > 0) {
        }
        progress_.finish();
        recorder_.finishRecordingFile();
        return fault;
    }

    bool save(const QString& path) {
        RecordProperties properties;
        properties.clear(recordTime_);
        properties.title = options_.title;
        properties.author = options_.author;
        properties.description = options_.description;
        const SaveResult result = saveDataFile(path, &properties, recorder_.streamForSaving());
        if (result.saved)
            return true;
        QString where;
        if (!recorder_.recordingFileName().isEmpty()) {
            recorder_.keepRecordingFile();
            where =
                QStringLiteral("; the recording stays in %1").arg(recorder_.recordingFileName());
        }
        complain(messages_, result.error + where);
        return false;
    }

    QString summary() const {
        return QStringLiteral("Recorded %1 events, %2 bytes in %3 s, %4 events dropped by the "
                              "target")
            .arg(engine_.nextIndex)
            .arg(recorder_.streamLength())
            .arg(QString::number(seconds_, 'f', 1))
            .arg(engine_.tracker.counters.lastDropCount);
    }

private:
    bool limitReached() const {
        return signals_.raised() ||
               (options_.durationSeconds &&
                double(running_.elapsed()) >= *options_.durationSeconds * SecondMillis) ||
               (options_.events && engine_.nextIndex >= *options_.events);
    }

    const RecordOptions& options_;
    std::FILE* messages_;
    const QDateTime recordTime_ = QDateTime::currentDateTime();
    StopSignals signals_;
    ProbeLibrary probe_;
    RecordingEngine engine_;
    LiveRecorder recorder_;
    ProgressLine progress_;
    QElapsedTimer running_;
    double seconds_ = 0;
};

} // namespace

int recordFromTarget(const CliOptions& options, std::FILE* messages) {
    QString error;
    if (!writable(options.output, &error)) {
        complain(messages, error);
        return ExitCannotWrite;
    }
    LiveSession session(options.record, messages);
    if (const int status = session.connect(); status != ExitSuccess)
        return status;
    const int32_t fault = session.record();
    if (fault)
        complain(messages, recorderText::breakOff(fault));
    const bool saved = session.save(options.output);
    std::fprintf(messages, "%s\n", session.summary().toUtf8().constData());
    if (!saved)
        return ExitCannotWrite;
    return fault ? ExitRecordingFault : ExitSuccess;
}

} // namespace kavrin::cli
