// Live recording in the window, as fast as the simulated target can produce: the sustained
// rate the host takes, whether the target had to drop events, and how long the GUI thread's
// live slices take against their budget. Runs offscreen:
//   kavrin_live_window_bench [SECONDS] [EVENTS_PER_SECOND] [MEMORY_EVERY]
// EVENTS_PER_SECOND 0: as fast as the host reads. MEMORY_EVERY > 0 prints a line "memory
// SECONDS EVENTS RSS_MB STREAM_MB RECORDINGS" that often (seconds), for soak runs
// (bench/soak/live-soak.sh); those runs start a new recording whenever one ends because the
// stream buffer reached its limit, so they can run longer than one buffer lasts.
#include "app/KavrinMainWindow.h"
#include "recorder/LiveRecorder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kavrin;

namespace {

// Times each tick of the channel timer from its timer event to the end of its slot.
class SliceClock : public QObject {
public:
    explicit SliceClock(QTimer* timer) {
        timer->installEventFilter(this);
        connect(timer, &QTimer::timeout, this, [this] { slices.push_back(clock_.nsecsElapsed()); });
    }
    std::vector<qint64> slices; // nanoseconds

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer)
            clock_.start();
        return false;
    }

private:
    QElapsedTimer clock_;
};

double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / 1e6 : 0;
}

double percentile(std::vector<qint64> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return double(values[size_t(share * double(values.size() - 1))]) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int rate = argc > 2 ? atoi(argv[2]) : 0;
    const int memoryEvery = argc > 3 ? std::max(0, atoi(argv[3])) : 0;

    QTemporaryDir dir;
    QFile scenario(dir.filePath(QStringLiteral("scenario.ini")));
    if (!scenario.open(QIODevice::WriteOnly))
        return 2;
    scenario.write(QStringLiteral("[Target]\nScenario=busy\nEventRate=%1\nRingSize=65536\n")
                       .arg(rate)
                       .toLatin1());
    scenario.close();
    qputenv("KAVRIN_SIM_SCENARIO", scenario.fileName().toLocal8Bit());

    StartupOptions options;
    options.settingsPath = dir.filePath(QStringLiteral("settings.ini"));
    options.applicationDir = QCoreApplication::applicationDirPath();
    UserPrompts prompts;
    prompts.askYesNo = [](const QString&) { return false; };
    prompts.configureConnection = [](const ConnectionSettings&) {
        return std::optional<ConnectionDialogFields>(ConnectionDialogFields{});
    };
    prompts.notify = [](QMessageBox::Icon, const QString&, const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    prompts.showSuppressible = [](const SuppressibleMessage&) {};
    KavrinMainWindow window(options, prompts);
    window.resize(1600, 1000);
    window.show();
    if (!QTest::qWaitFor([&] { return window.runState() == RunState::Idle; }, 10'000))
        return 1;

    window.startRecording();
    if (!QTest::qWaitFor([&] { return window.runState() == RunState::Recording; }, 20'000)) {
        std::fprintf(stderr, "the recording did not start\n");
        return 1;
    }
    QTimer* channel = nullptr;
    for (QTimer* timer : window.findChildren<QTimer*>())
        if (timer->isActive() && timer->interval() == 10)
            channel = timer;
    SliceClock clock(channel);
    const uint64_t bytesBefore = window.recorder().bytesReceived();
    const uint32_t eventsBefore = window.engine().nextIndex;
    QElapsedTimer wall;
    wall.start();
    int recordings = 1;
    for (int second = 1; second <= seconds; ++second) {
        QTest::qWait(int(std::max<qint64>(0, second * 1000 - wall.elapsed())));
        if (memoryEvery == 0)
            continue;
        if (window.runState() == RunState::Idle) { // the stream buffer is full
            window.startRecording();
            ++recordings;
        }
        if (second % memoryEvery == 0) {
            std::printf("memory %d %u %.1f %.1f %d\n", second, window.engine().nextIndex,
                        residentMegabytes(), double(window.recorder().bytesReceived()) / 1e6,
                        recordings);
            std::fflush(stdout);
        }
    }
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const uint64_t bytes = window.recorder().bytesReceived() - bytesBefore;
    const uint32_t events = window.engine().nextIndex - eventsBefore;
    window.stopRecording();
    if (!QTest::qWaitFor([&] { return window.runState() == RunState::Idle; }, 20'000))
        std::fprintf(stderr, "the recording did not stop\n");

    const TrackerCounters& counters = window.engine().tracker.counters;
    const auto overBudget = std::count_if(clock.slices.begin(), clock.slices.end(),
                                          [](qint64 ns) { return ns > 8'000'000; });
    std::printf("received     %.1f MB/s, %.2f M events/s over %.1f s\n",
                double(bytes) / 1e6 / elapsed, double(events) / 1e6 / elapsed, elapsed);
    std::printf("target drops %u overflow packets, %u events\n", counters.overflowCount,
                counters.overflowCount == 0 ? 0u : counters.lastDropCount + counters.overflowCount);
    std::printf("live slices  %zu: median %.2f ms, p99 %.2f ms, max %.2f ms; %lld over the 8 ms "
                "budget\n",
                clock.slices.size(), percentile(clock.slices, 0.5), percentile(clock.slices, 0.99),
                percentile(clock.slices, 1.0), static_cast<long long>(overBudget));
    return 0;
}
