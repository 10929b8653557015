// Screenshots of the window and of its dialogs for the manual, taken offscreen from the sample
// recordings beside the program: kavrin-manual-shots OUTPUT_DIR
#include "app/AboutDialog.h"
#include "app/AnnoyingDialog.h"
#include "app/GoToDialog.h"
#include "app/KavrinMainWindow.h"
#include "app/MessageIndicatorDialog.h"
#include "app/PreferencesDialog.h"
#include "app/PropertiesDialog.h"
#include "presentation/models/EventModel.h"
#include "recorder/DeviceSelectionDialog.h"
#include "views/EventView.h"
#include "views/SystemInfoDialog.h"
#include "views/ZoomLevels.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

using namespace kavrin;

namespace {

constexpr int Patience = 60'000; // ms

[[noreturn]] void fail(const QString& text) {
    std::fprintf(stderr, "kavrin-manual-shots: %s\n", qUtf8Printable(text));
    std::exit(1);
}

// Runs the event loop until `done`, or fails.
void waitFor(const std::function<bool()>& done, const char* what) {
    const QDeadlineTimer deadline(Patience);
    while (!done()) {
        if (deadline.hasExpired())
            fail(QStringLiteral("timed out waiting for ") + QLatin1String(what));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
}

class Camera {
public:
    explicit Camera(QString folder) : folder_(std::move(folder)) {
        if (!QDir().mkpath(folder_))
            fail(QStringLiteral("cannot create ") + folder_);
    }

    void shoot(QWidget& widget, const char* name) const {
        widget.show();
        QCoreApplication::processEvents();
        const QString path = folder_ + u'/' + QLatin1String(name) + QStringLiteral(".png");
        if (!widget.grab().save(path))
            fail(QStringLiteral("cannot write ") + path);
        widget.hide();
    }

private:
    QString folder_;
};

void open(KavrinMainWindow& window, const QString& path) {
    if (!QFile::exists(path))
        fail(QStringLiteral("no sample recording ") + path);
    window.resetAllData();
    window.AnalyzeFile(path);
    waitFor([&window] { return !window.passRunning() && window.runState() == RunState::Idle; },
            "the recording to load");
}

void selectRow(KavrinMainWindow& window, int row) {
    window.eventView().setCurrentIndex(window.eventModel().index(row, 0));
}

// The dialogs that need a recording with overflows.
void shootOverflowDialogs(KavrinMainWindow& window, const Camera& camera) {
    open(window, QCoreApplication::applicationDirPath() + "/Sample/Overflows.KVDat");
    const TrackerCounters& counters = window.engine().tracker.counters;
    SystemInfoDialog summary(
        window.systemInfoModel(),
        QStringLiteral("%1 Events loaded successfully.").arg(window.eventModel().rowCount()),
        overflowLineText(counters.overflowCount, counters.lastDropCount));
    camera.shoot(summary, "system-information");
    bool suppressed = false;
    AnnoyingDialog notice({overflowExplanationTitle(), overflowExplanationText(), &suppressed});
    camera.shoot(notice, "overflow-notice");
}

void shootDialogs(KavrinMainWindow& window, const Camera& camera) {
    AboutDialog about;
    camera.shoot(about, "about");
    PreferencesDialog preferences(window.settings().preferences);
    camera.shoot(preferences, "preferences");
    const SystemInfoTable& info = window.presentation().systemInfo;
    PropertiesDialog properties(window.properties(), info.rowText(SystemInfoRow::Name),
                                info.rowText(SystemInfoRow::Device));
    camera.shoot(properties, "recording-properties");
    const TimelineIndicators& indicators = window.settings().preferences.timeline;
    MessageIndicatorDialog messageIndicators(indicators.indicatorLevel, indicators.indicatorZoom);
    camera.shoot(messageIndicators, "message-indicators");
    const Presentation& presentation = window.presentation();
    GoToDialog goToEvent(GoToType::Event, window.goToRange(), presentation.timeBase,
                         presentation.display.resolution);
    camera.shoot(goToEvent, "go-to-event");
    GoToDialog goToTime(GoToType::RecordingTimestamp, window.goToRange(), presentation.timeBase,
                        presentation.display.resolution);
    camera.shoot(goToTime, "go-to-timestamp");

    ProbeLibrary probe(
        QCoreApplication::applicationFilePath(), [] { return std::optional<QString>(); },
        [](const QString& title, const QString& text) {
            fail(title + QStringLiteral(": ") + text);
        });
    DeviceListCache devices;
    DeviceSelectionDialog configuration(window.settings().connection, probe, devices);
    camera.shoot(configuration, "configuration");
}

} // namespace

// The offscreen platform warns about every window that it cannot size as asked; the shots
// are taken as laid out.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains(QStringLiteral("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, message)));
}

int main(int argc, char** argv) {
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    if (argc != 2)
        fail(QStringLiteral("usage: kavrin-manual-shots OUTPUT_DIR"));
    const Camera camera(QString::fromLocal8Bit(argv[1]));

    // A settings file of its own, and no questions.
    QTemporaryDir settings;
    StartupOptions options;
    options.settingsPath = settings.filePath(QStringLiteral("Norvan Kavrin V2.37a.ini"));
    options.applicationDir = QCoreApplication::applicationDirPath();
    UserPrompts prompts;
    prompts.askYesNo = [](const QString&) { return false; };
    prompts.inform = [](const QString& text) { fail(text); };
    prompts.showSummary = [](const QString&, const QString&) {};
    KavrinMainWindow window(options, prompts);
    window.resize(1280, 900);
    window.show();
    waitFor([&window] { return window.runState() == RunState::Idle; }, "the window to start");

    shootOverflowDialogs(window, camera);

    // The main window with every pane, on the control loop sample.
    open(window, QCoreApplication::applicationDirPath() + "/Sample/ControlLoop.KVDat");
    for (QAction* pane : window.actions().panes)
        pane->setChecked(true);
    window.OnZoomChanged(8); // "View 5ms"
    selectRow(window, 2400);
    window.UpdateStats();
    QCoreApplication::processEvents();
    camera.shoot(window, "main-window");

    shootDialogs(window, camera);
    return 0;
}
