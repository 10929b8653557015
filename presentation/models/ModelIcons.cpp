#include "presentation/models/ModelIcons.h"

#include "engine/ContextTracker.h"
#include "engine/EventStore.h"

#include <QPainter>
#include <QPixmap>

#include <array>

// The icons live in this static library; its resources must be registered explicitly.
static void registerModelIcons() {
    Q_INIT_RESOURCE(modelicons);
}

namespace kavrin {

namespace {

constexpr int IconCount = int(IconId::InfoRow) + 1;

constexpr std::array<const char*, IconCount> IconFiles{
    "event_sync",      "event_overflow",    "event_isr_enter",   "event_isr_exit",
    "event_task_run",  "event_task_stop",   "event_task_ready",  "event_task_block",
    "event_idle",      "event_timer_enter", "event_timer_exit",  "event_api_end",
    "event_api_open",  "event_api_closed",  "event_log_info",    "event_log_warning",
    "event_log_error", "message_info",      "message_warning",   "message_error",
    "message_other",   "context_interrupt", "context_scheduler", "context_timer",
    "context_task",    "context_idle",      "info_group",        "info_row",
};

uint32_t logLevel(const EventRecord& record) {
    return record.param2 & 15;
}

} // namespace

const QIcon& modelIcon(IconId id) {
    static const bool registered = (registerModelIcons(), true);
    Q_UNUSED(registered);
    static std::array<QIcon, IconCount> icons;
    QIcon& icon = icons[size_t(id)];
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/models/") + QLatin1String(IconFiles[size_t(id)]) +
                     QStringLiteral(".png"));
    return icon;
}

IconId eventKindIcon(const EventNode& node) {
    const EventRecord& record = node.record;
    switch (record.id) {
    case OverflowEvent:
        return IconId::EventOverflow;
    case IsrEnterEvent:
        return IconId::EventIsrEnter;
    case IsrExitEvent:
    case IsrExitToSchedulerEvent:
        return IconId::EventIsrExit;
    case TaskRunEvent:
        return IconId::EventTaskRun;
    case TaskStopEvent:
        return IconId::EventTaskStop;
    case TaskReadyEvent:
        return IconId::EventTaskReady;
    case TaskBlockEvent:
        return IconId::EventTaskBlock;
    case SystemIdleEvent:
        return IconId::EventIdle;
    case TimerEnterEvent:
        return IconId::EventTimerEnter;
    case TimerExitEvent:
        return IconId::EventTimerExit;
    case ApiEndEvent:
        return IconId::EventApiEnd;
    case LogOutputEvent:
        switch (logLevel(record)) {
        case 1:
            return IconId::EventLogWarning;
        case 2:
            return IconId::EventLogError;
        default:
            return IconId::EventLogInfo;
        }
    default:
        if (record.id >= 32)
            return node.endTime != 0 ? IconId::EventApiClosed : IconId::EventApiOpen;
        return IconId::EventSync;
    }
}

IconId messageLevelIcon(uint32_t level) {
    switch (level) {
    case 0:
        return IconId::MessageInfo;
    case 1:
        return IconId::MessageWarning;
    case 2:
        return IconId::MessageError;
    default:
        return IconId::MessageOther;
    }
}

IconId contextKindIcon(int32_t kind) {
    switch (kind) {
    case InterruptKind:
        return IconId::ContextInterrupt;
    case SchedulerKind:
        return IconId::ContextScheduler;
    case TimerKind:
        return IconId::ContextTimer;
    case IdleKind:
        return IconId::ContextIdle;
    default:
        return IconId::ContextTask;
    }
}

void ContextSwitchIcons::setColours(ContextColour colours) {
    colours_ = std::move(colours);
    painted_.clear();
}

QIcon ContextSwitchIcons::icon(const ContextTracker& tracker, uint32_t before, uint32_t after) {
    const auto colourOf = [this, &tracker](uint32_t id) {
        return colours_ ? colours_(tracker, id) : QColor(Qt::lightGray);
    };
    const QColor left = colourOf(before);
    const QColor right = colourOf(after);
    const quint64 key = (quint64(left.rgb()) << 32) | right.rgb();
    if (const auto found = painted_.constFind(key); found != painted_.constEnd())
        return *found;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(2, 3, 6, 10, left);
    painter.fillRect(8, 3, 6, 10, right);
    painter.setPen(left.darker(150));
    painter.drawRect(2, 3, 11, 9);
    painter.end();
    return painted_.insert(key, QIcon(pixmap)).value();
}

} // namespace kavrin
