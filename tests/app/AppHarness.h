#pragma once

#include "app/AnnoyingDialog.h"
#include "app/KavrinMainWindow.h"
#include "app/RunState.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace kavrin::test {

// The build places the programs, Description/ and Sample/ beside the test executables.
inline QString binDir() {
    return QCoreApplication::applicationDirPath();
}

// Runs a program of the build; its stdout, or a failed check.
inline QByteArray runProgram(const QString& name, const QStringList& arguments,
                             int expectedExit = 0) {
    QProcess process;
    process.start(binDir() + u'/' + name, arguments);
    if (!process.waitForFinished(120'000))
        qFatal("%s did not finish", qPrintable(name));
    if (process.exitCode() != expectedExit)
        qWarning("%s exited with %d: %s", qPrintable(name), process.exitCode(),
                 process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

// A recording made by the generator.
inline QString generateRecording(const QTemporaryDir& dir, const QString& name,
                                 const QString& scenario, int events) {
    const QString path = dir.filePath(name);
    runProgram(QStringLiteral("kavrin-gen"),
               {QStringLiteral("--scenario"), scenario, QStringLiteral("--events"),
                QString::number(events), QStringLiteral("--seed"), QStringLiteral("7"), path});
    return path;
}

// The cli's field escaping, so that model texts compare with its lines.
inline QString escaped(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\t', QStringLiteral("\\t"));
    text.replace(u'\r', QStringLiteral("\\r"));
    text.replace(u'\n', QStringLiteral("\\n"));
    return text;
}

inline QStringList modelLines(const QAbstractItemModel& model) {
    QStringList lines;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList fields;
        for (int column = 0; column < model.columnCount(); ++column)
            fields.append(escaped(model.index(row, column).data().toString()));
        lines.append(fields.join(u'\t'));
    }
    return lines;
}

inline QStringList cliLines(const QString& command, const QString& file) {
    return QString::fromUtf8(runProgram(QStringLiteral("kavrin-cli"), {command, file}))
        .split(u'\n', Qt::SkipEmptyParts);
}

// The text of the log pane.
inline QString logText(KavrinMainWindow& window) {
    return window.findChild<QTextEdit*>()->toPlainText();
}

// What the window asked and told; answers are set by the test.
struct PromptLog {
    QStringList questions;
    QStringList messages;
    QStringList summaries;
    QStringList notices; // recording message boxes: "title|text"
    QStringList suppressible;
    QStringList dialogs; // the other dialogs opened, by their titles
    bool answer = false;
    // The configuration dialog's answer; none: cancelled.
    std::optional<ConnectionDialogFields> connection = ConnectionDialogFields{};
    // What the user does in the dialogs: changes the values and accepts (true) or cancels.
    std::function<bool(RecordProperties&)> properties = [](RecordProperties&) { return true; };
    std::function<bool(Preferences&)> preferences = [](Preferences&) { return false; };
    std::function<bool(TimelineIndicators&)> indicators = [](TimelineIndicators&) { return false; };
    std::optional<GoToTarget> goTo; // none: cancelled
    GoToType goToType = GoToType::Event;
    GoToRange goToRange;
    // Whether a desktop viewer opens documents; the URLs asked for.
    bool viewer = true;
    QStringList opened;
};

// A window with its settings file in a temporary folder, prompts recorded instead of shown.
class WindowFixture {
public:
    // `adjust` may change the prompts before the window takes them (an empty one shows the
    // program's own dialog).
    explicit WindowFixture(const QString& startupFile = {}, const QString& settingsPath = {},
                           const std::function<void(UserPrompts&)>& adjust = {},
                           const QString& applicationDir = binDir()) {
        StartupOptions options;
        options.settingsPath = settingsPath.isEmpty() ? this->settingsPath() : settingsPath;
        options.applicationDir = applicationDir;
        options.startupFile = startupFile;
        UserPrompts prompts;
        prompts.askYesNo = [log = log](const QString& question) {
            log->questions.append(question);
            return log->answer;
        };
        prompts.inform = [log = log](const QString& message) { log->messages.append(message); };
        prompts.showSummary = [log = log](const QString& headline, const QString& overflow) {
            log->summaries.append(overflow.isEmpty() ? headline : headline + u'|' + overflow);
        };
        prompts.openFileName = [log = log] {
            log->dialogs.append(QStringLiteral("Open File"));
            return QString();
        };
        prompts.saveFileName = [this] {
            log->dialogs.append(QStringLiteral("Save File"));
            return saveName;
        };
        prompts.editProperties = [log = log](RecordProperties& properties) {
            log->dialogs.append(QStringLiteral("Recording Properties"));
            return log->properties(properties);
        };
        prompts.configureConnection = [log = log](const ConnectionSettings&) {
            log->dialogs.append(QStringLiteral("Configuration"));
            return log->connection;
        };
        prompts.notify = [log = log](QMessageBox::Icon, const QString& title, const QString& text) {
            log->notices.append(title + u'|' + text);
        };
        prompts.showSuppressible = [log = log](const SuppressibleMessage& message) {
            log->suppressible.append(message.title);
        };
        prompts.about = [log = log] { log->dialogs.append(QStringLiteral("About Kavrin")); };
        prompts.editPreferences = [log = log](Preferences& preferences) {
            log->dialogs.append(QStringLiteral("Preferences"));
            return log->preferences(preferences);
        };
        prompts.editMessageIndicators = [log = log](TimelineIndicators& indicators) {
            log->dialogs.append(QStringLiteral("Message Indicators"));
            return log->indicators(indicators);
        };
        prompts.goTo = [log = log](GoToType type, const GoToRange& range) {
            log->dialogs.append(QStringLiteral("Go To ..."));
            log->goToType = type;
            log->goToRange = range;
            return log->goTo;
        };
        prompts.openUrl = [log = log](const QUrl& url) {
            log->opened.append(url.toLocalFile());
            return log->viewer;
        };
        if (adjust)
            adjust(prompts);
        window = std::make_unique<KavrinMainWindow>(options, prompts);
    }

    // Opens `path` as the recent-files menu would and waits for both passes.
    bool open(const QString& path) {
        window->resetAllData();
        window->AnalyzeFile(path);
        return waitForIdle();
    }

    QString settingsPath() const {
        return dir.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.37a.ini"));
    }

    bool waitForIdle() {
        return QTest::qWaitFor(
            [this] { return !window->passRunning() && window->runState() != RunState::Loading; },
            120'000);
    }

    QTemporaryDir dir;
    std::shared_ptr<PromptLog> log = std::make_shared<PromptLog>();
    QString saveName;
    std::unique_ptr<KavrinMainWindow> window;
};

// Handles every modal dialog that the code under test opens: `handle` gets it and closes it.
class ModalDialogs {
public:
    explicit ModalDialogs(std::function<void(QDialog& dialog)> handle)
        : handle_(std::move(handle)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                titles.append(dialog->windowTitle());
                handle_(*dialog);
            }
        });
        timer_.start(10);
    }

    QStringList titles; // of the dialogs handled, once per call of `handle`

private:
    std::function<void(QDialog& dialog)> handle_;
    QTimer timer_;
};

// Preferences that differ from the defaults in every value, some at the ends of their ranges.
inline Preferences unusualPreferences() {
    Preferences preferences;
    preferences.loadDataOnStart = false;
    preferences.saveRecordProperties = false;
    preferences.timeline.invertWheelControl = true;
    preferences.logLevel = 4;
    preferences.timeline.existingTaskHighlight = 0;
    preferences.timeline.taskReadyHighlight = 0;
    preferences.timeline.timelineEventMarker = 0;
    preferences.timeline.indicatorLevel = 2;
    preferences.timeline.indicatorZoom = 21;
    preferences.sysDescFreq = 15;
    preferences.taskListFreq = 86400;
    preferences.sysTimeFreq = 1;
    preferences.requestModules = false;
    preferences.showSystemInfoDialog = false;
    preferences.showRecordingPropertiesDialog = false;
    preferences.dialogSuppressed = {false, true};
    return preferences;
}

// Clicks the dialog's button with this text.
inline void clickButton(QDialog& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text) {
            button->click();
            return;
        }
    qWarning("no button %s", qPrintable(text));
}

