#include "cli/ProgressLine.h"

#include "presentation/TimeText.h"

#include <unistd.h>

namespace kavrin::cli {

namespace {
constexpr qint64 QuietMilliseconds = 1000;
}

ProgressLine::ProgressLine(std::FILE* terminal)
    : terminal_(terminal && isatty(fileno(terminal)) ? terminal : nullptr) {}

void ProgressLine::start(const QString& label) {
    label_ = label;
    running_.start();
}

void ProgressLine::update(unsigned value) {
    if (!terminal_ || running_.elapsed() < QuietMilliseconds)
        return;
    const QByteArray text = (label_ + QLatin1Char(' ') + GroupedNumber(value)).toUtf8();
    std::fprintf(terminal_, "\r%s events\x1b[K", text.constData());
    std::fflush(terminal_);
    shown_ = true;
}

void ProgressLine::finish() {
    if (shown_)
        std::fputs("\r\x1b[K", terminal_);
    shown_ = false;
}

} // namespace kavrin::cli
