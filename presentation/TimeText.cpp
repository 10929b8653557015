#include "presentation/TimeText.h"

#include "engine/EventStore.h"

#include <algorithm>

namespace kavrin {

namespace {

constexpr uint64_t NsPerUs = 1000;
constexpr uint64_t NsPerMs = 1000 * NsPerUs;
constexpr uint64_t NsPerSecond = 1000 * NsPerMs;
constexpr uint64_t NsPerMinute = 60 * NsPerSecond;
constexpr uint64_t NsPerHour = 60 * NsPerMinute;

QString zeroPadded(uint64_t value, int width) {
    return QString::number(value).rightJustified(width, u'0');
}

// The three-place field in front of the decimal point.
QString wholeUnits(uint64_t value) {
    return QString::number(value).rightJustified(3, u' ');
}

// The first `places` digits (1 to 3) of a three-digit group, zero-padded.
QString leadingDigits(uint64_t group, int places) {
    places = std::clamp(places, 1, 3);
    static constexpr uint64_t divisors[] = {100, 10, 1};
    return zeroPadded(group / divisors[places - 1], places);
}

QString microseconds(uint64_t ns, int digits) {
    const uint64_t rest = ns % 1000;
    QString text = wholeUnits(ns / NsPerUs);
    if (digits > 6)
        text += rest == 0 ? QStringLiteral(".0") : u'.' + leadingDigits(rest, digits - 6);
    return text + QStringLiteral(" us");
}

QString milliseconds(uint64_t ns, int digits) {
    const uint64_t us = (ns / NsPerUs) % 1000;
    const uint64_t rest = ns % 1000;
    QString text = wholeUnits(ns / NsPerMs);
    if (digits > 3) {
        if (us == 0 && (rest == 0 || digits < 7))
            text += QStringLiteral(".0");
        else
            text += u'.' + leadingDigits(us, digits - 3);
    }
    if (digits >= 7 && rest != 0)
        text += leadingDigits(rest, digits - 6);
    return text + QStringLiteral(" ms");
}

QString seconds(uint64_t ns, int digits) {
    const uint64_t ms = (ns / NsPerMs) % 1000;
    const uint64_t us = (ns / NsPerUs) % 1000;
    const uint64_t rest = ns % 1000;
    const QString unit = QStringLiteral(" s");
    QString text = wholeUnits(ns / NsPerSecond);
    if (digits < 1)
        return text + unit;
    if (ms != 0 || (us != 0 && digits > 3) || (rest != 0 && digits > 6)) {
        text += u'.' + leadingDigits(ms, digits);
        if (digits < 3)
            return text + unit;
    } else {
        text += QStringLiteral(".0");
    }
    if (digits > 3) {
        if (us == 0 && rest != 0 && digits < 7)
            return text + unit;
        if (us != 0 || rest != 0) {
            text += leadingDigits(us, digits - 3);
            if (digits < 6)
                return text + unit;
        }
    }
    if (digits >= 7 && rest != 0)
        text += leadingDigits(rest, digits - 6);
    return text + unit;
}

} // namespace

QString ClockText(const TimeBase& timeBase, uint64_t ns, int digits) {
    if (!timeBase.valid)
        return {};
    if (digits < 1 || digits > 9)
        return QStringLiteral("???");
    const uint64_t hours = ns / NsPerHour;
    const uint64_t minutes = (ns / NsPerMinute) % 60;
    QString text;
    if (hours != 0)
        text = zeroPadded(hours, 2) + u':' + zeroPadded(minutes, 2) + u':';
    else if (minutes != 0)
        text = zeroPadded(minutes, 2) + u':';
    text += zeroPadded((ns / NsPerSecond) % 60, 2) + u'.' + zeroPadded((ns / NsPerMs) % 1000, 3);
    if (digits > 3)
        text += u' ' + zeroPadded((ns / NsPerUs) % 1000, 3);
    if (digits > 6)
        text += u' ' + zeroPadded(ns % 1000, 3);
    return text;
}

QString ClockTextFromTicks(const TimeBase& timeBase, uint64_t ticks, int digits) {
    return ClockText(timeBase, TicksToNs(timeBase, ticks), digits);
}

QString DurationText(const TimeBase& timeBase, uint64_t ticksA, uint64_t ticksB, int digits) {
    const uint64_t nsA = TicksToNs(timeBase, ticksA);
    const uint64_t nsB = TicksToNs(timeBase, ticksB);
    const uint64_t span = nsA > nsB ? nsA - nsB : nsB - nsA;
    if (span >= NsPerSecond)
        return seconds(span, digits);
    if (span < NsPerUs)
        return QString::number(span) + QStringLiteral(" ns");
    if (span < NsPerMs)
        return microseconds(span, digits);
    return milliseconds(span, digits);
}

QString SpanText(const TimeBase& timeBase, uint64_t ticks, int digits) {
    return DurationText(timeBase, ticks, 0, digits).simplified();
}

QString GroupedNumber(uint32_t value) {
    QString text;
    while (value >= 1000) {
        text.prepend(u' ' + zeroPadded(value % 1000, 3));
        value /= 1000;
    }
    return QString::number(value) + text;
}

QString EventTimeText(const EventNode& node, uint64_t windowStart, const TimeBase& timeBase,
                      const TimeDisplayOptions& options) {
    const uint64_t t = node.record.timestamp;
    const auto& references = options.references;
    if (references.count(t) != 0)
        return QStringLiteral("   ** REF **   ");
    auto above = references.lower_bound(t);
    if (above != references.begin())
        return ClockTextFromTicks(timeBase, t - *std::prev(above), options.resolution);
    return ClockTextFromTicks(timeBase, t - (options.systemTime ? 0 : windowStart),
                              options.resolution);
}

} // namespace kavrin
