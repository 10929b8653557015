// check and diff: limits and their units, rules, the evaluation against measured figures, the
// JUnit report read back, the comparison of two recordings, and figures that cover the whole
// recording.
#include "cli/CheckCommand.h"
#include "cli/DiffCommand.h"
#include "cli/JUnitReport.h"
#include "cli/Recording.h"
#include "tests/cli/CliRunHarness.h"

#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

using namespace kavrin;
using namespace kavrin::cli;
using namespace kavrin::cli::test;

namespace {

Rule rule(const char* option, const char* value = "") {
    QString error;
    const std::optional<Rule> parsed =
        parseRule(QLatin1String(option), QLatin1String(value), &error);
    EXPECT_TRUE(parsed) << error.toStdString();
    return parsed.value_or(Rule{});
}

// One second at 1 MHz; Control ran 1000 times, at most 500 us, 250 ms in all.
RecordingFigures oneSecond() {
    RecordingFigures figures;
    figures.frequency = 1'000'000;
    figures.duration = 1'000'000;
    figures.overflows = 2;
    figures.dropped = 14;
    figures.contexts = {{QStringLiteral("Idle"), 900, 2'000, 700'000},
                        {QStringLiteral("Control"), 1'000, 500, 250'000}};
    return figures;
}

std::vector<std::pair<bool, QString>> outcomes(const std::vector<RuleResult>& results) {
    std::vector<std::pair<bool, QString>> list;
    for (const RuleResult& result : results)
        list.emplace_back(result.passed, result.measured);
    return list;
}

} // namespace

