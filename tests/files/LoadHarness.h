#pragma once

#include "engine/RecordingEngine.h"
#include "files/FileLoadWorker.h"
#include "files/LoadController.h"
#include "files/LoadedDataFile.h"
#include "files/LoaderThread.h"
#include "files/RecordProperties.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace kavrin::test {

// A loader thread and controller over one engine, as the main window wires them, with the
// signals the controller sends recorded.
struct LoadHarness {
    using Range = std::tuple<uint, uint, bool>;

    LoadHarness() {
        QObject::connect(&controller, &LoadController::TriggerLoad,
                         [this](uint first, uint count, bool append) {
                             triggers.emplace_back(first, count, append);
                         });
        QObject::connect(&controller, &LoadController::logInfo,
                         [this](const QString& line) { log << line; });
        QObject::connect(&controller, &LoadController::progressStarted,
                         [this](const QString& label, uint, uint) { progressLabels << label; });
        QObject::connect(
            &loader.worker(), &FileLoadWorker::DataLoaded,
            [this](uint first, uint last, bool) { chunks.emplace_back(first, last, true); });
        engine.resetAll();
        engine.registerBuiltInContexts();
        properties.clear();
    }

    void waitUntilIdle() {
        while (controller.busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    bool open(const QString& path) {
        const bool opened = controller.analyzeFile(path);
        waitUntilIdle();
        return opened;
    }
    bool after() {
        const bool started = controller.loadDataAfter();
        waitUntilIdle();
        return started;
    }
    bool before() {
        const bool started = controller.loadDataBefore();
        waitUntilIdle();
        return started;
    }
    uint32_t firstStored() const { return engine.store.first()->record.index; }
    uint32_t lastStored() const { return engine.store.last()->record.index; }

    RecordingEngine engine;
    LoadedDataFile file;
    RecordProperties properties;
    LoadSession session{engine, file};
    LoadController controller{session, properties};
    LoaderThread loader{session, controller};

    std::vector<Range> triggers;
    std::vector<Range> chunks; // as the worker emitted them
    QStringList log;
    QStringList progressLabels;
};

// Runs the recording generator; the recordings are deterministic for a seed.
inline QString generate(const QTemporaryDir& dir, const QString& name, uint32_t events,
                        const QStringList& extra = {}) {
    const QString path = dir.filePath(name);
    QProcess gen;
    gen.start(QStringLiteral(KAVRIN_GEN),
              QStringList{QStringLiteral("--events"), QString::number(events)} + extra +
                  QStringList{path});
    EXPECT_TRUE(gen.waitForFinished(120'000));
    EXPECT_EQ(gen.exitCode(), 0) << gen.readAllStandardError().toStdString();
    return path;
}

} // namespace kavrin::test
