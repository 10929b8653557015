// The simulated firmware and the shipped description files agree: every API event it
// writes has a name, and its parameters and results read as the descriptions say.

#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "presentation/RowTexts.h"
#include "target/Generate.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <map>

using namespace kavrin;

namespace {

struct Shown {
    QString identity;
    QStringList logLines;
    // Event name and detail of every stored event, in order.
    std::vector<std::pair<QString, QString>> events;
};

Shown show(std::string_view scenarioName, uint64_t events) {
    Scenario scenario;
    EXPECT_TRUE(builtInScenario(scenarioName, scenario));
    FirmwareModel model(std::move(scenario), 1);
    StreamWriter stream;
    generateRecording(model, events, stream);

    Shown shown;
    RecordingEngine engine;
    Presentation presentation;
    Log log([&](const QString& line) { shown.logLines << line; }, LogWarnings);
    wireEngine(
        engine, presentation, log, [&](const QString& text) { shown.identity = text; },
        QStringLiteral(KAVRIN_SOURCE_DIR));
    engine.registerBuiltInContexts();
    MemorySource source(stream.bytes().data(), stream.size());
    while (engine.decoder.decodePackets(source, 10'000) > 0)
        engine.dataProcess(engine.staging.count());
    for (EventNode* node = engine.store.first(); node; node = node->next) {
        const auto row =
            EventRowTexts(*node, engine.store.firstTimestamp(), engine.tracker, presentation);
        shown.events.emplace_back(row[3].trimmed(), row[4]);
    }
    return shown;
}

bool contains(const Shown& shown, const QString& name, const QString& detail) {
    for (const auto& [eventName, eventDetail] : shown.events) {
        if (eventName == name && eventDetail.contains(detail))
            return true;
    }
    return false;
}

} // namespace

TEST(GeneratedTexts, EveryScenarioNamesItsSystemAndAllItsCalls) {
    const std::map<std::string_view, QString> identities = {
        {"control", "MotorCtrl [Tessera] on STM32F407VG"},
        {"busy", "GatewayNode [Tessera] on STM32H743ZI"},
        {"api", "DataLogger [Tessera] on STM32L476RG"},
        {"overflow", "MotorCtrl [Tessera] on STM32F407VG"},
    };
    for (const auto& [name, identity] : identities) {
        const Shown shown = show(name, 30'000);
        EXPECT_EQ(shown.identity, identity) << name;
        EXPECT_TRUE(shown.logLines.isEmpty())
            << name << ": " << shown.logLines.join('\n').toStdString();
        for (const auto& [eventName, detail] : shown.events)
            EXPECT_FALSE(eventName.startsWith('#'))
                << name << ": undescribed " << eventName.toStdString();
    }
}

TEST(GeneratedTexts, ParametersAndResultsReadAsDescribed) {
    const Shown api = show("api", 30'000);
    EXPECT_TRUE(contains(api, "fsOpen", "path=/log/run.txt mode=Append"));
    EXPECT_TRUE(contains(api, "fsOpen", "file=run.log after "));
    EXPECT_TRUE(contains(api, "fsWrite", "file=run.log bytes="));
    EXPECT_TRUE(contains(api, "fsClose", "returns OK after "));
    EXPECT_TRUE(contains(api, "tsTaskSetPrio", "task=Shell prio=6"));
    EXPECT_TRUE(contains(api, "tsTimerStart", "timer=WdgTimer"));
    EXPECT_TRUE(contains(api, "tsPoolAlloc", "pool=BufPool timeout=10"));
    EXPECT_TRUE(contains(api, "tsTrace", "shell command"));
    EXPECT_TRUE(contains(api, "Task Block", "Wait for semaphore"));

    const Shown control = show("control", 30'000);
    EXPECT_TRUE(contains(control, "tsMutexLock", "mutex=CtrlMutex timeout=10"));
    EXPECT_TRUE(contains(control, "tsMutexLock", "returns OK after "));
    EXPECT_TRUE(contains(control, "tsSemGive", "sem=SensorSem"));
    EXPECT_TRUE(contains(control, "tsSemTake", "returns OK after "));
    EXPECT_TRUE(contains(control, "Task Block", "Control, Delayed"));
    EXPECT_TRUE(contains(control, "tsDelayUntil", "tick="));
}
