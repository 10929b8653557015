#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace kavrin::cli {

// One self-overwriting progress line on a terminal, shown once a pass has run for a second.
class ProgressLine {
public:
    explicit ProgressLine(std::FILE* terminal);

    void start(const QString& label);
    void update(unsigned value);
    void finish();

private:
    std::FILE* terminal_; // null when the stream is not a terminal
    QElapsedTimer running_;
    QString label_;
    bool shown_ = false;
};

} // namespace kavrin::cli
