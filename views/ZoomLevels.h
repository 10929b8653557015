#pragma once

#include <array>
#include <cstdint>

namespace kavrin {

struct ZoomLevel {
    const char* label;
    int64_t spanUs; // -1: the whole recording
};

inline constexpr int ZoomLevelCount = 22;
inline constexpr int FullRecordingZoom = 21;
inline constexpr int DefaultZoom = 9; // "View 10ms"

inline constexpr std::array<ZoomLevel, ZoomLevelCount> ZoomLevels{{
    {"View 10us", 10},      {"View 20us", 20},      {"View 50us", 50},      {"View 100us", 100},
    {"View 200us", 200},    {"View 500us", 500},    {"View 1ms", 1000},     {"View 2ms", 2000},
    {"View 5ms", 5000},     {"View 10ms", 10000},   {"View 20ms", 20000},   {"View 50ms", 50000},
    {"View 100ms", 100000}, {"View 200ms", 200000}, {"View 500ms", 500000}, {"View 1s", 1000000},
    {"View 2s", 2000000},   {"View 5s", 5000000},   {"View 10s", 10000000}, {"View 30s", 30000000},
    {"View 60s", 60000000}, {"Full Recording", -1},
}};

inline constexpr int CursorPositionCount = 9;
inline constexpr int DefaultCursorPosition = 2;
inline constexpr std::array<const char*, CursorPositionCount> CursorPositions{
    "Cursor at 10%", "Cursor at 20%", "Cursor at 30%", "Cursor at 40%", "Cursor at Center",
    "Cursor at 60%", "Cursor at 70%", "Cursor at 80%", "Cursor at 90%"};

// The row that zooming in or out from `row` selects; `row` itself when nothing changes.
// `recordingUs` is the recording length (last minus first event), used only with events.
int zoomInRow(int row, bool hasEvents, uint64_t recordingUs);
int zoomOutRow(int row, bool hasEvents, uint64_t recordingUs);

} // namespace kavrin
