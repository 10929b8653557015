#include "presentation/RowTexts.h"
#include "PresentationHarness.h"
#include "engine/RecordingEngine.h"
#include "target/StreamWriter.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace kavrin {
namespace {

// A packet string and a one-byte varint, as an API block.
std::vector<uint8_t> stringAndVarint(const std::string& text, uint8_t value) {
    std::string block = char(text.size()) + text + char(value);
    return {block.begin(), block.end()};
}

// A short Tessera recording at 1 GHz, decoded by a wired engine.
class WiredEngineTest : public ::testing::Test {
protected:
    WiredEngineTest() {
        log.setLevel(LogDiagnostics);
        wireEngine(
            engine, presentation, log, [this](const QString& text) { identity = text; },
            QStringLiteral(KAVRIN_SOURCE_DIR));
        StreamWriter w;
        w.start(0);
        w.systemInfo(1'000'000'000, 1'000'000'000, 0, 0, 0);
        w.systemDescription("N=Demo,O=Tessera,D=Sim", 0);
        w.moduleDescription(0, 128, "M=TessFS,V=210", 0);
        w.taskInfo(5, 10, "Main", 0);
        w.resourceName(0x2000, "Sem1", 0);
        w.taskRun(5, 100);            // 6
        w.api(42, {0x2000, 50}, 100); // 7: tsSemTake
        w.apiEndValue(42, 1, 300);    // 8
        w.isrEnter(3, 100);           // 9
        w.isrExit(50);                // 10
        const auto open = stringAndVarint("/log", 1);
        w.lenPacket(130, open, 100);        // 11: fsOpen
        w.taskBlock(5, 0x12, 100);          // 12
        w.overflow(5, 10);                  // 13
        w.overflow(12, 10);                 // 14
        w.logOutput("x=%d", 1, 0, {7}, 10); // 15
        w.taskRun(5, 10);                   // 16: from Idle, not from the scheduler
        engine.registerBuiltInContexts();
        MemorySource source(w.bytes().data(), w.size());
        while (engine.decoder.decodePackets(source, 1000) > 0)
            engine.dataProcess(engine.staging.count());
    }

    const EventNode& node(uint32_t index) {
        EventNode* node = engine.store.first();
        while (node->record.index != index)
            node = node->next;
        return *node;
    }
    std::array<QString, EventColumnCount> eventRow(uint32_t index) {
        return EventRowTexts(node(index), engine.store.firstTimestamp(), engine.tracker,
                             presentation);
    }
    QString info(SystemInfoRow row) const { return presentation.systemInfo.rowText(row); }