inline constexpr int Patience = 20'000; // ms; the machine may be busy

// Chooses the simulated target's behaviour for the next probe session.
class Scenario {
public:
    explicit Scenario(const QByteArray& ini) {
        QFile file(dir_.filePath(QStringLiteral("scenario.ini")));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the scenario");
        file.write(ini);
        qputenv("KAVRIN_SIM_SCENARIO", file.fileName().toLocal8Bit());
    }
    ~Scenario() { qunsetenv("KAVRIN_SIM_SCENARIO"); }
    Scenario(const Scenario&) = delete;
    Scenario& operator=(const Scenario&) = delete;

private:
    QTemporaryDir dir_;
};

inline bool waitForState(KavrinMainWindow& window, RunState state) {
    return QTest::qWaitFor([&] { return window.runState() == state; }, Patience);
}

// A window past its first tick, ready to record.
struct StartedWindow : WindowFixture {
    explicit StartedWindow(const QString& settingsPath = {}) : WindowFixture({}, settingsPath) {
        if (!waitForState(*window, RunState::Idle))
            qFatal("the window did not start");
    }
};

// Starts a recording and waits until `events` have been taken in (or the recording ended).
inline bool recordEvents(KavrinMainWindow& window, uint32_t events) {
    window.startRecording();
    if (!waitForState(window, RunState::Recording))
        return false;
    return QTest::qWaitFor(
        [&] {
            return window.engine().nextIndex >= events || window.runState() != RunState::Recording;
        },
        Patience);
}

} // namespace kavrin::test
