#pragma once

#include "engine/RecordingEngine.h"
#include "files/FileLoadWorker.h"
#include "files/LoadController.h"
#include "files/LoadedDataFile.h"
#include "files/LoaderThread.h"
#include "files/RecordProperties.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// Runs a program and waits for it: its exit code, or -1 when it did not start or end normally.
// posix_spawn rather than QProcess: Qt starts a child with clone(CLONE_VM | CLONE_VFORK), and
// the child's calls through the thread sanitizer's hooks then run on the parent's sanitizer
// state, which stops seeing synchronisation: every later hand-over would look like a race.
inline int runProgram(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> texts{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the recording generator; the recordings are deterministic for a seed. Its messages go
// to the test's own error output.
inline QString generate(const QTemporaryDir& dir, const QString& name, uint32_t events,
                        const QStringList& extra = {}) {
    const QString path = dir.filePath(name);
    EXPECT_EQ(runProgram(QStringLiteral(KAVRIN_GEN),
                         QStringList{QStringLiteral("--events"), QString::number(events)} + extra +
                             QStringList{path}),
              0);
    return path;
}

} // namespace kavrin::test
