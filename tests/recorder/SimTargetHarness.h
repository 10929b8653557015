#pragma once

#include "recorder/ProbeLibrary.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <thread>

namespace kavrin::test {

// A scenario of the simulated target behind libVantarARM.so, named by KAVRIN_SIM_SCENARIO
// while it lives. Each text is made unique, so the library builds a fresh target for it. The
// target logs every command byte it receives.
class SimScenario {
public:
    explicit SimScenario(const QString& text) {
        static int made = 0;
        const QString path = dir_.filePath(QStringLiteral("scenario.ini"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write((QStringLiteral("; scenario %1\n").arg(++made) + text +
                        QStringLiteral("\n[Target]\nCommandLog=%1\n").arg(commandLogPath()))
                           .toUtf8());
        qputenv("KAVRIN_SIM_SCENARIO", path.toLocal8Bit());
    }
    ~SimScenario() { qunsetenv("KAVRIN_SIM_SCENARIO"); }

    QString commandLogPath() const { return dir_.filePath(QStringLiteral("commands.bin")); }
    QByteArray commands() const {
        QFile log(commandLogPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// The build's probe library, with its messages collected instead of shown.
struct BuildProbeLibrary {
    QStringList messages;
    ProbeLibrary library{QStringLiteral(PROGRAM_FOLDER "/tests"), [] { return std::nullopt; },
                         [this](const QString&, const QString& text) { messages << text; }};
};

// Waits, doing `meanwhile`, until `condition` holds; false after a generous bound (the
// target runs on its own thread; this is no timing check).
inline bool eventually(const std::function<bool()>& condition,
                       const std::function<void()>& meanwhile = {}) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        if (meanwhile)
            meanwhile();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace kavrin::test
