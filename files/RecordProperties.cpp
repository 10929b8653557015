#include "files/RecordProperties.h"

#include <QLocale>

namespace kavrin {

namespace {
constexpr int DescriptionSummaryLength = 64;
}

void RecordProperties::clear(const QDateTime& now) {
    recordTime = now;
    title.clear();
    author.clear();
    description.clear();
}

QString RecordProperties::hostTimeText() const {
    return formatRecordTime(recordTime);
}

QString RecordProperties::descriptionSummary() const {
    QString summary = description;
    summary.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return summary.left(DescriptionSummaryLength);
}

QString formatRecordTime(const QDateTime& time) {
    return QLocale::c().toString(time, QLatin1String(RecordTimeFormat));
}

QDateTime parseRecordTime(const QString& text) {
    return QLocale::c().toDateTime(text, QLatin1String(RecordTimeFormat));
}

} // namespace kavrin
