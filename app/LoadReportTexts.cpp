#include "app/LoadReportTexts.h"

namespace kavrin {

QString loadSummaryHeadline(uint32_t loaded, const StreamStopInfo& stop, const QString& readError) {
    if (stop.reason == StreamStop::None)
        return QStringLiteral("%1 Events loaded successfully.").arg(loaded);
    QString why = streamDamageText(stop);
    if (why.isEmpty())
        why = streamStopCause(stop.reason, readError);
    else
        why += stop.cutOff ? QStringLiteral(" (cut off)") : QStringLiteral(" (corrupted)");
    // The list numbers events from 1: the last event decoded is #eventIndex.
    return QStringLiteral("%1 Events loaded.\nThe recording breaks off after event #%2, at file "
                          "offset %3: %4.")
        .arg(loaded)
        .arg(stop.eventIndex)
        .arg(stop.offset)
        .arg(why);
}

QString noRecordingText(const QString& path, const StreamStopInfo& stop) {
    const QString why =
        stop.reason == StreamStop::NoStartPacket
            ? QStringLiteral("the stream has no Start packet")
            : QStringLiteral("at file offset %1 %2").arg(stop.offset).arg(streamDamageText(stop));
    return QStringLiteral("%1 holds no Kavrin recording: no event can be decoded from it (%2).")
        .arg(path, why);
}

} // namespace kavrin
