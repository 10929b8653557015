#pragma once

#include "views/ColourSchemes.h"
#include "views/PixelCanvas.h"
#include "views/TimelineIndex.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace kavrin {

// Indicator preferences of the timeline (stored as the preference dialog's combo indexes):
// what the rendered lanes show.
struct TimelineIndicators {
    unsigned existingTaskHighlight = 1; // 1: "Light Background"
    unsigned taskReadyHighlight = 1;    // 1: "Silver Bar"
    unsigned timelineEventMarker = 1;   // 1: "Bottom"
    int indicatorLevel = 0;             // 0 all, 1 warnings and errors, 2 errors, 3 none
    int indicatorZoom = 0;              // highest zoom row that shows message indicators
    bool operator==(const TimelineIndicators&) const = default;
};

// The timeline's preferences: the indicators and how the wheel acts, which changes no pixel.
struct TimelinePreferences : TimelineIndicators {
    bool invertWheelControl = false;
    bool operator==(const TimelinePreferences&) const = default;
};

inline constexpr int NoLane = -1;
inline constexpr uint64_t NotATask = std::numeric_limits<uint64_t>::max();

// How each context slot of the index is drawn: its lane (0 is the unified lane, so contexts
// start at 1), its scheme, and for tasks the time from which the task exists.
struct LaneStyle {
    int lane = NoLane;
    ColourScheme scheme{};
    uint64_t taskSinceNs = NotATask;
};

// Everything one rendering of the lane image needs.
struct LaneScene {
    const TimelineIndex* index = nullptr;
    std::vector<LaneStyle> styles; // per slot
    int lanes = 1;
    double rowHeight = 1;
    int64_t startNs = 0; // time at the left edge of pixel column 0
    double nsPerPixel = 1;
    bool readyBars = true;
    bool existingTasks = true;
    bool apiMarks = true;
    bool messageMarks = true;
    int indicatorLevel = 0;
};

// Vertical extent of lane `lane` (bottom exclusive); one pixel is left between lanes.
struct LaneSpan {
    int top;
    int bottom;
};
LaneSpan laneSpan(int lane, double rowHeight);

// Whether a message of `level` passes the indicator level preference.
bool messageIndicated(uint32_t level, int indicatorLevel);

inline constexpr Argb LaneBackground = opaque(0xFFFFFF);
inline constexpr Argb SwitchLineColour = opaque(0x444444);
inline constexpr Argb WarningMark = opaque(0xD0A000);
inline constexpr Argb ErrorMark = opaque(0xE00000);
inline constexpr Argb MessageMark = opaque(0x707070);
inline constexpr Argb ApiMark = opaque(0x303030);
inline constexpr Argb MixedMark = opaque(0x202020);

// Renders context activity, task tints, ready bars, switch lines and marks. A column covering
// many events shows each context's share of it instead of switch lines; marks skip to the next
// column once a few are drawn. The scratch buffers are kept between calls.
class LaneRenderer {
public:
    void render(const LaneScene& scene, PixelCanvas& canvas);

    // Marks drawn per pixel column at most.
    static constexpr size_t SamplesPerColumn = 8;
    // Columns with more events than this show shares of time rather than every switch.
    static constexpr size_t SparseColumnEvents = 8;
    // Share of a lane's height that a context fills in a dense column: 255 is all of it.
    static constexpr int FullFill = 255;

private:
    struct ColumnEvents {
        size_t begin; // first event whose span reaches into the column
        size_t end;   // one past the last
        double from;  // the column's time range in ns
        double to;
    };
    void markActivity(const LaneScene& scene, int width);
    void markDenseColumn(const LaneScene& scene, int column, int width, const ColumnEvents& events);
    void drawRuns(const LaneScene& scene, PixelCanvas& canvas, int width);
    void drawTaskTints(const LaneScene& scene, PixelCanvas& canvas);
    void drawReadyBars(const LaneScene& scene, PixelCanvas& canvas);
    void drawSwitchLines(const LaneScene& scene, PixelCanvas& canvas);
    void drawApiMarks(const LaneScene& scene, PixelCanvas& canvas);
    void drawMessageMarks(const LaneScene& scene, PixelCanvas& canvas);
    static Slot readyBarSlot(const LaneScene& scene) { return Slot(scene.styles.size()); }
    // Rows of a bar `height` pixels high: dark top and bottom border, gradient between.
    const std::vector<Argb>& barRows(Slot slot, const ColourScheme& scheme, int height);

    struct SwitchLine {
        int x;
        int fromLane;
        int toLane;
    };
    static constexpr Slot NoSlot = std::numeric_limits<Slot>::max();

    std::vector<Slot> laneSlot_; // per lane: the slot it shows (context lanes)
    std::vector<Slot> activity_; // lanes x columns: slot active there, or NoSlot
    std::vector<uint8_t> fill_;  // lanes x columns: share of the lane's height, FullFill: all
    std::vector<bool> mixed_;    // per column: no context ran most of it
    std::vector<double> ranNs_;  // per slot: time run in the dense column being marked
    std::vector<SwitchLine> switches_;
    struct BarRows {
        int height = 0;
        std::vector<Argb> rows;
    };
    std::vector<BarRows> barRows_; // per slot, and one more for the ready bar
};

} // namespace kavrin
