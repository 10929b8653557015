#pragma once

#include <QDateTime>
#include <QString>

namespace kavrin {

// The program's version string, written into every data file header.
inline constexpr char ProgramVersion[] = "Norvan Kavrin V2.37a";
// Record times in headers and in the system information; month names are always English.
inline constexpr char RecordTimeFormat[] = "dd MMM yyyy hh:mm:ss";

// When, by whom and about what a recording was made.
struct RecordProperties {
    QDateTime recordTime;
    QString title;
    QString author;
    QString description; // may hold line breaks

    // Clearing all data starts a new recording now, with no texts.
    void clear(const QDateTime& now = QDateTime::currentDateTime());

    // "Host Time" of the system information.
    QString hostTimeText() const;
    // "Description" of the system information: one line, at most 64 characters.
    QString descriptionSummary() const;
};

QString formatRecordTime(const QDateTime& time);
// An invalid time when the text does not match the record time format.
QDateTime parseRecordTime(const QString& text);

} // namespace kavrin
