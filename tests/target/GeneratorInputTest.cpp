#include "target/FirmwareModel.h"
#include "target/RecordingHeader.h"
#include "target/ScenarioFile.h"

#include <gtest/gtest.h>

using namespace kavrin;

TEST(RecordingHeader, SevenLinesWithValuesFromColumnFifteen) {
    RecordingHeaderFields fields;
    fields.recordTime = recordTimeText(2026, 3, 7, 9, 5, 0);
    fields.author = "Ana";
    fields.title = "Run\n2";
    fields.description = "one\ntwo\nthree";
    EXPECT_EQ(recordingHeader(fields), ";\n"
                                       "; Version     Norvan Kavrin V2.37a\n"
                                       "; RecordTime  07 Mar 2026 09:05:00\n"
                                       "; Author      Ana\n"
                                       "; Title       Run 2\n"
                                       "; Description one\\ntwo\\nthree\n"
                                       ";\n");
}

TEST(RecordingHeader, TextsBecomeLatin1WithQuestionMarksForTheRest) {
    EXPECT_EQ(utf8ToLatin1("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(utf8ToLatin1("5 \xE2\x82\xAC"), "5 ?");     // the euro sign
    EXPECT_EQ(utf8ToLatin1("a\xF0\x9F\x98\x80z"), "a?z"); // four-byte sequence
    EXPECT_EQ(utf8ToLatin1("bad \xC3 end"), "bad ? end"); // broken sequence
    EXPECT_EQ(utf8ToLatin1("\xC3"), "?");                 // cut at the end
}

TEST(ScenarioFile, OverridesTheBaseAndAddsTasksAndInterrupts) {
    IniFile ini;
    std::string error;
    ASSERT_TRUE(ini.parse("; a comment\n"
                          "[Scenario]\nBase=busy\nDevice = XMC4800\nTimestampFrequency=0x100000\n"
                          "OverflowEvery=5000\nModule=0\n"
                          "[Task Extra]\nPriority=3\nPeriod=2000\nWork=100\n"
                          "[Interrupt 70]\nName=ETH\nPeriod=300\nWork=7\nPriority=9\n",
                          error))
        << error;
    Scenario scenario;
    ASSERT_TRUE(scenarioFromIni(ini, scenario, error)) << error;
    Scenario busy;
    builtInScenario("busy", busy);
    EXPECT_EQ(scenario.application, busy.application);
    EXPECT_EQ(scenario.device, "XMC4800");
    EXPECT_EQ(scenario.timestampFrequency, 0x100000u);
    EXPECT_EQ(scenario.overflowEvery, 5000u);
    EXPECT_FALSE(scenario.withModule);
    ASSERT_EQ(scenario.tasks.size(), busy.tasks.size() + 1);
    EXPECT_EQ(scenario.tasks.back().name, "Extra");
    EXPECT_EQ(scenario.tasks.back().priority, 3u);
    EXPECT_EQ(scenario.tasks.back().periodMicros, 2000u);
    ASSERT_EQ(scenario.interrupts.size(), busy.interrupts.size() + 1);
    EXPECT_EQ(scenario.interrupts.back().number, 70u);
    EXPECT_EQ(scenario.interrupts.back().name, "ETH");

    // The added task runs in the model and announces itself.
    FirmwareModel model(scenario, 1);
    StreamWriter out;
    model.startRecording(out);
    const std::string bytes(out.bytes().begin(), out.bytes().end());
    EXPECT_NE(bytes.find("Extra"), std::string::npos);
    EXPECT_NE(bytes.find("I#70=ETH"), std::string::npos);
    EXPECT_EQ(bytes.find("TessFS"), std::string::npos);
}

TEST(ScenarioFile, BadInputIsRefusedWithTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"[Scenario]\nBase=nope\n", "unknown scenario \"nope\""},
        {"[Scenario]\nCpuFrequency=fast\n", "CpuFrequency: \"fast\" is not a number"},
        {"[Scenario]\nTimestampFrequency=0\n", "TimestampFrequency must not be 0"},
        {"[Task T]\nPeriod=0\n", "Period must not be 0"},
        {"[Interrupt x]\n", "not a number"},
        {"[Scenario\n", "line 1: section without \"]\""},
        {"[Scenario]\njust words\n", "line 2: expected Key=Value"},
        {"[Scenario]\nOverflowEvery=99999999999\n", "is not a number"},
    };
    for (const auto& [text, reason] : cases) {
        IniFile ini;
        Scenario scenario;
        std::string error;
        const bool ok = ini.parse(text, error) && scenarioFromIni(ini, scenario, error);
        EXPECT_FALSE(ok) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << text << " gave: " << error;
    }
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(loadScenario("/nonexistent/scenario.ini", scenario, error));
    EXPECT_NE(error.find("neither a scenario"), std::string::npos);
    EXPECT_TRUE(loadScenario("api", scenario, error));
    EXPECT_EQ(scenario.name, "api");
}
