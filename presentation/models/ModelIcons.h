#pragma once

#include <QColor>
#include <QHash>
#include <QIcon>

#include <cstdint>
#include <functional>

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

// A context's display colour, as the timeline draws its lane.
using ContextColour = std::function<QColor(const ContextTracker& tracker, uint32_t id)>;

// Two halves in the colours of the context before and after an event; few distinct pairs
// occur, so each is painted once. Grey until the owner sets the colours.
class ContextSwitchIcons {
public:
    QIcon icon(const ContextTracker& tracker, uint32_t before, uint32_t after);
    void setColours(ContextColour colours);

private:
    ContextColour colours_;
    QHash<quint64, QIcon> painted_;
};

} // namespace kavrin
