#include "views/LogPane.h"

#include <QLocale>
#include <QTextCursor>

namespace kavrin {

LogPane::LogPane(const QDateTime& started, QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setAcceptRichText(false);
    appendLine(QStringLiteral("Norvan Kavrin V2.37a\nCompiled on Jun 17 2016"));
    // English month names whatever the user's locale, like the data file headers.
    appendLine(QStringLiteral("Logging started @ ") +
               QLocale::c().toString(started, QStringLiteral("dd MMM yyyy hh:mm:ss")) + u'\n');
}

// Inserted as plain text: a target's log message may hold characters that look like markup.
void LogPane::appendLine(const QString& line) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(line);
}

} // namespace kavrin
