#pragma once

// Helpers of the kavrin-cli tests: recordings from kavrin-gen and commands run in-process.

#include "cli/CliOptions.h"
#include "cli/Commands.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace kavrin::cli::test {

// A control recording of `events` events (seed 11) in `dir`; `extra` goes to kavrin-gen too.
inline QString generate(const QTemporaryDir& dir, uint32_t events, const QStringList& extra = {}) {
    const QString path = dir.filePath(QStringLiteral("rec%1%2.KVDat")
                                          .arg(events)
                                          .arg(extra.join(QString()).remove(u'/').remove(u'-')));
    QProcess gen;
    gen.start(QStringLiteral(KAVRIN_GEN),
              QStringList{QStringLiteral("--events"), QString::number(events),
                          QStringLiteral("--seed"), QStringLiteral("11")} +
                  extra + QStringList{path});
    EXPECT_TRUE(gen.waitForFinished(120'000));
    EXPECT_EQ(gen.exitCode(), 0);
    return path;
}

// Runs a command with stdout and stderr captured.
struct CommandRun {
    int status = -1;
    QByteArray out;
    QByteArray messages;
};

inline CommandRun run(const QStringList& arguments) {
    const ParseResult parsed = parseArguments(arguments);
    EXPECT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    std::FILE* out = std::tmpfile();
    std::FILE* messages = std::tmpfile();
    CommandRun result;
    result.status = runCommand(parsed.options, out, messages);
    for (auto [file, bytes] :
         {std::pair{out, &result.out}, std::pair{messages, &result.messages}}) {
        std::fflush(file);
        std::rewind(file);
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes->append(buffer, qsizetype(n));
        std::fclose(file);
    }
    return result;
}

} // namespace kavrin::cli::test