TEST(CheckLimits, DurationsTakeTheirUnitAndNeedOne) {
    const std::map<QString, double> good{{"500us", 500'000},    {"1.5ms", 1'500'000},
                                         {"2s", 2e9},           {"100ns", 100},
                                         {" 250 us ", 250'000}, {"3MS", 3'000'000}};
    for (const auto& [text, nanoseconds] : good) {
        const std::optional<Quantity> parsed = parseDuration(text);
        ASSERT_TRUE(parsed) << text.toStdString();
        EXPECT_DOUBLE_EQ(parsed->value, nanoseconds) << text.toStdString();
    }
    for (const char* bad : {"500", "500 sec", "-5us", "us", "", "1e3us", "1.2.3ms", "5 m s"})
        EXPECT_FALSE(parseDuration(QLatin1String(bad))) << bad;
    EXPECT_EQ(formatLike(612'250, *parseDuration("500us")), "612.250us");
    EXPECT_EQ(formatLike(1'500'000'001, *parseDuration("1s")), "1.500000001s");
    EXPECT_EQ(formatLike(7'500, *parseDuration("1ms")), "0.007500ms");
}

TEST(CheckLimits, FrequenciesPercentagesAndCounts) {
    EXPECT_DOUBLE_EQ(parseFrequency("1000")->value, 1000);
    EXPECT_DOUBLE_EQ(parseFrequency("1000Hz")->value, 1000);
    EXPECT_DOUBLE_EQ(parseFrequency("2.5kHz")->value, 2500);
    EXPECT_FALSE(parseFrequency("2.5MHz"));
    EXPECT_FALSE(parseFrequency("fast"));
    EXPECT_DOUBLE_EQ(parsePercent("50")->value, 50);
    EXPECT_DOUBLE_EQ(parsePercent("12.5%")->value, 12.5);
    EXPECT_FALSE(parsePercent("50 percent"));
    EXPECT_FALSE(parsePercent("-3%"));
    EXPECT_DOUBLE_EQ(parseCount("0")->value, 0);
    for (const char* bad : {"-1", "1.5", "+2", "4294967296", ""})
        EXPECT_FALSE(parseCount(QLatin1String(bad))) << bad;
    // A measured value is written as the limit was.
    EXPECT_EQ(formatLike(1330.2, *parseFrequency("1kHz")), "1.33020kHz");
    EXPECT_EQ(formatLike(2143.866, *parseFrequency("2000")), "2143.87Hz");
    EXPECT_EQ(formatLike(12.871, *parsePercent("20")), "12.87%");
    EXPECT_EQ(formatLike(14, *parseCount("0")), "14");
}

TEST(CheckRules, EachRuleAndItsText) {
    const Rule load = rule("--max-load", "Control=40%");
    EXPECT_EQ(load.kind, RuleKind::MaxLoad);
    EXPECT_EQ(load.context, "Control");
    EXPECT_DOUBLE_EQ(load.limit.value, 40);
    EXPECT_EQ(ruleText(load, QStringLiteral("Control")), "--max-load Control=40%");
    EXPECT_EQ(ruleText(rule("--max-run-time", "*=2ms"), QStringLiteral("Idle")),
              "--max-run-time Idle=2ms");
    EXPECT_EQ(rule("--min-frequency", "Sensor=1kHz").limit.value, 1000);
    EXPECT_EQ(ruleText(rule("--max-overflows", "3"), {}), "--max-overflows 3");
    EXPECT_EQ(ruleText(rule("--no-errors"), {}), "--no-errors");
    // The limit follows the last "=", so a name may hold one.
    EXPECT_EQ(rule("--max-load", "a=b=5%").context, "a=b");

    const std::vector<std::pair<const char*, const char*>> malformed{
        {"--max-load", "Control"},      {"--max-load", "=50%"},
        {"--max-load", "Control=lots"}, {"--max-run-time", "Control=500"},
        {"--min-frequency", "X=1MHz"},  {"--max-overflows", "-1"},
        {"--max-dropped", "1.5"},       {"--max-speed", "1"}};
    for (const auto& [option, value] : malformed) {
        QString error;
        EXPECT_FALSE(parseRule(QLatin1String(option), QLatin1String(value), &error)) << value;
        EXPECT_FALSE(error.isEmpty()) << value;
    }
}

TEST(CheckRules, CommandLinesOfCheckAndDiff) {
    ParseResult parsed =
        parseArguments({"check", "a.KVDat", "--max-load", "Control=5", "--no-errors", "--junit",
                        "out.xml", "--max-dropped", "0"});
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.command, Command::Check);
    EXPECT_EQ(parsed.options.rules.size(), 3u);
    EXPECT_EQ(parsed.options.junit, "out.xml");
    parsed = parseArguments({"diff", "a.KVDat", "b.KVDat", "--threshold", "2.5%"});
    ASSERT_TRUE(parsed.error.isEmpty());
    EXPECT_EQ(parsed.options.secondFile, "b.KVDat");
    EXPECT_EQ(parsed.options.threshold, 2.5);

    const std::vector<std::pair<QStringList, const char*>> usage{
        {{"check", "a.KVDat"}, "check needs at least one rule"},
        {{"check", "a.KVDat", "--max-load"}, "--max-load needs a value"},
        {{"check", "a.KVDat", "--max-run-time", "X=5"}, "not a duration"},
        {{"events", "a.KVDat", "--no-errors"}, "not an option of events"},
        {{"diff", "a.KVDat"}, "diff needs two recordings"},
        {{"diff", "a", "b", "--threshold", "some"}, "not a percentage"},
        {{"check", "a", "--threshold", "5"}, "not an option of check"},
    };
    for (const auto& [arguments, error] : usage)
        EXPECT_TRUE(parseArguments(arguments).error.contains(QLatin1String(error)))
            << arguments.join(' ').toStdString() << ": "
            << parseArguments(arguments).error.toStdString();
}

TEST(CheckEvaluation, LimitsAreInclusiveAndEachRuleCanFail) {
    const std::vector<Rule> rules{rule("--max-load", "Control=25%"),
                                  rule("--max-load", "Control=24.9"),
                                  rule("--max-run-time", "Control=500us"),
                                  rule("--max-run-time", "Control=499us"),
                                  rule("--min-frequency", "Control=1kHz"),
                                  rule("--min-frequency", "Control=1001"),
                                  rule("--max-overflows", "2"),
                                  rule("--max-overflows", "1"),
                                  rule("--max-dropped", "14"),
                                  rule("--max-dropped", "13"),
                                  rule("--no-errors")};
    QString usage;
    const std::vector<RuleResult> results = evaluateRules(rules, oneSecond(), 0, &usage);
    EXPECT_TRUE(usage.isEmpty());
    const std::vector<std::pair<bool, QString>> expected{
        {true, "25.00%"},     {false, "25.00%"},    {true, "500.000us"}, {false, "500.000us"},
        {true, "1.00000kHz"}, {false, "1000.00Hz"}, {true, "2"},         {false, "2"},
        {true, "14"},         {false, "14"},        {true, "0"}};
    EXPECT_EQ(outcomes(results), expected);
    EXPECT_EQ(results[1].rule, "--max-load Control=24.9");

    const std::vector<RuleResult> errors =
        evaluateRules({rule("--no-errors")}, oneSecond(), 3, &usage);
    EXPECT_EQ(outcomes(errors), (std::vector<std::pair<bool, QString>>{{false, "3"}}));
}

TEST(CheckEvaluation, EveryContextAndUnknownNames) {
    QString usage;
    const std::vector<RuleResult> every =
        evaluateRules({rule("--max-run-time", "*=1ms")}, oneSecond(), std::nullopt, &usage);
    ASSERT_EQ(every.size(), 2u);
    EXPECT_EQ(every[0].rule, "--max-run-time Idle=1ms");
    EXPECT_FALSE(every[0].passed);
    EXPECT_EQ(every[0].measured, "2.000000ms");
    EXPECT_TRUE(every[1].passed);

    const std::vector<RuleResult> unknown =
        evaluateRules({rule("--max-load", "Control=50"), rule("--max-load", "Contrl=50")},
                      oneSecond(), std::nullopt, &usage);
    EXPECT_TRUE(unknown.empty());
    EXPECT_TRUE(usage.contains("no context \"Contrl\"")) << usage.toStdString();
}

TEST(CheckEvaluation, WhatCannotBeMeasuredFails) {
    RecordingFigures figures = oneSecond();
    figures.frequency = 0;
    QString usage;
    const std::vector<RuleResult> results =
        evaluateRules({rule("--max-load", "Control=100"), rule("--max-run-time", "Control=1s"),
                       rule("--min-frequency", "Control=0"), rule("--max-overflows", "5")},
                      figures, std::nullopt, &usage);
    ASSERT_EQ(results.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(results[i].passed);
        EXPECT_TRUE(results[i].measured.contains("no timestamp frequency"));
    }
    EXPECT_TRUE(results[3].passed);
    figures.frequency = 1'000'000;
    figures.duration = 0;
    EXPECT_FALSE(evaluateRules({rule("--max-load", "Idle=100")}, figures, {}, &usage)[0].passed);
}

TEST(CheckJUnit, ReportReadsBackWithEveryResult) {
    const QTemporaryDir dir;
    const QString path = dir.filePath("report.xml");
    const std::vector<RuleResult> results{{true, "--max-load Control=50%", "12.87%"},
                                          {false, "--max-run-time <&\"x\"=1us", "3.000us"},
                                          {true, "--no-errors", "0"},
                                          {true, QString("--max-load T\x01\x1f=5%"), "1.00%"}};
    QString error;
    ASSERT_TRUE(writeJUnitReport(path, "/some/where/rec.KVDat", results, &error))
        << error.toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList cases;
    QStringList failures;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"testsuite") {
            EXPECT_EQ(xml.attributes().value("name"), u"kavrin-cli check rec.KVDat");
            EXPECT_EQ(xml.attributes().value("tests"), u"4");
            EXPECT_EQ(xml.attributes().value("failures"), u"1");
            continue; // into its test cases
        }
        ASSERT_EQ(xml.name(), u"testcase");
        cases << xml.attributes().value("name").toString();
        while (xml.readNextStartElement()) {
            if (xml.name() == u"failure")
                failures << xml.attributes().value("message").toString();
            xml.skipCurrentElement();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    // Control characters of a name do not break the XML.
    EXPECT_EQ(cases, QStringList({"--max-load Control=50%", "--max-run-time <&\"x\"=1us",
                                  "--no-errors", "--max-load T?\?=5%"}));
    EXPECT_EQ(failures, QStringList{"measured 3.000us"});

    EXPECT_FALSE(writeJUnitReport(dir.filePath("missing/report.xml"), "r", results, &error));
    EXPECT_TRUE(error.startsWith("cannot write")) << error.toStdString();
}

TEST(DiffFigures, SameRecordingShowsNoChange) {
    bool marked = true;
    const std::vector<QStringList> lines = diffContexts(oneSecond(), oneSecond(), 0.0, &marked);
    EXPECT_FALSE(marked);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 17);
    EXPECT_EQ(lines[0].first(), "Context");
    EXPECT_EQ(lines[0].last(), "Marks");
    EXPECT_EQ(lines[2], QStringList({"Control", "1000", "1000", "+0", "1000.000", "1000.000",
                                     "+0.000", "500.000", "500.000", "+0.000", "250000.000",
                                     "250000.000", "+0.000", "25.000", "25.000", "+0.000", ""}));
}

TEST(DiffFigures, ChangesAboveTheThresholdAreMarked) {
    RecordingFigures changed = oneSecond();
    changed.contexts[0].runCount = 945;         // Idle +5 %
    changed.contexts[1].maxRunTime = 750;       // Control +50 %
    changed.contexts[1].totalRunTime = 200'000; // -20 %
    changed.contexts.push_back({QStringLiteral("Logger"), 10, 40, 400});
    RecordingFigures before = oneSecond();
    before.contexts.push_back({QStringLiteral("Spare"), 0, 0, 0});
    before.contexts.push_back({QStringLiteral("Gone"), 1, 1, 1});
    changed.contexts.push_back({QStringLiteral("Spare"), 2, 5, 10});

    bool marked = false;
    const std::vector<QStringList> lines = diffContexts(before, changed, 10.0, &marked);
    EXPECT_TRUE(marked);
    std::map<QString, QString> marks;
    for (const QStringList& line : lines)
        marks[line.first()] = line.last();
    EXPECT_EQ(marks["Idle"], "");
    EXPECT_EQ(marks["Control"],
              "Max Run Time/us +50.00%, Total Run Time/us -20.00%, Load/% -20.00%");
    EXPECT_EQ(marks["Spare"], "Run Count new, Frequency/Hz new, Max Run Time/us new, "
                              "Total Run Time/us new, Load/% new");
    EXPECT_EQ(marks["Gone"], "only in A");
    EXPECT_EQ(marks["Logger"], "only in B");
    EXPECT_EQ(lines.back().first(), "Logger"); // B's new contexts come last
    EXPECT_EQ(lines.back()[1], "");            // with no value in A and no difference
    EXPECT_EQ(lines.back()[3], "");

    // Without a threshold nothing counts as a change.
    diffContexts(before, changed, std::nullopt, &marked);
    EXPECT_FALSE(marked);
}

TEST(CheckRecording, FiguresCoverTheWholeRecording) {
    const QTemporaryDir dir;
    std::FILE* messages = std::tmpfile();
    // Within one window the analysed figures are those the contexts list shows once open.
    {
        Recording small(7, false, messages);
        QString error;
        ASSERT_TRUE(small.open(generate(dir, 20'000), &error)) << error.toStdString();
        const RecordingFigures& figures = small.analysedFigures();
        ASSERT_GT(figures.contexts.size(), 5u);
        EXPECT_EQ(figures.frequency, small.presentation().timeBase.frequency);
        for (const uint32_t id : small.engine().contextList.rows()) {
            const ContextInfo* info = small.engine().tracker.contexts.find(id);
            const ContextFigures* context =
                figures.find(ContextNameText(small.engine().tracker, id));
            ASSERT_TRUE(info && context);
            EXPECT_EQ(context->runCount, info->runCount);
            EXPECT_EQ(context->maxRunTime, info->maxRunTime);
            EXPECT_EQ(context->totalRunTime, info->totalRunTime);
        }
    }
    // Past one window the list holds the first window only; the figures count every event.
    Recording large(7, false, messages);
    QString error;
    ASSERT_TRUE(large.open(generate(dir, 1'100'000), &error)) << error.toStdString();
    const ContextInfo* idle = large.engine().tracker.contexts.find(0);
    ASSERT_TRUE(idle);
    const ContextFigures* analysed = large.analysedFigures().find(QStringLiteral("Idle"));
    ASSERT_TRUE(analysed);
    EXPECT_GT(analysed->runCount, idle->runCount + idle->runCount / 20);
    std::fclose(messages);
}

TEST(CheckRecording, ErrorMessagesAreCountedOverTheRecording) {
    const QTemporaryDir dir;
    const QString recording = generate(dir, 30'000, {"--scenario", "api"});
    const QString csv = dir.filePath("events.csv");
    ASSERT_EQ(run({"export", recording, "--format", "csv", csv}).status, ExitSuccess);
    QFile exported(csv);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const qsizetype errors = exported.readAll().count(", Error,");
    ASSERT_GT(errors, 0);

    const CommandRun checked = run({"check", recording, "--no-errors", "--max-dropped", "0"});
    EXPECT_EQ(checked.status, ExitFailed);
    EXPECT_EQ(checked.out,
              "FAIL\t--no-errors\t" + QByteArray::number(errors) + "\nPASS\t--max-dropped 0\t0\n");
}
