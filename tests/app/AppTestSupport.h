#pragma once

#include "app/AnnoyingDialog.h"
#include "app/KavrinMainWindow.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

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
    bool answer = false;
    // The configuration dialog's answer; none: cancelled.
    std::optional<ConnectionDialogFields> connection = ConnectionDialogFields{};
};

// A window with its settings file in a temporary folder, prompts recorded instead of shown.
class WindowFixture {
public:
    explicit WindowFixture(const QString& startupFile = {}, const QString& settingsPath = {}) {
        StartupOptions options;
        options.settingsPath = settingsPath.isEmpty()
                                   ? dir.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.37a.ini"))
                                   : settingsPath;
        options.applicationDir = binDir();
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
        prompts.openFileName = [] { return QString(); };
        prompts.saveFileName = [this] { return saveName; };
        prompts.editProperties = [](RecordProperties&) { return true; };
        prompts.configureConnection = [log = log](const ConnectionSettings&) {
            return log->connection;
        };
        prompts.notify = [log = log](QMessageBox::Icon, const QString& title, const QString& text) {
            log->notices.append(title + u'|' + text);
        };
        prompts.showSuppressible = [log = log](const SuppressibleMessage& message) {
            log->suppressible.append(message.title);
        };
        window = std::make_unique<KavrinMainWindow>(options, prompts);
    }

    // Opens `path` as the recent-files menu would and waits for both passes.
    bool open(const QString& path) {
        window->resetAllData();
        window->AnalyzeFile(path);
        return waitForIdle();
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

} // namespace kavrin::test
