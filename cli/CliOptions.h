#pragma once

#include "cli/Rules.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace kavrin::cli {

enum class Command { Events, Contexts, Info, Export, Overview, Check, Diff, Record, Help };
enum class ExportFormat { Csv, Json, Chrome };

// What `record` was told; unset values are the program's defaults.
struct RecordOptions {
    std::optional<double> durationSeconds;
    std::optional<uint32_t> events;
    std::optional<QString> device;
    std::optional<int> targetInterface; // 0 JTAG, 1 SWD
    std::optional<uint32_t> speed;      // kHz
    std::optional<uint32_t> usbSerial;
    std::optional<QString> ip; // HOST[:PORT]
    std::optional<QString> address;
    std::optional<QString> searchRanges;
    QString title;
    QString author;
    QString description;
};

struct CliOptions {
    Command command = Command::Help;
    QString helpTopic; // the command whose help was asked for; empty for the overview
    QString file;
    std::optional<uint32_t> first;
    std::optional<uint32_t> count;
    std::optional<uint32_t> bins; // overview: bins printed
    int resolution = 7;
    bool systemTime = false;
    ExportFormat format = ExportFormat::Csv;
    QString output;
    RecordOptions record;
    std::vector<Rule> rules;         // check
    QString junit;                   // check: the JUnit report's path
    QString secondFile;              // diff: B
    std::optional<double> threshold; // diff: percent
};

struct ParseResult {
    CliOptions options;
    QString error; // a usage error when not empty
};

// `arguments` without the program name.
ParseResult parseArguments(const QStringList& arguments);

// The help text of a command, or the overview for an empty or unknown topic.
QString helpText(const QString& topic);

} // namespace kavrin::cli