    RecordingEngine engine;
    Presentation presentation;
    QStringList logLines;
    Log log{[this](const QString& line) { logLines << line; }};
    QString identity;
};

TEST_F(WiredEngineTest, DescriptionsReachTheTablesAndTheTitle) {
    EXPECT_EQ(identity, "Demo [Tessera] on Sim");
    EXPECT_EQ(info(SystemInfoRow::Name), "Demo");
    EXPECT_EQ(info(SystemInfoRow::OS), "Tessera");
    EXPECT_EQ(info(SystemInfoRow::Device), "Sim");
    EXPECT_EQ(presentation.descriptions.loadedFiles.size(), 2);
    EXPECT_EQ(presentation.descriptions.api(130)->name, "fsOpen");
}

TEST_F(WiredEngineTest, EventRows) {
    using Row = std::array<QString, EventColumnCount>;
    EXPECT_EQ(eventRow(0), (Row{"1 ", "00.000 000 000", " Idle", " Start", ""}));
    EXPECT_EQ(eventRow(7),
              (Row{"8 ", "00.000 000 200", " Main", " tsSemTake", "sem=Sem1 timeout=50"}));
    EXPECT_EQ(eventRow(8)[3], " tsSemTake");
    EXPECT_EQ(eventRow(8)[4], "returns Timeout after 300 ns.");
    EXPECT_EQ(eventRow(10)[4], "Returns to Main");
    EXPECT_EQ(eventRow(11)[3], " fsOpen");
    EXPECT_EQ(eventRow(11)[4], "path=/log mode=Write");
    EXPECT_EQ(eventRow(12)[4], "Main, Wait for semaphore");
    EXPECT_EQ(eventRow(15)[3], " Warning");
    EXPECT_EQ(eventRow(15)[4], "x=7");
    presentation.display.references = {node(7).record.timestamp};
    presentation.display.resolution = Resolution1us;
    EXPECT_EQ(eventRow(7)[1], "   ** REF **   ");
    EXPECT_EQ(eventRow(8)[1], "00.000 000");
}

TEST_F(WiredEngineTest, FrequencyAndOverflowsReachTheSystemInformation) {
    EXPECT_EQ(presentation.timeBase.frequency, 1'000'000'000u);
    EXPECT_EQ(info(SystemInfoRow::CycleFrequency), "1000000000 Hz");
    EXPECT_EQ(info(SystemInfoRow::CyclePeriod), "1 ns");
    EXPECT_EQ(info(SystemInfoRow::Overflows), "2");
    EXPECT_EQ(info(SystemInfoRow::Dropped), "14");
    const auto& rows = presentation.systemInfo.overflowRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "#14");
    EXPECT_EQ(rows[0].text, "6 Events dropped");
    EXPECT_EQ(rows[1].name, "#15");
    EXPECT_EQ(rows[1].text, "8 Events dropped");
    engine.statistics.resetStats(engine.tracker);
    EXPECT_TRUE(presentation.systemInfo.overflowRows().empty());
}

TEST_F(WiredEngineTest, DiagnosticsGoToTheLog) {
    EXPECT_TRUE(logLines.contains("Diagnostic: Event 17: Context switch without scheduler"))
        << logLines.join('\n').toStdString();
}

TEST_F(WiredEngineTest, RefreshAndSystemInfoLines) {
    // What an analysis pass of the recording leaves.
    engine.lastTimestamp = node(16).record.timestamp;
    engine.largestProcessedCount = 17;
    refreshStatistics(engine, presentation, 2500);
    EXPECT_EQ(info(SystemInfoRow::SwitchCount), "2");
    EXPECT_EQ(info(SystemInfoRow::InterruptCount), "1");
    EXPECT_EQ(info(SystemInfoRow::EventCount), "17");
    EXPECT_EQ(info(SystemInfoRow::TraceSize), "2.50 kB");
    EXPECT_EQ(info(SystemInfoRow::Throughput), "0.00 kB/s");
    EXPECT_EQ(info(SystemInfoRow::IsrLoad), "0.00%");
    EXPECT_EQ(info(SystemInfoRow::Uptime), "890 ns");
    EXPECT_EQ(info(SystemInfoRow::Duration), "890 ns");

    const std::vector<SystemInfoLine> lines = SystemInfoLines(presentation.systemInfo);
    ASSERT_EQ(lines.size(), size_t(SystemInfoRowCount + 2));
    EXPECT_EQ(lines.front().path, "Target System/Name");
    EXPECT_EQ(lines.front().value, "Demo");
    QStringList paths;
    for (const SystemInfoLine& line : lines)
        paths << line.path;
    const qsizetype overflows = paths.indexOf("ZTX/Overflows");
    ASSERT_GE(overflows, 0);
    EXPECT_EQ(paths[overflows - 1], "ZTX/Trace Size");
    EXPECT_EQ(paths[overflows + 1], "ZTX/Overflows/#14");
    EXPECT_EQ(lines[size_t(overflows) + 2].value, "8 Events dropped");
    EXPECT_EQ(paths[overflows + 3], "Recording/Host Time");
    EXPECT_EQ(paths.back(), "Recording/Description");
    EXPECT_EQ(paths.count("Tasks/Frequency") + paths.count("ISRs/Frequency") +
                  paths.count("Events/Frequency"),
              3);

    presentation.reset();
    EXPECT_EQ(info(SystemInfoRow::Name), "");
    EXPECT_TRUE(presentation.systemInfo.overflowRows().empty());
    EXPECT_FALSE(presentation.timeBase.valid);
}

TEST_F(WiredEngineTest, ContextRows) {
    const auto main = ContextRowTexts(engine.tracker, 5, presentation);
    EXPECT_EQ(main[0], "Main");
    EXPECT_EQ(main[1], " @10");
    EXPECT_EQ(main[3], "3");
    EXPECT_EQ(main[4], "0 Hz");
    EXPECT_EQ(main[5], "200 ns    ");
    EXPECT_EQ(main[6], "200 ns (#13)     ");
    EXPECT_EQ(main[10], " 0.00%");

    const auto isr = ContextRowTexts(engine.tracker, 3, presentation);
    EXPECT_EQ(isr[0], "ISR #3");
    EXPECT_EQ(isr[1], " #3");
    EXPECT_EQ(isr[6], ""); // no run measured yet
    EXPECT_EQ(ContextRowTexts(engine.tracker, IdleContext, presentation)[1], "");
    EXPECT_EQ(ContextRowTexts(engine.tracker, SchedulerContext, presentation)[0], "Scheduler");

    presentation.timeBase.clear();
    const auto unknownFrequency = ContextRowTexts(engine.tracker, 5, presentation);
    EXPECT_EQ(unknownFrequency[10], "");
    EXPECT_EQ(unknownFrequency[12], "");
    EXPECT_EQ(unknownFrequency[14], "");
}

TEST(SystemInfoRefresh, InterruptLoadKeepsItsTextWhileTheFrequencyIsUnknown) {
    RecordingEngine engine;
    Presentation presentation;
    presentation.systemInfo.setRowText(SystemInfoRow::IsrLoad, "7.00%");
    refreshStatistics(engine, presentation, 0);
    EXPECT_EQ(presentation.systemInfo.rowText(SystemInfoRow::IsrLoad), "7.00%");
    EXPECT_EQ(presentation.systemInfo.rowText(SystemInfoRow::Uptime), "0 ns");
}

TEST(Log, LevelsAndPrefixes) {
    QStringList lines;
    Log log([&lines](const QString& line) { lines << line; });
    auto writeAll = [&log] {
        log.error("e");
        log.warning("w");
        log.message("m");
        log.diagnostic("d");
    };
    writeAll();
    EXPECT_EQ(lines, (QStringList{"Error: e", "Warning: w", "m"}));
    lines.clear();
    log.setLevel(LogNothing);
    writeAll();
    EXPECT_TRUE(lines.isEmpty());
    log.setLevel(LogDiagnostics);
    writeAll();
    EXPECT_EQ(lines.last(), "Diagnostic: d");
    Log withoutWriter;
    withoutWriter.error("dropped without a writer");
}

} // namespace
} // namespace kavrin
