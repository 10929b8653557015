#pragma once

#include <QDateTime>
#include <QString>
#include <QTextEdit>

namespace kavrin {

// The read-only text area that collects the program's own messages. The owner routes the
// lines of its Log here; the level filter is the Log's.
class LogPane : public QTextEdit {
    Q_OBJECT
public:
    // Writes the two header entries, whatever the log level.
    explicit LogPane(const QDateTime& started = QDateTime::currentDateTime(),
                     QWidget* parent = nullptr);

    // One paragraph per line.
    void appendLine(const QString& line);
};

} // namespace kavrin
