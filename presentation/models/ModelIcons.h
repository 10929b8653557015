#pragma once

#include <QColor>
#include <QHash>
#include <QIcon>

#include <cstdint>

namespace kavrin {

struct EventNode;
class ContextTracker;

// The icons of the lists, painted once and decoded on first use.
enum class IconId {
    EventSync,
    EventOverflow,
    EventIsrEnter,
    EventIsrExit,
    EventTaskRun,
    EventTaskStop,
    EventTaskReady,
    EventTaskBlock,
    EventIdle,
    EventTimerEnter,
    EventTimerExit,
    EventApiEnd,
    EventApiOpen,
    EventApiClosed,
    EventLogInfo,
    EventLogWarning,
    EventLogError,
    MessageInfo,
    MessageWarning,
    MessageError,
    MessageOther,
    ContextInterrupt,
    ContextScheduler,
    ContextTimer,
    ContextTask,
    ContextIdle,
    InfoGroup,
    InfoRow,
};

const QIcon& modelIcon(IconId id);

// The icon of the event list's Event column.
IconId eventKindIcon(const EventNode& node);
// The terminal's icon of a message level (param2 & 15).
IconId messageLevelIcon(uint32_t level);
// The contexts list's Type icon of a context kind.
IconId contextKindIcon(int32_t kind);

// The middle colour of a context's timeline colour scheme (low byte 1..26 of the colour code).
QColor contextColour(uint32_t colourCode);
// Two halves in the colours of the context before and after an event; few distinct pairs
// occur, so each is painted once.
class ContextSwitchIcons {
public:
    QIcon icon(const ContextTracker& tracker, uint32_t before, uint32_t after);

private:
    QHash<quint64, QIcon> painted_;
};

} // namespace kavrin
