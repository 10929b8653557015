#pragma once

#include <QString>

#include <functional>
#include <utility>

namespace kavrin {

enum LogLevel : unsigned {
    LogNothing = 0,
    LogErrors = 1,
    LogWarnings = 2,
    LogMessages = 3,
    LogDiagnostics = 4,
};
inline constexpr unsigned DefaultLogLevel = LogMessages;

// The program's own messages. The owner chooses where lines go (log pane, stderr, a list in
// tests); without a writer every line is dropped.
class Log {
public:
    using Writer = std::function<void(const QString& line)>;

    Log() = default;
    explicit Log(Writer writer, unsigned level = DefaultLogLevel)
        : writer_(std::move(writer)), level_(level) {}

    void setWriter(Writer writer) { writer_ = std::move(writer); }
    void setLevel(unsigned level) { level_ = level; }
    unsigned level() const { return level_; }

    void error(const QString& text) const { write(LogErrors, "Error: ", text); }
    void warning(const QString& text) const { write(LogWarnings, "Warning: ", text); }
    void message(const QString& text) const { write(LogMessages, "", text); }
    void diagnostic(const QString& text) const { write(LogDiagnostics, "Diagnostic: ", text); }

private:
    void write(unsigned needed, const char* prefix, const QString& text) const {
        if (writer_ && level_ >= needed)
            writer_(QLatin1String(prefix) + text);
    }

    Writer writer_;
    unsigned level_ = DefaultLogLevel;
};

} // namespace kavrin
